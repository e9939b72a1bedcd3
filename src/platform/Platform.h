// The seams the installer's logic talks to the operating system through,
// gathered so that a dialog or an operation receives them in one argument.
#pragma once

#include "platform/Clock.h"
#include "platform/CommonDialogs.h"
#include "platform/Desktop.h"
#include "platform/FileSystem.h"
#include "platform/Locale.h"
#include "platform/MessageBoxes.h"
#include "platform/MessageLoop.h"
#include "platform/Processes.h"
#include "platform/Registry.h"
#include "platform/Security.h"
#include "platform/Shell.h"
#include "platform/SystemInfo.h"
#include "platform/VersionResources.h"

namespace mivox {

struct Platform {
    FileSystem& files;
    Clock& clock;
    SystemInfo& system;
    Locale& locale;
    VersionResources& versions;
    VirtualMemory& memory;
    MessageBoxes& boxes;
    Registry& registry;
    Shell& shell;
    Security& security;
    MessageLoop& loop;
    Processes& processes;
    CommonDialogs& commonDialogs;
    // The user's own programs and the registration's choice controls; the
    // real and the test platforms set it, helpers that need neither may not.
    Desktop* desktop = nullptr;
};

}  // namespace mivox
