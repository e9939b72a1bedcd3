// The medium's directories that an installation copies and where each goes:
// APP\ into the product folder, then WinNT\ or Win9X\ into the Windows
// folder, each tree breadth first, with the bytes of each directory's files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/SystemInfo.h"
#include "util/Outcome.h"
#include "util/WinVersion.h"

namespace mivox {

struct CopyLists {
    // At most this many source directories.
    static constexpr size_t kMaxDirs = 1001;

    std::vector<std::string> sources;
    std::vector<std::string> dests;
    std::vector<int64_t> bytes;

    // Scans the medium at sourceRoot for installDir and windowsDir (both
    // given with or without their final backslash, windowsDir with it).
    // More than kMaxDirs directories are refused: the lists are left empty
    // and the result is false; TooManyDirectories says why.
    bool Build(FileSystem& files, const SystemInfo& system, const std::string& sourceRoot,
               const std::string& installDir, const std::string& windowsDir);
    // The refusal of a medium whose files lie in more than kMaxDirs directories.
    static Outcome TooManyDirectories(const std::string& sourceRoot);

private:
    // Appends the subdirectories of every entry from scanned on, level by
    // level; false when the lists would pass kMaxDirs.
    bool AddSubdirs(FileSystem& files, size_t& scanned);
};

}  // namespace mivox
