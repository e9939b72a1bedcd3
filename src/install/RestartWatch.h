// A file system that notes whether anything was left for the next restart of
// Windows (a file in use replaced then), and otherwise hands every call on.
#pragma once

#include "install/FileSystemRelay.h"
#include "util/TextUtil.h"

namespace mivox {

class RestartWatch final : public FileSystemRelay {
public:
    explicit RestartWatch(FileSystem& files) : FileSystemRelay(files) {}

    // True once a replacement at restart was scheduled.
    bool RestartNeeded() const { return restartNeeded_; }

    bool MoveFileAtRestart(const std::string& existing, const std::string& newName) override {
        const bool done = FileSystemRelay::MoveFileAtRestart(existing, newName);
        restartNeeded_ = restartNeeded_ || done;
        return done;
    }
    bool WriteIniString(const std::string& file, const std::string& section, const std::string& key,
                        const std::string& value) override {
        const bool done = FileSystemRelay::WriteIniString(file, section, key, value);
        // Windows 95/98 carry out WININIT.INI's [Rename] section at start-up.
        const std::string name = UpperText(file);
        if (done && UpperText(section) == "RENAME" && name.size() >= 11 &&
            name.compare(name.size() - 11, 11, "WININIT.INI") == 0) {
            restartNeeded_ = true;
        }
        return done;
    }

private:
    bool restartNeeded_ = false;
};

}  // namespace mivox
