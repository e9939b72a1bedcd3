// The system's common dialogs (comdlg32).
#pragma once

#include "platform/CommonDialogs.h"

namespace mivox::win32 {

class Win32CommonDialogs : public CommonDialogs {
public:
    bool OpenFile(OpenFileRequest& request) override;
};

}  // namespace mivox::win32
