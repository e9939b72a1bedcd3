// Puts a floppy disk set back together: reads Install.Ini from disk 1, reads
// the part of each disk in turn from drive A:, checks its size, and checks the
// joined archive against the byte count and CRC-32 of Install.Ini before it
// takes the archive's name.
//
// It ships in Install.Exe, which must fit beside a full part on disk 1, so it
// does without the C++ library: no heap, no exceptions, fixed buffers.
#pragma once

#include <stddef.h>
#include <stdint.h>

namespace mivox {

constexpr size_t kJoinPathSize = 520;

// The values of Install.Ini's [Data] section that the joiner relies on.
struct DiskSetSpec {
    char fileExeName[kJoinPathSize] = {};
    int64_t fileByteCnt = 0;
    int32_t filePartCnt = 0;
    uint32_t fileCodeCrc = 0;
};

// Reads and checks Install.Ini: the archive's name is a bare file name, the
// counts are decimal digits only and agree with each other and the part
// size, the CRC is eight hexadecimal digits. Nothing (a null pointer) when
// the text is sound, otherwise what is wrong with it.
const char* ReadDiskSetSpec(const char* text, size_t size, DiskSetSpec& spec);

// What the joiner needs of the system and of its user.
class JoinSystem {
public:
    // Asks for disk n of count, saying what was wrong with the disk in the
    // drive when problem is not empty; false when the user gives up.
    virtual bool InsertDisk(int disk, int count, const char* problem) = 0;
    // Reads a whole file into buffer when it holds at most capacity bytes;
    // size is the file's size. False when it cannot be opened or read.
    virtual bool ReadFile(const char* path, char* buffer, size_t capacity, int64_t& size) = 0;
    // Creates a new, empty file of a name of its own in folder for the joined
    // bytes, and keeps it open for writing; path receives its name.
    virtual bool CreateTempFile(const char* folder, char (&path)[kJoinPathSize]) = 0;
    virtual bool Write(const char* data, size_t size) = 0;
    virtual bool CloseTempFile() = 0;
    // Renames from over to, replacing an existing file of that name.
    virtual bool Replace(const char* from, const char* to) = 0;
    virtual void Delete(const char* path) = 0;

protected:
    ~JoinSystem() = default;
};

struct JoinResult {
    enum Status { kJoined, kCancelled, kCorrupt, kWriteFailed };
    Status status = kCancelled;
    char path[kJoinPathSize] = {};  // the joined archive, or what could not be written
};

// Joins the set into folder\<fileExeName>, reading each part through buffer
// (at least the part size). Until the whole set is read and checked the
// bytes go to a file of another name, so a cancelled or failed join leaves
// an existing archive of that name as it was, and no partial file.
JoinResult JoinDiskSet(JoinSystem& system, const DiskSetSpec& spec, const char* folder,
                       char* buffer, size_t bufferSize, const char* drive = "A:\\");

}  // namespace mivox
