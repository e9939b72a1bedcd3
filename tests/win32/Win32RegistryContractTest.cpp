// The real registry under the contract the in-memory double keeps.
#include <windows.h>

#include "contract/RegistryContract.h"
#include "win32/Win32Platform.h"

namespace mivox::contract {

RegistryUnderTest MakeRegistryUnderTest() {
    auto registry = std::make_shared<win32::Win32Registry>();
    return {kHkeyCurrentUser, "Software\\MivoxTest" + std::to_string(GetCurrentProcessId()),
            registry.get(), registry};
}

}  // namespace mivox::contract
