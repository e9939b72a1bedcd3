// holdopen FILE READY: opens FILE with no sharing, as a running program holds
// its own executable, then creates READY and keeps FILE open until a file
// named FILE.release appears (or a minute has passed).
#include <windows.h>

#include <string>

int main(int argc, char** argv) {
    if (argc != 3) return 2;
    const std::string path = argv[1];
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 1;
    HANDLE ready = CreateFileA(argv[2], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
    if (ready != INVALID_HANDLE_VALUE) CloseHandle(ready);
    const std::string release = path + ".release";
    for (int waited = 0; waited < 60000; waited += 20) {
        if (GetFileAttributesA(release.c_str()) != INVALID_FILE_ATTRIBUTES) break;
        Sleep(20);
    }
    CloseHandle(file);
    DeleteFileA(release.c_str());
    return 0;
}
