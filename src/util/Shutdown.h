// Restarting Windows, with the privilege that Windows NT asks for.
#pragma once

#include <cstdint>
#include <string>

#include "platform/Machine.h"

namespace mivox {

// Enables or disables a privilege of the process's token. True when the
// adjustment call succeeded, which does not mean the token held it.
bool SetPrivilege(Security& security, const std::string& privilege, bool enable);

// ExitWindowsEx with these flags, holding the shutdown privilege meanwhile
// on NT. True when Windows accepted the request.
bool ShutdownWindows(const Machine& machine, uint32_t flags);

}  // namespace mivox
