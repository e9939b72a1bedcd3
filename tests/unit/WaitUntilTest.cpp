// The one wait of the user-interface thread on virtual time: it ends when
// the condition holds or the limit has passed, asleep in between.
#include <gtest/gtest.h>

#include "fakes/FakePlatform.h"
#include "util/WaitUntil.h"

namespace mivox {
namespace {

using testing::FakePlatform;

struct WaitRig {
    explicit WaitRig(uint32_t startTicks) : start(startTicks) {
        fake.clock.ticks = startTicks;
        fake.RunOnVirtualTime();
    }
    uint32_t Elapsed() const { return fake.clock.ticks - start; }
    const uint32_t start;
    FakePlatform fake;
};

TEST(WaitUntil, EndsWhenTheConditionHoldsOrTheLimitHasPassedAsleep) {
    struct Case {
        const char* name;
        uint32_t startTicks;
        uint32_t limitMs;
        int arrivesAfterMs;  // -1: never; 0: holds already
        bool result;
        uint32_t elapsed;
    };
    const Case cases[] = {
        {"arrives before the limit", 5000, 1000, 300, true, 300},
        {"never arrives", 5000, 1000, -1, false, 1000},
        {"arrives too late", 5000, 1000, 1500, false, 1000},
        {"holds already", 5000, 1000, 0, true, 0},
        {"the tick count wraps meanwhile", 0xFFFFFF00u, 1000, -1, false, 1000},
        {"no limit", 5000, MessageLoop::kInfinite, 90000, true, 90000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WaitRig rig(c.startTicks);
        bool arrived = c.arrivesAfterMs == 0;
        if (c.arrivesAfterMs > 0)
            rig.fake.network.queue.Post(c.arrivesAfterMs, [&arrived] { arrived = true; });
        EXPECT_EQ(WaitUntil(rig.fake.loop, rig.fake.clock, c.limitMs, [&] { return arrived; }),
                  c.result);
        EXPECT_EQ(rig.Elapsed(), c.elapsed);
        if (c.limitMs != MessageLoop::kInfinite) {
            EXPECT_LE(rig.fake.loop.waits, 3) << "slept until something arrived";
            EXPECT_EQ(rig.fake.loop.pumps, 0);
        }
    }
}

TEST(WaitUntil, WithoutAConditionPausesTheWholeLimitHandlingMessages) {
    WaitRig rig(0);
    int handled = 0;
    for (uint32_t at : {100u, 900u, 2100u})
        rig.fake.network.queue.Post(at, [&handled] { ++handled; });
    EXPECT_FALSE(WaitUntil(rig.fake.loop, rig.fake.clock, 2000));
    EXPECT_EQ(rig.Elapsed(), 2000u);
    EXPECT_EQ(handled, 2) << "what fell due in the pause was handled, nothing later";
}

}  // namespace
}  // namespace mivox
