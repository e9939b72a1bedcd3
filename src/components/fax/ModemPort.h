// The byte stream to a fax modem: the serial port with an input buffer,
// read as response lines or as DLE-stuffed data, each read with its
// deadline on the clock. A failed transfer, a write the modem holds up too
// long and a cancellation stop the call with a FaxFailure.
#pragma once

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>

#include "platform/Clock.h"
#include "platform/SerialPort.h"

namespace mivox {

class ModemPort {
public:
    // `cancel` is set from another thread to stop the call at its next transfer.
    ModemPort(SerialPort& port, const Clock& clock, const std::atomic<bool>& cancel)
        : port_(port), clock_(clock), cancel_(cancel) {}
    ModemPort(const ModemPort&) = delete;
    ModemPort& operator=(const ModemPort&) = delete;

    uint32_t Now() const { return clock_.TickCount(); }
    // How long a step may still take: until `deadline`, and no longer than
    // EndBy when it is set.
    uint32_t Left(uint32_t deadline) const;
    // A deadline over every step (while hanging up), or none.
    void SetEndBy(std::optional<uint32_t> tick) { endBy_ = tick; }
    const std::optional<uint32_t>& EndBy() const { return endBy_; }
    // A call that says goodbye and hangs up is not cancelled on the way.
    void IgnoreCancel(bool ignore) { ignoreCancel_ = ignore; }

    // Writes the bytes as they are.
    void Write(const std::string& bytes);
    // Writes data with each DLE doubled, then DLE ETX when `thenEnd`.
    void WriteStuffed(const std::string& data, bool thenEnd);
    // Writes DLE ETX, the end of data.
    void WriteEnd();

    // The next non-empty response line, or "" when none comes in time.
    // Lines equal to `skipEcho` (the modem echoing the command) are skipped.
    std::string ReadLine(uint32_t timeoutMs, const std::string& skipEcho = "");
    // Data up to DLE ETX with doubled DLEs made single, after the end of
    // the CONNECT line; false when the time runs out or the data grows
    // longer than any control frame.
    bool ReadStuffed(std::string& data, uint32_t timeoutMs);
    // Forgets what has arrived and not been read.
    void Discard() { in_.clear(); }
    // Discards what arrives for a while.
    void Drain(uint32_t ms);
    // Lets time pass, reading nothing, until cancelled (also while the
    // cancellation is ignored).
    void Pause(uint32_t ms);

private:
    // Reads more into the buffer; false when the time ran out.
    bool Fill(uint32_t deadline);
    void CheckCancel() const;

    SerialPort& port_;
    const Clock& clock_;
    const std::atomic<bool>& cancel_;
    std::optional<uint32_t> endBy_;
    bool ignoreCancel_ = false;
    std::string in_;
};

}  // namespace mivox
