// The dialogs the registration hands its work to. They are made beside the
// registration dialog by whoever makes it, and exist by the time they are
// used.
#pragma once

#include "platform/DialogPeer.h"

namespace mivox {

class TDeviceSelectionDlg;
class THttpTooLongDlg;
class TSendingEMailDlg;
class TSendingFaxDlg;
class TYesNoDlg;

class RegistrationDialogs {
public:
    // The program's main window: the browser is started from it.
    virtual DialogPeer& MainWindow() = 0;
    virtual THttpTooLongDlg& HttpTooLongDlg() = 0;
    virtual TSendingEMailDlg& SendingEMailDlg() = 0;
    virtual TSendingFaxDlg& SendingFaxDlg() = 0;
    virtual TYesNoDlg& YesNoDlg() = 0;
    virtual TDeviceSelectionDlg& DeviceSelectionDlg() = 0;

protected:
    ~RegistrationDialogs() = default;
};

}  // namespace mivox
