// The real Shell seam.
#pragma once

#include "platform/Shell.h"

namespace mivox::win32 {

class Win32Shell : public Shell {
public:
    bool SaveShellLink(const std::string& linkFile, const std::string& path,
                       const std::string& arguments, const std::string& workingDirectory) override;
    bool ExitSession(uint32_t flags) override;
};

}  // namespace mivox::win32
