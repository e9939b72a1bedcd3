// A file system that notes whether anything was left for the next restart of
// Windows (a file in use replaced then), and otherwise hands every call on.
#pragma once

#include "platform/FileSystem.h"
#include "util/TextUtil.h"

namespace mivox {

class RestartWatch final : public FileSystem {
public:
    explicit RestartWatch(FileSystem& files) : files_(files) {}

    // True once a replacement at restart was scheduled.
    bool RestartNeeded() const { return restartNeeded_; }

    bool MoveFileAtRestart(const std::string& existing, const std::string& newName) override {
        const bool done = files_.MoveFileAtRestart(existing, newName);
        restartNeeded_ = restartNeeded_ || done;
        return done;
    }
    bool WriteIniString(const std::string& file, const std::string& section, const std::string& key,
                        const std::string& value) override {
        const bool done = files_.WriteIniString(file, section, key, value);
        // Windows 95/98 carry out WININIT.INI's [Rename] section at start-up.
        const std::string name = UpperText(file);
        if (done && UpperText(section) == "RENAME" && name.size() >= 11 &&
            name.compare(name.size() - 11, 11, "WININIT.INI") == 0) {
            restartNeeded_ = true;
        }
        return done;
    }

    bool FileExists(const std::string& path) const override { return files_.FileExists(path); }
    bool DirectoryExists(const std::string& path) const override {
        return files_.DirectoryExists(path);
    }
    PackedDateTime FileAge(const std::string& path) const override { return files_.FileAge(path); }
    bool FileSize(const std::string& path, int64_t& size) const override {
        return files_.FileSize(path, size);
    }
    std::vector<FindData> FindEntries(const std::string& pattern) const override {
        return files_.FindEntries(pattern);
    }
    bool Copy(const std::string& source, const std::string& dest, bool failIfExists) override {
        return files_.Copy(source, dest, failIfExists);
    }
    uint32_t GetAttributes(const std::string& path) const override {
        return files_.GetAttributes(path);
    }
    bool SetAttributes(const std::string& path, uint32_t attributes) override {
        return files_.SetAttributes(path, attributes);
    }
    bool Delete(const std::string& path) override { return files_.Delete(path); }
    bool CreateDir(const std::string& path) override { return files_.CreateDir(path); }
    bool RemoveDir(const std::string& path) override { return files_.RemoveDir(path); }
    int64_t DiskFreeBytes(int driveNumber) const override {
        return files_.DiskFreeBytes(driveNumber);
    }
    uint32_t DriveTypeOf(const std::string& root) const override {
        return files_.DriveTypeOf(root);
    }
    std::string TempPath() const override { return files_.TempPath(); }
    bool ReadAll(const std::string& path, std::string& contents) const override {
        return files_.ReadAll(path, contents);
    }
    std::unique_ptr<OutputFile> CreateOutputFile(const std::string& path) override {
        return files_.CreateOutputFile(path);
    }
    bool SetFileAge(const std::string& path, PackedDateTime age) override {
        return files_.SetFileAge(path, age);
    }
    std::string ShortPathName(const std::string& path) const override {
        return files_.ShortPathName(path);
    }

private:
    FileSystem& files_;
    bool restartNeeded_ = false;
};

}  // namespace mivox
