#include "win32/Win32Security.h"

#include <windows.h>

#include <algorithm>
#include <vector>

#include "util/SidAcl.h"
#include "win32/Handles.h"

namespace mivox::win32 {

namespace {

HKEY RootHandle(uint32_t root) {
    return reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(static_cast<LONG>(root)));
}

std::string SidText(PSID sid) {
    if (!sid || !IsValidSid(sid)) return {};
    return SidToText(static_cast<const uint8_t*>(sid), GetLengthSid(sid));
}

class Win32AccessToken : public AccessToken {
public:
    explicit Win32AccessToken(HANDLE token) : token_(token) {}

    uint32_t GroupsSize(uint32_t& size) const override {
        DWORD needed = 0;
        const BOOL ok = GetTokenInformation(token_.get(), TokenGroups, nullptr, 0, &needed);
        size = needed;
        return ok ? 0 : GetLastError();
    }

    uint32_t ReadGroups(uint32_t bufferSize, std::vector<TokenGroup>& groups) const override {
        // Pointer-aligned storage, as the group list holds pointers.
        std::vector<DWORD_PTR> buffer((bufferSize + sizeof(DWORD_PTR) - 1) / sizeof(DWORD_PTR));
        DWORD needed = 0;
        if (!GetTokenInformation(token_.get(), TokenGroups, buffer.data(), bufferSize, &needed)) {
            return GetLastError();
        }
        const auto* list = reinterpret_cast<const TOKEN_GROUPS*>(buffer.data());
        groups.clear();
        for (DWORD i = 0; i < list->GroupCount; ++i) {
            groups.push_back({SidText(list->Groups[i].Sid), list->Groups[i].Attributes});
        }
        return 0;
    }

    uint32_t AdjustPrivilege(uint64_t luid, uint32_t attributes) override {
        TOKEN_PRIVILEGES privileges{};
        privileges.PrivilegeCount = 1;
        privileges.Privileges[0].Luid.LowPart = static_cast<DWORD>(luid);
        privileges.Privileges[0].Luid.HighPart = static_cast<LONG>(luid >> 32);
        privileges.Privileges[0].Attributes = attributes;
        return AdjustTokenPrivileges(token_.get(), FALSE, &privileges, 0, nullptr, nullptr)
                   ? 0
                   : GetLastError();
    }

private:
    UniqueHandle token_;
};

}  // namespace

uint32_t Win32Security::OpenThreadToken(uint32_t access, bool openAsSelf,
                                        std::unique_ptr<AccessToken>& token) {
    HANDLE handle = nullptr;
    if (!::OpenThreadToken(GetCurrentThread(), access, openAsSelf, &handle)) return GetLastError();
    token = std::make_unique<Win32AccessToken>(handle);
    return 0;
}

uint32_t Win32Security::OpenProcessToken(uint32_t access, std::unique_ptr<AccessToken>& token) {
    HANDLE handle = nullptr;
    if (!::OpenProcessToken(GetCurrentProcess(), access, &handle)) return GetLastError();
    token = std::make_unique<Win32AccessToken>(handle);
    return 0;
}

uint32_t Win32Security::LookupPrivilege(const std::string& name, uint64_t& luid) {
    LUID value{};
    if (!LookupPrivilegeValueA(nullptr, name.c_str(), &value)) return GetLastError();
    luid = (static_cast<uint64_t>(static_cast<uint32_t>(value.HighPart)) << 32) | value.LowPart;
    return 0;
}

uint32_t Win32Security::LookupAccount(const std::string& sid, std::string& name,
                                      std::string& domain) {
    if (const auto known = accounts_.find(sid); known != accounts_.end()) {
        name = known->second.first;
        domain = known->second.second;
        return 0;
    }
    std::vector<uint8_t> binary;
    if (!SidFromText(sid, binary)) return ERROR_INVALID_SID;
    char nameBuffer[256];
    char domainBuffer[256];
    DWORD nameLength = sizeof(nameBuffer);
    DWORD domainLength = sizeof(domainBuffer);
    SID_NAME_USE use;
    if (!LookupAccountSidA(nullptr, binary.data(), nameBuffer, &nameLength, domainBuffer,
                           &domainLength, &use)) {
        return GetLastError();
    }
    name = nameBuffer;
    domain = domainBuffer;
    accounts_[sid] = {name, domain};
    return 0;
}

uint32_t Win32Security::ReadKeyDacl(uint32_t root, const std::string& path,
                                    std::vector<AccessEntry>& dacl) {
    HKEY handle = nullptr;
    LONG status = RegOpenKeyExA(RootHandle(root), path.c_str(), 0, READ_CONTROL, &handle);
    if (status != ERROR_SUCCESS) return status;
    RegKey key(handle);
    DWORD size = 0;
    status = RegGetKeySecurity(key.get(), DACL_SECURITY_INFORMATION, nullptr, &size);
    if (status != ERROR_INSUFFICIENT_BUFFER)
        return status == ERROR_SUCCESS ? ERROR_INVALID_DATA : status;
    std::vector<DWORD_PTR> descriptor((size + sizeof(DWORD_PTR) - 1) / sizeof(DWORD_PTR));
    status = RegGetKeySecurity(key.get(), DACL_SECURITY_INFORMATION, descriptor.data(), &size);
    if (status != ERROR_SUCCESS) return status;

    BOOL present = FALSE;
    BOOL defaulted = FALSE;
    PACL list = nullptr;
    if (!GetSecurityDescriptorDacl(descriptor.data(), &present, &list, &defaulted)) {
        return GetLastError();
    }
    dacl.clear();
    if (!present || !list) return 0;
    // A self-relative descriptor: the list lies within it, and is read only there.
    const auto* base = reinterpret_cast<const uint8_t*>(descriptor.data());
    const auto* bytes = reinterpret_cast<const uint8_t*>(list);
    if (bytes < base || bytes >= base + size || !AclToEntries(bytes, base + size - bytes, dacl)) {
        return ERROR_INVALID_ACL;
    }
    return 0;
}

uint32_t Win32Security::WriteKeyDacl(uint32_t root, const std::string& path,
                                     const std::vector<AccessEntry>& dacl) {
    std::vector<uint8_t> bytes;
    if (!AclFromEntries(dacl, bytes)) return ERROR_INVALID_PARAMETER;
    // Copied into pointer-aligned storage, as an ACL must be.
    std::vector<DWORD_PTR> buffer((bytes.size() + sizeof(DWORD_PTR) - 1) / sizeof(DWORD_PTR));
    std::copy(bytes.begin(), bytes.end(), reinterpret_cast<uint8_t*>(buffer.data()));
    auto* list = reinterpret_cast<PACL>(buffer.data());
    SECURITY_DESCRIPTOR descriptor;
    if (!InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION) ||
        !SetSecurityDescriptorDacl(&descriptor, TRUE, list, FALSE)) {
        return GetLastError();
    }
    HKEY handle = nullptr;
    const LONG status = RegOpenKeyExA(RootHandle(root), path.c_str(), 0, WRITE_DAC, &handle);
    if (status != ERROR_SUCCESS) return status;
    RegKey key(handle);
    return RegSetKeySecurity(key.get(), DACL_SECURITY_INFORMATION, &descriptor);
}

}  // namespace mivox::win32
