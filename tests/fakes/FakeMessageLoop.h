// A test double of the MessageLoop seam.
#pragma once

#include "platform/MessageLoop.h"

namespace mivox::testing {

class FakeMessageLoop : public MessageLoop {
public:
};

}  // namespace mivox::testing
