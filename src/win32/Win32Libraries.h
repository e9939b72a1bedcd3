// LoadLibrary behind the Libraries seam.
#pragma once

#include "platform/Libraries.h"

namespace mivox::win32 {

class Win32Libraries : public Libraries {
public:
    std::unique_ptr<LoadedLibrary> Load(const std::string& name) override;
};

}  // namespace mivox::win32
