// The modem's serial port and the choice of modem: a port opened directly by
// its number, or a telephony line device whose port is looked up.
#pragma once

#include <string>
#include <vector>

#include "platform/SerialPort.h"
#include "platform/Failure.h"

namespace mivox {

class TDeviceSelectionDlg;

class PortOpenError : public Failure {
public:
    using Failure::Failure;
};

// How the port is reached: through a telephony line (tmOn, or tmAuto when a
// line device is selected), or opened directly (tmOff).
enum class TTapiMode { tmOn, tmAuto, tmOff };

enum HwFlowOption : unsigned {
    hwfUseDTR = 1,
    hwfUseRTS = 2,
    hwfRequireDSR = 4,
    hwfRequireCTS = 8,
};

class TApdComPort {
public:
    explicit TApdComPort(SerialPort& port) : port_(port) {}
    ~TApdComPort() { port_.Close(); }
    TApdComPort(const TApdComPort&) = delete;
    TApdComPort& operator=(const TApdComPort&) = delete;

    int ComNumber = 0;  // 1 for COM1; 0 until a port is chosen
    uint32_t Baud = 19200;
    uint32_t InSize = 4096;
    uint32_t OutSize = 4096;
    unsigned HWFlowOptions = 0;
    uint32_t BufferFull = 0;    // 0: nine tenths of InSize
    uint32_t BufferResume = 0;  // 0: one tenth of InSize
    bool AutoOpen = true;
    TTapiMode TapiMode = TTapiMode::tmAuto;

    // Opens (true) or closes (false) the port. Opening raises a
    // PortOpenError that names the port and the reason: no port chosen,
    // missing, in use by another program, or not a serial port.
    void SetOpen(bool open);
    bool Open() const { return port_.IsOpen(); }
    std::string PortName() const { return "COM" + std::to_string(ComNumber); }

    SerialPort& Port() { return port_; }

private:
    SerialPort& port_;
};

// The choice of modem: telephony line devices where the system has them,
// plus the serial ports present, so that a machine without installed modems
// can still name the port its modem is on.
class TApdTapiDevice {
public:
    TApdTapiDevice(ModemDirectory& directory, TApdComPort& port)
        : directory_(directory), port_(port) {}

    std::string SelectedDevice;
    bool ShowTapiDevices = true;
    bool ShowPorts = true;
    bool EnableVoice = false;

    // The names offered for selection: the line devices (when shown) and
    // the serial ports (when shown, or when there are no line devices).
    std::vector<std::string> Devices() const;
    // Makes `device` the selected one; a serial port name sets the port to
    // be opened directly (its number and mode), a line device name through
    // the line.
    void Choose(const std::string& device);
    // Lets the user choose among Devices() in the selection dialog; Cancel
    // keeps the device selected before.
    void SelectDevice(TDeviceSelectionDlg& dialog);
    // Opens the selected device's port for the fax sender. Raises a
    // PortOpenError when no device is configured, it has no port, or the
    // port cannot be opened (in use, missing).
    void ConfigAndOpen();
    // Ends the call and releases the port.
    void CancelCall();

private:
    ModemDirectory& directory_;
    TApdComPort& port_;
};

}  // namespace mivox
