// The application's title and its standard report of an unexpected error.
#pragma once

#include <exception>

#include "platform/MessageBoxes.h"

namespace mivox {

inline constexpr const char kApplicationTitle[] = "Setup.exe";

// An error box captioned with the application's title. The event that
// raised the error is abandoned; every dialog stays open.
void AppException(MessageBoxes& boxes, const std::exception& error);

}  // namespace mivox
