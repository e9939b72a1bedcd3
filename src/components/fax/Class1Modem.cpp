#include "components/fax/Class1Modem.h"

#include <algorithm>

#include "components/fax/FaxReports.h"

namespace mivox {

namespace {

constexpr uint32_t kCommandTimeout = 3000;
constexpr uint32_t kDialTimeout = 90000;  // dialling, ringing and the answer
// The modem's own wait for carrier after dialling (S7, in seconds): it
// gives up and says why before the dial window closes, leaving the
// dialling itself half a minute.
constexpr int kCarrierWaitS = (kDialTimeout - 30000) / 1000;
constexpr int kWakeTries = 3;
constexpr int kV21BitsPerSecond = 300;  // the control frames
constexpr uint32_t kPacedAhead = 1536;  // bytes ahead of the line, without flow control

// RTS/CTS flow control as modems name it: V.250's first, then the forms
// of the common command sets (Hayes and Rockwell, then USRobotics).
constexpr const char* kFlowControl[] = {"AT+IFC=2,2", "AT&K3", "AT\\Q3", "AT&H1&R2"};
// Result codes with busy and dial-tone detection: without them many
// modems report a busy line as NO CARRIER.
constexpr const char* kResultCodes[] = {"ATX4", "ATX3"};

bool IsDialResult(const std::string& reply) {
    static const char* const kResults[] = {
        "CONNECT", "BUSY", "NO DIALTONE", "NO DIAL TONE", "NO ANSWER",     "NO CARRIER",
        "ERROR",   "OK",   "DELAYED",     "BLACKLISTED",  "BLACKLIST FULL"};
    return std::find(std::begin(kResults), std::end(kResults), reply) != std::end(kResults);
}

int DialFailure(const std::string& reply) {
    if (reply == "BUSY") return ecBusy;
    if (reply == "NO DIALTONE" || reply == "NO DIAL TONE") return ecNoDialTone;
    if (reply == "NO ANSWER") return ecNoAnswer;
    if (reply == "NO CARRIER") return ecNoCarrier;
    if (reply == "DELAYED" || reply.rfind("BLACKLIST", 0) == 0) return ecDialRefused;
    return ecModemError;
}

// The failure of a command answered otherwise than expected.
int ReplyFailure(const std::string& reply) {
    if (reply == "NO CARRIER") return ecFarEndHungUp;
    if (reply.empty()) return ecNoModemResponse;
    return ecModemError;
}

std::vector<int> Numbers(const std::string& list) {
    std::vector<int> numbers;
    int value = -1;
    for (char c : list + ",") {
        if (c >= '0' && c <= '9') {
            value = (value < 0 ? 0 : value * 10) + (c - '0');
            if (value > 100000) value = 100000;
        } else if (value >= 0) {
            numbers.push_back(value);
            value = -1;
        }
    }
    return numbers;
}

// The command that selects Class 1 among the classes listed ("0,1,2",
// "0,1.0,2.0", "(0-2)"); "" when it is not among them.
std::string Class1Command(const std::string& list) {
    bool class10 = false;
    std::string item;
    for (char c : list + ",") {
        if (c == ',' || c == '(' || c == ')') {
            if (item == "1") return "AT+FCLASS=1";
            if (item.size() == 3 && item[1] == '-' && item[0] <= '1' && item[2] >= '1')
                return "AT+FCLASS=1";
            class10 = class10 || item == "1.0";
            item.clear();
        } else if (c != ' ') {
            item.push_back(c);
        }
    }
    return class10 ? "AT+FCLASS=1.0" : "";
}

}  // namespace

std::string Class1Modem::Command(const std::string& command, uint32_t timeoutMs) {
    port_.Discard();
    port_.Write(command + "\r");
    return port_.ReadLine(timeoutMs, command);
}

void Class1Modem::Expect(const std::string& command, const std::string& reply) {
    const std::string got = Command(command, kCommandTimeout);
    if (got != reply) throw FaxFailure{ReplyFailure(got)};
}

void Class1Modem::ExpectOk() {
    const std::string got = port_.ReadLine(kCommandTimeout);
    if (got != "OK") throw FaxFailure{ReplyFailure(got)};
}

void Class1Modem::Reset(const std::string& init) {
    // A modem left in data or receive mode answers after a character; one
    // left in numeric mode says 0, a quiet one nothing.
    bool answered = false;
    for (int i = 0; i < kWakeTries && !answered; ++i) {
        const std::string reply = Command("AT", 1000);
        answered = reply == "OK" || reply == "0";
    }
    // Q0 takes effect at once: a quiet modem answers this one.
    const std::string reply = Command("ATE0V1Q0", kCommandTimeout);
    if (!answered && reply.empty()) throw FaxFailure{ecNoModemResponse};
    if (!init.empty()) Expect(init, "OK");
    Expect("AT", "OK");
    flowControl_ = false;
    for (const char* command : kFlowControl)
        if ((flowControl_ = Command(command, kCommandTimeout) == "OK")) break;
    for (const char* command : kResultCodes)
        if (Command(command, kCommandTimeout) == "OK") break;
    Command("ATS7=" + std::to_string(kCarrierWaitS), kCommandTimeout);
}

std::vector<int> Class1Modem::EnterClass1(bool known) {
    std::string setClass = "AT+FCLASS=1";
    if (!known) {
        setClass = Class1Command(Command("AT+FCLASS=?", kCommandTimeout));
        if (setClass.empty()) throw FaxFailure{ecNoClass1};
        ExpectOk();
    }
    Expect(setClass, "OK");
    const std::string modulations = Command("AT+FTM=?", kCommandTimeout);
    std::vector<int> numbers;
    if (modulations != "ERROR" && modulations != "OK" && !modulations.empty()) {
        ExpectOk();
        numbers = Numbers(modulations);
    }
    // V.27 ter and V.29, which every fax modem has.
    if (numbers.empty()) numbers = {24, 48, 72, 96};
    return numbers;
}

void Class1Modem::Dial(const std::string& dialString) {
    port_.Write(dialString + "\r");
}

void Class1Modem::AwaitAnswer(const std::string& dialString) {
    // Progress reports (RINGING, DIALING, ...) come before the result.
    const uint32_t deadline = port_.Now() + kDialTimeout;
    std::string reply;
    do {
        reply = port_.ReadLine(port_.Left(deadline), /*skipEcho=*/dialString);
    } while (!reply.empty() && !IsDialResult(reply));
    if (reply == "CONNECT") return;
    if (reply.empty()) {
        port_.Write("\r");  // stops the dialling
        port_.ReadLine(kCommandTimeout);
        throw FaxFailure{ecNoAnswer};
    }
    throw FaxFailure{DialFailure(reply)};
}

Class1Modem::FrameResult Class1Modem::ReceiveFrame(HdlcFrame& frame, bool connected,
                                                   uint32_t timeoutMs) {
    if (!connected) {
        port_.Write("AT+FRH=3\r");
        const std::string reply = port_.ReadLine(timeoutMs);
        if (reply.empty()) {
            StopListening();
            return FrameResult::kTimeout;
        }
        if (reply == "NO CARRIER") return FrameResult::kNoCarrier;
        if (reply != "CONNECT") return FrameResult::kBadFrame;
    }
    std::string data;
    if (!port_.ReadStuffed(data, timeoutMs)) {
        // The modem still listens for the rest of the frame: stop it, or
        // it takes the next command for the end of its wait.
        StopListening();
        return FrameResult::kTimeout;
    }
    // The modem checks the frame and says OK or ERROR; some pass the
    // check sequence on, some do not.
    if (port_.ReadLine(kCommandTimeout) != "OK") return FrameResult::kBadFrame;
    if (data.size() >= 5 && FcsGood(data)) data.resize(data.size() - 2);
    return HdlcFrame::Parse(data, frame) ? FrameResult::kFrame : FrameResult::kBadFrame;
}

// Any character stops the modem listening. Its answer to that may come
// late (a busy modem, a frame that was arriving): it is waited for, or it
// would be taken for the answer to the next command and shift every
// answer after it by one.
void Class1Modem::StopListening() {
    port_.Write("\x18");
    const uint32_t deadline = port_.Now() + kCommandTimeout;
    while (true) {
        const std::string line = port_.ReadLine(port_.Left(deadline));
        if (line.empty() || line == "OK" || line == "ERROR" || line == "NO CARRIER") break;
    }
}

void Class1Modem::SendFrames(const std::vector<HdlcFrame>& frames) {
    inData_ = true;
    Expect("AT+FTH=3", "CONNECT");
    StartData(kV21BitsPerSecond);
    for (size_t i = 0; i < frames.size(); ++i) {
        port_.WriteStuffed(frames[i].Bytes(), /*thenEnd=*/true);
        dataBytes_ += static_cast<uint32_t>(frames[i].Bytes().size() + 2);  // and the check
        const bool last = i + 1 == frames.size();
        // A modem whose flags ran out before a frame came asks for it with
        // another CONNECT: after the last frame only its OK counts.
        const uint32_t deadline = port_.Now() + kCommandTimeout + 2000;
        std::string reply;
        do {
            reply = port_.ReadLine(port_.Left(deadline));
        } while (last && reply == "CONNECT");
        if (reply != (last ? "OK" : "CONNECT")) throw FaxFailure{ReplyFailure(reply)};
    }
    inData_ = false;
}

void Class1Modem::SendData(int modulation, int bitsPerSecond, const std::string& data,
                           const std::function<void(size_t chunk, uint32_t sent)>& onChunk) {
    inData_ = true;
    Expect("AT+FTM=" + std::to_string(modulation), "CONNECT");
    StartData(bitsPerSecond);
    constexpr size_t kChunk = 1024;
    for (size_t at = 0; at < data.size(); at += kChunk) {
        const std::string chunk = data.substr(at, kChunk);
        // Unpaced, the port's 1,920 bytes a second overrun a modem whose
        // line carries 300 to 1,800; a little is kept ahead in its buffer
        // so that it never runs dry.
        if (!flowControl_) PaceTo(dataBytes_ + static_cast<uint32_t>(chunk.size()));
        port_.WriteStuffed(chunk, /*thenEnd=*/false);
        dataBytes_ += static_cast<uint32_t>(chunk.size());
        if (onChunk)
            onChunk(at / kChunk, static_cast<uint32_t>(std::min(data.size(), at + kChunk)));
    }
    port_.WriteEnd();
    inData_ = false;
    // The modem answers when the data has gone down the line.
    const uint32_t lineTime = static_cast<uint32_t>(data.size() * 8 * 1000 / bitsPerSecond);
    const std::string reply = port_.ReadLine(2 * lineTime + 10000);
    if (reply != "OK") throw FaxFailure{ReplyFailure(reply)};
}

void Class1Modem::StartData(int bitsPerSecond) {
    dataStart_ = port_.Now();
    dataBytes_ = 0;
    dataBitsPerSecond_ = bitsPerSecond;
}

uint32_t Class1Modem::LineBytesSent() const {
    return static_cast<uint32_t>(uint64_t{port_.Now() - dataStart_} *
                                 static_cast<uint32_t>(dataBitsPerSecond_) / 8000);
}

void Class1Modem::PaceTo(uint32_t bytes) {
    while (bytes > LineBytesSent() + kPacedAhead) {
        const uint32_t ahead = bytes - LineBytesSent() - kPacedAhead;
        port_.Pause(
            std::max<uint32_t>(1, ahead * 8000 / static_cast<uint32_t>(dataBitsPerSecond_)));
    }
}

uint32_t Class1Modem::UnsentLineTime() const {
    const auto lineTime = static_cast<uint32_t>(uint64_t{dataBytes_} * 8 * 1000 /
                                                static_cast<uint32_t>(dataBitsPerSecond_));
    const uint32_t elapsed = port_.Now() - dataStart_;
    return lineTime > elapsed ? lineTime - elapsed : 0;
}

// The modem answers when what it holds has gone down the line: a modem
// with a full buffer at a low speed takes many seconds.
void Class1Modem::EndData() {
    if (!inData_) return;
    inData_ = false;
    port_.WriteEnd();
    port_.ReadLine(UnsentLineTime() + kCommandTimeout);
}

void Class1Modem::Silence(int tensOfMs) {
    Expect("AT+FTS=" + std::to_string(tensOfMs), "OK");
}

bool Class1Modem::AwaitSilence(int tensOfMs) {
    const std::string command = "AT+FRS=" + std::to_string(tensOfMs);
    port_.Discard();
    port_.Write(command + "\r");
    const std::string reply = port_.ReadLine(kCommandTimeout, command);
    if (reply.empty()) StopListening();
    return reply == "OK";
}

void Class1Modem::Break() {
    port_.Write("\r");
    port_.Drain(300);
}

void Class1Modem::HangUp() {
    Command("ATH0", kCommandTimeout);
}

}  // namespace mivox
