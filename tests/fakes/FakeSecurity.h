// A test double of the Security seam.
#pragma once

#include "platform/Security.h"

namespace mivox::testing {

class FakeSecurity : public Security {
public:
};

}  // namespace mivox::testing
