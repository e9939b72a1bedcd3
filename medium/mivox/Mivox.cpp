// The sample product program carried by the sample medium: a small window
// that names the product and its version.
#include <windows.h>

#include "win32/SystemLibrary.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    mivox::win32::RestrictLibrarySearch();
    MessageBoxA(nullptr, "Mivox 4.10\n\nNo instrument is connected.", "Mivox",
                MB_OK | MB_ICONINFORMATION);
    return 0;
}
