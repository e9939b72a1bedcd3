/* A stand-in for a system library, planted beside a program by the test of
 * the programs' library binding under each name a program might load from
 * its own folder. Loaded into a process, it adds a line to "NAME.ran"
 * beside itself: "static" when it was loaded with the process (through an
 * import table) or "dynamic" when loaded later (LoadLibrary, by the program
 * or a system library on its behalf), and the program's path. Had it been a
 * hostile library, it would have run with the program's rights. It needs
 * nothing but kernel32. */
#include <windows.h>

BOOL WINAPI DllMainCRTStartup(HINSTANCE self, DWORD reason, LPVOID reserved) {
    if (reason != DLL_PROCESS_ATTACH) return TRUE;
    char marker[MAX_PATH + 8];
    char program[MAX_PATH];
    const DWORD length = GetModuleFileNameA(self, marker, MAX_PATH);
    const DWORD programLength = GetModuleFileNameA(NULL, program, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return TRUE;
    lstrcpyA(marker + length, ".ran");
    HANDLE file = CreateFileA(marker, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file != INVALID_HANDLE_VALUE) {
        DWORD written = 0;
        /* The system passes a context for the libraries of the process's start. */
        const char* how = reserved ? "static " : "dynamic ";
        WriteFile(file, how, lstrlenA(how), &written, NULL);
        WriteFile(file, program, programLength, &written, NULL);
        WriteFile(file, "\r\n", 2, &written, NULL);
        CloseHandle(file);
    }
    return TRUE;
}
