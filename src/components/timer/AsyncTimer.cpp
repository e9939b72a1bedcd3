#include "components/timer/AsyncTimer.h"

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
    wake_.notify_all();
    if (worker_.joinable()) worker_.join();
    // A tick still posted dies with the window, unheard.
    window_.reset();
}

void TAsyncTimer::SetInterval(uint16_t milliseconds) {
    {
        std::lock_guard lock(mutex_);
        interval_ = std::chrono::milliseconds(milliseconds);
    }
    wake_.notify_all();
}

void TAsyncTimer::SetEnabled(bool enabled) {
    {
        std::lock_guard lock(mutex_);
        enabled_ = enabled;
        if (!enabled_ || interval_.count() == 0 || worker_.joinable()) {
            wake_.notify_all();
            return;
        }
    }
    worker_ = std::thread([this] { Execute(); });
}

bool TAsyncTimer::Enabled() const {
    std::lock_guard lock(mutex_);
    return enabled_;
}

// The worker: polls the counter with 1 ms sleeps while resumed, and hands
// each due tick to the user-interface thread, waiting for it to finish.
void TAsyncTimer::Execute() {
    std::unique_lock lock(mutex_);
    Clock::time_point due = Clock::now() + interval_;
    while (!terminated_) {
        wake_.wait(lock, [this] { return terminated_ || (enabled_ && interval_.count() != 0); });
        if (terminated_) break;
        const Clock::time_point found = Clock::now();
        if (found < due) {
            lock.unlock();
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
            lock.lock();
            continue;
        }
        tickRunning_ = true;
        window_->Post(kMsgTick, 0);
        wake_.wait(lock, [this] { return terminated_ || !tickRunning_; });
        due = found + interval_;
        const Clock::time_point returned = Clock::now();
        if (returned > due) due = returned + interval_;
    }
}

void TAsyncTimer::Tick() {
    // Ends the worker's wait however the handler leaves.
    struct Done {
        TAsyncTimer& timer;
        ~Done() {
            {
                std::lock_guard lock(timer.mutex_);
                timer.tickRunning_ = false;
            }
            timer.wake_.notify_all();
        }
    } done{*this};
    if (Enabled() && OnTimer) OnTimer();
}

}  // namespace mivox
