// The seams an installation reads and changes the machine through.
#pragma once

#include "platform/Clock.h"
#include "platform/FileSystem.h"
#include "platform/Registry.h"
#include "platform/Security.h"
#include "platform/Shell.h"
#include "platform/SystemInfo.h"

namespace mivox {

// What an installation reads and changes the machine through. An unattended
// run hands it wrappers of the first three that note what it makes.
struct Machine {
    FileSystem& files;
    Registry& registry;
    Shell& shell;
    Security& security;
    SystemInfo& system;
    Clock& clock;
};

}  // namespace mivox
