// The thread-driven timer with a real worker thread: ticks run on the
// thread that pumps the messages, one at a time, never while disabled and
// never after the timer is gone.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <deque>
#include <mutex>
#include <thread>

#include "components/timer/AsyncTimer.h"

namespace mivox {
namespace {

using namespace std::chrono_literals;

// Posted messages held until the test thread pumps them, as a thread's
// message queue would; a window destroyed before then drops its own.
class ThreadedWindows : public Network {
public:
    std::unique_ptr<Socket> CreateSocket() override { return nullptr; }
    std::string LocalHostName() const override { return "test"; }
    std::unique_ptr<MessageWindow> CreateMessageWindow(MessageWindow::Handler handler) override {
        return std::make_unique<Window>(*this, std::move(handler));
    }

    // Runs what has been posted, on the calling thread, for about period.
    void Pump(std::chrono::milliseconds period) {
        const auto end = std::chrono::steady_clock::now() + period;
        while (std::chrono::steady_clock::now() < end) {
            std::function<void()> next;
            {
                std::lock_guard lock(mutex_);
                if (!posted_.empty()) {
                    next = std::move(posted_.front());
                    posted_.pop_front();
                }
            }
            if (next)
                next();
            else
                std::this_thread::sleep_for(1ms);
        }
    }
    size_t Waiting() {
        std::lock_guard lock(mutex_);
        return posted_.size();
    }

private:
    class Window : public MessageWindow {
    public:
        Window(ThreadedWindows& owner, Handler handler)
            : owner_(owner), handler_(std::move(handler)) {}
        ~Window() override { *alive_ = false; }
        void Post(uint32_t message, intptr_t lParam) override {
            std::lock_guard lock(owner_.mutex_);
            owner_.posted_.push_back([alive = alive_, this, message, lParam] {
                if (*alive) handler_(message, lParam);
            });
        }

    private:
        ThreadedWindows& owner_;
        Handler handler_;
        std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
    };

    std::mutex mutex_;
    std::deque<std::function<void()>> posted_;
};

TEST(AsyncTimer, TicksRunOneAtATimeOnThePumpingThread) {
    ThreadedWindows windows;
    TAsyncTimer timer(windows);
    int ticks = 0;
    bool overlapped = false, elsewhere = false;
    const auto self = std::this_thread::get_id();
    timer.OnTimer = [&] {
        ++ticks;
        elsewhere |= std::this_thread::get_id() != self;
        std::this_thread::sleep_for(30ms);  // longer than the interval
        overlapped |= windows.Waiting() != 0;
    };
    timer.SetInterval(10);
    windows.Pump(100ms);
    EXPECT_EQ(ticks, 0) << "ticks before it is enabled";
    timer.SetEnabled(true);
    windows.Pump(400ms);
    EXPECT_GE(ticks, 3);
    EXPECT_FALSE(elsewhere);
    EXPECT_FALSE(overlapped) << "the worker posted while a tick was running";
}

TEST(AsyncTimer, DisablingStopsTheTicksAndEnablingResumesThem) {
    ThreadedWindows windows;
    TAsyncTimer timer(windows);
    std::atomic<int> ticks = 0;
    timer.OnTimer = [&] { ++ticks; };
    timer.SetInterval(5);
    timer.SetEnabled(true);
    windows.Pump(100ms);
    ASSERT_GT(ticks, 0);
    timer.SetEnabled(false);
    EXPECT_FALSE(timer.Enabled());
    windows.Pump(20ms);  // a tick already posted is dropped, not run
    const int stopped = ticks;
    windows.Pump(100ms);
    EXPECT_EQ(ticks, stopped);
    timer.SetEnabled(true);
    windows.Pump(100ms);
    EXPECT_GT(ticks, stopped);
}

TEST(AsyncTimer, DestroyedWhileATickWaitsEndsTheWorkerAndRunsNothing) {
    ThreadedWindows windows;
    int ticks = 0;
    {
        TAsyncTimer timer(windows);
        timer.OnTimer = [&] { ++ticks; };
        timer.SetInterval(1);
        timer.SetEnabled(true);
        while (windows.Waiting() == 0) std::this_thread::sleep_for(1ms);
        // The worker now waits for a tick nobody runs: the destructor must
        // still end it.
    }
    windows.Pump(20ms);
    EXPECT_EQ(ticks, 0);
}

}  // namespace
}  // namespace mivox
