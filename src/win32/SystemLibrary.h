// System libraries bound at run time, by their full path in the system
// folder. Windows looks for a library named without a path in the program's
// own folder first, and a program started from a folder others can write (a
// download folder, an unpacked archive, a copied medium) would run whatever
// library of that name lies there, with the program's rights. So the
// programs of the medium import only the libraries the system always takes
// from its own folder, and bind every other one here.
//
// Plain Win32 without the C++ library: the medium's small programs build it
// too.
#pragma once

#include <windows.h>

namespace mivox::win32 {

// First thing at start, before any window, COM or other library: the
// libraries the system's own ones load on the program's behalf, and those
// loaded by name, come only from the system folder from now on. Only where
// the system can be told so (SetDefaultDllDirectories: Windows 8, and 7 and
// Vista with their update); older ones do without. The libraries the
// system's own ones bind for a program's windows are loaded here, by their
// full path, on every system.
void RestrictLibrarySearch();

// Loads a library of the system folder by its full path, and the libraries
// it imports from the system folder too. nullptr when it cannot be loaded.
HMODULE LoadSystemLibrary(const char* name);

// The common controls, loaded at run time so that they start after
// RestrictLibrarySearch: the version the program's manifest names from the
// system's side-by-side store where it has one (only a bare name finds it,
// and the store comes before any folder), the system folder's elsewhere.
HMODULE LoadCommonControls();

// A function of a loaded library by name; nullptr when it is not there.
template <typename Fn>
Fn BoundFunction(HMODULE module, const char* name) {
    return module ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)))
                  : nullptr;
}

// A function of kernel32 that not every Windows has; nullptr where missing.
template <typename Fn>
Fn KernelFunction(const char* name) {
    return BoundFunction<Fn>(GetModuleHandleA("kernel32.dll"), name);
}

}  // namespace mivox::win32
