#include "win32/Win32Libraries.h"

#include "win32/Handles.h"
#include "win32/SystemLibrary.h"

namespace mivox::win32 {

namespace {

class Win32LoadedLibrary : public LoadedLibrary {
public:
    explicit Win32LoadedLibrary(HMODULE module) : module_(module) {}
    void* Proc(const std::string& name) const override {
        return reinterpret_cast<void*>(GetProcAddress(module_.get(), name.c_str()));
    }

private:
    Library module_;
};

}  // namespace

std::unique_ptr<LoadedLibrary> Win32Libraries::Load(const std::string& name) {
    HMODULE module = LoadSystemLibrary(name.c_str());
    if (!module) return nullptr;
    return std::make_unique<Win32LoadedLibrary>(module);
}

}  // namespace mivox::win32
