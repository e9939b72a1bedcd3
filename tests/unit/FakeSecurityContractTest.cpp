// The security test double keeps the same contract as the real system.
#include "contract/SecurityContract.h"
#include "fakes/FakeSecurity.h"
#include "fakes/MemoryRegistry.h"

namespace mivox::contract {

SecurityUnderTest MakeSecurityUnderTest() {
    struct Owner {
        testing::MemoryRegistry registry;
        testing::FakeSecurity security;
    };
    auto owner = std::make_shared<Owner>();
    owner->security.SetRegistry(&owner->registry);
    return {kHkeyCurrentUser, "Software\\MivoxSecurityTest", &owner->registry, &owner->security,
            owner};
}

}  // namespace mivox::contract
