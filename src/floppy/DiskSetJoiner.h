// Puts a floppy disk set back together: reads the part of each disk in turn
// from drive A:, checks its size, and checks the joined archive against the
// byte count and CRC-32 of Install.Ini.
#pragma once

#include <string>

#include "floppy/InstallIni.h"
#include "platform/FileSystem.h"

namespace mivox {

// What the joining program asks of its user.
class JoinPrompts {
public:
    virtual ~JoinPrompts() = default;
    // Asks for disk n of count, saying what was wrong with the disk in the
    // drive when problem is not empty; false when the user gives up.
    virtual bool InsertDisk(int disk, int count, const std::string& problem) = 0;
};

struct JoinResult {
    enum Status { kJoined, kCancelled, kCorrupt, kWriteFailed };
    Status status = kCancelled;
    std::string path;  // the joined archive
};

// Joins the set described by ini from drive (as "A:\") into folder. A
// cancelled or failed join leaves no partial archive behind.
JoinResult JoinDiskSet(FileSystem& files, JoinPrompts& prompts, const InstallIni& ini,
                       const std::string& folder, const std::string& drive = "A:\\");

}  // namespace mivox
