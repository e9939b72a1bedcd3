// readlink.exe LINK...: loads each shell link back through the shell's link
// object and prints "path|arguments|working directory", one line per link,
// as the end-to-end tests check them. Exit code 1 when a link cannot be read.
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include <cstdio>
#include <string>

namespace {

// Releases the interface it holds.
template <typename Interface>
class ComRef {
public:
    ComRef() = default;
    ~ComRef() {
        if (p_) p_->Release();
    }
    ComRef(const ComRef&) = delete;
    ComRef& operator=(const ComRef&) = delete;
    Interface* operator->() const { return p_; }
    void** out() { return reinterpret_cast<void**>(&p_); }

private:
    Interface* p_ = nullptr;
};

bool PrintLink(const char* path) {
    ComRef<IShellLinkA> link;
    ComRef<IPersistFile> file;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                link.out())) ||
        FAILED(link->QueryInterface(IID_IPersistFile, file.out()))) {
        return false;
    }
    wchar_t wide[MAX_PATH] = {};
    if (!MultiByteToWideChar(CP_ACP, 0, path, -1, wide, MAX_PATH) ||
        FAILED(file->Load(wide, STGM_READ))) {
        return false;
    }
    char target[MAX_PATH] = {};
    char arguments[MAX_PATH] = {};
    char directory[MAX_PATH] = {};
    link->GetPath(target, MAX_PATH, nullptr, 0);
    link->GetArguments(arguments, MAX_PATH);
    link->GetWorkingDirectory(directory, MAX_PATH);
    std::printf("%s|%s|%s\n", target, arguments, directory);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (FAILED(CoInitialize(nullptr))) return 1;
    int result = 0;
    for (int i = 1; i < argc; ++i) {
        if (!PrintLink(argv[i])) {
            std::printf("unreadable: %s\n", argv[i]);
            result = 1;
        }
    }
    CoUninitialize();
    return result;
}
