#include "win32/Win32Shell.h"

#include <windows.h>
#include <objbase.h>
#include <objidl.h>
#include <shlobj.h>

#include <vector>

namespace mivox::win32 {

namespace {

// One reference to a COM interface, released when it goes.
template <typename T>
class ComPtr {
public:
    ComPtr() = default;
    ~ComPtr() {
        if (p_) p_->Release();
    }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;

    T* operator->() const { return p_; }
    T* get() const { return p_; }
    void** out() { return reinterpret_cast<void**>(&p_); }

private:
    T* p_ = nullptr;
};

// COM on this thread for the length of one call. The program initialises it
// at start; a thread without it (a test, a helper) gets it here.
class ComScope {
public:
    // CoInitialize: a single-threaded apartment, on every Windows version.
    ComScope() : initialized_(SUCCEEDED(CoInitialize(nullptr))) {}
    ~ComScope() {
        if (initialized_) CoUninitialize();
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;

private:
    bool initialized_;
};

std::wstring Wide(const std::string& text) {
    const int length = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
    if (length <= 0) return {};
    std::vector<wchar_t> wide(static_cast<size_t>(length));
    MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, wide.data(), length);
    return wide.data();
}

}  // namespace

bool Win32Shell::SaveShellLink(const std::string& linkFile, const std::string& path,
                               const std::string& arguments, const std::string& workingDirectory) {
    ComScope com;
    ComPtr<IShellLinkA> link;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                link.out()))) {
        return false;
    }
    ComPtr<IPersistFile> file;
    if (FAILED(link->QueryInterface(IID_IPersistFile, file.out()))) return false;
    const bool set = SUCCEEDED(link->SetArguments(arguments.c_str())) &&
                     SUCCEEDED(link->SetPath(path.c_str())) &&
                     SUCCEEDED(link->SetWorkingDirectory(workingDirectory.c_str()));
    return set && SUCCEEDED(file->Save(Wide(linkFile).c_str(), FALSE));
}

bool Win32Shell::ExitSession(uint32_t flags) {
    return ExitWindowsEx(flags, 0) != FALSE;
}

}  // namespace mivox::win32
