#include "util/Shutdown.h"

#include "util/WinVersion.h"

namespace mivox {

namespace {
constexpr char kShutdownPrivilege[] = "SeShutdownPrivilege";
}

bool SetPrivilege(Security& security, const std::string& privilege, bool enable) {
    std::unique_ptr<AccessToken> token;
    if (security.OpenProcessToken(kTokenAdjustPrivileges | kTokenQuery, token) != 0 || !token) {
        return false;
    }
    uint64_t luid = 0;
    if (security.LookupPrivilege(privilege, luid) != 0) return false;
    return token->AdjustPrivilege(luid, enable ? kSePrivilegeEnabled : 0) == 0;
}

bool ShutdownWindows(const Machine& machine, uint32_t flags) {
    const bool nt = IsWinNT(machine.system);
    if (nt) SetPrivilege(machine.security, kShutdownPrivilege, true);
    const bool accepted = machine.shell.ExitSession(flags);
    if (nt) SetPrivilege(machine.security, kShutdownPrivilege, false);
    return accepted;
}

}  // namespace mivox
