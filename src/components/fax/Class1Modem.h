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

    // Wakes the modem (AT, up to three times) and sends the initialisation
    // (ATE0V1Q0 when `init` is empty).
    void Reset(const std::string& init);
    // Selects Class 1, asking the modem first how it names it unless the
    // class is `known`; returns the modulations it can send (AT+FTM=?).
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
    // Sends image or training data at a modulation (AT+FTM=n) in chunks;
    // `onChunk`, when given, hears the number of each chunk sent and the
    // bytes sent so far.
    void SendData(int modulation, int bitsPerSecond, const std::string& data,
                  const std::function<void(size_t chunk, uint32_t sent)>& onChunk = {});
    // Ends data the modem was given, if it has not been ended: the modem
    // takes nothing else before.
    void EndData();
    // Waits in silence for `tensOfMs` (AT+FTS=n).
    void Silence(int tensOfMs);
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

    ModemPort& port_;
    bool inData_ = false;  // from a data or frame command to the end of its data
};

}  // namespace mivox
