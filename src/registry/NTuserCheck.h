// Whether the installer runs as an administrator of Windows NT.
#pragma once

#include "platform/Platform.h"

namespace mivox {

// The token's group list is read into a buffer of this size.
inline constexpr uint32_t kTokenGroupBufferBytes = 8192;

// True when the local Administrators alias is among the groups of the
// thread's token (the process's when the thread is not impersonating),
// whatever the group's attributes. Every failure gives false; a group list
// larger than the buffer is also shown in a box.
bool IsAdministrator(Platform& platform);

}  // namespace mivox
