// The real Security seam.
#pragma once

#include "platform/Security.h"

namespace mivox::win32 {

class Win32Security : public Security {
public:
};

}  // namespace mivox::win32
