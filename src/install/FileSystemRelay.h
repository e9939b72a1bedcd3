// A file system that hands every call on to another one, its result and
// error unchanged: the base of the wrappers that watch what an installation
// does with its files.
#pragma once

#include "platform/FileSystem.h"

namespace mivox {

class FileSystemRelay : public FileSystem {
public:
    explicit FileSystemRelay(FileSystem& files) : files_(files) {}

    bool FileExists(const std::string& path) const override { return files_.FileExists(path); }
    bool DirectoryExists(const std::string& path) const override {
        return files_.DirectoryExists(path);
    }
    PackedDateTime FileAge(const std::string& path) const override { return files_.FileAge(path); }
    IoResult FileSize(const std::string& path, int64_t& size) const override {
        return files_.FileSize(path, size);
    }
    std::vector<FindData> FindEntries(const std::string& pattern) const override {
        return files_.FindEntries(pattern);
    }
    IoResult Copy(const std::string& source, const std::string& dest, bool failIfExists) override {
        return files_.Copy(source, dest, failIfExists);
    }
    uint32_t GetAttributes(const std::string& path) const override {
        return files_.GetAttributes(path);
    }
    IoResult SetAttributes(const std::string& path, uint32_t attributes) override {
        return files_.SetAttributes(path, attributes);
    }
    IoResult Delete(const std::string& path) override { return files_.Delete(path); }
    IoResult CreateDir(const std::string& path) override { return files_.CreateDir(path); }
    IoResult RemoveDir(const std::string& path) override { return files_.RemoveDir(path); }
    IoResult Rename(const std::string& existing, const std::string& newName) override {
        return files_.Rename(existing, newName);
    }
    IoResult MoveFileAtRestart(const std::string& existing, const std::string& newName) override {
        return files_.MoveFileAtRestart(existing, newName);
    }
    IoResult WriteIniString(const std::string& file, const std::string& section,
                            const std::string& key, const std::string& value) override {
        return files_.WriteIniString(file, section, key, value);
    }
    int64_t DiskFreeBytes(int driveNumber) const override {
        return files_.DiskFreeBytes(driveNumber);
    }
    uint32_t DriveTypeOf(const std::string& root) const override {
        return files_.DriveTypeOf(root);
    }
    std::string TempPath() const override { return files_.TempPath(); }
    IoResult ReadAll(const std::string& path, std::string& contents) const override {
        return files_.ReadAll(path, contents);
    }
    CreatedFile CreateOutputFile(const std::string& path) override {
        return files_.CreateOutputFile(path);
    }
    IoResult SetFileAge(const std::string& path, PackedDateTime age) override {
        return files_.SetFileAge(path, age);
    }
    std::string ShortPathName(const std::string& path) const override {
        return files_.ShortPathName(path);
    }

private:
    FileSystem& files_;
};

}  // namespace mivox
