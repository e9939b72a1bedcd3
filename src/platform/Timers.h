// Periodic ticks delivered on the user-interface thread.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

namespace mivox {

class Timer {
public:
    virtual ~Timer() = default;
    // Milliseconds between ticks; 0 keeps the timer from running.
    virtual void SetInterval(uint16_t milliseconds) = 0;
    // True resumes the ticks, false suspends them.
    virtual void SetEnabled(bool enabled) = 0;
    virtual bool Enabled() const = 0;

    // Runs on the user-interface thread, only while the timer is enabled.
    std::function<void()> OnTimer;
};

class Timers {
public:
    virtual ~Timers() = default;
    // A disabled timer of a 1000 ms interval.
    virtual std::unique_ptr<Timer> CreateTimer() = 0;
};

}  // namespace mivox
