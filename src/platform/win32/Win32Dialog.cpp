#include "platform/win32/Win32Dialog.h"

#include <stdexcept>
#include <vector>

namespace mivox::win32 {

namespace {

std::function<void(const std::exception&)>& ExceptionHandler() {
    static std::function<void(const std::exception&)> handler;
    return handler;
}

std::string WindowText(HWND window) {
    const int length = GetWindowTextLengthA(window);
    std::string text(static_cast<size_t>(length) + 1, '\0');
    text.resize(static_cast<size_t>(GetWindowTextA(window, text.data(), length + 1)));
    return text;
}

// The windows a modal showing disables, and enables again afterwards.
struct DisabledWindows {
    HWND except;
    std::vector<HWND> windows;
};

BOOL CALLBACK DisableThreadWindow(HWND window, LPARAM param) {
    auto* disabled = reinterpret_cast<DisabledWindows*>(param);
    if (window != disabled->except && IsWindowVisible(window) && IsWindowEnabled(window)) {
        EnableWindow(window, FALSE);
        disabled->windows.push_back(window);
    }
    return TRUE;
}

}  // namespace

void Win32Control::SetText(const std::string& text) {
    SetWindowTextA(window_, text.c_str());
}

std::string Win32Control::Text() const {
    return WindowText(window_);
}

void Win32Control::SetEnabled(bool enabled) {
    EnableWindow(window_, enabled ? TRUE : FALSE);
}

bool Win32Control::IsEnabled() const {
    return IsWindowEnabled(window_) != FALSE;
}

void Win32Control::Invalidate() {
    InvalidateRect(window_, nullptr, TRUE);
}

Win32Dialog::Win32Dialog(int templateId, bool isMainWindow) : isMainWindow_(isMainWindow) {
    window_ = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(templateId), nullptr,
                                 DialogProc, reinterpret_cast<LPARAM>(this));
    if (!window_) {
        throw std::runtime_error("Cannot create dialog " + std::to_string(templateId) + " (error " +
                                 std::to_string(GetLastError()) + ")");
    }
}

Win32Dialog::~Win32Dialog() {
    if (window_) {
        SetWindowLongPtrA(window_, DWLP_USER, 0);
        DestroyWindow(window_);
    }
}

void Win32Dialog::Bind(DialogEvents& events) {
    events_ = &events;
    Guarded([&] { events.FormCreate(); });
}

ControlPeer& Win32Dialog::Control(int controlId) {
    auto& control = controls_[controlId];
    if (!control) {
        HWND item = GetDlgItem(window_, controlId);
        if (!item) throw std::logic_error("No control " + std::to_string(controlId));
        control = std::make_unique<Win32Control>(item);
    }
    return *control;
}

void Win32Dialog::SetCaption(const std::string& caption) {
    SetWindowTextA(window_, caption.c_str());
}

std::string Win32Dialog::Caption() const {
    return WindowText(window_);
}

int Win32Dialog::ShowModal() {
    DisabledWindows disabled{window_, {}};
    EnumThreadWindows(GetCurrentThreadId(), DisableThreadWindow,
                      reinterpret_cast<LPARAM>(&disabled));
    inModalLoop_ = true;
    modalDone_ = false;
    result_ = 0;
    Show();
    MSG message;
    bool quit = false;
    while (!modalDone_) {
        const BOOL got = GetMessageA(&message, nullptr, 0, 0);
        if (got == 0 || got == -1) {
            quit = true;
            break;
        }
        if (!IsDialogMessageA(window_, &message)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
    inModalLoop_ = false;
    for (HWND window : disabled.windows) EnableWindow(window, TRUE);
    Hide();
    if (quit) PostQuitMessage(static_cast<int>(message.wParam));
    return result_;
}

void Win32Dialog::Show() {
    if (events_) Guarded([&] { events_->FormShow(); });
    ShowWindow(window_, SW_SHOW);
    SetForegroundWindow(window_);
}

void Win32Dialog::Hide() {
    if (!IsWindowVisible(window_)) return;
    ShowWindow(window_, SW_HIDE);
    if (events_) Guarded([&] { events_->FormHide(); });
}

bool Win32Dialog::IsVisible() const {
    return IsWindowVisible(window_) != FALSE;
}

void Win32Dialog::Close(int result) {
    result_ = result;
    bool allowed = true;
    if (events_) Guarded([&] { allowed = events_->FormCloseQuery(); });
    if (!allowed) return;
    if (inModalLoop_) {
        modalDone_ = true;
    } else if (isMainWindow_) {
        ShowWindow(window_, SW_HIDE);
        PostQuitMessage(0);
    } else {
        Hide();
    }
}

void Win32Dialog::SetExceptionHandler(std::function<void(const std::exception&)> handler) {
    ExceptionHandler() = std::move(handler);
}

void Win32Dialog::Guarded(const std::function<void()>& handler) {
    try {
        handler();
    } catch (const std::exception& error) {
        try {
            if (ExceptionHandler()) {
                ExceptionHandler()(error);
            } else {
                MessageBoxA(nullptr, error.what(), "Error", MB_OK | MB_ICONERROR | MB_TASKMODAL);
            }
        } catch (...) {
            // The report itself failed; the event is abandoned all the same.
        }
    } catch (...) {
        MessageBoxA(nullptr, "Unknown error", "Error", MB_OK | MB_ICONERROR | MB_TASKMODAL);
    }
}

INT_PTR CALLBACK Win32Dialog::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrA(window, DWLP_USER, lParam);
        return TRUE;
    }
    auto* dialog = reinterpret_cast<Win32Dialog*>(GetWindowLongPtrA(window, DWLP_USER));
    if (!dialog || !dialog->events_) return FALSE;
    INT_PTR handled = FALSE;
    Guarded([&] { handled = dialog->HandleMessage(message, wParam, lParam); });
    return handled;
}

INT_PTR Win32Dialog::HandleMessage(UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
        case WM_COMMAND:
            events_->Command(LOWORD(wParam), HIWORD(wParam));
            return TRUE;
        case WM_CLOSE:
            Close(IDCANCEL);
            return TRUE;
        default:
            return FALSE;
    }
}

int RunMessageLoop() {
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        HWND active = GetActiveWindow();
        if (active && IsDialogMessageA(active, &message)) continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return static_cast<int>(message.wParam);
}

}  // namespace mivox::win32
