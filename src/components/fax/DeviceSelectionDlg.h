// TDeviceSelectionDlg: the fax library's choice of modem, a drop-down list
// of the devices offered with Ok and Cancel.
#pragma once

#include <string>
#include <vector>

#include "platform/Desktop.h"
#include "platform/DialogPeer.h"

namespace mivox {

class TDeviceSelectionDlg final : public DialogEvents {
public:
    TDeviceSelectionDlg(DialogPeer& dialog, Desktop& desktop);

    // Offers `devices` with `device` selected (the first one when it is not
    // among them). Ok with an entry selected puts it into `device` and
    // returns true; Cancel or the close box leaves `device` as it was.
    bool Execute(const std::vector<std::string>& devices, std::string& device);

    void FormShow() override;
    void Command(int controlId, int code) override;

private:
    DialogPeer& dialog_;
    DropDownPeer& ComboBoxDevices;
    std::vector<std::string> devices_;
    std::string device_;
};

}  // namespace mivox
