// The threads of platform/Threads.h on the standard library, for the builds
// that are not for Windows.
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "platform/Threads.h"

namespace mivox {

struct Thread::Impl {
    std::thread thread;
    ~Impl() {
        if (thread.joinable()) thread.join();
    }
};

Thread::Thread() = default;

Thread::Thread(std::function<void()> body) : impl_(std::make_unique<Impl>()) {
    impl_->thread = std::thread([body = std::move(body)] {
        try {
            body();
        } catch (...) {
        }
    });
}

// Ending the thread is part of letting its Impl go (see ~Impl).
Thread::~Thread() = default;
Thread::Thread(Thread&& other) noexcept = default;
Thread& Thread::operator=(Thread&& other) noexcept = default;
void Thread::Join() {
    impl_.reset();
}

struct Mutex::Impl {
    std::mutex mutex;
};

Mutex::Mutex() : impl_(std::make_unique<Impl>()) {}
Mutex::~Mutex() = default;
void Mutex::lock() {
    impl_->mutex.lock();
}
void Mutex::unlock() {
    impl_->mutex.unlock();
}

struct WakeSignal::Impl {
    std::mutex mutex;
    std::condition_variable changed;
    bool set = false;
};

WakeSignal::WakeSignal() : impl_(std::make_unique<Impl>()) {}
WakeSignal::~WakeSignal() = default;

void WakeSignal::Set() {
    {
        std::lock_guard lock(impl_->mutex);
        impl_->set = true;
    }
    impl_->changed.notify_one();
}

void WakeSignal::Wait(uint32_t milliseconds) {
    std::unique_lock lock(impl_->mutex);
    const auto isSet = [this] { return impl_->set; };
    if (milliseconds == kForever)
        impl_->changed.wait(lock, isSet);
    else
        impl_->changed.wait_for(lock, std::chrono::milliseconds(milliseconds), isSet);
    impl_->set = false;
}

int64_t SteadyMicroseconds() {
    return std::chrono::duration_cast<std::chrono::microseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

}  // namespace mivox
