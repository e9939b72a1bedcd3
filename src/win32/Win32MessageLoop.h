// The real MessageLoop seam: the thread's message queue, the cursor and the
// report of errors that escape an event.
#pragma once

#include "platform/MessageLoop.h"

namespace mivox::win32 {

class Win32MessageLoop : public MessageLoop {
public:
    void ProcessMessages() override;
    void WaitForMessages(uint32_t milliseconds) override;
    bool InputPending() const override;
    Cursor SetCursor(Cursor cursor) override;
    void SetExceptionHandler(std::function<void(const std::exception&)> handler) override;

    // Runs until the main window has closed, giving dialog keys (Tab, Enter,
    // Esc) to the active dialog; returns the program's exit code.
    int Run();

private:
    Cursor cursor_ = Cursor::kDefault;
};

}  // namespace mivox::win32
