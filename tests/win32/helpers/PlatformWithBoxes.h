// The real system with message boxes of the caller's own, for tests and
// helpers that must not leave a box waiting on screen.
#pragma once

#include "platform/win32/Win32Platform.h"

namespace mivox::win32 {

template <typename Real = Win32Platform>
Platform PlatformWithBoxes(Real& real, MessageBoxes& boxes) {
    if constexpr (requires {
                      real.processes;
                      real.commonDialogs;
                  }) {
        return Platform{real.files,  real.clock,     real.system,       real.locale, real.versions,
                        real.memory, boxes,          real.registry,     real.shell,  real.security,
                        real.loop,   real.processes, real.commonDialogs};
    } else {
        return Platform{real.files,    real.clock,    real.system, real.locale,
                        real.versions, real.memory,   boxes,       real.registry,
                        real.shell,    real.security, real.loop};
    }
}

}  // namespace mivox::win32
