// The in-memory registry keeps the same contract as the real one.
#include "contract/RegistryContract.h"
#include "fakes/MemoryRegistry.h"

namespace mivox::contract {

RegistryUnderTest MakeRegistryUnderTest() {
    auto registry = std::make_shared<testing::MemoryRegistry>();
    return {kHkeyCurrentUser, "Software\\MivoxTest", registry.get(), registry};
}

}  // namespace mivox::contract
