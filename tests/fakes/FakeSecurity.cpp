#include "fakes/FakeSecurity.h"

#include <algorithm>
#include <cstdint>

#include "fakes/MemoryRegistry.h"
#include "platform/Registry.h"
#include "util/TextUtil.h"

namespace mivox::testing {

namespace {

constexpr uint32_t kErrorFileNotFound = 2;
constexpr uint32_t kErrorNoneMapped = 1332;

class FakeToken : public AccessToken {
public:
    FakeToken(FakeSecurity& security, const FakeSecurity::Token& token)
        : security_(security), token_(token) {}

    uint32_t GroupsSize(uint32_t& size) const override {
        size = token_.groupsSize.value_or(FakeSecurity::GroupListBytes(token_.groups));
        return token_.sizeError;
    }
    uint32_t ReadGroups(uint32_t bufferSize, std::vector<TokenGroup>& groups) const override {
        if (token_.readError) return token_.readError;
        uint32_t size = 0;
        GroupsSize(size);
        if (size > bufferSize) return kErrorInsufficientBuffer;
        groups = token_.groups;
        return 0;
    }
    uint32_t AdjustPrivilege(uint64_t luid, uint32_t attributes) override {
        if (security_.adjustError) return security_.adjustError;
        security_.adjustments.emplace_back(luid, attributes);
        return 0;
    }

private:
    FakeSecurity& security_;
    FakeSecurity::Token token_;
};

}  // namespace

FakeSecurity::FakeSecurity() {
    processToken.groups = {{"S-1-1-0", kSeGroupMandatory | kSeGroupEnabled},
                           {"S-1-5-32-544", kSeGroupMandatory | kSeGroupEnabled},
                           {"S-1-5-32-545", kSeGroupMandatory | kSeGroupEnabled},
                           {"S-1-5-11", kSeGroupMandatory | kSeGroupEnabled}};
    privileges = {{"SeShutdownPrivilege", 19}, {"SeDebugPrivilege", 20}};
    accounts = {{"S-1-1-0", {"Everyone", ""}},
                {"S-1-5-18", {"SYSTEM", "NT AUTHORITY"}},
                {"S-1-5-32-544", {"Administrators", "BUILTIN"}},
                {"S-1-5-32-545", {"Users", "BUILTIN"}},
                {"S-1-5-11", {"Authenticated Users", "NT AUTHORITY"}}};
    defaultDacl = {{"S-1-5-32-544", kAccessAllowedAce, kContainerInheritAce, kKeyAllAccess},
                   {"S-1-5-18", kAccessAllowedAce, kContainerInheritAce, kKeyAllAccess},
                   {"S-1-5-32-545", kAccessAllowedAce, kContainerInheritAce, kKeyRead}};
}

uint32_t FakeSecurity::GroupListBytes(const std::vector<TokenGroup>& groups) {
    // TOKEN_GROUPS: the count padded to 8, one SID_AND_ATTRIBUTES of 16
    // bytes per group, then the SIDs: 8 bytes and 4 per sub-authority.
    uint32_t size = 8 + 16 * static_cast<uint32_t>(groups.size());
    for (const TokenGroup& group : groups) {
        const auto dashes =
            static_cast<uint32_t>(std::count(group.sid.begin(), group.sid.end(), '-'));
        size += 8 + 4 * (dashes >= 2 ? dashes - 2 : 0);
    }
    return size;
}

uint32_t FakeSecurity::OpenThreadToken(uint32_t access, bool, std::unique_ptr<AccessToken>& token) {
    tokenOpens.emplace_back(access, true);
    if (threadOpenError) return threadOpenError;
    if (!threadToken) return kErrorNoToken;
    token = std::make_unique<FakeToken>(*this, *threadToken);
    return 0;
}

uint32_t FakeSecurity::OpenProcessToken(uint32_t access, std::unique_ptr<AccessToken>& token) {
    tokenOpens.emplace_back(access, false);
    if (processOpenError) return processOpenError;
    token = std::make_unique<FakeToken>(*this, processToken);
    return 0;
}

uint32_t FakeSecurity::LookupPrivilege(const std::string& name, uint64_t& luid) {
    const auto it = privileges.find(name);
    if (it == privileges.end()) return kErrorNoneMapped;
    luid = it->second;
    return 0;
}

bool FakeSecurity::PrivilegeEnabled(const std::string& name) const {
    const auto it = privileges.find(name);
    if (it == privileges.end()) return false;
    for (auto adjustment = adjustments.rbegin(); adjustment != adjustments.rend(); ++adjustment) {
        if (adjustment->first == it->second) return adjustment->second & kSePrivilegeEnabled;
    }
    return false;
}

uint32_t FakeSecurity::LookupAccount(const std::string& sid, std::string& name,
                                     std::string& domain) {
    const auto it = accounts.find(sid);
    if (it == accounts.end()) return kErrorNoneMapped;
    name = it->second.first;
    domain = it->second.second;
    return 0;
}

std::pair<uint32_t, std::string> FakeSecurity::Name(uint32_t root, const std::string& path) {
    return {root, UpperText(path)};
}

bool FakeSecurity::KeyExists(uint32_t root, const std::string& path) const {
    return !registry_ || registry_->FindKey(root, path) != nullptr;
}

std::vector<AccessEntry> FakeSecurity::Dacl(uint32_t root, const std::string& path) const {
    const auto it = dacls_.find(Name(root, path));
    return it == dacls_.end() ? defaultDacl : it->second;
}

void FakeSecurity::SetDacl(uint32_t root, const std::string& path, std::vector<AccessEntry> dacl) {
    dacls_[Name(root, path)] = std::move(dacl);
}

uint32_t FakeSecurity::ReadKeyDacl(uint32_t root, const std::string& path,
                                   std::vector<AccessEntry>& dacl) {
    if (readDaclError) return readDaclError;
    if (!KeyExists(root, path)) return kErrorFileNotFound;
    dacl = Dacl(root, path);
    return 0;
}

uint32_t FakeSecurity::WriteKeyDacl(uint32_t root, const std::string& path,
                                    const std::vector<AccessEntry>& dacl) {
    if (writeDaclError && daclWrites.size() >= failWriteAfter) return writeDaclError;
    if (!KeyExists(root, path)) return kErrorFileNotFound;
    daclWrites.push_back(dacl);
    SetDacl(root, path, dacl);
    return 0;
}

}  // namespace mivox::testing
