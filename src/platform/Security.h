// Tokens, group membership, privileges and the security of registry keys
// (advapi32). Security identifiers travel in their text form ("S-1-1-0").
// Every call returns the system's error code: 0 for success.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace mivox {

// Well-known identifiers.
inline constexpr const char kEveryoneSid[] = "S-1-1-0";
inline constexpr const char kAdministratorsSid[] = "S-1-5-32-544";

// Access control entry types and flags, with the system's values.
enum AceType : uint8_t {
    kAccessAllowedAce = 0,
    kAccessDeniedAce = 1,
};
enum AceFlags : uint8_t {
    kObjectInheritAce = 0x01,
    kContainerInheritAce = 0x02,
    kNoPropagateInheritAce = 0x04,
    kInheritOnlyAce = 0x08,
    kInheritedAce = 0x10,
};

// One entry of a discretionary access control list, in list order.
struct AccessEntry {
    std::string sid;
    uint8_t type = kAccessAllowedAce;
    uint8_t flags = 0;
    uint32_t mask = 0;

    bool operator==(const AccessEntry&) const = default;
};

// Token access rights and group and privilege attributes.
enum TokenAccess : uint32_t {
    kTokenQuery = 0x0008,
    kTokenAdjustPrivileges = 0x0020,
};
enum GroupAttributes : uint32_t {
    kSeGroupMandatory = 0x01,
    kSeGroupEnabledByDefault = 0x02,
    kSeGroupEnabled = 0x04,
    kSeGroupUseForDenyOnly = 0x10,
};
constexpr uint32_t kSePrivilegeEnabled = 0x02;

// Error codes the logic tells apart.
constexpr uint32_t kErrorInsufficientBuffer = 122;
constexpr uint32_t kErrorNoToken = 1008;

// One group of a token; sid is empty when the token holds an invalid one.
struct TokenGroup {
    std::string sid;
    uint32_t attributes = 0;
};

// An open access token; closed when destroyed.
class AccessToken {
public:
    virtual ~AccessToken() = default;
    // GetTokenInformation(TokenGroups) without a buffer: the call's error
    // (0 when it succeeded) and the size in bytes it asks for.
    virtual uint32_t GroupsSize(uint32_t& size) const = 0;
    // GetTokenInformation(TokenGroups) into a buffer of bufferSize bytes.
    virtual uint32_t ReadGroups(uint32_t bufferSize, std::vector<TokenGroup>& groups) const = 0;
    // AdjustTokenPrivileges with one privilege and these attributes. 0 when
    // the call succeeded, even if the token does not hold the privilege.
    virtual uint32_t AdjustPrivilege(uint64_t luid, uint32_t attributes) = 0;
};

class Security {
public:
    virtual ~Security() = default;
    // OpenThreadToken; kErrorNoToken when the thread is not impersonating.
    virtual uint32_t OpenThreadToken(uint32_t access, bool openAsSelf,
                                     std::unique_ptr<AccessToken>& token) = 0;
    // OpenProcessToken of the current process.
    virtual uint32_t OpenProcessToken(uint32_t access, std::unique_ptr<AccessToken>& token) = 0;
    // LookupPrivilegeValue on the local system.
    virtual uint32_t LookupPrivilege(const std::string& name, uint64_t& luid) = 0;
    // LookupAccountSid on the local system: the account's name and domain
    // (empty for well-known groups such as Everyone).
    virtual uint32_t LookupAccount(const std::string& sid, std::string& name,
                                   std::string& domain) = 0;
    // Opens root\path with READ_CONTROL and reads its DACL, entry by entry;
    // a key without a DACL gives an empty list.
    virtual uint32_t ReadKeyDacl(uint32_t root, const std::string& path,
                                 std::vector<AccessEntry>& dacl) = 0;
    // Opens root\path with WRITE_DAC and stores a DACL of revision 2 holding
    // exactly these entries in this order. Owner, group and audit list stay.
    virtual uint32_t WriteKeyDacl(uint32_t root, const std::string& path,
                                  const std::vector<AccessEntry>& dacl) = 0;
};

}  // namespace mivox
