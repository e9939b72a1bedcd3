// The access list of one registry key, as a list of trustee entries that
// can be removed and added one at a time. Each change is stored at once.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/Security.h"
#include "platform/SystemInfo.h"

namespace mivox {

// Full control as the list shows it; stored as KEY_ALL_ACCESS.
constexpr uint32_t kFullControl = 0x08000000;

struct AccessListEntry {
    std::string trustee;  // the account's name, "DOMAIN\name" when it has a domain
    std::string sid;
    uint32_t mask = 0;
    uint8_t type = kAccessAllowedAce;
    uint8_t flags = 0;  // inheritance flags, as the ACE flags
};

class TNTRegSecurity {
public:
    // Acts on root\path of the local machine.
    TNTRegSecurity(Security& security, const SystemInfo& system, uint32_t root, std::string path);

    // Reads the key's DACL into the list; raises SecurityError.
    void ReadAccessList();
    const std::vector<AccessListEntry>& AccessList() const { return entries_; }
    // Removes one entry and stores the list.
    void DeleteEntry(size_t index);
    // Appends an allow or deny entry and stores the list; any other type is
    // refused with "Invalid AceType parameter".
    void AddEntry(const std::string& sid, uint32_t mask, uint8_t type, uint8_t flags);

    // The account name of sid. When the system cannot name it, Everyone is
    // "everyone" and any other identifier keeps its text form.
    std::string TrusteeName(const std::string& sid) const;

private:
    // The list as a DACL: entries set on the key before inherited ones,
    // deny before allow, and otherwise in list order.
    void WriteAccessList();
    [[noreturn]] void Fail(uint32_t code) const;

    Security& security_;
    const SystemInfo& system_;
    uint32_t root_;
    std::string path_;
    std::vector<AccessListEntry> entries_;
};

}  // namespace mivox
