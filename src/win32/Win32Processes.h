// The process-status library and process snapshots, bound at run time.
#pragma once

#include "platform/Processes.h"
#include "win32/Handles.h"

namespace mivox::win32 {

class Win32Processes : public Processes {
public:
    bool LoadProcessStatusLibrary(const std::string& path) override;
    bool EnumProcesses(std::vector<uint32_t>& ids, size_t maxCount) override;
    std::unique_ptr<ProcessHandle> OpenProcess(uint32_t id, uint32_t access) override;
    bool SnapshotProgramPaths(std::vector<std::string>& paths) override;

private:
    Library psapi_;
};

}  // namespace mivox::win32
