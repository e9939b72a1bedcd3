// The Libraries seam: a library of the system folder, loaded by its full
// path (win32/SystemLibrary.h).
#pragma once

#include "platform/Libraries.h"

namespace mivox::win32 {

class Win32Libraries : public Libraries {
public:
    std::unique_ptr<LoadedLibrary> Load(const std::string& name) override;
};

}  // namespace mivox::win32
