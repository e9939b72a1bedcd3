// The failures that no operation handles itself. They travel up to the
// application-wide handler, which shows their text and abandons only the
// event that raised them.
#pragma once

#include "platform/Failure.h"

namespace mivox {

// A file or directory that could not be read, written or removed.
class IoError : public Failure {
public:
    using Failure::Failure;
};

// A registry value that could not be read or written, or that holds the
// wrong type: "Failed to set data for 'ProgramDir'".
class RegistryError : public Failure {
public:
    using Failure::Failure;
};

// A key's security that could not be read or stored: the system's error
// code, ": " and its message text.
class SecurityError : public Failure {
public:
    using Failure::Failure;
};

}  // namespace mivox
