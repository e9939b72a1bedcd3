#include <windows.h>

#include "win32/Handles.h"
#include "win32/Win32Platform.h"

namespace mivox::win32 {

namespace {

HKEY RootHandle(uint32_t root) {
    return reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(static_cast<LONG>(root)));
}

class Win32RegistryKey : public RegistryKey {
public:
    explicit Win32RegistryKey(RegKey key) : key_(std::move(key)) {}

    long QueryValue(const std::string& name, uint32_t& type, std::string& data) const override {
        DWORD valueType = 0;
        DWORD size = 0;
        LONG status =
            RegQueryValueExA(key_.get(), name.c_str(), nullptr, &valueType, nullptr, &size);
        if (status != ERROR_SUCCESS) return status;
        data.assign(size, '\0');
        status = RegQueryValueExA(key_.get(), name.c_str(), nullptr, &valueType,
                                  reinterpret_cast<BYTE*>(data.data()), &size);
        if (status != ERROR_SUCCESS) return status;
        data.resize(size);
        type = valueType;
        return ERROR_SUCCESS;
    }

    long SetValue(const std::string& name, uint32_t type, const std::string& data) override {
        return RegSetValueExA(key_.get(), name.c_str(), 0, type,
                              reinterpret_cast<const BYTE*>(data.data()),
                              static_cast<DWORD>(data.size()));
    }

    long DeleteValue(const std::string& name) override {
        return RegDeleteValueA(key_.get(), name.c_str());
    }

    long SubKeyNames(std::vector<std::string>& names) const override {
        names.clear();
        for (DWORD index = 0;; ++index) {
            char name[256];
            DWORD length = sizeof(name);
            const LONG status =
                RegEnumKeyExA(key_.get(), index, name, &length, nullptr, nullptr, nullptr, nullptr);
            if (status == ERROR_NO_MORE_ITEMS) return ERROR_SUCCESS;
            if (status != ERROR_SUCCESS) return status;
            names.emplace_back(name, length);
        }
    }

    HKEY Handle() const { return key_.get(); }

private:
    RegKey key_;
};

}  // namespace

long Win32Registry::OpenKey(uint32_t root, const std::string& path, uint32_t access,
                            std::unique_ptr<RegistryKey>& key) {
    HKEY handle = nullptr;
    const LONG status = RegOpenKeyExA(RootHandle(root), path.c_str(), 0, access, &handle);
    if (status == ERROR_SUCCESS) key = std::make_unique<Win32RegistryKey>(RegKey(handle));
    return status;
}

long Win32Registry::CreateKey(uint32_t root, const std::string& path, uint32_t access,
                              std::unique_ptr<RegistryKey>& key) {
    HKEY handle = nullptr;
    const LONG status = RegCreateKeyExA(RootHandle(root), path.c_str(), 0, nullptr,
                                        REG_OPTION_NON_VOLATILE, access, nullptr, &handle, nullptr);
    if (status == ERROR_SUCCESS) key = std::make_unique<Win32RegistryKey>(RegKey(handle));
    return status;
}

long Win32Registry::DeleteKey(uint32_t root, const std::string& path) {
    return RegDeleteKeyA(RootHandle(root), path.c_str());
}

}  // namespace mivox::win32
