// The installer's two standard boxes for reporting a refused check or a
// failed system call.
#pragma once

#include <string>

#include "platform/MessageBoxes.h"
#include "platform/SystemInfo.h"

namespace mivox {

// Exclamation box with one OK button and no owner window, so that it stands
// in front of every dialog of the installer.
void ShowWarning(MessageBoxes& boxes, const std::string& caption, const std::string& text);

// The calling thread's last error in the system's own words, captioned
// "WinAPI Error Code=<code>".
void ShowLastApiError(MessageBoxes& boxes, const SystemInfo& system);

}  // namespace mivox
