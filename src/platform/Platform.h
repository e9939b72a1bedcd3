// The seams the installer's logic talks to the operating system through:
// every one of them for the dialogs that the program's forms table makes,
// and the part an installation reads and changes the machine through.
#pragma once

#include "platform/Clock.h"
#include "platform/CommonDialogs.h"
#include "platform/Desktop.h"
#include "platform/FileSystem.h"
#include "platform/Libraries.h"
#include "platform/Locale.h"
#include "platform/Machine.h"
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
    // The user's own programs and the registration's choice controls.
    Desktop& desktop;
    // What the e-mail sender needs beyond the rest: sockets and posted
    // messages, the dial-up library, the zone of the Date header, a timer.
    Network& network;
    Libraries& libraries;
    TimeZone& zone;
    Timers& timers;
    // The fax sender's modem, port and drawing of text.
    FaxDevices& fax;

    Machine machine() const { return {files, registry, shell, security, system, clock}; }
};

}  // namespace mivox
