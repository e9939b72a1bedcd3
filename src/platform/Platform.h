// The seams the installer's logic talks to the operating system through,
// gathered so that a dialog or an operation receives them in one argument.
#pragma once

#include "platform/Clock.h"
#include "platform/CommonDialogs.h"
#include "platform/Desktop.h"
#include "platform/FileSystem.h"
#include "platform/Libraries.h"
#include "platform/Locale.h"
#include "platform/MessageBoxes.h"
#include "platform/MessageLoop.h"
#include "platform/Processes.h"
#include "platform/Registry.h"
#include "platform/Security.h"
#include "platform/SerialPort.h"
#include "platform/Shell.h"
#include "platform/Socket.h"
#include "platform/SystemInfo.h"
#include "platform/Timers.h"
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
    // What the e-mail sender needs beyond the rest: sockets and posted
    // messages, the dial-up library, the zone of the Date header, a timer.
    Network* network = nullptr;
    Libraries* libraries = nullptr;
    TimeZone* zone = nullptr;
    Timers* timers = nullptr;
    // The fax sender's modem, port and drawing of text.
    FaxDevices* fax = nullptr;
};

}  // namespace mivox
