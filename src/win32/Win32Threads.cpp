// The threads of platform/Threads.h on the calls every Windows version has.
#include "platform/Failure.h"
#include "platform/Threads.h"
#include "win32/Handles.h"

namespace mivox {

struct Thread::Impl {
    std::function<void()> body;
    win32::UniqueHandle thread;

    ~Impl() {
        if (thread) WaitForSingleObject(thread.get(), INFINITE);
    }
    static DWORD WINAPI Run(void* self) {
        try {
            static_cast<Impl*>(self)->body();
        } catch (...) {
        }
        return 0;
    }
};

Thread::Thread() = default;

Thread::Thread(std::function<void()> body) : impl_(std::make_unique<Impl>()) {
    impl_->body = std::move(body);
    DWORD id = 0;
    impl_->thread.reset(CreateThread(nullptr, 0, &Impl::Run, impl_.get(), 0, &id));
    if (!impl_->thread) {
        impl_.reset();
        throw Failure("A thread cannot be started");
    }
}

// Ending the thread is part of letting its Impl go (see ~Impl).
Thread::~Thread() = default;
Thread::Thread(Thread&& other) noexcept = default;
Thread& Thread::operator=(Thread&& other) noexcept = default;
void Thread::Join() {
    impl_.reset();
}

struct Mutex::Impl {
    CRITICAL_SECTION section;
};

Mutex::Mutex() : impl_(std::make_unique<Impl>()) {
    InitializeCriticalSection(&impl_->section);
}
Mutex::~Mutex() {
    DeleteCriticalSection(&impl_->section);
}
void Mutex::lock() {
    EnterCriticalSection(&impl_->section);
}
void Mutex::unlock() {
    LeaveCriticalSection(&impl_->section);
}

struct WakeSignal::Impl {
    win32::UniqueHandle event;
};

WakeSignal::WakeSignal() : impl_(std::make_unique<Impl>()) {
    // Auto-reset: a wait that returns consumes the signal.
    impl_->event.reset(CreateEventA(nullptr, FALSE, FALSE, nullptr));
    if (!impl_->event) throw Failure("A thread's wake-up event cannot be made");
}
WakeSignal::~WakeSignal() = default;
void WakeSignal::Set() {
    SetEvent(impl_->event.get());
}
void WakeSignal::Wait(uint32_t milliseconds) {
    WaitForSingleObject(impl_->event.get(), milliseconds == kForever ? INFINITE : milliseconds);
}

int64_t SteadyMicroseconds() {
    static const int64_t frequency = [] {
        LARGE_INTEGER f;
        return QueryPerformanceFrequency(&f) && f.QuadPart > 0 ? f.QuadPart : 0;
    }();
    if (frequency == 0) return int64_t{GetTickCount()} * 1000;
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    // In two parts, so that the product does not overflow after a long uptime.
    return now.QuadPart / frequency * 1000000 + now.QuadPart % frequency * 1000000 / frequency;
}

}  // namespace mivox
