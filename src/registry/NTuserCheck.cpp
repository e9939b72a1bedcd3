#include "registry/NTuserCheck.h"

namespace mivox {

bool IsAdministrator(Security& security) {
    std::unique_ptr<AccessToken> token;
    // The thread's token first, so that an impersonating thread answers for
    // its client.
    uint32_t status = security.OpenThreadToken(kTokenQuery, false, token);
    if (status == kErrorNoToken) status = security.OpenProcessToken(kTokenQuery, token);
    if (status != 0 || !token) return false;

    // The list may grow between asking its size and reading it.
    std::vector<TokenGroup> groups;
    uint32_t read = kErrorInsufficientBuffer;
    for (int attempt = 0; attempt < 3 && read == kErrorInsufficientBuffer; ++attempt) {
        uint32_t size = 0;
        if (token->GroupsSize(size) != kErrorInsufficientBuffer || size == 0) return false;
        read = token->ReadGroups(size, groups);
    }
    if (read != 0) return false;
    for (const TokenGroup& group : groups) {
        // Deny-only and disabled groups count too: membership is the question.
        if (!group.sid.empty() && group.sid == kAdministratorsSid) return true;
    }
    return false;
}

}  // namespace mivox
