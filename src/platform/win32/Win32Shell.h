// The real Shell seam.
#pragma once

#include "platform/Shell.h"

namespace mivox::win32 {

class Win32Shell : public Shell {
public:
};

}  // namespace mivox::win32
