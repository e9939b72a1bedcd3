#include "platform/win32/Win32Security.h"

#include <windows.h>
#include <sddl.h>

#include <vector>

#include "platform/win32/Handles.h"
#include "platform/win32/SystemLibrary.h"

namespace mivox::win32 {

namespace {

// Memory the system allocated with LocalAlloc for its caller.
struct LocalMemoryTraits {
    static HLOCAL Invalid() { return nullptr; }
    static void Close(HLOCAL memory) { LocalFree(memory); }
};
using LocalMemory = UniqueResource<HLOCAL, LocalMemoryTraits>;

HKEY RootHandle(uint32_t root) {
    return reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(static_cast<LONG>(root)));
}

// Calls of Windows 2000 and later, bound when first used: linked directly,
// they would keep the program from starting on Windows 95, 98 and NT 4,
// which never reach the key security but still install. Each fails with
// ERROR_CALL_NOT_IMPLEMENTED where the system lacks it.
struct LaterCalls {
    decltype(&ConvertSidToStringSidA) sidToText;
    decltype(&ConvertStringSidToSidA) textToSid;
    decltype(&AddAccessAllowedAceEx) addAllowed;
    decltype(&AddAccessDeniedAceEx) addDenied;
};

const LaterCalls& Later() {
    static const LaterCalls calls = [] {
        const HMODULE advapi32 = GetModuleHandleA("advapi32.dll");  // linked, so loaded
        return LaterCalls{
            BoundFunction<decltype(&ConvertSidToStringSidA)>(advapi32, "ConvertSidToStringSidA"),
            BoundFunction<decltype(&ConvertStringSidToSidA)>(advapi32, "ConvertStringSidToSidA"),
            BoundFunction<decltype(&AddAccessAllowedAceEx)>(advapi32, "AddAccessAllowedAceEx"),
            BoundFunction<decltype(&AddAccessDeniedAceEx)>(advapi32, "AddAccessDeniedAceEx")};
    }();
    return calls;
}

template <typename Fn, typename... Args>
BOOL CallLater(Fn function, Args... args) {
    if (function) return function(args...);
    SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
    return FALSE;
}

std::string SidText(PSID sid) {
    char* text = nullptr;
    if (!sid || !IsValidSid(sid) || !CallLater(Later().sidToText, sid, &text)) return {};
    LocalMemory owner(text);
    return text;
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
    PSID binary = nullptr;
    if (!CallLater(Later().textToSid, sid.c_str(), &binary)) return GetLastError();
    LocalMemory owner(binary);
    char nameBuffer[256];
    char domainBuffer[256];
    DWORD nameLength = sizeof(nameBuffer);
    DWORD domainLength = sizeof(domainBuffer);
    SID_NAME_USE use;
    if (!LookupAccountSidA(nullptr, binary, nameBuffer, &nameLength, domainBuffer, &domainLength,
                           &use)) {
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
    for (DWORD i = 0; i < list->AceCount; ++i) {
        void* ace = nullptr;
        if (!GetAce(list, i, &ace)) return GetLastError();
        const auto* header = static_cast<const ACE_HEADER*>(ace);
        AccessEntry entry;
        entry.type = header->AceType;
        entry.flags = header->AceFlags;
        // Allow and deny entries share one layout: header, mask, SID.
        if (header->AceType == ACCESS_ALLOWED_ACE_TYPE ||
            header->AceType == ACCESS_DENIED_ACE_TYPE) {
            const auto* body = static_cast<const ACCESS_ALLOWED_ACE*>(ace);
            entry.mask = body->Mask;
            entry.sid = SidText(const_cast<DWORD*>(&body->SidStart));
        }
        dacl.push_back(entry);
    }
    return 0;
}

uint32_t Win32Security::WriteKeyDacl(uint32_t root, const std::string& path,
                                     const std::vector<AccessEntry>& dacl) {
    std::vector<LocalMemory> sids;
    DWORD size = sizeof(ACL);
    for (const AccessEntry& entry : dacl) {
        if (entry.type != ACCESS_ALLOWED_ACE_TYPE && entry.type != ACCESS_DENIED_ACE_TYPE) {
            return ERROR_INVALID_PARAMETER;
        }
        PSID sid = nullptr;
        if (!CallLater(Later().textToSid, entry.sid.c_str(), &sid)) return GetLastError();
        sids.emplace_back(sid);
        size += sizeof(ACCESS_ALLOWED_ACE) - sizeof(DWORD) + GetLengthSid(sid);
    }
    std::vector<DWORD_PTR> buffer((size + sizeof(DWORD_PTR) - 1) / sizeof(DWORD_PTR));
    auto* list = reinterpret_cast<PACL>(buffer.data());
    if (!InitializeAcl(list, size, ACL_REVISION)) return GetLastError();
    for (size_t i = 0; i < dacl.size(); ++i) {
        const AccessEntry& entry = dacl[i];
        PSID sid = sids[i].get();
        const BOOL added =
            entry.type == ACCESS_ALLOWED_ACE_TYPE
                ? CallLater(Later().addAllowed, list, ACL_REVISION, entry.flags, entry.mask, sid)
                : CallLater(Later().addDenied, list, ACL_REVISION, entry.flags, entry.mask, sid);
        if (!added) return GetLastError();
    }
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
