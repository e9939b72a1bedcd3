// Which family of Windows the installer runs on.
#pragma once

#include "platform/SystemInfo.h"
#include "platform/SystemTypes.h"

namespace mivox {

// True on the Windows NT family; every other platform is taken as 95/98.
inline bool IsWinNT(const SystemInfo& system) {
    return system.PlatformId() == kPlatformWin32NT;
}

}  // namespace mivox
