// The product's records in the registry.
#pragma once

#include <string>

#include "platform/Platform.h"

namespace mivox {

// The product's key under HKEY_LOCAL_MACHINE.
inline constexpr const char kProductKey[] = "SOFTWARE\\Vexlor\\Mivox";

// "ProgramDir" and "ProgramVersion" of an earlier installation. The key is
// opened with full access and created when missing; a key that cannot be
// opened, or a missing value, gives the empty text.
std::string ReadProgramDir(Platform& platform);
std::string ReadProgramVersion(Platform& platform);

}  // namespace mivox
