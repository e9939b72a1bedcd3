// The real Security seam under the contract the test double keeps.
#include <windows.h>

#include "contract/SecurityContract.h"
#include "win32/Win32Platform.h"

namespace mivox::contract {

SecurityUnderTest MakeSecurityUnderTest() {
    auto system = std::make_shared<win32::Win32Platform>();
    return {kHkeyCurrentUser, "Software\\MivoxSecurityTest" + std::to_string(GetCurrentProcessId()),
            &system->registry, &system->security, system};
}

}  // namespace mivox::contract
