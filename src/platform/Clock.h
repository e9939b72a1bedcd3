// The local clock and the system tick count.
#pragma once

#include <cstdint>

#include "platform/SystemTypes.h"

namespace mivox {

class Clock {
public:
    virtual ~Clock() = default;
    // GetLocalTime
    virtual SystemTime LocalTime() const = 0;
    // GetTickCount: milliseconds since start, wrapping at 2^32.
    virtual uint32_t TickCount() const = 0;
};

}  // namespace mivox
