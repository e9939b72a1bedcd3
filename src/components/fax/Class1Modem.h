// The commands of a Class 1 fax modem and its result codes: setting it up,
// dialling, receiving and sending HDLC control frames (+FRH, +FTH), sending
// image and training data (+FTM), silence (+FTS) and hanging up. A reply
// that ends the call is thrown as a FaxFailure with its code; what the
// procedure decides on (a frame, a timeout, the line dropped) is returned.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "components/fax/Hdlc.h"
#include "components/fax/ModemPort.h"

namespace mivox {

class Class1Modem {
public:
    explicit Class1Modem(ModemPort& port) : port_(port) {}
    Class1Modem(const Class1Modem&) = delete;
    Class1Modem& operator=(const Class1Modem&) = delete;

    // Wakes the modem (AT, up to three times), which may have been left
    // answering in numbers (V0) or not at all (Q1); sets the replies the
    // sender reads (ATE0V1Q0, then `init` when given) and checks them with
    // AT. Then turns on RTS/CTS flow control, busy and dial-tone detection
    // and the modem's wait for carrier within the sender's dial window.
    // A modem that takes no flow control command is given data no faster
    // than its line carries it.
    void Reset(const std::string& init);
    // Selects Class 1, asking the modem first how it names it unless the
    // class is `known`; returns the modulations it can send (AT+FTM=?), or
    // the four every fax modem has when it does not say.
    std::vector<int> EnterClass1(bool known);

    // Sends the dial command (ATDT... or ATDP...).
    void Dial(const std::string& dialString);
    // Waits for the dial's result past the progress reports; returns on
    // CONNECT. Stops the dialling when no result comes in time.
    void AwaitAnswer(const std::string& dialString);

    enum class FrameResult { kFrame, kBadFrame, kTimeout, kNoCarrier };
    // Receives one frame: with AT+FRH=3, or, when `connected`, the one whose
    // CONNECT has already come. A frame cut short is aborted.
    FrameResult ReceiveFrame(HdlcFrame& frame, bool connected, uint32_t timeoutMs);
    // Sends frames as one transmission (AT+FTH=3).
    void SendFrames(const std::vector<HdlcFrame>& frames);
    // Sends image or training data at a modulation (AT+FTM=n) in chunks,
    // paced to the line when the modem has no flow control;
    // `onChunk`, when given, hears the number of each chunk sent and the
    // bytes sent so far.
    void SendData(int modulation, int bitsPerSecond, const std::string& data,
                  const std::function<void(size_t chunk, uint32_t sent)>& onChunk = {});
    // Ends data the modem was given, if it has not been ended: the modem
    // takes nothing else before.
    void EndData();
    // Waits in silence for `tensOfMs` (AT+FTS=n).
    void Silence(int tensOfMs);
    // Waits until the line has been silent for `tensOfMs` (AT+FRS=n): the
    // far end may still be sending. False when it stays busy past T4.
    bool AwaitSilence(int tensOfMs);
    // How long the modem may still be sending data it was given: the line
    // time of what went to it, less the time since it started.
    uint32_t UnsentLineTime() const;
    // Brings a modem still dialling or sending back to commands.
    void Break();
    // Puts the modem on hook (ATH0), whatever it answers.
    void HangUp();

private:
    // A command and its first response line ("" when none comes in time).
    std::string Command(const std::string& command, uint32_t timeoutMs);
    void Expect(const std::string& command, const std::string& reply);
    void ExpectOk();
    void StopListening();
    void StartData(int bitsPerSecond);
    uint32_t LineBytesSent() const;  // of the data, by now
    // Waits until the data up to `bytes` is no more than a little ahead of the line.
    void PaceTo(uint32_t bytes);

    ModemPort& port_;
    bool inData_ = false;  // from a data or frame command to the end of its data
    // The data of the last data or frame command: when it started, how
    // many bytes went to the modem and at what speed they go down the line.
    uint32_t dataStart_ = 0;
    uint32_t dataBytes_ = 0;
    int dataBitsPerSecond_ = 300;
    bool flowControl_ = true;  // the modem holds the port back when its buffer is full
};

}  // namespace mivox
