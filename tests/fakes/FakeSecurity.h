// A test double of the Security seam: tokens with a group list of any size,
// privileges, account names, and a DACL for every key of the in-memory
// registry it is tied to. Any call can be made to fail.
#pragma once

#include <cstddef>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/Security.h"

namespace mivox::testing {

class MemoryRegistry;

class FakeSecurity : public Security {
public:
    struct Token {
        std::vector<TokenGroup> groups;
        // The size the group list asks for; by default that of its layout
        // on 64-bit Windows.
        std::optional<uint32_t> groupsSize;
        uint32_t sizeError = kErrorInsufficientBuffer;  // what the size query returns
        uint32_t readError = 0;
    };

    FakeSecurity();

    uint32_t OpenThreadToken(uint32_t access, bool openAsSelf,
                             std::unique_ptr<AccessToken>& token) override;
    uint32_t OpenProcessToken(uint32_t access, std::unique_ptr<AccessToken>& token) override;
    uint32_t LookupPrivilege(const std::string& name, uint64_t& luid) override;
    uint32_t LookupAccount(const std::string& sid, std::string& name, std::string& domain) override;
    uint32_t ReadKeyDacl(uint32_t root, const std::string& path,
                         std::vector<AccessEntry>& dacl) override;
    uint32_t WriteKeyDacl(uint32_t root, const std::string& path,
                          const std::vector<AccessEntry>& dacl) override;

    // Keys exist only where this registry has them.
    void SetRegistry(const MemoryRegistry* registry) { registry_ = registry; }
    // The key's DACL: the one last written, else defaultDacl.
    std::vector<AccessEntry> Dacl(uint32_t root, const std::string& path) const;
    void SetDacl(uint32_t root, const std::string& path, std::vector<AccessEntry> dacl);
    // Whether the last adjustment of the privilege enabled it.
    bool PrivilegeEnabled(const std::string& name) const;
    static uint32_t GroupListBytes(const std::vector<TokenGroup>& groups);

    std::optional<Token> threadToken;  // none: the thread is not impersonating
    Token processToken;
    uint32_t threadOpenError = 0;
    uint32_t processOpenError = 0;
    std::vector<std::pair<uint32_t, bool>> tokenOpens;  // access asked, thread token or not

    std::map<std::string, uint64_t> privileges;
    std::vector<std::pair<uint64_t, uint32_t>> adjustments;  // in order
    uint32_t adjustError = 0;

    std::map<std::string, std::pair<std::string, std::string>> accounts;  // sid: name, domain
    std::vector<AccessEntry> defaultDacl;
    std::vector<std::vector<AccessEntry>> daclWrites;  // every DACL stored, in order
    uint32_t readDaclError = 0;
    uint32_t writeDaclError = 0;
    size_t failWriteAfter = 0;  // stores that succeed before writeDaclError applies

private:
    bool KeyExists(uint32_t root, const std::string& path) const;
    static std::pair<uint32_t, std::string> Name(uint32_t root, const std::string& path);

    const MemoryRegistry* registry_ = nullptr;
    std::map<std::pair<uint32_t, std::string>, std::vector<AccessEntry>> dacls_;
};

}  // namespace mivox::testing
