// Plain data shared by the seams and the logic: the shapes of the few Win32
// records the installer reads, without <windows.h>.
#pragma once

#include <cstdint>

namespace mivox {

// The local time as the system's time record numbers it: month 1 is January,
// day of week 0 is Sunday.
struct SystemTime {
    uint16_t year = 0;
    uint16_t month = 0;
    uint16_t dayOfWeek = 0;
    uint16_t day = 0;
    uint16_t hour = 0;
    uint16_t minute = 0;
    uint16_t second = 0;
    uint16_t milliseconds = 0;
};

// Platform identifiers of the operating-system version record.
constexpr uint32_t kPlatformWin32Windows = 1;  // Windows 95/98
constexpr uint32_t kPlatformWin32NT = 2;

}  // namespace mivox
