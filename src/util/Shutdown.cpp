#include "util/Shutdown.h"

#include "util/WinVersion.h"

namespace mivox {

namespace {
constexpr char kShutdownPrivilege[] = "SeShutdownPrivilege";
}

bool SetPrivilege(Platform& platform, const std::string& privilege, bool enable) {
    std::unique_ptr<AccessToken> token;
    if (platform.security.OpenProcessToken(kTokenAdjustPrivileges | kTokenQuery, token) != 0 ||
        !token) {
        return false;
    }
    uint64_t luid = 0;
    if (platform.security.LookupPrivilege(privilege, luid) != 0) return false;
    return token->AdjustPrivilege(luid, enable ? kSePrivilegeEnabled : 0) == 0;
}

bool ShutdownWindows(Platform& platform, uint32_t flags) {
    const bool nt = IsWinNT(platform.system);
    if (nt) SetPrivilege(platform, kShutdownPrivilege, true);
    const bool accepted = platform.shell.ExitSession(flags);
    if (nt) SetPrivilege(platform, kShutdownPrivilege, false);
    return accepted;
}

}  // namespace mivox
