// Running programs and the open-file dialog, as a test sets them up.
#pragma once

#include <map>
#include <set>

#include "platform/CommonDialogs.h"
#include "platform/Processes.h"

namespace mivox::testing {

class FakeProcesses : public Processes {
public:
    bool LoadProcessStatusLibrary(const std::string& path) override {
        loadedFrom.push_back(path);
        return libraryLoads;
    }
    bool EnumProcesses(std::vector<uint32_t>& ids, size_t maxCount) override {
        ids.clear();
        for (const auto& [id, path] : programs) {
            if (ids.size() < maxCount) ids.push_back(id);
        }
        return true;
    }
    std::unique_ptr<ProcessHandle> OpenProcess(uint32_t id, uint32_t access) override;
    bool SnapshotProgramPaths(std::vector<std::string>& paths) override {
        if (!snapshotWorks) return false;
        for (const auto& [id, path] : programs) paths.push_back(path);
        return true;
    }

    bool libraryLoads = true;
    bool snapshotWorks = true;
    std::map<uint32_t, std::string> programs;  // by process identifier
    std::set<uint32_t> protectedProcesses;     // cannot be opened
    std::vector<std::string> loadedFrom;
    std::vector<uint32_t> openedWithOtherAccess;
    int openHandles = 0;
};

class FakeCommonDialogs : public CommonDialogs {
public:
    bool OpenFile(OpenFileRequest& request) override {
        asked.push_back(request);
        if (chosenPath.empty()) return false;
        request.fileName = chosenPath;
        return true;
    }
    std::string chosenPath;  // empty: the user cancels
    std::vector<OpenFileRequest> asked;
};

}  // namespace mivox::testing
