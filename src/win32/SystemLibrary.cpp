#include "win32/SystemLibrary.h"

namespace mivox::win32 {

namespace {

using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);

SetDefaultDllDirectoriesFn SetDefaultDllDirectoriesOfSystem() {
    return KernelFunction<SetDefaultDllDirectoriesFn>("SetDefaultDllDirectories");
}

}  // namespace

void RestrictLibrarySearch() {
    if (const auto restrict = SetDefaultDllDirectoriesOfSystem())
        restrict(LOAD_LIBRARY_SEARCH_SYSTEM32);
    // The libraries the system's own ones bind on first use for a
    // program's windows (themes, desktop composition) are looked for by
    // name, the program's folder first where the system cannot be told
    // otherwise, and by some loaders even where it can. Loaded now by their
    // full path, they are found loaded then. Missing ones are no loss.
    static const char* const kBoundForWindows[] = {"uxtheme.dll", "dwmapi.dll", "msimg32.dll"};
    for (const char* name : kBoundForWindows) LoadSystemLibrary(name);
}

HMODULE LoadSystemLibrary(const char* name) {
    char path[MAX_PATH];
    const UINT length = GetSystemDirectoryA(path, MAX_PATH);
    if (length == 0 || length + 1 + lstrlenA(name) >= MAX_PATH) return nullptr;
    path[length] = '\\';
    lstrcpyA(path + length + 1, name);
    // A library's own imports are looked for like those of the program,
    // the program's folder first, unless told otherwise: where the system
    // has the search flags, the system folder only; elsewhere the loaded
    // library's folder first.
    const DWORD flags = SetDefaultDllDirectoriesOfSystem() ? LOAD_LIBRARY_SEARCH_SYSTEM32
                                                           : LOAD_WITH_ALTERED_SEARCH_PATH;
    return LoadLibraryExA(path, nullptr, flags);
}

HMODULE LoadCommonControls() {
    // The store came with Windows XP, as did CreateActCtx.
    if (!KernelFunction<FARPROC>("CreateActCtxA")) return LoadSystemLibrary("comctl32.dll");
    return LoadLibraryExA("comctl32.dll", nullptr,
                          SetDefaultDllDirectoriesOfSystem() ? LOAD_LIBRARY_SEARCH_SYSTEM32 : 0);
}

}  // namespace mivox::win32
