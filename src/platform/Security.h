// Tokens, group membership, privileges and registry key security.
#pragma once

namespace mivox {

class Security {
public:
    virtual ~Security() = default;
};

}  // namespace mivox
