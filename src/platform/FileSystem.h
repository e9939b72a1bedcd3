// Files, directories and drives, shaped after the kernel32 calls the
// installer makes. A call that changes something, opens or reads a file
// returns its system error with its result: a wrapper between the logic and
// the system cannot lose or overwrite it, as it could a thread's last error
// read later. Queries (exists, age, attributes, free space) answer "missing"
// or "unreadable" with a value of their own and give no reason.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace mivox {

// A file's age as the file system's packed local date and time (DOS format:
// date in the high 16 bits, time in the low 16 bits); -1 for a missing file.
using PackedDateTime = int32_t;
constexpr PackedDateTime kNoFileAge = -1;
// The first moment the packed form holds: 1 January 1980, 00:00:00.
constexpr PackedDateTime kOldestFileAge = (1 << 5 | 1) << 16;

// File attributes, with the system's values.
enum FileAttribute : uint32_t {
    kAttrReadOnly = 0x01,
    kAttrHidden = 0x02,
    kAttrSystem = 0x04,
    kAttrVolumeLabel = 0x08,
    kAttrDirectory = 0x10,
    kAttrArchive = 0x20,
    kAttrNormal = 0x80,
    // A junction or symbolic link: the entry stands for another place.
    kAttrReparsePoint = 0x400,
};
constexpr uint32_t kInvalidAttributes = 0xFFFFFFFF;

// Drive types of GetDriveType.
enum DriveType : uint32_t {
    kDriveUnknown = 0,
    kDriveNoRootDir = 1,
    kDriveRemovable = 2,
    kDriveFixed = 3,
    kDriveRemote = 4,
    kDriveCdRom = 5,
    kDriveRamDisk = 6,
};

// System error codes the logic tells apart.
enum SystemError : uint32_t {
    kErrorFileNotFound = 2,
    kErrorPathNotFound = 3,
    kErrorAccessDenied = 5,
    kErrorInvalidHandle = 6,
    kErrorSharingViolation = 32,
    kErrorNotReady = 21,
    kErrorDiskFull = 112,
    kErrorAlreadyExists = 183,
};

// The outcome of a call that can fail: success, or the system error code
// the call failed with. Converts to true on success, so that a caller which
// needs no reason still writes "if (!files.Copy(...))".
class IoResult {
public:
    static constexpr IoResult Ok() { return IoResult(0); }
    // A failure with the system's code; one without a code (a call that
    // failed without saying why) is a general failure, never a success.
    static constexpr IoResult Failed(uint32_t error) {
        return IoResult(error != 0 ? error : kErrorGenFailure);
    }
    explicit operator bool() const { return error_ == 0; }
    // The system error code; 0 on success.
    uint32_t Error() const { return error_; }

private:
    static constexpr uint32_t kErrorGenFailure = 31;
    explicit constexpr IoResult(uint32_t error) : error_(error) {}
    uint32_t error_;
};

// One entry of a directory search.
struct FindData {
    std::string name;
    uint32_t attributes = 0;
    int64_t size = 0;
    PackedDateTime age = 0;
    // The last-write time as the file system keeps it: UTC, in 100 ns since
    // 1601, the same in summer and in winter; 0 where it has none.
    uint64_t writeTime = 0;
};

// A file opened for writing from its start; closed when destroyed.
class OutputFile {
public:
    virtual ~OutputFile() = default;
    virtual IoResult Write(const void* data, size_t size) = 0;
    IoResult Write(const std::string& text) { return Write(text.data(), text.size()); }
    // Closes the file; a failure when the data could not be flushed.
    virtual IoResult Close() = 0;
};

// What CreateOutputFile gives: the open file, or the error that kept it
// from being created. The file is written through it ("file->Write(...)"),
// or taken out by an object that keeps it open longer.
class CreatedFile {
public:
    // Implicit both, so that an implementation returns the file or the
    // failure as it is; neither can pass for the other.
    CreatedFile(std::unique_ptr<OutputFile> file)
        : file_(std::move(file)), result_(file_ ? IoResult::Ok() : IoResult::Failed(0)) {}
    CreatedFile(IoResult failure) : result_(failure ? IoResult::Failed(0) : failure) {}

    explicit operator bool() const { return file_ != nullptr; }
    // Why the file could not be created; 0 when it was.
    uint32_t Error() const { return result_.Error(); }
    const IoResult& Result() const { return result_; }
    OutputFile* operator->() const { return file_.get(); }
    std::unique_ptr<OutputFile> Take() { return std::move(file_); }

private:
    std::unique_ptr<OutputFile> file_;
    IoResult result_;
};

class FileSystem {
public:
    virtual ~FileSystem() = default;

    // True when a file (not a directory) exists at path.
    virtual bool FileExists(const std::string& path) const = 0;
    // True when a directory exists at path.
    virtual bool DirectoryExists(const std::string& path) const = 0;
    // Last-write time of the file, converted to local time and packed; -1
    // when the file does not exist. A file dated before 1980 exists all the
    // same and gets the oldest packed date.
    virtual PackedDateTime FileAge(const std::string& path) const = 0;
    // Opens the file read-only and takes its size in bytes; size stays as it
    // was when the file cannot be opened.
    virtual IoResult FileSize(const std::string& path, int64_t& size) const = 0;

    // FindFirstFile/FindNextFile: every entry matching pattern ("C:\Dir\*.*"),
    // "." and ".." included, in the order the file system returns them.
    virtual std::vector<FindData> FindEntries(const std::string& pattern) const = 0;

    // CopyFile, overwriting dest unless failIfExists.
    virtual IoResult Copy(const std::string& source, const std::string& dest,
                          bool failIfExists) = 0;
    // GetFileAttributes; kInvalidAttributes when the path does not exist.
    virtual uint32_t GetAttributes(const std::string& path) const = 0;
    virtual IoResult SetAttributes(const std::string& path, uint32_t attributes) = 0;
    virtual IoResult Delete(const std::string& path) = 0;
    // One directory level; the parent must exist.
    virtual IoResult CreateDir(const std::string& path) = 0;
    // An empty directory.
    virtual IoResult RemoveDir(const std::string& path) = 0;
    // MoveFileEx with MOVEFILE_REPLACE_EXISTING: existing takes newName's
    // place now, replacing a file of that name (where the system cannot,
    // Windows 95/98, that file is deleted first).
    virtual IoResult Rename(const std::string& existing, const std::string& newName) = 0;
    // MoveFileEx with MOVEFILE_DELAY_UNTIL_REBOOT: renames existing to
    // newName at the next restart, or deletes it when newName is empty.
    virtual IoResult MoveFileAtRestart(const std::string& existing, const std::string& newName) = 0;
    // WritePrivateProfileString.
    virtual IoResult WriteIniString(const std::string& file, const std::string& section,
                                    const std::string& key, const std::string& value) = 0;

    // Free bytes of a drive, 1 = A:, 2 = B:, 3 = C: ...; -1 when the drive
    // cannot be read.
    virtual int64_t DiskFreeBytes(int driveNumber) const = 0;
    // GetDriveType of a root such as "D:\".
    virtual uint32_t DriveTypeOf(const std::string& root) const = 0;
    // GetTempPath, with its trailing backslash.
    virtual std::string TempPath() const = 0;

    // The whole file into contents.
    virtual IoResult ReadAll(const std::string& path, std::string& contents) const = 0;
    // Creates (or truncates) a file for writing.
    virtual CreatedFile CreateOutputFile(const std::string& path) = 0;
    // Sets the last-write time from a packed local date and time.
    virtual IoResult SetFileAge(const std::string& path, PackedDateTime age) = 0;
    // GetShortPathName: the short (8.3) form of an existing path; empty when
    // the path does not exist.
    virtual std::string ShortPathName(const std::string& path) const = 0;
};

}  // namespace mivox
