// The real MessageLoop seam.
#pragma once

#include "platform/MessageLoop.h"

namespace mivox::win32 {

class Win32MessageLoop : public MessageLoop {
public:
};

}  // namespace mivox::win32
