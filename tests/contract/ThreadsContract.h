// What the timer and the fax sender rely on from the program's threads,
// checked on whichever implementation the build links: the standard
// library's natively, the system's own under Wine. A test file includes this
// header once.
#pragma once

#include <gtest/gtest.h>

#include <mutex>
#include <vector>

#include "platform/Threads.h"

namespace mivox::contract {
namespace {

TEST(ThreadsContract, ThreadsRunTheirBodiesAndEndBeforeJoinReturns) {
    Mutex mutex;
    int total = 0;
    {
        std::vector<Thread> threads;
        for (int t = 0; t < 4; ++t) {
            threads.emplace_back([&] {
                for (int i = 0; i < 10000; ++i) {
                    std::lock_guard lock(mutex);
                    ++total;
                }
            });
        }
        threads[0].Join();
        EXPECT_FALSE(threads[0].Joinable());
        threads[1] = Thread([&] {  // the thread it held is joined first
            std::lock_guard lock(mutex);
            total += 5;
        });
    }  // the rest join as they go
    EXPECT_EQ(total, 40005);
}

TEST(ThreadsContract, AMovedThreadIsJoinedOnceByItsNewOwner) {
    WakeSignal release;
    bool ended = false;
    Thread first([&] {
        release.Wait(WakeSignal::kForever);
        ended = true;
    });
    Thread second(std::move(first));
    EXPECT_FALSE(first.Joinable());
    EXPECT_TRUE(second.Joinable());
    first.Join();  // nothing to wait for: the thread went with the move
    EXPECT_FALSE(ended);
    release.Set();
    second.Join();
    EXPECT_TRUE(ended);
    EXPECT_FALSE(second.Joinable());
}

TEST(ThreadsContract, AWakeUpSetBeforeTheWaitIsKeptForItOnce) {
    WakeSignal wake;
    wake.Set();
    wake.Set();  // not counted twice
    const int64_t start = SteadyMicroseconds();
    wake.Wait(20000);
    const int64_t woken = SteadyMicroseconds();
    EXPECT_LT(woken - start, 10000000) << "the wait did not see the earlier wake-up";
    wake.Wait(50);  // consumed: this one runs its time
    const int64_t timedOut = SteadyMicroseconds();
    EXPECT_GE(timedOut - woken, 40000);

    Thread setter([&] { wake.Set(); });
    wake.Wait(WakeSignal::kForever);  // returns, whichever comes first
    setter.Join();
}

TEST(ThreadsContract, TheCounterNeverGoesBack) {
    int64_t last = SteadyMicroseconds();
    for (int i = 0; i < 100000; ++i) {
        const int64_t now = SteadyMicroseconds();
        ASSERT_GE(now, last);
        last = now;
    }
}

}  // namespace
}  // namespace mivox::contract
