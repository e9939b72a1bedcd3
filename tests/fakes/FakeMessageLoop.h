// A test double of the MessageLoop seam: each pump of pending messages runs
// the next of the user's queued actions, so a test can press Cancel between
// two files of a copy.
#pragma once

#include <deque>
#include <functional>
#include <vector>

#include "platform/MessageLoop.h"

namespace mivox::testing {

class FakeMessageLoop : public MessageLoop {
public:
    void ProcessMessages() override {
        ++pumps;
        if (pending.empty()) return;
        auto action = std::move(pending.front());
        pending.pop_front();
        action();
    }
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
    std::deque<std::function<void()>> pending;
    Cursor cursor = Cursor::kDefault;
    std::vector<Cursor> cursors;  // every cursor set, in order
    std::function<void(const std::exception&)> exceptionHandler;
};

}  // namespace mivox::testing
