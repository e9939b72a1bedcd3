// Waiting on the user-interface thread for something the message loop
// brings (a reply, a lookup's result, a deadline): asleep between messages,
// never spinning, and handling every message meanwhile so that the windows
// stay alive.
#pragma once

#include <cstdint>
#include <functional>

#include "platform/Clock.h"
#include "platform/MessageLoop.h"

namespace mivox {

// Handles messages until done() holds or limitMs have passed since the call
// (MessageLoop::kInfinite: no limit), sleeping until the next message or the
// end of the limit; returns done(). done is asked before each sleep and after
// it; without one the call is a pause of limitMs that keeps handling messages.
// The limit is measured as elapsed ticks, so the tick count wrapping round
// cannot end it early.
bool WaitUntil(MessageLoop& loop, const Clock& clock, uint32_t limitMs,
               const std::function<bool()>& done = {});

}  // namespace mivox
