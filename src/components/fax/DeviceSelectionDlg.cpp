#include "components/fax/DeviceSelectionDlg.h"

#include <algorithm>

#include "DeviceSelectionDlgRes.h"
#include "platform/MessageBoxes.h"

namespace mivox {

TDeviceSelectionDlg::TDeviceSelectionDlg(DialogPeer& dialog, Desktop& desktop)
    : dialog_(dialog), ComboBoxDevices(desktop.DropDown(dialog, IDC_DEVICESELECTION_DEVICES)) {}

bool TDeviceSelectionDlg::Execute(const std::vector<std::string>& devices, std::string& device) {
    devices_ = devices;
    device_ = device;
    if (dialog_.ShowModal() != kIdOk) return false;
    device = device_;
    return true;
}

void TDeviceSelectionDlg::FormShow() {
    ComboBoxDevices.Clear();
    for (const std::string& device : devices_) ComboBoxDevices.AddItem(device);
    const auto current = std::find(devices_.begin(), devices_.end(), device_);
    ComboBoxDevices.SetSelected(
        current == devices_.end() ? 0 : static_cast<int>(current - devices_.begin()));
}

void TDeviceSelectionDlg::Command(int controlId, int code) {
    if (code != kButtonClicked) return;
    if (controlId == IDB_DEVICESELECTION_OK) {
        // With nothing to choose, Ok changes nothing.
        if (ComboBoxDevices.Selected() < 0) {
            dialog_.Close(kIdCancel);
            return;
        }
        device_ = ComboBoxDevices.Text();
        dialog_.Close(kIdOk);
    }
    if (controlId == IDB_DEVICESELECTION_CANCEL) dialog_.Close(kIdCancel);
}

}  // namespace mivox
