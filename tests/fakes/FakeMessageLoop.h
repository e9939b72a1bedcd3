// A test double of the MessageLoop seam: each pump of pending messages runs
// the next of the user's queued actions, so a test can press Cancel between
// two files of a copy. Given a virtual queue, a pump without a user action
// lets 10 ms of virtual time pass instead, running what falls due in them,
// and the tick count follows the queue's clock. A wait for messages jumps
// to the next event.
#pragma once

#include <deque>
#include <functional>
#include <vector>

#include "fakes/FakeNetwork.h"
#include "platform/MessageLoop.h"

namespace mivox::testing {

class FakeMessageLoop : public MessageLoop {
public:
    void ProcessMessages() override {
        ++pumps;
        if (pending.empty()) {
            if (queue) RunQueue();
            return;
        }
        auto action = std::move(pending.front());
        pending.pop_front();
        action();
    }
    // Sleeps on virtual time: up to the earliest event or the time given,
    // whichever comes first (a user action waiting ends it at once).
    void WaitForMessages(uint32_t milliseconds) override {
        ++waits;
        if (!pending.empty() || !queue) return ProcessMessages();
        uint64_t until = queue->now + (milliseconds == kInfinite ? 10 : milliseconds);
        uint64_t due = 0;
        if (queue->NextDue(due) && due < until) until = due;
        if (milliseconds == kInfinite && queue->Idle()) ++idleForever;  // would never wake
        queue->Advance(static_cast<uint32_t>(until - queue->now));
        if (ticks) *ticks = static_cast<uint32_t>(tickOffset + queue->now);
    }
    // A queued user action is input waiting.
    bool InputPending() const override { return !pending.empty(); }
    Cursor SetCursor(Cursor shape) override {
        cursors.push_back(shape);
        const Cursor previous = cursor;
        cursor = shape;
        return previous;
    }
    void SetExceptionHandler(std::function<void(const std::exception&)> handler) override {
        exceptionHandler = std::move(handler);
    }

    int pumps = 0;
    int waits = 0;        // sleeps until a message or a deadline
    int idleForever = 0;  // sleeps without end while nothing was queued
    VirtualQueue* queue = nullptr;
    uint32_t* ticks = nullptr;  // follows the queue's clock
    uint64_t tickOffset = 0;    // the tick count at the queue's time 0
    std::deque<std::function<void()>> pending;
    Cursor cursor = Cursor::kDefault;
    std::vector<Cursor> cursors;  // every cursor set, in order
    std::function<void(const std::exception&)> exceptionHandler;

private:
    void RunQueue() {
        queue->Advance(10);
        if (ticks) *ticks = static_cast<uint32_t>(tickOffset + queue->now);
    }
};

}  // namespace mivox::testing
