// The real system with message boxes of the caller's own, for tests and
// helpers that must not leave a box waiting on screen.
#pragma once

#include "win32/Win32Platform.h"

namespace mivox::win32 {

inline Platform PlatformWithBoxes(Win32Platform& real, MessageBoxes& boxes) {
    return Platform{real.files,     real.clock,     real.system,        real.locale,  real.versions,
                    real.memory,    boxes,          real.registry,      real.shell,   real.security,
                    real.loop,      real.processes, real.commonDialogs, real.desktop, real.network,
                    real.libraries, real.zone,      real.timers,        real.fax};
}

}  // namespace mivox::win32
