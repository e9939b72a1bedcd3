// The message loop of the user-interface thread: what the logic waits
// through, so that a test can run it on virtual time.
#pragma once

namespace mivox {

class MessageLoop {
public:
    virtual ~MessageLoop() = default;
};

}  // namespace mivox
