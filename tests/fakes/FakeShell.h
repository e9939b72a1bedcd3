// A test double of the Shell seam.
#pragma once

#include "platform/Shell.h"

namespace mivox::testing {

class FakeShell : public Shell {
public:
};

}  // namespace mivox::testing
