// TAsyncTimer: ticks measured on a worker thread with the high-resolution
// counter, each run synchronously on the user-interface thread (the worker
// waits until the tick's handler has returned). Disabling suspends the
// worker; destroying the timer ends it before returning.
#pragma once

#include "platform/Socket.h"
#include "platform/Threads.h"
#include "platform/Timers.h"

namespace mivox {

class TAsyncTimer final : public Timer {
public:
    // The hidden window's one message: a tick is due.
    static constexpr uint32_t kMsgTick = 0x0400 + 1;  // WM_USER + 1

    // Ticks arrive through a hidden window of network.
    explicit TAsyncTimer(Network& network);
    ~TAsyncTimer() override;
    TAsyncTimer(const TAsyncTimer&) = delete;
    TAsyncTimer& operator=(const TAsyncTimer&) = delete;

    void SetInterval(uint16_t milliseconds) override;
    void SetEnabled(bool enabled) override;
    bool Enabled() const override;

private:
    // What the worker reads of the timer, taken under the lock.
    struct State {
        bool enabled, terminated, tickRunning;
        int64_t intervalMicroseconds;
    };
    State Read() const;
    void Execute();
    void Tick();

    mutable Mutex mutex_;
    WakeSignal wake_;  // the worker is its only waiter
    bool enabled_ = false;
    bool terminated_ = false;
    bool tickRunning_ = false;
    uint16_t interval_ = 1000;
    std::unique_ptr<MessageWindow> window_;
    Thread worker_;  // started at the first resume
};

// Makes TAsyncTimers whose ticks arrive through the network's windows.
class AsyncTimers final : public Timers {
public:
    explicit AsyncTimers(Network& network) : network_(network) {}
    std::unique_ptr<Timer> CreateTimer() override {
        return std::make_unique<TAsyncTimer>(network_);
    }

private:
    Network& network_;
};

}  // namespace mivox
