// reglink KEY TARGET: makes HKEY_LOCAL_MACHINE\KEY a registry link to
// HKEY_LOCAL_MACHINE\TARGET, as any user may below a key open to everyone.
#include <windows.h>

#include <string>

int main(int argc, char** argv) {
    if (argc != 3) return 2;
    HKEY key = nullptr;
    if (RegCreateKeyExA(
            HKEY_LOCAL_MACHINE, argv[1], 0, nullptr, REG_OPTION_VOLATILE | REG_OPTION_CREATE_LINK,
            KEY_ALL_ACCESS | KEY_CREATE_LINK, nullptr, &key, nullptr) != ERROR_SUCCESS) {
        return 1;
    }
    std::wstring target = L"\\Registry\\Machine\\";
    for (const char* c = argv[2]; *c; ++c) target += static_cast<wchar_t>(*c);
    const LONG set = RegSetValueExW(key, L"SymbolicLinkValue", 0, REG_LINK,
                                    reinterpret_cast<const BYTE*>(target.data()),
                                    static_cast<DWORD>(target.size() * sizeof(wchar_t)));
    RegCloseKey(key);
    return set == ERROR_SUCCESS ? 0 : 1;
}
