#include "registry/KeySecurity.h"

#include <algorithm>

#include "platform/Registry.h"
#include "util/Errors.h"
#include "util/TextUtil.h"

namespace mivox {

namespace {

void CheckType(uint8_t type) {
    if (type != kAccessAllowedAce && type != kAccessDeniedAce) {
        throw SecurityError("Invalid AceType parameter");
    }
}

// Where an entry goes in a stored DACL: explicit deny, explicit allow,
// inherited deny, inherited allow.
int Rank(const AccessListEntry& entry) {
    const int inherited = (entry.flags & kInheritedAce) ? 2 : 0;
    return inherited + (entry.type == kAccessDeniedAce ? 0 : 1);
}

}  // namespace

TNTRegSecurity::TNTRegSecurity(Security& security, const SystemInfo& system, uint32_t root,
                               std::string path)
    : security_(security), system_(system), root_(root), path_(std::move(path)) {}

std::string TNTRegSecurity::TrusteeName(const std::string& sid) const {
    std::string name;
    std::string domain;
    if (security_.LookupAccount(sid, name, domain) != 0) {
        return sid == kEveryoneSid ? "everyone" : sid;
    }
    return domain.empty() ? name : domain + "\\" + name;
}

void TNTRegSecurity::Fail(uint32_t code) const {
    const std::string text = TrimEnd(system_.ErrorMessageText(code), "\r\n ");
    throw SecurityError(std::to_string(code) + ": " + text);
}

void TNTRegSecurity::ReadAccessList() {
    std::vector<AccessEntry> dacl;
    if (const uint32_t code = security_.ReadKeyDacl(root_, path_, dacl)) Fail(code);
    entries_.clear();
    for (const AccessEntry& ace : dacl) {
        CheckType(ace.type);
        const uint32_t mask = ace.mask == kKeyAllAccess ? kFullControl : ace.mask;
        entries_.push_back({TrusteeName(ace.sid), ace.sid, mask, ace.type, ace.flags});
    }
}

void TNTRegSecurity::DeleteEntry(size_t index) {
    entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(index));
    WriteAccessList();
}

void TNTRegSecurity::AddEntry(const std::string& sid, uint32_t mask, uint8_t type, uint8_t flags) {
    CheckType(type);
    entries_.push_back({TrusteeName(sid), sid, mask, type, flags});
    WriteAccessList();
}

void TNTRegSecurity::WriteAccessList() {
    std::vector<AccessListEntry> ordered = entries_;
    std::stable_sort(ordered.begin(), ordered.end(),
                     [](const auto& a, const auto& b) { return Rank(a) < Rank(b); });
    std::vector<AccessEntry> dacl;
    for (const AccessListEntry& entry : ordered) {
        const uint32_t mask = entry.mask == kFullControl ? kKeyAllAccess : entry.mask;
        dacl.push_back({entry.sid, entry.type, entry.flags, mask});
    }
    if (const uint32_t code = security_.WriteKeyDacl(root_, path_, dacl)) Fail(code);
}

}  // namespace mivox
