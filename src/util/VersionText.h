// The file version of an executable as the installer shows it.
#pragma once

#include <string>

#include "platform/Machine.h"
#include "platform/VersionResources.h"
#include "util/Outcome.h"

namespace mivox {

// "4.10.0.10" from the fixed file information of the version resource;
// "NoData" when the file has no readable version resource, "?" when the file
// does not exist. Memory for the resource that cannot be had or given back
// is told as a failure, with the system's error.
std::string FileVersionText(const Machine& machine, VersionResources& versions,
                            VirtualMemory& memory, Conversation& talk, const std::string& path);

}  // namespace mivox
