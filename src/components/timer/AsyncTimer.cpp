#include "components/timer/AsyncTimer.h"

#include <mutex>

#include "util/ScopeExit.h"

namespace mivox {

TAsyncTimer::TAsyncTimer(Network& network)
    : window_(network.CreateMessageWindow([this](uint32_t message, intptr_t) {
          if (message == kMsgTick) Tick();
      })) {}

TAsyncTimer::~TAsyncTimer() {
    {
        std::lock_guard lock(mutex_);
        enabled_ = false;
        terminated_ = true;
    }
    wake_.Set();
    worker_.Join();
    // A tick still posted dies with the window, unheard.
    window_.reset();
}

void TAsyncTimer::SetInterval(uint16_t milliseconds) {
    {
        std::lock_guard lock(mutex_);
        interval_ = milliseconds;
    }
    wake_.Set();
}

void TAsyncTimer::SetEnabled(bool enabled) {
    {
        std::lock_guard lock(mutex_);
        enabled_ = enabled;
        if (!enabled_ || interval_ == 0 || worker_.Joinable()) {
            wake_.Set();
            return;
        }
    }
    worker_ = Thread([this] { Execute(); });
}

bool TAsyncTimer::Enabled() const {
    std::lock_guard lock(mutex_);
    return enabled_;
}

TAsyncTimer::State TAsyncTimer::Read() const {
    std::lock_guard lock(mutex_);
    return {enabled_, terminated_, tickRunning_, int64_t{interval_} * 1000};
}

// The worker: sleeps until the next tick is due (to the millisecond, read
// from the counter) while resumed, and hands each due tick to the
// user-interface thread, waiting for it to finish. Every change of the timer
// sets the wake-up, so no wait outlasts one.
void TAsyncTimer::Execute() {
    int64_t due = SteadyMicroseconds() + Read().intervalMicroseconds;
    for (State state = Read(); !state.terminated; state = Read()) {
        if (!state.enabled || state.intervalMicroseconds == 0) {
            wake_.Wait(WakeSignal::kForever);
            continue;
        }
        const int64_t found = SteadyMicroseconds();
        if (found < due) {
            wake_.Wait(static_cast<uint32_t>((due - found + 999) / 1000));
            continue;
        }
        {
            std::lock_guard lock(mutex_);
            tickRunning_ = true;
        }
        window_->Post(kMsgTick, 0);
        for (state = Read(); !state.terminated && state.tickRunning; state = Read())
            wake_.Wait(WakeSignal::kForever);
        due = found + state.intervalMicroseconds;
        const int64_t returned = SteadyMicroseconds();
        if (returned > due) due = returned + state.intervalMicroseconds;
    }
}

void TAsyncTimer::Tick() {
    // Ends the worker's wait however the handler leaves.
    ScopeExit done([this] {
        {
            std::lock_guard lock(mutex_);
            tickRunning_ = false;
        }
        wake_.Set();
    });
    if (Enabled() && OnTimer) OnTimer();
}

}  // namespace mivox
