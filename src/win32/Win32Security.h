// The real Security seam.
#pragma once

#include <map>
#include <utility>

#include "platform/Security.h"

namespace mivox::win32 {

class Win32Security : public Security {
public:
    uint32_t OpenThreadToken(uint32_t access, bool openAsSelf,
                             std::unique_ptr<AccessToken>& token) override;
    uint32_t OpenProcessToken(uint32_t access, std::unique_ptr<AccessToken>& token) override;
    uint32_t LookupPrivilege(const std::string& name, uint64_t& luid) override;
    // Names found are kept for the life of the object (the process's
    // platform), as account lookups can be slow.
    uint32_t LookupAccount(const std::string& sid, std::string& name, std::string& domain) override;
    uint32_t ReadKeyDacl(uint32_t root, const std::string& path,
                         std::vector<AccessEntry>& dacl) override;
    uint32_t WriteKeyDacl(uint32_t root, const std::string& path,
                          const std::vector<AccessEntry>& dacl) override;

private:
    std::map<std::string, std::pair<std::string, std::string>> accounts_;
};

}  // namespace mivox::win32
