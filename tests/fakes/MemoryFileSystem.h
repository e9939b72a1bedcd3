// An in-memory file system with Windows path rules (case-insensitive, "\" and
// "/" alike) for testing the logic that reads and writes files.
#pragma once

#include <map>
#include <string>

#include "platform/FileSystem.h"

namespace mivox::testing {

class MemoryFileSystem : public FileSystem {
public:
    struct Entry {
        bool directory = false;
        std::string contents;
        PackedDateTime age = 0;
    };

    // Adds a file, and its parent directories.
    void AddFile(const std::string& path, const std::string& contents = {},
                 PackedDateTime age = PackDateTime(2001, 1, 5, 15, 4, 6));
    void AddDirectory(const std::string& path);
    const Entry* Find(const std::string& path) const;

    bool FileExists(const std::string& path) const override;
    bool DirectoryExists(const std::string& path) const override;
    PackedDateTime FileAge(const std::string& path) const override;

    static PackedDateTime PackDateTime(int year, int month, int day, int hour, int minute,
                                       int second);
    static std::string Key(const std::string& path);

private:
    std::map<std::string, Entry> entries_;
};

}  // namespace mivox::testing
