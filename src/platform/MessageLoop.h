// The message loop of the user-interface thread and what the application
// does around it: handing on pending messages during long steps, the mouse
// cursor, and the report of errors that escape an event. The logic waits
// only through this seam, so that a test can run it without a real loop.
#pragma once

#include <cstdint>
#include <exception>
#include <functional>

namespace mivox {

enum class Cursor { kDefault, kHourglass };

class MessageLoop {
public:
    virtual ~MessageLoop() = default;
    // Handles every message already waiting (repaints, clicks, keys), then
    // returns without waiting for more.
    virtual void ProcessMessages() = 0;
    // Sleeps until a message arrives or milliseconds have passed (at once
    // when one waits already), then handles what is waiting, as above. A
    // wait for an event checks its condition after each call.
    static constexpr uint32_t kInfinite = 0xFFFFFFFF;
    virtual void WaitForMessages(uint32_t milliseconds) = 0;
    // Whether a key, mouse or posted message waits: far cheaper to ask than
    // to hand messages on, so a long step can ask before each small piece.
    virtual bool InputPending() const = 0;
    // The cursor shown over every window of the program; returns the one it
    // replaces.
    virtual Cursor SetCursor(Cursor cursor) = 0;
    // Receives each exception that escapes an event handler; the event is
    // abandoned and its dialog stays open.
    virtual void SetExceptionHandler(std::function<void(const std::exception&)> handler) = 0;
};

// Shows the hourglass while it lives, then the cursor that was there before.
class HourglassCursor {
public:
    explicit HourglassCursor(MessageLoop& loop)
        : loop_(loop), previous_(loop.SetCursor(Cursor::kHourglass)) {}
    ~HourglassCursor() { loop_.SetCursor(previous_); }
    HourglassCursor(const HourglassCursor&) = delete;
    HourglassCursor& operator=(const HourglassCursor&) = delete;

private:
    MessageLoop& loop_;
    Cursor previous_;
};

}  // namespace mivox
