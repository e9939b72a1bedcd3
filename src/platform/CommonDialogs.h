// The system's common dialogs.
#pragma once

#include <string>

namespace mivox {

struct OpenFileRequest {
    std::string title;
    std::string filter;  // "Program Files|*.exe"
    std::string defaultExtension;
    std::string fileName;  // in: proposed name; out: the chosen full path
};

class CommonDialogs {
public:
    virtual ~CommonDialogs() = default;
    // GetOpenFileName over the active window; false when the user cancels.
    virtual bool OpenFile(OpenFileRequest& request) = 0;
};

}  // namespace mivox
