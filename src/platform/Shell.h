// The shell: special folders, shell links, shell execute, exiting Windows.
#pragma once

#include <string>

namespace mivox {

class Shell {
public:
    virtual ~Shell() = default;
};

}  // namespace mivox
