#include "components/fax/ComPort.h"

#include <algorithm>

#include "components/fax/DeviceSelectionDlg.h"

namespace mivox {

void TApdComPort::SetOpen(bool open) {
    if (!open) {
        port_.Close();
        return;
    }
    if (port_.IsOpen()) return;
    if (ComNumber <= 0) throw PortOpenError("No serial port is selected for the modem.");
    SerialSettings settings;
    settings.baud = Baud;
    settings.inSize = InSize;
    settings.outSize = OutSize;
    settings.useRts = (HWFlowOptions & hwfUseRTS) != 0;
    settings.requireCts = (HWFlowOptions & hwfRequireCTS) != 0;
    settings.bufferFull = BufferFull ? BufferFull : InSize / 10 * 9;
    settings.bufferResume = BufferResume ? BufferResume : InSize / 10;
    PortError error = PortError::kNone;
    std::string detail;
    if (port_.Open(PortName(), settings, error, detail)) return;
    const std::string name = PortName();
    switch (error) {
        case PortError::kMissing:
            throw PortOpenError("The serial port " + name + " does not exist on this computer.");
        case PortError::kBusy:
            throw PortOpenError("The serial port " + name +
                                " is in use by another program. Close that program and try again.");
        case PortError::kNotSerial:
            throw PortOpenError(name + " is not a serial port: " + detail);
        default:
            throw PortOpenError("Cannot open the serial port " + name + ": " + detail);
    }
}

namespace {

// "COM12" -> 12; 0 when the name is not a serial port's.
int PortNumber(const std::string& name) {
    if (name.size() < 4 || name.size() > 6 || name.compare(0, 3, "COM") != 0) return 0;
    int number = 0;
    for (size_t i = 3; i < name.size(); ++i) {
        if (name[i] < '0' || name[i] > '9') return 0;
        number = number * 10 + (name[i] - '0');
    }
    return number;
}

}  // namespace

std::vector<std::string> TApdTapiDevice::Devices() const {
    std::vector<std::string> devices;
    if (ShowTapiDevices) devices = directory_.TelephonyLines();
    if (ShowPorts || devices.empty()) {
        for (const std::string& port : directory_.SerialPorts())
            if (std::find(devices.begin(), devices.end(), port) == devices.end())
                devices.push_back(port);
    }
    return devices;
}

void TApdTapiDevice::Choose(const std::string& device) {
    SelectedDevice = device;
    const int number = PortNumber(device);
    port_.TapiMode = number ? TTapiMode::tmOff : TTapiMode::tmOn;
    // A port chosen by name is opened directly: it is the port's own now.
    if (number) port_.ComNumber = number;
}

void TApdTapiDevice::SelectDevice(TDeviceSelectionDlg& dialog) {
    std::string device = SelectedDevice;
    if (dialog.Execute(Devices(), device)) Choose(device);
}

void TApdTapiDevice::ConfigAndOpen() {
    if (SelectedDevice.empty()) throw PortOpenError("No fax modem is selected.");
    std::string port =
        PortNumber(SelectedDevice) ? SelectedDevice : directory_.PortOfLine(SelectedDevice);
    if (PortNumber(port) == 0) {
        throw PortOpenError("The modem \"" + SelectedDevice +
                            "\" is not installed on this computer, or its serial port is unknown.");
    }
    port_.ComNumber = PortNumber(port);
    port_.SetOpen(true);
}

void TApdTapiDevice::CancelCall() {
    port_.SetOpen(false);
}

}  // namespace mivox
