#include "components/fax/SendFax.h"

#include <algorithm>
#include <array>
#include <optional>

#include "components/fax/Hdlc.h"
#include "components/fax/T30.h"

namespace mivox {

std::string FaxStatusText(int progress) {
    static const std::array<const char*, 23> texts = {
        "",
        "Initializing the modem",
        "Asking the modem for its fax classes",
        "Dialing",
        "Waiting for the fax machine to answer",
        "Connected",
        "Receiving the fax machine's capabilities",
        "Sending our identification and settings",
        "Training the line",
        "Training failed, trying a lower speed",
        "Training accepted",
        "Sending page",
        "Page sent",
        "Sending the end of the page",
        "Waiting for the page to be confirmed",
        "Page confirmed",
        "Page was not received clearly",
        "Training again",
        "Disconnecting",
        "Hanging up",
        "Fax sent",
        "Waiting to dial again",
        "Fax transmission failed",
    };
    return progress >= 1 && progress < static_cast<int>(texts.size()) ? texts[progress] : "";
}

std::string FaxErrorText(int error) {
    switch (error) {
        case ecOK:
            return "";
        case ecFaxFileError:
            return "The fax image file cannot be read or is damaged.";
        case ecPortError:
            return "The serial port of the modem failed.";
        case ecNoModemResponse:
            return "The modem does not respond. Check that it is switched on and connected to "
                   "the selected port.";
        case ecNoClass1:
            return "The modem does not support Class 1 fax, which is needed to send the fax.";
        case ecModemError:
            return "The modem rejected a command.";
        case ecNoDialTone:
            return "No dial tone. Check that the modem is connected to the telephone line.";
        case ecBusy:
            return "The fax number is busy.";
        case ecNoAnswer:
            return "The fax number does not answer.";
        case ecNoCarrier:
            return "No fax machine answered at the number dialled.";
        case ecNoCapabilities:
            return "The receiving fax machine did not send its capabilities in time.";
        case ecCannotReceive:
            return "The receiving fax machine cannot receive this fax.";
        case ecTrainingFailed:
            return "Training failed at every speed: the telephone line is too poor for a fax.";
        case ecNoResponse:
            return "The receiving fax machine stopped responding.";
        case ecPageRejected:
            return "The receiving fax machine rejected a page twice.";
        case ecInterrupted:
            return "The receiving fax machine interrupted the transmission.";
        case ecFarEndHungUp:
            return "The receiving fax machine hung up.";
        case ecCancelled:
            return "The fax transmission was cancelled.";
        case ecPortNotOpen:
            return "The modem's serial port is not open.";
        case ecDialRefused:
            return "The modem refuses to dial this number now, after too many failed calls to "
                   "it. Wait a while and try again.";
        default:
            return "Fax error " + std::to_string(error) + ".";
    }
}

namespace {

// Deadlines of the procedure, in milliseconds.
constexpr uint32_t kCommandTimeout = 3000;
constexpr uint32_t kDialTimeout = 90000;     // dialling, ringing and the answer
constexpr uint32_t kResponseTimeout = 3000;  // a response frame to a command (T4)
constexpr uint32_t kDisTimeout = 35000;      // capabilities after the answer (T1)
constexpr int kCommandTries = 3;             // a command without response is sent three times
constexpr uint32_t kReadSlice = 200;         // checks for cancellation this often
constexpr uint32_t kWriteTimeout = 30000;    // a modem holding CTS low this long is gone
constexpr uint32_t kHangUpTimeout = 15000;   // saying goodbye and hanging up, all steps
constexpr uint32_t kCloseGraceMs = 3000;     // for a call's goodbye when the sender goes

struct Failure {
    int code;
};

// The T.4 data of a page as the modem sends it: an EOL before every line,
// fill bits so that no line is sent faster than the receiver can print it,
// and the return to control (six EOLs) at the end; bits least significant
// first in each byte.
std::string PageData(const FaxPage& page, int bitsPerSecond, int minScanMs) {
    BitWriter bits(true);
    const size_t minBits = static_cast<size_t>(bitsPerSecond) * minScanMs / 1000;
    for (const FaxRow& row : page) {
        const size_t start = bits.BitCount();
        bits.Put(kEolCode, kEolBits);
        EncodeRow(row, bits);
        const size_t used = bits.BitCount() - start;
        if (used < minBits) bits.Put(0, static_cast<int>(minBits - used));
    }
    for (int i = 0; i < 6; ++i) bits.Put(kEolCode, kEolBits);
    bits.Align();
    return bits.Bytes();
}

}  // namespace

// One transmission, on the sender's thread. Everything it needs is copied in
// at the start; it reaches the sender's user-interface side only by posting.
class TApdSendFax::Session {
public:
    Session(TApdSendFax& fax, std::vector<FaxPage> pages)
        : fax_(fax), port_(fax.port_.Port()), pages_(std::move(pages)) {
        figures_.pages = static_cast<int>(pages_.size());
        dialString_ =
            (fax.ToneDial ? "ATDT" : "ATDP") + fax.DialPrefix.substr(0, 40) + fax.PhoneNumber;
        stationId_ = fax.StationID.substr(0, 20);
        modemInit_ = fax.ModemInit;
        attempts_ = std::max(1, fax.DialAttempts);
        retryWaitMs_ = static_cast<uint32_t>(std::max(0, fax.DialRetryWait)) * 1000;
    }

    int Run() {
        try {
            for (int attempt = 1;; ++attempt) {
                figures_.attempt = attempt;
                const int result = Attempt();
                const bool retry =
                    (result == ecBusy || result == ecNoAnswer) && attempt < attempts_;
                if (!retry) return result;
                Status(fpRedialWait);
                Wait(retryWaitMs_);
            }
        } catch (const Failure& failure) {
            return failure.code;
        } catch (...) {
            return delivered_ ? ecOK : ecPortError;
        }
    }

private:
    // Once the receiver has confirmed the last page the fax is delivered:
    // what fails while hanging up after it must not make the user send it
    // again.
    int Attempt() {
        connected_ = false;
        delivered_ = false;
        ignoreCancel_ = false;
        inData_ = false;
        hangUpBy_.reset();
        try {
            Initialise();
            Dial();
            connected_ = true;
            std::string dis = ReceiveCapabilities();
            SendPages(dis);
            Disconnect();
        } catch (const Failure& failure) {
            // Whatever failed, the modem is put on hook as far as it listens.
            Abandon(failure.code);
            if (!delivered_ && failure.code == ecPortError) throw;
            if (!delivered_) return failure.code;
        }
        Status(fpFinished);
        return ecOK;
    }

    // -- The modem's commands ------------------------------------------------

    void Initialise() {
        Status(fpInitModem);
        // A modem left in data or receive mode answers after a character.
        bool answered = false;
        for (int i = 0; i < kCommandTries && !answered; ++i) answered = Command("AT", 1000) == "OK";
        if (!answered) throw Failure{ecNoModemResponse};
        Expect(modemInit_.empty() ? "ATE0V1Q0" : modemInit_, "OK");
        Status(fpQueryClasses);
        std::string setClass = "AT+FCLASS=1";
        if (fax_.FaxClass != TFaxClass::fcClass1) {
            setClass = Class1Command(Command("AT+FCLASS=?", kCommandTimeout));
            if (setClass.empty()) throw Failure{ecNoClass1};
            ExpectOk();
        }
        Expect(setClass, "OK");
        const std::string modulations = Command("AT+FTM=?", kCommandTimeout);
        ExpectOk();
        modulations_ = Numbers(modulations);
    }

    void Dial() {
        Status(fpDialing);
        Send(dialString_ + "\r");
        Status(fpWaitAnswer);
        // Progress reports (RINGING, DIALING, ...) come before the result.
        const uint32_t deadline = Now() + kDialTimeout;
        std::string reply;
        do {
            reply = ReadLine(Left(deadline), /*skipEcho=*/dialString_);
        } while (!reply.empty() && !IsDialResult(reply));
        if (reply == "CONNECT") {
            Status(fpConnected);
            return;
        }
        if (reply.empty()) {
            Send("\r");  // stops the dialling
            ReadLine(kCommandTimeout);
            throw Failure{ecNoAnswer};
        }
        throw Failure{DialFailure(reply)};
    }

    static bool IsDialResult(const std::string& reply) {
        static const char* const kResults[] = {
            "CONNECT", "BUSY", "NO DIALTONE", "NO DIAL TONE", "NO ANSWER",     "NO CARRIER",
            "ERROR",   "OK",   "DELAYED",     "BLACKLISTED",  "BLACKLIST FULL"};
        return std::find(std::begin(kResults), std::end(kResults), reply) != std::end(kResults);
    }

    static int DialFailure(const std::string& reply) {
        if (reply == "BUSY") return ecBusy;
        if (reply == "NO DIALTONE" || reply == "NO DIAL TONE") return ecNoDialTone;
        if (reply == "NO ANSWER") return ecNoAnswer;
        if (reply == "NO CARRIER") return ecNoCarrier;
        if (reply == "DELAYED" || reply.rfind("BLACKLIST", 0) == 0) return ecDialRefused;
        return ecModemError;
    }

    // The answering machine's NSF, CSI and DIS, received right after CONNECT.
    std::string ReceiveCapabilities() {
        std::string dis;
        bool connectPending = true;  // the dial's CONNECT starts the first frame
        const uint32_t deadline = Now() + kDisTimeout;
        while (true) {
            HdlcFrame frame;
            const uint32_t left = std::max<int32_t>(0, static_cast<int32_t>(deadline - Now()));
            const FrameResult result = ReceiveFrame(frame, connectPending, left);
            connectPending = false;
            if (result == FrameResult::kFrame) {
                const uint8_t kind = t30::Kind(frame.fcf);
                if (kind == t30::kCsi) figures_.remoteId = t30::DecodeId(frame.info);
                if (kind == t30::kDis) dis = frame.info;
                if (kind == t30::kDcn) throw Failure{ecFarEndHungUp};
                if (frame.final && !dis.empty()) break;
            } else if (!dis.empty()) {
                break;  // the rest of the set was lost; DIS is what counts
            }
            if (static_cast<int32_t>(deadline - Now()) <= 0) throw Failure{ecNoCapabilities};
        }
        Status(fpGotCapabilities);
        if (!t30::Bit(dis, t30::kBitReceiver)) throw Failure{ecCannotReceive};
        return dis;
    }

    void SendPages(const std::string& dis) {
        std::vector<t30::Speed> speeds;
        for (const t30::Speed& speed : t30::SpeedsOfDis(dis))
            if (std::find(modulations_.begin(), modulations_.end(), speed.modulation) !=
                modulations_.end())
                speeds.push_back(speed);
        if (speeds.empty()) throw Failure{ecCannotReceive};
        minScanMs_ = t30::MinScanTimeOfDis(dis);
        size_t speedIndex = Train(speeds, 0);
        for (size_t index = 0; index < pages_.size(); ++index) {
            const bool last = index + 1 == pages_.size();
            bool retrained = false;
            while (true) {
                SendPage(index, speeds[speedIndex]);
                const uint8_t reply = PostPage(last);
                if (reply == t30::kMcf || reply == t30::kRtp) {
                    delivered_ = last;
                    Status(fpPageAccepted);
                    if (reply == t30::kRtp && !last) speedIndex = Train(speeds, speedIndex);
                    break;
                }
                // RTN: the page was not received clearly. Train once more and
                // send it again; a second rejection ends the fax.
                Status(fpPageRejected);
                if (retrained) throw Failure{ecPageRejected};
                retrained = true;
                Status(fpRetrain);
                speedIndex = Train(speeds, speedIndex);
            }
        }
    }

    // Sends DCS and the training check at each speed from `from` down until
    // the receiver confirms one; returns its index.
    size_t Train(const std::vector<t30::Speed>& speeds, size_t from) {
        for (size_t index = from; index < speeds.size(); ++index) {
            const t30::Speed& speed = speeds[index];
            figures_.bitsPerSecond = speed.bitsPerSecond;
            bool answered = false;
            for (int attempt = 0; attempt < kCommandTries && !answered; ++attempt) {
                Status(fpSendSettings);
                Silence();
                SendFrames({{false, t30::Command(t30::kTsi), t30::EncodeId(stationId_)},
                            {true, t30::Command(t30::kDcs), Dcs(speed)}});
                Status(fpTraining);
                Silence();
                SendData(speed.modulation, speed.bitsPerSecond,
                         std::string(speed.bitsPerSecond * 3 / 16, '\0'), nullptr);
                // A receiver that missed the DCS sends its capabilities
                // again (or asks for a repeat): DCS and the check go again.
                const Response reply = ReceiveResponse();
                if (reply.result != FrameResult::kFrame || IsRepeatRequest(reply.kind)) continue;
                answered = true;
                if (reply.kind == t30::kCfr) {
                    Status(fpTrainingOk);
                    return index;
                }
                if (reply.kind == t30::kDcn) throw Failure{ecFarEndHungUp};
                if (reply.kind != t30::kFtt) throw Failure{ecInterrupted};
            }
            if (!answered) throw Failure{ecNoResponse};
            Status(fpTrainingFailed);
        }
        throw Failure{ecTrainingFailed};
    }

    static bool IsRepeatRequest(uint8_t kind) {
        return kind == t30::kDis || kind == t30::kCsi || kind == t30::kNsf || kind == t30::kCrp;
    }

    // T.30's 75 ms of silence before each transmission, after what was
    // received or sent before it.
    void Silence() { Expect("AT+FTS=8", "OK"); }

    std::string Dcs(const t30::Speed& speed) const {
        std::string dcs(3, '\0');
        t30::SetBit(dcs, t30::kBitReceiver);
        for (int i = 0; i < 4; ++i)
            t30::SetBit(dcs, t30::kBitRateFirst + i, (speed.dcsRate >> i) & 1);
        const uint8_t scan = t30::DcsScanTimeCode(minScanMs_);
        for (int i = 0; i < 3; ++i) t30::SetBit(dcs, t30::kBitScanTimeFirst + i, (scan >> i) & 1);
        // Bits 15 (fine), 16 (two-dimensional), 17-20 (A4 width and length)
        // and 24 (no extension) stay clear.
        return dcs;
    }

    void SendPage(size_t index, const t30::Speed& speed) {
        figures_.page = static_cast<int>(index) + 1;
        const std::string data = PageData(pages_[index], speed.bitsPerSecond, minScanMs_);
        figures_.pageLength = static_cast<uint32_t>(data.size());
        figures_.bytesSent = 0;
        Status(fpSendPage);
        Silence();  // a page always follows the receiver's CFR or MCF
        const bool shortTraining = std::find(modulations_.begin(), modulations_.end(),
                                             speed.pageModulation) != modulations_.end();
        SendData(shortTraining ? speed.pageModulation : speed.modulation, speed.bitsPerSecond, data,
                 &figures_.bytesSent);
        Status(fpPageSent);
    }

    // Sends MPS or EOP and returns the receiver's answer (MCF, RTP or RTN).
    uint8_t PostPage(bool last) {
        for (int attempt = 0; attempt < kCommandTries; ++attempt) {
            Status(fpSendEndOfPage);
            Silence();
            SendFrames({{true, t30::Command(last ? t30::kEop : t30::kMps), ""}});
            Status(fpWaitConfirm);
            const Response reply = ReceiveResponse();
            if (reply.result == FrameResult::kNoCarrier && attempt + 1 == kCommandTries)
                throw Failure{ecFarEndHungUp};
            if (reply.result != FrameResult::kFrame) continue;
            switch (reply.kind) {
                case t30::kMcf:
                    return t30::kMcf;
                case t30::kRtp:
                    return t30::kRtp;
                case t30::kRtn:
                    return t30::kRtn;
                case t30::kPin:
                case t30::kPip:
                    throw Failure{ecInterrupted};
                case t30::kDcn:
                    throw Failure{ecFarEndHungUp};
                default:
                    continue;  // CRP or noise: send the command again
            }
        }
        throw Failure{ecNoResponse};
    }

    void Disconnect() {
        ignoreCancel_ = true;  // too late to cancel a delivered fax
        hangUpBy_ = Now() + kHangUpTimeout;
        Status(fpDisconnect);
        Silence();
        SendFrames({{true, t30::Command(t30::kDcn), ""}});
        connected_ = false;
        Status(fpHangUp);
        Command("ATH0", kCommandTimeout);
    }

    // After a failure: tell a connected receiver, then hang up, as far as
    // the modem still listens.
    void Abandon(int code) {
        ignoreCancel_ = true;  // a cancelled fax still hangs up
        // A port that failed gets a short try: it may not take a byte more.
        if (!hangUpBy_) hangUpBy_ = Now() + (code == ecPortError ? 2000 : kHangUpTimeout);
        try {
            EndData();
            if (connected_ && code != ecFarEndHungUp) {
                Status(fpDisconnect);
                Silence();
                SendFrames({{true, t30::Command(t30::kDcn), ""}});
            }
        } catch (const Failure&) {
        }
        try {
            EndData();  // the goodbye itself may have stopped in its data
            Send("\r");
            Drain(300);
            Status(fpHangUp);
            Command("ATH0", kCommandTimeout);
        } catch (const Failure&) {
        }
    }

    // The modem takes nothing else before the end of data it was given.
    void EndData() {
        if (!inData_) return;
        inData_ = false;
        Send(std::string{kDle, kEtx});
        ReadLine(kCommandTimeout);
    }

    // -- Frames and data -----------------------------------------------------

    enum class FrameResult { kFrame, kBadFrame, kTimeout, kNoCarrier };

    FrameResult ReceiveFrame(HdlcFrame& frame, bool connected, uint32_t timeoutMs) {
        if (!connected) {
            Send("AT+FRH=3\r");
            const std::string reply = ReadLine(timeoutMs);
            if (reply.empty()) {
                StopListening();
                return FrameResult::kTimeout;
            }
            if (reply == "NO CARRIER") return FrameResult::kNoCarrier;
            if (reply != "CONNECT") return FrameResult::kBadFrame;
        }
        std::string data;
        if (!ReadDleData(data, timeoutMs)) {
            // The modem still listens for the rest of the frame: stop it, or
            // it takes the next command for the end of its wait.
            StopListening();
            return FrameResult::kTimeout;
        }
        // The modem checks the frame and says OK or ERROR; some pass the
        // check sequence on, some do not.
        if (ReadLine(kCommandTimeout) != "OK") return FrameResult::kBadFrame;
        if (data.size() >= 5 && FcsGood(data)) data.resize(data.size() - 2);
        return HdlcFrame::Parse(data, frame) ? FrameResult::kFrame : FrameResult::kBadFrame;
    }

    // Any character stops the modem listening. Its answer to that may come
    // late (a busy modem, a frame that was arriving): it is waited for, or it
    // would be taken for the answer to the next command and shift every
    // answer after it by one.
    void StopListening() {
        Send("\x18");
        const uint32_t deadline = Now() + kCommandTimeout;
        while (true) {
            const std::string line = ReadLine(Left(deadline));
            if (line.empty() || line == "OK" || line == "ERROR" || line == "NO CARRIER") break;
        }
    }

    struct Response {
        FrameResult result;
        uint8_t kind;  // of the last frame received
    };
    // The receiver's response to a command, read to its final frame (a set
    // such as CSI and DIS comes as several).
    Response ReceiveResponse() {
        Response response{FrameResult::kTimeout, 0};
        for (int frames = 0; frames < 8; ++frames) {
            HdlcFrame frame;
            const FrameResult result = ReceiveFrame(frame, false, kResponseTimeout);
            if (result != FrameResult::kFrame) {
                if (frames == 0) response.result = result;
                break;
            }
            response = {result, t30::Kind(frame.fcf)};
            if (frame.final) break;
        }
        return response;
    }

    void SendFrames(const std::vector<HdlcFrame>& frames) {
        inData_ = true;
        Expect("AT+FTH=3", "CONNECT");
        for (size_t i = 0; i < frames.size(); ++i) {
            Send(DleEncode(frames[i].Bytes()));
            const bool last = i + 1 == frames.size();
            const std::string reply = ReadLine(kCommandTimeout + 2000);
            if (reply != (last ? "OK" : "CONNECT")) throw Failure{ReplyFailure(reply)};
        }
        inData_ = false;
    }

    // Sends image or training data at a speed; counts the bytes sent.
    void SendData(int modulation, int bitsPerSecond, const std::string& data, uint32_t* sent) {
        inData_ = true;
        Expect("AT+FTM=" + std::to_string(modulation), "CONNECT");
        constexpr size_t kChunk = 1024;
        for (size_t at = 0; at < data.size(); at += kChunk) {
            std::string chunk = DleEncode(data.substr(at, kChunk));
            chunk.resize(chunk.size() - 2);  // DLE ETX only after the last chunk
            Send(chunk);
            if (sent) {
                *sent = static_cast<uint32_t>(std::min(data.size(), at + kChunk));
                if ((at / kChunk) % 4 == 3) Status(fpSendPage);
            }
        }
        Send(std::string{kDle, kEtx});
        inData_ = false;
        // The modem answers when the data has gone down the line.
        const uint32_t lineTime = static_cast<uint32_t>(data.size() * 8 * 1000 / bitsPerSecond);
        const std::string reply = ReadLine(2 * lineTime + 10000);
        if (reply != "OK") throw Failure{ReplyFailure(reply)};
    }

    int ReplyFailure(const std::string& reply) {
        if (reply == "NO CARRIER") return ecFarEndHungUp;
        if (reply.empty()) return ecNoModemResponse;
        return ecModemError;
    }

    // -- Reading and writing the port -----------------------------------------

    uint32_t Now() const { return fax_.clock_.TickCount(); }

    // How long a step may still take: until `deadline`, and while hanging
    // up no longer than the hang-up's own deadline.
    uint32_t Left(uint32_t deadline) const {
        if (hangUpBy_ && static_cast<int32_t>(*hangUpBy_ - deadline) < 0) deadline = *hangUpBy_;
        return static_cast<uint32_t>(std::max<int32_t>(0, static_cast<int32_t>(deadline - Now())));
    }

    void Send(const std::string& bytes) {
        if (fax_.cancel_ && !ignoreCancel_) throw Failure{ecCancelled};
        const uint32_t left = Left(Now() + kWriteTimeout);
        if (left == 0) throw Failure{ecNoModemResponse};
        if (!port_.Write(bytes, left)) throw Failure{ecPortError};
    }

    // Reads more into the buffer; false when the time ran out.
    bool Fill(uint32_t deadline) {
        while (true) {
            if (fax_.cancel_ && !ignoreCancel_) throw Failure{ecCancelled};
            deadline = Now() + Left(deadline);
            const uint32_t now = Now();
            if (static_cast<int32_t>(deadline - now) <= 0) return false;
            const size_t before = in_.size();
            if (!port_.Read(in_, std::min(kReadSlice, deadline - now))) throw Failure{ecPortError};
            if (in_.size() > before) return true;
        }
    }

    // The next non-empty response line, or "" when none comes in time.
    // Lines equal to `skipEcho` (the modem echoing the command) are skipped.
    std::string ReadLine(uint32_t timeoutMs, const std::string& skipEcho = "") {
        const uint32_t deadline = Now() + timeoutMs;
        while (true) {
            const size_t end = in_.find_first_of("\r\n");
            if (end != std::string::npos) {
                std::string line = in_.substr(0, end);
                const bool crlf = in_[end] == '\r' && end + 1 < in_.size() && in_[end + 1] == '\n';
                in_.erase(0, end + (crlf ? 2 : 1));
                if (!line.empty() && line != skipEcho) return line;
                continue;
            }
            if (in_.size() > 4096) in_.clear();  // no modem sends such a line
            if (!Fill(deadline)) return "";
        }
    }

    // Data after CONNECT up to DLE ETX, with doubled DLEs made single.
    bool ReadDleData(std::string& data, uint32_t timeoutMs) {
        const uint32_t deadline = Now() + timeoutMs;
        size_t at = 0;
        while (true) {
            // The end of the CONNECT line may come apart from it.
            if (data.empty() && at == 0) {
                const size_t start = in_.find_first_not_of("\r\n");
                in_.erase(0, start == std::string::npos ? in_.size() : start);
            }
            while (at + 1 < in_.size() || (at < in_.size() && in_[at] != kDle)) {
                if (in_[at] != kDle) {
                    data.push_back(in_[at++]);
                    continue;
                }
                const char next = in_[at + 1];
                at += 2;
                if (next == kEtx) {
                    in_.erase(0, at);
                    return true;
                }
                if (next == kDle) data.push_back(kDle);
            }
            in_.erase(0, at);
            at = 0;
            if (data.size() > 1024) return false;  // no control frame is this long
            if (!Fill(deadline)) return false;
        }
    }

    // Discards what arrives for a while.
    void Drain(uint32_t ms) {
        const uint32_t deadline = Now() + ms;
        while (Fill(deadline)) {
        }
        in_.clear();
    }

    void Wait(uint32_t ms) {
        const uint32_t deadline = Now() + ms;
        std::string ignored;
        while (static_cast<int32_t>(deadline - Now()) > 0) {
            if (fax_.cancel_) throw Failure{ecCancelled};
            if (!port_.Read(ignored, std::min(kReadSlice, deadline - Now())))
                throw Failure{ecPortError};
        }
    }

    // A command and its first response line ("" when none comes in time).
    std::string Command(const std::string& command, uint32_t timeoutMs) {
        in_.clear();
        Send(command + "\r");
        return ReadLine(timeoutMs, command);
    }
    void Expect(const std::string& command, const std::string& reply) {
        const std::string got = Command(command, kCommandTimeout);
        if (got != reply) throw Failure{ReplyFailure(got)};
    }
    void ExpectOk() {
        const std::string got = ReadLine(kCommandTimeout);
        if (got != "OK") throw Failure{ReplyFailure(got)};
    }

    static std::vector<int> Numbers(const std::string& list) {
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
    static std::string Class1Command(const std::string& list) {
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

    void Status(int progress) {
        figures_.progress = progress;
        const bool first = !reportedAny_;
        reportedAny_ = true;
        const bool last = progress == fpFinished;
        TApdSendFax* fax = &fax_;
        fax_.ui_.Post([fax, alive = fax_.alive_, figures = figures_, first, last] {
            if (!*alive) return;
            fax->figures_ = figures;
            if (fax->OnFaxStatus) fax->OnFaxStatus(*fax, first, last);
        });
    }

    TApdSendFax& fax_;
    SerialPort& port_;
    std::vector<FaxPage> pages_;
    std::string dialString_, stationId_, modemInit_;
    int attempts_ = 1;
    uint32_t retryWaitMs_ = 0;
    FaxFigures figures_;
    std::vector<int> modulations_;
    int minScanMs_ = 20;
    bool connected_ = false;
    bool delivered_ = false;  // the receiver confirmed the last page
    std::optional<uint32_t> hangUpBy_;
    bool reportedAny_ = false;
    bool ignoreCancel_ = false;
    bool inData_ = false;  // from a data or frame command to the end of its data
    std::string in_;
};

TApdSendFax::TApdSendFax(TApdComPort& port, Clock& clock, UiThreadPoster& ui, FileSystem& files,
                         TextRenderer& renderer)
    : port_(port), clock_(clock), ui_(ui), files_(files), renderer_(renderer) {}

TApdSendFax::~TApdSendFax() {
    *alive_ = false;
    closing_ = true;
    cancel_ = true;
    const int64_t until = SteadyMicroseconds() + int64_t{kCloseGraceMs} * 1000;
    while (!ended_ && SteadyMicroseconds() < until)
        endedSignal_.Wait(static_cast<uint32_t>((until - SteadyMicroseconds()) / 1000 + 1));
    if (!ended_) port_.Port().Interrupt();
    worker_.Join();
}

std::vector<FaxPage> TApdSendFax::PagesToSend(const std::vector<FaxPage>& pages) {
    std::vector<FaxPage> out;
    const FaxRow blank(kFaxRowBytes, 0);
    for (size_t i = 0; i < pages.size(); ++i) {
        const std::string text =
            HeaderLine + "   Page " + std::to_string(i + 1) + " of " + std::to_string(pages.size());
        FaxPage page(2, blank);
        for (FaxRow& row : renderer_.RenderLine(HeaderFont, text, 50))
            page.push_back(std::move(row));
        page.push_back(blank);
        page.push_back(blank);
        page.insert(page.end(), pages[i].begin(), pages[i].end());
        out.push_back(std::move(page));
    }
    return out;
}

void TApdSendFax::StartTransmit() {
    if (running_) return;
    running_ = true;
    worker_.Join();
    cancel_ = false;
    figures_ = FaxFigures{};
    std::vector<FaxPage> pages;
    std::string contents, error;
    int failure = ecOK;
    if (!port_.Open()) {
        failure = ecPortNotOpen;
    } else if (!files_.ReadAll(FaxFile, contents) || !ReadFaxTiff(contents, pages, error)) {
        failure = ecFaxFileError;
    } else {
        try {
            pages = PagesToSend(pages);
        } catch (const std::exception&) {
            failure = ecFaxFileError;
        }
    }
    if (failure != ecOK) {
        // On this thread a full queue cannot be waited out: then at once.
        if (!ui_.Post([this, alive = alive_, failure] {
                if (*alive) Finish(failure);
            }))
            Finish(failure);
        return;
    }
    // The settings are read here, on the user-interface thread, which may
    // change them again while the call runs.
    auto session = std::make_shared<Session>(*this, std::move(pages));
    ended_ = false;
    worker_ = Thread([this, session] {
        int result = ecPortError;
        try {
            result = session->Run();
        } catch (...) {
        }
        // The finish must arrive, or the user could never start again: a
        // full queue is waited out while the sender lives.
        try {
            while (!ui_.Post([this, alive = alive_, result] {
                if (*alive) Finish(result);
            }) && !closing_) {
                WakeSignal pause;
                pause.Wait(50);
            }
        } catch (...) {
            // Out of memory at the very end: nothing is left to report it with.
        }
        ended_ = true;
        endedSignal_.Set();
    });
}

void TApdSendFax::Finish(int error) {
    running_ = false;
    if (error != ecOK && OnFaxError) OnFaxError(*this, error);
    if (OnFaxFinish) OnFaxFinish(*this, error);
}

void TApdSendFax::CancelFax() {
    cancel_ = true;
}

void TApdSendFax::WaitForEnd() {
    worker_.Join();
}

}  // namespace mivox
