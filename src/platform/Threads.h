// The program's own threads, locks and wake-ups, and a counter that only
// goes forward. Windows builds make them of CreateThread, critical sections,
// events and the performance counter, which every Windows version has; the
// standard library's threads would bring a threading runtime that needs
// Windows Vista. Other builds use the standard library.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

namespace mivox {

// A thread running body. Join waits for it to end; the destructor joins a
// thread not joined yet. body must not throw: an exception that leaves it
// ends the thread and is lost.
class Thread {
public:
    Thread();
    // Throws a Failure when the system cannot start a thread.
    explicit Thread(std::function<void()> body);
    ~Thread();
    Thread(Thread&& other) noexcept;
    Thread& operator=(Thread&& other) noexcept;  // joins the thread it held

    bool Joinable() const { return impl_ != nullptr; }
    void Join();

    struct Impl;

private:
    std::unique_ptr<Impl> impl_;
};

// A lock for std::lock_guard; not recursive.
class Mutex {
public:
    Mutex();
    ~Mutex();
    Mutex(const Mutex&) = delete;
    Mutex& operator=(const Mutex&) = delete;
    void lock();
    void unlock();

    struct Impl;

private:
    std::unique_ptr<Impl> impl_;
};

// Wakes one waiting thread: a Set while no thread waits wakes the next Wait.
class WakeSignal {
public:
    static constexpr uint32_t kForever = 0xFFFFFFFF;
    WakeSignal();
    ~WakeSignal();
    WakeSignal(const WakeSignal&) = delete;
    WakeSignal& operator=(const WakeSignal&) = delete;
    void Set();
    // Returns once set, or after milliseconds.
    void Wait(uint32_t milliseconds);

    struct Impl;

private:
    std::unique_ptr<Impl> impl_;
};

// Microseconds from an arbitrary start, never going back.
int64_t SteadyMicroseconds();

}  // namespace mivox
