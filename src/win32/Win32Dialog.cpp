#include "win32/Win32Dialog.h"

#include <commctrl.h>

#include <vector>

#include "platform/Failure.h"
#include "win32/SystemLibrary.h"

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

std::string ClassOf(HWND window) {
    char name[64] = {};
    GetClassNameA(window, name, sizeof(name));
    return name;
}

// A picture button (BS_ICON) shows the icon resource of its control's ID, so
// that the template alone says which picture a button has.
BOOL CALLBACK ShowButtonIcon(HWND child, LPARAM) {
    if (ClassOf(child) != "Button" || !(GetWindowLongA(child, GWL_STYLE) & BS_ICON)) return TRUE;
    const auto icon = static_cast<HICON>(LoadImageA(GetModuleHandleA(nullptr),
                                                    MAKEINTRESOURCEA(GetDlgCtrlID(child)),
                                                    IMAGE_ICON, 16, 16, LR_SHARED));
    if (icon) SendMessageA(child, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(icon));
    return TRUE;
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

// DlgDirList and DlgDirListComboBox change the process's current directory
// to the one they list; the installer's own idea of it must not move (a
// deliberate change: later steps read "Setup.exe" from the current folder).
class KeepCurrentDirectory {
public:
    KeepCurrentDirectory() { GetCurrentDirectoryA(sizeof(saved_), saved_); }
    ~KeepCurrentDirectory() { SetCurrentDirectoryA(saved_); }
    KeepCurrentDirectory(const KeepCurrentDirectory&) = delete;
    KeepCurrentDirectory& operator=(const KeepCurrentDirectory&) = delete;

private:
    char saved_[MAX_PATH + 1] = {};
};

// The text of a list entry "[name]" or "[-c-]" without its brackets.
std::string Unbracketed(const std::string& item) {
    if (item.size() < 2 || item.front() != '[' || item.back() != ']') return item;
    return item.substr(1, item.size() - 2);
}

std::string ListItem(HWND list, UINT getLength, UINT getText, WPARAM index) {
    const LRESULT length = SendMessageA(list, getLength, index, 0);
    if (length < 0) return {};
    std::string text(static_cast<size_t>(length) + 1, '\0');
    const LRESULT copied =
        SendMessageA(list, getText, index, reinterpret_cast<LPARAM>(text.data()));
    text.resize(copied < 0 ? 0 : static_cast<size_t>(copied));
    return text;
}

// "D:\Programs" for "D:\Programs\" and "D:\" for "D:".
std::string WithoutTrailingSlash(std::string path) {
    while (path.size() > 3 && path.back() == '\\') path.pop_back();
    if (path.size() == 2 && path[1] == ':') path += '\\';
    return path;
}

}  // namespace

// --- Controls -------------------------------------------------------------

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

void Win32Control::RemoveTypingLimit() {
    // Zero asks for the largest limit the system allows.
    SendMessageA(window_, EM_LIMITTEXT, 0, 0);
}

void Win32Control::SetFocus() {
    dialog_.FocusControl(window_);
}

void Win32Control::SetHint(const std::string& hint) {
    dialog_.AddHint(window_, hint);
}

void Win32Control::SetTextColour(Colour colour) {
    dialog_.textColours_[window_] = colour;
    Invalidate();
}

void Win32Control::SetFont(const std::string& face, int points) {
    HDC screen = GetDC(nullptr);
    const int height = -MulDiv(points, GetDeviceCaps(screen, LOGPIXELSY), 72);
    ReleaseDC(nullptr, screen);
    FontHandle font(CreateFontA(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                FIXED_PITCH | FF_MODERN, face.c_str()));
    if (!font) return;
    SendMessageA(window_, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), TRUE);
    font_ = std::move(font);  // the old font is released only once it is out of use
}

void Win32Progress::SetPosition(int position) {
    SendMessageA(window_, PBM_SETPOS, static_cast<WPARAM>(position), 0);
}

int Win32Progress::Position() const {
    return static_cast<int>(SendMessageA(window_, PBM_GETPOS, 0, 0));
}

bool Win32Animation::Open(CommonAvi avi) {
    // The common animations are resources of shell32, loaded for the program's life.
    static const Library shell32(LoadSystemLibrary("shell32.dll"));
    return SendMessageA(window_, ACM_OPENA, reinterpret_cast<WPARAM>(shell32.get()),
                        reinterpret_cast<LPARAM>(MAKEINTRESOURCEA(static_cast<int>(avi)))) != 0;
}

void Win32Animation::Play(int lastFrame) {
    // The control counts frames from 0; repeat count -1 plays until stopped.
    // A clip shorter than the frames asked for (as some systems ship them)
    // plays whole.
    const auto play = [&](WORD last) {
        return SendMessageA(window_, ACM_PLAY, static_cast<WPARAM>(-1), MAKELPARAM(0, last)) != 0;
    };
    playing_ = play(static_cast<WORD>(lastFrame - 1)) || play(0xFFFF);
}

void Win32Animation::Stop() {
    SendMessageA(window_, ACM_STOP, 0, 0);
    playing_ = false;
}

bool Win32DriveBox::SetDrive(char letter) {
    HWND box = GetDlgItem(dialog_, controlId_);
    const char previous = Drive();
    {
        // Listed anew each time, so that a drive added since shows up.
        KeepCurrentDirectory keep;
        char spec[MAX_PATH + 1] = "*";
        SendMessageA(box, CB_RESETCONTENT, 0, 0);
        DlgDirListComboBoxA(dialog_, spec, controlId_, 0, DDL_DRIVES | DDL_EXCLUSIVE);
    }
    // The search ignores case, so "[-d-]" is found for 'D'.
    const std::string item = std::string("[-") + letter + "-]";
    const LRESULT index = SendMessageA(box, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                       reinterpret_cast<LPARAM>(item.c_str()));
    if (index == CB_ERR) {
        if (previous && previous != letter) SetDrive(previous);
        return false;
    }
    SendMessageA(box, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    return true;
}

char Win32DriveBox::Drive() const {
    HWND box = GetDlgItem(dialog_, controlId_);
    const LRESULT index = SendMessageA(box, CB_GETCURSEL, 0, 0);
    if (index == CB_ERR) return '\0';
    const std::string drive =
        Unbracketed(ListItem(box, CB_GETLBTEXTLEN, CB_GETLBTEXT, static_cast<WPARAM>(index)));
    if (drive.size() < 2 || drive[0] != '-') return '\0';
    const char letter = drive[1];
    return letter >= 'a' && letter <= 'z' ? static_cast<char>(letter - 'a' + 'A') : letter;
}

bool Win32DirList::SetDirectory(const std::string& path) {
    const std::string directory = WithoutTrailingSlash(path);
    KeepCurrentDirectory keep;
    // A drive without a disk must fail quietly rather than ask the user.
    const UINT errorMode = SetErrorMode(SEM_FAILCRITICALERRORS);
    // Listed from inside, so that a drive letter is never taken for that
    // drive's own current directory.
    char spec[MAX_PATH + 1] = "*.*";
    const bool listed =
        SetCurrentDirectoryA(directory.c_str()) &&
        DlgDirListA(dialog_, spec, controlId_, 0, DDL_DIRECTORY | DDL_EXCLUSIVE) != 0;
    char current[MAX_PATH + 1] = {};
    if (listed) GetCurrentDirectoryA(sizeof(current), current);
    SetErrorMode(errorMode);
    if (!listed) return false;
    directory_ = current;
    return true;
}

bool Win32DirList::OpenSelected() {
    HWND list = GetDlgItem(dialog_, controlId_);
    const LRESULT index = SendMessageA(list, LB_GETCURSEL, 0, 0);
    if (index == LB_ERR) return false;
    const std::string name =
        Unbracketed(ListItem(list, LB_GETTEXTLEN, LB_GETTEXT, static_cast<WPARAM>(index)));
    if (name.empty()) return false;
    if (name == "..") {
        const size_t slash = directory_.rfind('\\');
        if (slash == std::string::npos) return false;
        return SetDirectory(directory_.substr(0, slash + 1));
    }
    return SetDirectory(directory_ + (directory_.back() == '\\' ? "" : "\\") + name);
}

// --- The dialog -------------------------------------------------------------

Win32Dialog::Win32Dialog(int templateId, bool isMainWindow) : isMainWindow_(isMainWindow) {
    window_ = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(templateId), nullptr,
                                 DialogProc, reinterpret_cast<LPARAM>(this));
    if (!window_) {
        throw Failure("Cannot create dialog " + std::to_string(templateId) + " (error " +
                      std::to_string(GetLastError()) + ")");
    }
    EnumChildWindows(window_, ShowButtonIcon, 0);
}

Win32Dialog::~Win32Dialog() {
    tooltip_.reset();
    if (window_) {
        SetWindowLongPtrA(window_, DWLP_USER, 0);
        DestroyWindow(window_);
    }
}

void Win32Dialog::Bind(DialogEvents& events) {
    events_ = &events;
    Guarded([&] { events.FormCreate(); });
}

HWND Win32Dialog::Item(int controlId) const {
    HWND item = GetDlgItem(window_, controlId);
    if (!item) throw Failure("No control " + std::to_string(controlId));
    return item;
}

ControlPeer& Win32Dialog::Control(int controlId) {
    auto& control = controls_[controlId];
    if (!control) control = std::make_unique<Win32Control>(*this, Item(controlId));
    return *control;
}

ProgressPeer& Win32Dialog::Progress(int controlId) {
    auto& bar = progressBars_[controlId];
    if (!bar) bar = std::make_unique<Win32Progress>(Item(controlId));
    return *bar;
}

AnimationPeer& Win32Dialog::Animation(int controlId) {
    auto& animation = animations_[controlId];
    if (!animation) animation = std::make_unique<Win32Animation>(Item(controlId));
    return *animation;
}

DriveBoxPeer& Win32Dialog::DriveBox(int controlId) {
    auto& box = driveBoxes_[controlId];
    if (!box) {
        Item(controlId);
        box = std::make_unique<Win32DriveBox>(window_, controlId);
    }
    return *box;
}

DirListPeer& Win32Dialog::DirList(int controlId) {
    auto& list = dirLists_[controlId];
    if (!list) {
        Item(controlId);
        list = std::make_unique<Win32DirList>(window_, controlId);
    }
    return *list;
}

void Win32Dialog::SetCaption(const std::string& caption) {
    SetWindowTextA(window_, caption.c_str());
}

std::string Win32Dialog::Caption() const {
    return WindowText(window_);
}

void Win32Dialog::AddHint(HWND control, const std::string& hint) {
    if (IsWindowVisible(window_)) return AttachHint(control, hint);
    std::erase_if(pendingHints_, [&](const auto& pending) { return pending.first == control; });
    pendingHints_.emplace_back(control, hint);
}

void Win32Dialog::AttachHint(HWND control, const std::string& hint) {
    if (!tooltip_) {
        tooltip_.reset(CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr,
                                       WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
                                       CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, window_,
                                       nullptr, GetModuleHandleA(nullptr), nullptr));
        if (!tooltip_) return;
    }
    TTTOOLINFOA tool{};
    tool.cbSize = sizeof(tool);
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = window_;
    tool.uId = reinterpret_cast<UINT_PTR>(control);
    SendMessageA(tooltip_.get(), TTM_DELTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
    tool.lpszText = const_cast<char*>(hint.c_str());  // the tooltip keeps its own copy
    SendMessageA(tooltip_.get(), TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
}

void Win32Dialog::FocusControl(HWND control) {
    if (IsWindowVisible(window_)) {
        SendMessageA(window_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), TRUE);
    } else {
        pendingFocus_ = control;  // taken over when the window appears
    }
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
    // A dialog that closed itself while being shown does not appear at all.
    if (inModalLoop_ && modalDone_) return;
    ShowWindow(window_, SW_SHOW);
    SetForegroundWindow(window_);
    if (pendingFocus_) {
        SendMessageA(window_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(pendingFocus_), TRUE);
        pendingFocus_ = nullptr;
    }
    // Painted now, controls included: the caller may go on working before
    // its message loop next runs (start-up makes the hidden dialogs).
    RedrawWindow(window_, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    for (const auto& [control, hint] : std::exchange(pendingHints_, {})) AttachHint(control, hint);
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
    // A close request whose check fails keeps the window open.
    bool allowed = events_ == nullptr;
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

INT_PTR Win32Dialog::ColourControl(HDC dc, HWND control) {
    const auto colour = textColours_.find(control);
    if (colour == textColours_.end()) return FALSE;
    // Edit boxes keep the window background, every other control the dialog's.
    const int background = ClassOf(control) == "Edit" ? COLOR_WINDOW : COLOR_BTNFACE;
    SetTextColor(dc, colour->second);
    SetBkColor(dc, GetSysColor(background));
    return reinterpret_cast<INT_PTR>(GetSysColorBrush(background));
}

INT_PTR Win32Dialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND: {
            const int id = LOWORD(wParam);
            const int code = HIWORD(wParam);
            if (code == LBN_DBLCLK) {
                // A directory list opens the entry before its dialog hears of it.
                const auto list = dirLists_.find(id);
                if (list != dirLists_.end() && !list->second->OpenSelected()) return TRUE;
            }
            events_->Command(id, code);
            return TRUE;
        }
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORSTATIC:
            return ColourControl(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
        case WM_CLOSE:
            Close(IDCANCEL);
            return TRUE;
        default:
            return FALSE;
    }
}

HWND WindowOf(DialogPeer& dialog) {
    return reinterpret_cast<HWND>(dialog.SystemHandle());
}

}  // namespace mivox::win32
