// Files and directories, shaped after the kernel32 calls the installer makes.
#pragma once

#include <cstdint>
#include <string>

namespace mivox {

// A file's age as the file system's packed local date and time (DOS format:
// date in the high 16 bits, time in the low 16 bits); -1 for a missing file.
using PackedDateTime = int32_t;
constexpr PackedDateTime kNoFileAge = -1;

class FileSystem {
public:
    virtual ~FileSystem() = default;
    // True when a file (not a directory) exists at path.
    virtual bool FileExists(const std::string& path) const = 0;
    // True when a directory exists at path.
    virtual bool DirectoryExists(const std::string& path) const = 0;
    // Last-write time of the file, converted to local time and packed; -1
    // when the file does not exist.
    virtual PackedDateTime FileAge(const std::string& path) const = 0;
};

}  // namespace mivox
