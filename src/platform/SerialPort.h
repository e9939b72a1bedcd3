// A serial port with a modem on it, shaped after the kernel32 communication
// calls (CreateFile on "\\.\COMn", SetupComm, SetCommState, SetCommTimeouts,
// ReadFile, WriteFile), and the posting of work to the user-interface thread
// that a port's reader needs. A port is used by one thread at a time.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/TextRenderer.h"

namespace mivox {

struct SerialSettings {
    uint32_t baud = 19200;
    uint32_t inSize = 8192;  // driver buffers, in bytes
    uint32_t outSize = 8192;
    // Hardware flow control: RTS raised while the receive buffer has room,
    // output held while CTS is low. RTS drops when `bufferFull` bytes are
    // waiting and rises again below `bufferResume`.
    bool useRts = true;
    bool requireCts = true;
    uint32_t bufferFull = 7372;
    uint32_t bufferResume = 819;
};

// Why a port could not be opened, for a message that tells the user what to do.
enum class PortError { kNone, kMissing, kBusy, kNotSerial, kOther };

class SerialPort {
public:
    virtual ~SerialPort() = default;
    // Opens the port by its device name ("COM1"); on failure returns false
    // and says why in `error` and `detail` (the system's text).
    virtual bool Open(const std::string& name, const SerialSettings& settings, PortError& error,
                      std::string& detail) = 0;
    virtual void Close() = 0;
    virtual bool IsOpen() const = 0;
    // Writes every byte (waiting while flow control holds them); false when
    // the port fails or the bytes have not all gone out within `timeoutMs`.
    // Neither call waits much longer than its time, whatever the driver does.
    virtual bool Write(const std::string& bytes, uint32_t timeoutMs) = 0;
    // Appends what arrives within `timeoutMs` (at least one byte unless the
    // time runs out); false when the port fails.
    virtual bool Read(std::string& bytes, uint32_t timeoutMs) = 0;
    // Makes the transfer under way, and every later one until the port is
    // opened again, fail at once. May be called from any thread.
    virtual void Interrupt() {}
};

// The serial ports present on the machine and the telephony line devices
// (modems) the system knows, by name.
class ModemDirectory {
public:
    virtual ~ModemDirectory() = default;
    virtual std::vector<std::string> SerialPorts() = 0;     // "COM1", ...
    virtual std::vector<std::string> TelephonyLines() = 0;  // modem names
    // The serial port of a telephony line device ("COM3"), or "" when unknown.
    virtual std::string PortOfLine(const std::string& line) = 0;
};

// Runs work on the user-interface thread, after the work already waiting
// there. Safe to call from any thread.
class UiThreadPoster {
public:
    virtual ~UiThreadPoster() = default;
    // False when the work could not be queued (the thread's queue is full):
    // it is then dropped.
    virtual bool Post(std::function<void()> task) = 0;
};

// What the fax sender needs of the machine, gathered for the platform: the
// modem's port, the modems installed, text drawn as fax lines, and the
// user-interface thread that hears the sender's events.
struct FaxDevices {
    SerialPort& port;
    ModemDirectory& modems;
    TextRenderer& renderer;
    UiThreadPoster& ui;
};

}  // namespace mivox
