#include "win32/Win32Processes.h"

#include <windows.h>
#include <tlhelp32.h>

#include "win32/SystemLibrary.h"

namespace mivox::win32 {

namespace {

using EnumProcessesFn = BOOL(WINAPI*)(DWORD*, DWORD, DWORD*);
using EnumProcessModulesFn = BOOL(WINAPI*)(HANDLE, HMODULE*, DWORD, DWORD*);
using GetModuleFileNameExFn = DWORD(WINAPI*)(HANDLE, HMODULE, LPSTR, DWORD);
using CreateSnapshotFn = HANDLE(WINAPI*)(DWORD, DWORD);
using ProcessWalkFn = BOOL(WINAPI*)(HANDLE, PROCESSENTRY32*);

class Win32ProcessHandle : public ProcessHandle {
public:
    Win32ProcessHandle(UniqueHandle process, HMODULE psapi)
        : process_(std::move(process)), psapi_(psapi) {}

    bool ProgramFileName(std::string& path) const override {
        auto enumModules = BoundFunction<EnumProcessModulesFn>(psapi_, "EnumProcessModules");
        auto moduleFileName = BoundFunction<GetModuleFileNameExFn>(psapi_, "GetModuleFileNameExA");
        if (!enumModules || !moduleFileName) return false;
        HMODULE modules[8000 / sizeof(HMODULE)];
        DWORD needed = 0;
        if (!enumModules(process_.get(), modules, sizeof(modules), &needed) || needed == 0) {
            return false;
        }
        char name[257] = {};
        const DWORD length = moduleFileName(process_.get(), modules[0], name, 256);
        if (length == 0) return false;
        path.assign(name, length);
        return true;
    }

private:
    UniqueHandle process_;
    HMODULE psapi_;
};

}  // namespace

bool Win32Processes::LoadProcessStatusLibrary(const std::string& path) {
    if (psapi_) return true;
    // The medium's own copy first; a system that has the library needs none.
    HMODULE module = LoadLibraryA(path.c_str());
    if (!module) module = LoadSystemLibrary("PSAPI.dll");
    psapi_.reset(module);
    return static_cast<bool>(psapi_);
}

bool Win32Processes::EnumProcesses(std::vector<uint32_t>& ids, size_t maxCount) {
    auto enumProcesses = BoundFunction<EnumProcessesFn>(psapi_.get(), "EnumProcesses");
    if (!enumProcesses) return false;
    std::vector<DWORD> table(maxCount, 0);
    DWORD returned = 0;
    if (!enumProcesses(table.data(), static_cast<DWORD>(table.size() * sizeof(DWORD)), &returned)) {
        return false;
    }
    ids.assign(table.begin(), table.begin() + returned / sizeof(DWORD));
    return true;
}

std::unique_ptr<ProcessHandle> Win32Processes::OpenProcess(uint32_t id, uint32_t access) {
    UniqueHandle process(::OpenProcess(access, FALSE, id));
    if (!process) return nullptr;
    return std::make_unique<Win32ProcessHandle>(std::move(process), psapi_.get());
}

bool Win32Processes::SnapshotProgramPaths(std::vector<std::string>& paths) {
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    auto createSnapshot = BoundFunction<CreateSnapshotFn>(kernel, "CreateToolhelp32Snapshot");
    auto first = BoundFunction<ProcessWalkFn>(kernel, "Process32First");
    auto next = BoundFunction<ProcessWalkFn>(kernel, "Process32Next");
    if (!createSnapshot || !first || !next) return false;
    FileHandle snapshot(createSnapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) return false;
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = first(snapshot.get(), &entry); more; more = next(snapshot.get(), &entry)) {
        paths.emplace_back(entry.szExeFile);
    }
    return true;
}

}  // namespace mivox::win32
