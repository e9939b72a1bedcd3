#include "win32/Win32MessageLoop.h"

#include <windows.h>

#include "win32/Win32Dialog.h"

namespace mivox::win32 {

namespace {

// Every kind of message a wait wakes for. Spelt out: QS_ALLINPUT of today's
// headers holds QS_RAWINPUT, which Windows before XP refuses, failing the
// wait at once.
constexpr UINT kAnyMessage =
    QS_KEY | QS_MOUSE | QS_POSTMESSAGE | QS_TIMER | QS_PAINT | QS_SENDMESSAGE | QS_HOTKEY;

// Hands one message to its window, letting the active dialog take its keys.
void Dispatch(MSG& message) {
    HWND active = GetActiveWindow();
    if (active && IsDialogMessageA(active, &message)) return;
    TranslateMessage(&message);
    DispatchMessageA(&message);
}

}  // namespace

void Win32MessageLoop::ProcessMessages() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            // Left for the loop that runs the program.
            PostQuitMessage(static_cast<int>(message.wParam));
            return;
        }
        Dispatch(message);
    }
}

void Win32MessageLoop::WaitForMessages(uint32_t milliseconds) {
    // Only an empty queue sleeps: the wait wakes for messages that arrive
    // after the queue was last looked at, and this look is that moment.
    MSG waiting;
    if (!PeekMessageA(&waiting, nullptr, 0, 0, PM_NOREMOVE))
        MsgWaitForMultipleObjects(0, nullptr, FALSE, milliseconds, kAnyMessage);
    ProcessMessages();
}

bool Win32MessageLoop::InputPending() const {
    // Posted too: a click can come as a posted message, as it does from
    // another program driving the window.
    return HIWORD(GetQueueStatus(QS_INPUT | QS_POSTMESSAGE)) != 0;
}

Cursor Win32MessageLoop::SetCursor(Cursor cursor) {
    const Cursor previous = cursor_;
    cursor_ = cursor;
    ::SetCursor(LoadCursorA(nullptr, cursor == Cursor::kHourglass ? IDC_WAIT : IDC_ARROW));
    return previous;
}

void Win32MessageLoop::SetExceptionHandler(std::function<void(const std::exception&)> handler) {
    Win32Dialog::SetExceptionHandler(std::move(handler));
}

int Win32MessageLoop::Run() {
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) Dispatch(message);
    return static_cast<int>(message.wParam);
}

}  // namespace mivox::win32
