// Texts for Windows Sockets error codes, as the socket component reports
// them to its users.
#pragma once

#include <string>

namespace mivox {

// The description of a Windows Sockets error code; "Unknown Error" for a
// code the table does not hold.
std::string WSocketErrorDesc(int error);

}  // namespace mivox
