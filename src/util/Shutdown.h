// Restarting Windows, with the privilege that Windows NT asks for.
#pragma once

#include <cstdint>
#include <string>

#include "platform/Platform.h"

namespace mivox {

// Enables or disables a privilege of the process's token. True when the
// adjustment call succeeded, which does not mean the token held it.
bool SetPrivilege(Platform& platform, const std::string& privilege, bool enable);

// ExitWindowsEx with these flags, holding the shutdown privilege meanwhile
// on NT. True when Windows accepted the request.
bool ShutdownWindows(Platform& platform, uint32_t flags);

}  // namespace mivox
