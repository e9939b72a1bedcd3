#include "util/WaitUntil.h"

namespace mivox {

bool WaitUntil(MessageLoop& loop, const Clock& clock, uint32_t limitMs,
               const std::function<bool()>& done) {
    const auto holds = [&done] { return done && done(); };
    const uint32_t start = clock.TickCount();
    while (!holds()) {
        if (limitMs == MessageLoop::kInfinite) {
            loop.WaitForMessages(MessageLoop::kInfinite);
            continue;
        }
        const uint32_t waited = clock.TickCount() - start;
        if (waited >= limitMs) return false;
        loop.WaitForMessages(limitMs - waited);
    }
    return true;
}

}  // namespace mivox
