// The running programs, as the process-status library (bound at run time,
// on the Windows NT family) and the process snapshot functions of kernel32
// (Windows 95/98) list them.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace mivox {

// An open process; closed when destroyed.
class ProcessHandle {
public:
    virtual ~ProcessHandle() = default;
    // EnumProcessModules + GetModuleFileNameEx of the first module: the
    // program's own file.
    virtual bool ProgramFileName(std::string& path) const = 0;
};

class Processes {
public:
    virtual ~Processes() = default;
    // Loads the process-status library from path, or the system's own when
    // that file cannot be loaded; false when neither can.
    virtual bool LoadProcessStatusLibrary(const std::string& path) = 0;
    // EnumProcesses into a table of at most maxCount identifiers.
    virtual bool EnumProcesses(std::vector<uint32_t>& ids, size_t maxCount) = 0;
    // OpenProcess with the given access; nullptr when it cannot be opened.
    virtual std::unique_ptr<ProcessHandle> OpenProcess(uint32_t id, uint32_t access) = 0;
    // A process snapshot walked from the first entry to the last: each
    // entry's program path. False when no snapshot can be taken.
    virtual bool SnapshotProgramPaths(std::vector<std::string>& paths) = 0;
};

// Access asked for when reading a process's modules.
constexpr uint32_t kProcessQueryAndRead = 0x410;

}  // namespace mivox
