// An in-memory file system with Windows path rules (case-insensitive, "\" and
// "/" alike, one level created at a time, read-only files protected) for
// testing the logic that reads and writes files. Any operation can be made to
// fail on a given path with a given system error, which its result carries.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "fakes/CallFaults.h"
#include "platform/FileSystem.h"

namespace mivox::testing {

class MemoryFileSystem : public FileSystem {
public:
    struct Entry {
        bool directory = false;
        std::string name;  // the last path component, in the case it was made with
        std::string contents;
        PackedDateTime age = 0;
        uint32_t attributes = 0;
    };

    // CreateIn names a folder in which no file can be created (a folder
    // whose access list refuses it); ShortName a path without a short form.
    enum class Op {
        Copy,
        SetAttributes,
        Delete,
        CreateDir,
        RemoveDir,
        MoveAtRestart,
        Rename,
        Write,
        Read,
        CreateIn,
        ShortName
    };

    // Adds a file, and its parent directories.
    void AddFile(const std::string& path, const std::string& contents = {},
                 PackedDateTime age = PackDateTime(2001, 1, 5, 15, 4, 6),
                 uint32_t attributes = kAttrArchive);
    void AddDirectory(const std::string& path, uint32_t attributes = kAttrDirectory);
    // A junction at link to the directory target: paths below the link
    // reach the target's entries; removing the link leaves the target.
    void AddLink(const std::string& link, const std::string& target);
    const Entry* Find(const std::string& path) const;
    Entry* Find(const std::string& path);
    // The full paths of every file and directory, in sorted order.
    std::vector<std::string> List() const;

    // Makes op on path fail with error (path as the operation names it: the
    // destination of a copy).
    void FailOn(Op op, const std::string& path, uint32_t error) {
        failures_[{op, Key(path)}] = error;
    }
    void ClearFailures() { failures_.clear(); }
    // Counts the calls that can fail (all but the queries) and fails the one
    // it names.
    CallFaults* faults = nullptr;
    // Every operation on the drive fails as a drive without a disk does.
    std::set<char> notReadyDrives;
    // Bytes a drive holds in all; free space is what its files leave.
    std::map<char, int64_t> driveCapacity;
    std::map<char, uint32_t> driveTypes;
    // Sizes a directory search reports instead of the contents' length (by
    // Key of the path), for files too big to hold in a test.
    std::map<std::string, int64_t> reportedSizes;
    std::string tempPath = "C:\\TEMP\\";
    // MoveFileAtRestart requests, in order (an empty second: delete).
    std::vector<std::pair<std::string, std::string>> restartMoves;

    bool FileExists(const std::string& path) const override;
    bool DirectoryExists(const std::string& path) const override;
    PackedDateTime FileAge(const std::string& path) const override;
    IoResult FileSize(const std::string& path, int64_t& size) const override;
    std::vector<FindData> FindEntries(const std::string& pattern) const override;
    IoResult Copy(const std::string& source, const std::string& dest, bool failIfExists) override;
    uint32_t GetAttributes(const std::string& path) const override;
    IoResult SetAttributes(const std::string& path, uint32_t attributes) override;
    IoResult Delete(const std::string& path) override;
    IoResult CreateDir(const std::string& path) override;
    IoResult RemoveDir(const std::string& path) override;
    IoResult Rename(const std::string& existing, const std::string& newName) override;
    IoResult MoveFileAtRestart(const std::string& existing, const std::string& newName) override;
    IoResult WriteIniString(const std::string& file, const std::string& section,
                            const std::string& key, const std::string& value) override;
    int64_t DiskFreeBytes(int driveNumber) const override;
    uint32_t DriveTypeOf(const std::string& root) const override;
    std::string TempPath() const override { return tempPath; }
    IoResult ReadAll(const std::string& path, std::string& contents) const override;
    CreatedFile CreateOutputFile(const std::string& path) override;
    IoResult SetFileAge(const std::string& path, PackedDateTime age) override;
    // The path itself for an existing file or directory: the double has no
    // short names.
    std::string ShortPathName(const std::string& path) const override;

    static PackedDateTime PackDateTime(int year, int month, int day, int hour, int minute,
                                       int second);
    // The UTC file time a search reports for a packed age: the double keeps
    // one clock, so its local time is UTC.
    static uint64_t FileTimeOf(PackedDateTime age);
    // The normalised form of a path: upper case, backslashes, no trailing one.
    static std::string Key(const std::string& path);

    // Appends to a file made by CreateOutputFile; fails when the drive is full.
    IoResult Append(const std::string& key, const void* data, size_t size);

private:
    // Key(path) with a link at its start replaced by the link's target.
    std::string Resolved(const std::string& path) const;
    // The failure set for op on key (or its drive's), or success.
    IoResult Injected(Op op, const std::string& key) const;
    bool ParentExists(const std::string& key) const;
    int64_t UsedBytes(char drive) const;
    bool Fits(char drive, int64_t extra) const;

    std::map<std::string, Entry> entries_;
    std::map<std::string, std::string> links_;  // link key -> target key
    std::map<std::pair<Op, std::string>, uint32_t> failures_;
};

}  // namespace mivox::testing
