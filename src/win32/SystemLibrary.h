// System libraries bound at run time. The ones only a rarely used step needs
// (the file-open dialog, a web address handed to the browser) are loaded on
// first use rather than with the program: without them and all they pull in,
// the main window appears noticeably sooner.
#pragma once

#include <windows.h>

namespace mivox::win32 {

// Loads a library of the system folder by its full path, so that a file of
// the same name beside the program (a download folder, a copied medium) is
// never taken in its place. nullptr when it cannot be loaded.
HMODULE LoadSystemLibrary(const char* name);

// A function of a loaded library by name; nullptr when it is not there.
template <typename Fn>
Fn BoundFunction(HMODULE module, const char* name) {
    return module ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)))
                  : nullptr;
}

}  // namespace mivox::win32
