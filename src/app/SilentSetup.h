// Setup.exe /S: the installation without a window, each question answered as
// in a deployment, with the outcome in the exit code and the details in the
// progress log.
#pragma once

#include "app/CommandLine.h"
#include "platform/Platform.h"

namespace mivox {

enum SetupExitCode : int {
    kExitDone = 0,
    // A check refused the installation (or its answer file); nothing changed.
    kExitRefused = 1,
    // A step failed, or the installation is not complete.
    kExitFailed = 2,
    // ERROR_INVALID_PARAMETER: the command line is malformed.
    kExitBadArguments = 87,
    // ERROR_SUCCESS_REBOOT_REQUIRED: done, files in use wait for a restart.
    kExitRestartNeeded = 3010,
};

// Runs the whole installation with options.silent set, without a window.
// Returns the exit code.
int RunSilentSetup(Platform& platform, const SetupOptions& options);

}  // namespace mivox
