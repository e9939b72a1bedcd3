// The shell and the session: shell links and exiting Windows.
#pragma once

#include <cstdint>
#include <string>

namespace mivox {

// ExitWindowsEx flags, with the system's values.
enum ExitWindowsFlags : uint32_t {
    kEwxLogoff = 0x0,
    kEwxShutdown = 0x1,
    kEwxReboot = 0x2,
    kEwxForce = 0x4,
};

class Shell {
public:
    virtual ~Shell() = default;
    // Creates the shell's link object (IShellLinkA), sets its arguments, path
    // and working directory in that order, and saves it to linkFile through
    // IPersistFile (wide path, remember false). False when any step failed.
    virtual bool SaveShellLink(const std::string& linkFile, const std::string& path,
                               const std::string& arguments,
                               const std::string& workingDirectory) = 0;
    // ExitWindowsEx(flags, 0): true when Windows accepted the request.
    virtual bool ExitSession(uint32_t flags) = 0;
};

}  // namespace mivox
