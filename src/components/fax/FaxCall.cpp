#include "components/fax/FaxCall.h"

#include <algorithm>

#include "components/fax/Ecm.h"

namespace mivox {

namespace {

using FrameResult = Class1Modem::FrameResult;

// Deadlines and repeats of the procedure, in milliseconds.
constexpr uint32_t kResponseTimeout = 3000;  // a response frame to a command (T4)
constexpr uint32_t kDisTimeout = 35000;      // capabilities after the answer (T1)
constexpr uint32_t kHangUpTimeout = 15000;   // saying goodbye and hanging up, all steps
constexpr uint32_t kFailedPortHangUp = 2000;
constexpr int kCommandTries = 3;  // a command without response is sent three times
constexpr int kPageResends = 3;   // a page the receiver did not get clearly, one speed lower each
constexpr int kSilence = 8;       // T.30's 75 ms, in AT+FTS's tens of milliseconds
constexpr int kFramesInASet = 8;  // more frames in one response than any receiver sends
constexpr uint32_t kNotReadyTimeout = 60000;  // a receiver not ready is asked again this long (T5)
constexpr int kBlockTries = 4;                // a block's transmissions at one speed

// The T.4 data of a page as the modem sends it: an EOL before every line,
// fill bits so that no line is sent faster than the receiver can print it,
// and the return to control (six EOLs) at the end; bits least significant
// first in each byte. Coded in two dimensions, each EOL carries a tag bit
// (1: the line is coded alone), and every second line (K = 2 at standard
// resolution) is coded against the one before it.
std::string PageData(const FaxPage& page, int bitsPerSecond, int minScanMs, bool twoDimensional) {
    constexpr size_t kLinesPerAlone = 2;
    BitWriter bits(true);
    const size_t minBits = static_cast<size_t>(bitsPerSecond) * minScanMs / 1000;
    for (size_t i = 0; i < page.size(); ++i) {
        const size_t start = bits.BitCount();
        bits.Put(kEolCode, kEolBits);
        const bool alone = !twoDimensional || i % kLinesPerAlone == 0;
        if (twoDimensional) bits.Put(alone, 1);
        if (alone)
            EncodeRow(page[i], bits);
        else
            EncodeRow2D(page[i], page[i - 1], bits);
        const size_t used = bits.BitCount() - start;
        if (used < minBits) bits.Put(0, static_cast<int>(minBits - used));
    }
    for (int i = 0; i < 6; ++i) {
        bits.Put(kEolCode, kEolBits);
        if (twoDimensional) bits.Put(1, 1);
    }
    bits.Align();
    return bits.Bytes();
}

bool IsRepeatRequest(uint8_t kind) {
    return kind == t30::kDis || kind == t30::kCsi || kind == t30::kNsf || kind == t30::kCrp;
}

}  // namespace

FaxCall::FaxCall(SerialPort& port, const Clock& clock, const std::atomic<bool>& cancel,
                 FaxCallSettings settings, std::vector<FaxPage> pages, Report report)
    : port_(port, clock, cancel),
      settings_(std::move(settings)),
      pages_(std::move(pages)),
      report_(std::move(report)) {
    figures_.pages = static_cast<int>(pages_.size());
}

int FaxCall::Run() {
    try {
        for (int attempt = 1;; ++attempt) {
            figures_.attempt = attempt;
            const int result = Attempt();
            const bool retry = (result == ecBusy || result == ecNoAnswer) &&
                               attempt < std::max(1, settings_.attempts);
            if (!retry) return result;
            Status(fpRedialWait);
            port_.Pause(settings_.retryWaitMs);
        }
    } catch (const FaxFailure& failure) {
        return failure.code;
    } catch (...) {
        // A fault of the sender's own, not of the port or the call; a fax
        // already delivered stays delivered.
        return delivered_ ? ecOK : ecInternalError;
    }
}

// Once the receiver has confirmed the last page the fax is delivered: what
// fails while hanging up after it must not make the user send it again.
int FaxCall::Attempt() {
    connected_ = false;
    delivered_ = false;
    port_.IgnoreCancel(false);
    port_.SetEndBy(std::nullopt);
    try {
        Initialise();
        Dial();
        connected_ = true;
        SendPages(ReceiveCapabilities());
        Disconnect();
    } catch (const FaxFailure& failure) {
        // Whatever failed, the modem is put on hook as far as it listens.
        Abandon(failure.code);
        if (!delivered_ && failure.code == ecPortError) throw;
        if (!delivered_) return failure.code;
    }
    Status(fpFinished);
    return ecOK;
}

void FaxCall::Initialise() {
    Status(fpInitModem);
    modem_.Reset(settings_.modemInit);
    Status(fpQueryClasses);
    modulations_ = modem_.EnterClass1(settings_.class1Known);
}

void FaxCall::Dial() {
    Status(fpDialing);
    modem_.Dial(settings_.dialString);
    Status(fpWaitAnswer);
    modem_.AwaitAnswer(settings_.dialString);
    Status(fpConnected);
}

// The answering machine's NSF, CSI and DIS, received right after CONNECT.
std::string FaxCall::ReceiveCapabilities() {
    std::string dis;
    bool connectPending = true;  // the dial's CONNECT starts the first frame
    const uint32_t deadline = port_.Now() + kDisTimeout;
    while (true) {
        HdlcFrame frame;
        uint32_t left = std::max<int32_t>(0, static_cast<int32_t>(deadline - port_.Now()));
        if (!dis.empty()) left = std::min(left, kResponseTimeout);
        const FrameResult result = modem_.ReceiveFrame(frame, connectPending, left);
        connectPending = false;
        if (result == FrameResult::kFrame) {
            const uint8_t kind = t30::Kind(frame.fcf);
            if (kind == t30::kCsi) figures_.remoteId = t30::DecodeId(frame.info);
            if (kind == t30::kDis) dis = frame.info;
            if (kind == t30::kDcn) throw FaxFailure{ecFarEndHungUp};
            if (frame.final && !dis.empty()) break;
        } else if (result == FrameResult::kBadFrame) {
            unclear_ = true;  // the next frame of the set may still come
        } else if (!dis.empty()) {
            unclear_ = true;
            break;  // the rest of the set was lost; DIS is what counts
        }
        if (static_cast<int32_t>(deadline - port_.Now()) <= 0) throw FaxFailure{ecNoCapabilities};
    }
    Status(fpGotCapabilities);
    if (!t30::Bit(dis, t30::kBitReceiver)) throw FaxFailure{ecCannotReceive};
    return dis;
}

void FaxCall::SendPages(const std::string& dis) {
    std::vector<t30::Speed> speeds;
    for (const t30::Speed& speed : t30::SpeedsOfDis(dis))
        if (std::find(modulations_.begin(), modulations_.end(), speed.modulation) !=
            modulations_.end())
            speeds.push_back(speed);
    if (speeds.empty()) throw FaxFailure{ecCannotReceive};
    minScanMs_ = t30::MinScanTimeOfDis(dis);
    ecm_ = t30::Bit(dis, t30::kBitExtend) && t30::Bit(dis, t30::kBitEcm);
    mr_ = t30::Bit(dis, t30::kBitTwoDimensional);
    size_t speedIndex = Train(speeds, 0);
    for (size_t index = 0; index < pages_.size(); ++index) {
        const bool last = index + 1 == pages_.size();
        for (int resends = 0;; ++resends) {
            uint8_t reply = 0;
            if (ecm_) {
                reply = SendEcmPage(index, last, speeds, speedIndex);
            } else {
                SendPage(index, speeds[speedIndex]);
                reply = PostPage(last);
            }
            // PIP: received, and the receiver's operator asks to talk; with
            // no operator here the fax goes on as after MCF.
            if (reply == t30::kMcf || reply == t30::kRtp || reply == t30::kPip) {
                delivered_ = last;
                Status(fpPageAccepted);
                if (reply == t30::kRtp && !last) speedIndex = Train(speeds, speedIndex);
                break;
            }
            // RTN (or PIN, its operator's form): the page was not received
            // clearly. The training check passed at a speed where the page
            // failed, so the page goes again one speed lower.
            Status(fpPageRejected);
            if (resends == kPageResends) throw FaxFailure{ecPageRejected};
            Status(fpRetrain);
            speedIndex = Train(speeds, std::min(speedIndex + 1, speeds.size() - 1));
        }
    }
}

// Sends DCS and the training check at each speed from `from` down until the
// receiver confirms one; returns its index.
size_t FaxCall::Train(const std::vector<t30::Speed>& speeds, size_t from) {
    for (size_t index = from; index < speeds.size(); ++index) {
        const t30::Speed& speed = speeds[index];
        figures_.bitsPerSecond = speed.bitsPerSecond;
        bool answered = false;
        for (int attempt = 0; attempt < kCommandTries && !answered; ++attempt) {
            Status(fpSendSettings);
            Silence();
            modem_.SendFrames({{false, t30::Command(t30::kTsi), t30::EncodeId(settings_.stationId)},
                               {true, t30::Command(t30::kDcs), Dcs(speed)}});
            Status(fpTraining);
            Silence();
            modem_.SendData(speed.modulation, speed.bitsPerSecond,
                            std::string(speed.bitsPerSecond * 3 / 16, '\0'));
            // A receiver that missed the DCS sends its capabilities again
            // (or asks for a repeat): DCS and the check go again.
            const Response reply = ReceiveResponse();
            if (reply.result != FrameResult::kFrame || IsRepeatRequest(reply.kind)) continue;
            answered = true;
            if (reply.kind == t30::kCfr) {
                Status(fpTrainingOk);
                return index;
            }
            if (reply.kind == t30::kDcn) throw FaxFailure{ecFarEndHungUp};
            if (reply.kind != t30::kFtt) throw FaxFailure{ecInterrupted};
        }
        if (!answered) throw FaxFailure{ecNoResponse};
        Status(fpTrainingFailed);
    }
    throw FaxFailure{ecTrainingFailed};
}

// T.30's 75 ms of silence before each transmission, after what was received
// or sent before it. After a reception that was not clear the far end may
// still be sending: the line must fall silent first.
void FaxCall::Silence() {
    const bool unclear = unclear_;
    unclear_ = false;
    if (unclear && modem_.AwaitSilence(kSilence)) return;
    modem_.Silence(kSilence);
}

std::string FaxCall::Dcs(const t30::Speed& speed) const {
    std::string dcs(3, '\0');
    t30::SetBit(dcs, t30::kBitReceiver);
    for (int i = 0; i < 4; ++i) t30::SetBit(dcs, t30::kBitRateFirst + i, (speed.dcsRate >> i) & 1);
    const uint8_t scan = t30::DcsScanTimeCode(minScanMs_);
    for (int i = 0; i < 3; ++i) t30::SetBit(dcs, t30::kBitScanTimeFirst + i, (scan >> i) & 1);
    // Bits 15 (fine) and 17-20 (A4 width and length) stay clear; the
    // fourth octet only for error correction, in frames of 256 bytes (bit
    // 28 clear).
    t30::SetBit(dcs, t30::kBitTwoDimensional, mr_);
    if (ecm_) {
        t30::SetBit(dcs, t30::kBitExtend);
        t30::SetBit(dcs, t30::kBitEcm);
    }
    return dcs;
}

void FaxCall::SendPage(size_t index, const t30::Speed& speed) {
    figures_.page = static_cast<int>(index) + 1;
    const std::string data = PageData(pages_[index], speed.bitsPerSecond, minScanMs_, mr_);
    figures_.pageLength = static_cast<uint32_t>(data.size());
    figures_.bytesSent = 0;
    Status(fpSendPage);
    Silence();  // a page always follows the receiver's CFR or MCF
    modem_.SendData(PageModulation(speed, false), speed.bitsPerSecond, data,
                    [this](size_t chunk, uint32_t sent) {
                        figures_.bytesSent = sent;
                        if (chunk % 4 == 3) Status(fpSendPage);
                    });
    Status(fpPageSent);
}

// The page's training: V.17's short one after CFR, MCF or PPR when the
// modem has it, the long one after a change of speed without a training
// check (CTC).
int FaxCall::PageModulation(const t30::Speed& speed, bool longTraining) const {
    const bool shortTraining =
        !longTraining && std::find(modulations_.begin(), modulations_.end(),
                                   speed.pageModulation) != modulations_.end();
    return shortTraining ? speed.pageModulation : speed.modulation;
}

// Sends MPS or EOP and returns the receiver's answer (MCF, RTP or RTN).
uint8_t FaxCall::PostPage(bool last) {
    return Exchange({true, t30::Command(last ? t30::kEop : t30::kMps), ""},
                    {t30::kMcf, t30::kRtp, t30::kRtn, t30::kPip, t30::kPin}, fpSendEndOfPage)
        .kind;
}

// A page in error correction mode, block by block: a block goes until the
// receiver has every frame of it, those it asks for again (PPR) each time;
// after four tries at a speed the correction continues one speed lower
// (CTC), and after four at the lowest the page has failed. Returns the
// answer to the page's last block (MCF, PIP or PIN).
uint8_t FaxCall::SendEcmPage(size_t index, bool last, const std::vector<t30::Speed>& speeds,
                             size_t& speedIndex) {
    figures_.page = static_cast<int>(index) + 1;
    const std::string data = PageData(pages_[index], 0, 0, mr_);  // the frames need no fill
    figures_.pageLength = static_cast<uint32_t>(data.size());
    figures_.bytesSent = 0;
    const auto blocks = ecm::Blocks(data);
    uint32_t blockStart = 0;
    for (size_t number = 0; number < blocks.size(); ++number) {
        const std::vector<std::string>& block = blocks[number];
        const bool lastBlock = number + 1 == blocks.size();
        const uint8_t post = lastBlock ? t30::Command(last ? t30::kEop : t30::kMps) : 0;
        std::vector<size_t> frames = ecm::AllFrames(block);
        bool longTraining = false;
        for (int tries = 1;; ++tries) {
            SendBlock(block, frames, speeds[speedIndex], longTraining, blockStart);
            const Response reply = Exchange(
                {true, t30::Command(t30::kPps), ecm::PpsInfo(post, index, number, block.size())},
                {t30::kMcf, t30::kPpr, t30::kPip, t30::kPin}, fpSendEndOfPage);
            if (reply.kind != t30::kPpr) {
                if (lastBlock) return reply.kind;
                break;
            }
            Status(fpPageRejected);
            frames = ecm::Requested(reply.info, block.size());
            longTraining = tries % kBlockTries == 0;
            if (longTraining) {
                if (speedIndex + 1 == speeds.size()) throw FaxFailure{ecPageRejected};
                Status(fpRetrain);
                figures_.bitsPerSecond = speeds[++speedIndex].bitsPerSecond;
                Exchange({true, t30::Command(t30::kCtc), Dcs(speeds[speedIndex]).substr(0, 2)},
                         {t30::kCtr}, fpSendSettings);
            }
        }
        for (const std::string& frame : block) blockStart += static_cast<uint32_t>(frame.size());
    }
    return t30::kMcf;
}

// The frames of a block at the page's speed, after the receiver's CFR, MCF,
// PPR or CTR.
void FaxCall::SendBlock(const std::vector<std::string>& block, const std::vector<size_t>& frames,
                        const t30::Speed& speed, bool longTraining, uint32_t blockStart) {
    const std::string data = ecm::Transmission(block, frames);
    const bool whole = frames.size() == block.size();
    uint32_t blockBytes = 0;
    for (const std::string& frame : block) blockBytes += static_cast<uint32_t>(frame.size());
    Status(fpSendPage);
    Silence();
    modem_.SendData(PageModulation(speed, longTraining), speed.bitsPerSecond, data,
                    [&](size_t chunk, uint32_t sent) {
                        if (whole)
                            figures_.bytesSent =
                                blockStart +
                                static_cast<uint32_t>(uint64_t{sent} * blockBytes / data.size());
                        if (chunk % 4 == 3) Status(fpSendPage);
                    });
    Status(fpPageSent);
}

// Sends a command until the receiver gives one of the `answers` (three
// times at most), reporting `progress` each time. A receiver not ready
// (RNR) is asked again (RR) until it is, for T5 at most.
FaxCall::Response FaxCall::Exchange(const HdlcFrame& command,
                                    std::initializer_list<uint8_t> answers, int progress) {
    HdlcFrame sent = command;
    const uint32_t readyBy = port_.Now() + kNotReadyTimeout;
    for (int attempt = 1; attempt <= kCommandTries; ++attempt) {
        Status(progress);
        Silence();
        modem_.SendFrames({sent});
        Status(fpWaitConfirm);
        const Response reply = ReceiveResponse();
        if (reply.result == FrameResult::kNoCarrier && attempt == kCommandTries)
            throw FaxFailure{ecFarEndHungUp};
        if (reply.result != FrameResult::kFrame) continue;
        if (reply.kind == t30::kDcn) throw FaxFailure{ecFarEndHungUp};
        if (std::find(answers.begin(), answers.end(), reply.kind) != answers.end()) return reply;
        if (reply.kind == t30::kRnr && static_cast<int32_t>(readyBy - port_.Now()) > 0) {
            sent = {true, t30::Command(t30::kRr), ""};
            attempt = 0;
        }
        // CRP or noise: the command goes again.
    }
    throw FaxFailure{ecNoResponse};
}

// The receiver's response to a command, read to its final frame (a set such
// as CSI and DIS comes as several). A garbled frame is not the end: the
// next may follow, and transmitting now would collide with it; the
// response ends with its final frame, the line dropped, or T4 in silence.
FaxCall::Response FaxCall::ReceiveResponse() {
    Response response{FrameResult::kTimeout, 0, ""};
    bool any = false;
    for (int frames = 0; frames < kFramesInASet; ++frames) {
        HdlcFrame frame;
        const FrameResult result = modem_.ReceiveFrame(frame, false, kResponseTimeout);
        if (result == FrameResult::kBadFrame) {
            unclear_ = true;
            if (!any) response.result = result;
            continue;
        }
        if (result != FrameResult::kFrame) {
            if (result == FrameResult::kTimeout) unclear_ = unclear_ || any;
            if (!any) response.result = result;
            break;
        }
        any = true;
        response = {result, t30::Kind(frame.fcf), frame.info};
        if (frame.final) break;
    }
    return response;
}

void FaxCall::Disconnect() {
    port_.IgnoreCancel(true);  // too late to cancel a delivered fax
    port_.SetEndBy(port_.Now() + kHangUpTimeout);
    Status(fpDisconnect);
    Silence();
    modem_.SendFrames({{true, t30::Command(t30::kDcn), ""}});
    connected_ = false;
    Status(fpHangUp);
    modem_.HangUp();
}

// After a failure: tell a connected receiver, then hang up, as far as the
// modem still listens.
void FaxCall::Abandon(int code) {
    port_.IgnoreCancel(true);  // a cancelled fax still hangs up
    // A port that failed gets a short try: it may not take a byte more.
    // Data cut off in a page is still going down the line from the modem's
    // buffer: the goodbye waits for it.
    if (!port_.EndBy())
        port_.SetEndBy(port_.Now() + (code == ecPortError
                                          ? kFailedPortHangUp
                                          : kHangUpTimeout + modem_.UnsentLineTime()));
    try {
        modem_.EndData();
        if (connected_ && code != ecFarEndHungUp) {
            Status(fpDisconnect);
            Silence();
            modem_.SendFrames({{true, t30::Command(t30::kDcn), ""}});
        }
    } catch (const FaxFailure&) {
    }
    try {
        modem_.EndData();  // the goodbye itself may have stopped in its data
        modem_.Break();
        Status(fpHangUp);
        modem_.HangUp();
    } catch (const FaxFailure&) {
    }
}

void FaxCall::Status(int progress) {
    figures_.progress = progress;
    report_(figures_);
}

}  // namespace mivox
