// Operating-system facts and the calling thread's error state.
#pragma once

#include <cstdint>
#include <string>

namespace mivox {

class SystemInfo {
public:
    virtual ~SystemInfo() = default;
    // GetVersionEx with the 148-byte record: the platform identifier.
    virtual uint32_t PlatformId() const = 0;
    // GetLastError of the calling thread.
    virtual uint32_t LastError() const = 0;
    // FormatMessage from the system table, default language, at most 254
    // characters, no inserts; empty when the system has no text for the code.
    virtual std::string ErrorMessageText(uint32_t code) const = 0;
    // GetWindowsDirectory, without trailing backslash.
    virtual std::string WindowsDirectory() const = 0;
    // GetModuleFileName of the running program.
    virtual std::string ModuleFileName() const = 0;
    // GetUserName of the logged-on user.
    virtual std::string UserName() const = 0;
};

}  // namespace mivox
