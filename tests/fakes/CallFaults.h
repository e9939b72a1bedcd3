// Fails the N-th call, counted over every double that shares it: a test
// gives a whole run each fault in turn.
#pragma once

#include <cstdint>

namespace mivox::testing {

struct CallFaults {
    // 0: no call fails.
    long failAt = 0;
    uint32_t error = 5;  // access denied
    long calls = 0;
    // Counts a call; true when it is the one to fail.
    bool Next() { return ++calls == failAt; }
};

}  // namespace mivox::testing
