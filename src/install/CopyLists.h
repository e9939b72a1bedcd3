// The medium's directories that an installation copies and where each goes:
// APP\ into the product folder, then WinNT\ or Win9X\ into the Windows
// folder, each tree breadth first, with the bytes of each directory's files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/Platform.h"

namespace mivox {

struct CopyLists {
    // At most this many source directories.
    static constexpr size_t kMaxDirs = 1001;

    std::vector<std::string> sources;
    std::vector<std::string> dests;
    std::vector<int64_t> bytes;

    // Scans the medium at sourceRoot for installDir and windowsDir (both
    // given with or without their final backslash, windowsDir with it).
    // More than kMaxDirs directories are refused with a warning: the lists
    // are left empty and the result is false.
    bool Build(Platform& platform, const std::string& sourceRoot, const std::string& installDir,
               const std::string& windowsDir);

private:
    // Appends the subdirectories of every entry from scanned on, level by
    // level; false when the lists would pass kMaxDirs.
    bool AddSubdirs(Platform& platform, size_t& scanned);
};

}  // namespace mivox
