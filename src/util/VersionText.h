// The file version of an executable as the installer shows it.
#pragma once

#include <string>

#include "platform/Platform.h"

namespace mivox {

// "4.10.0.10" from the fixed file information of the version resource;
// "NoData" when the file has no readable version resource, "?" when the file
// does not exist.
std::string FileVersionText(Platform& platform, const std::string& path);

}  // namespace mivox
