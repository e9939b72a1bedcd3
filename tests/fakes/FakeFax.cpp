#include "fakes/FakeFax.h"

#include <algorithm>
#include <chrono>
#include <thread>

#include "fakes/FakePlatform.h"

#include "components/fax/ModifiedHuffman.h"
#include "components/fax/T30.h"
#include "platform/Failure.h"

namespace mivox::testing {

std::vector<std::vector<uint8_t>> PatternTextRenderer::RenderLine(const FontSpec& font,
                                                                  const std::string& text,
                                                                  int left) {
    if (!failure.empty()) throw Failure(failure);
    lines.push_back(text);
    std::vector<std::vector<uint8_t>> rows(font.height, std::vector<uint8_t>(kFaxRowBytes, 0));
    for (size_t i = 0; i < text.size(); ++i) {
        const auto code = static_cast<unsigned char>(text[i]);
        if (code == ' ') continue;
        for (int column = 0; column < 8; ++column) {
            if (!((code >> column) & 1)) continue;
            const int x = left + static_cast<int>(i) * 10 + column;
            if (x >= kFaxWidth) break;
            for (int row = 2; row < font.height - 2; ++row)
                rows[row][x >> 3] |= static_cast<uint8_t>(0x80 >> (x & 7));
        }
    }
    return rows;
}

std::vector<std::string> HdlcStreamFrames(const std::string& stream, int& bad, int& leadingFlags) {
    BitReader reader(reinterpret_cast<const uint8_t*>(stream.data()), stream.size(), true);
    std::vector<int> bits;
    for (int bit; (bit = reader.Next()) >= 0;) bits.push_back(bit);
    const auto flagAt = [&](size_t at) {
        if (at + 8 > bits.size() || bits[at] || bits[at + 7]) return false;
        for (size_t i = 1; i < 7; ++i)
            if (!bits[at + i]) return false;
        return true;
    };
    std::vector<std::string> frames;
    bad = leadingFlags = 0;
    bool synced = false, started = false;
    std::vector<int> body;
    int ones = 0;
    for (size_t at = 0; at < bits.size();) {
        if (flagAt(at)) {
            if (!body.empty()) {
                std::string bytes(body.size() / 8, '\0');
                for (size_t i = 0; i < bytes.size() * 8; ++i)
                    bytes[i / 8] = static_cast<char>(bytes[i / 8] | body[i] << (i % 8));
                if (body.size() % 8 == 0 && FcsGood(bytes))
                    frames.push_back(bytes.substr(0, bytes.size() - 2));
                else
                    ++bad;
            } else if (!started) {
                ++leadingFlags;
            }
            synced = true;
            body.clear();
            ones = 0;
            at += 8;
            continue;
        }
        const int bit = bits[at++];
        if (!synced) continue;
        if (bit == 0 && ones == 5) {
            ones = 0;  // inserted by the sender
            continue;
        }
        ones = bit ? ones + 1 : 0;
        if (ones > 6) {  // the line idles, or the frame is aborted
            synced = false;
            body.clear();
            continue;
        }
        body.push_back(bit);
        started = true;
    }
    return frames;
}

bool ScriptedFaxModem::Open(const std::string& name, const SerialSettings& settings,
                            PortError& error, std::string& detail) {
    openedName = name;
    openedSettings = settings;
    if (openError != PortError::kNone) {
        error = openError;
        detail = "refused by the test";
        return false;
    }
    open_ = true;
    interrupted_ = false;
    return true;
}

void ScriptedFaxModem::Interrupt() {
    interrupted_ = true;
    if (onInterrupt) onInterrupt();
}

bool ScriptedFaxModem::Write(const std::string& bytes, uint32_t timeoutMs) {
    if (!open_ || interrupted_) return false;
    // At most twenty seconds, so that a test without the interruption fails
    // rather than hangs.
    for (int waited = 0; writesBlock && !interrupted_ && waited < 20000; waited += 5)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    if (writesBlock) return false;
    if (writesStuck) {
        clock_.ticks += timeoutMs;
        return false;
    }
    for (char c : bytes) {
        switch (mode_) {
            case Mode::kCommand:
                if (c == '\r') {
                    if (!line_.empty()) Command(line_);
                    line_.clear();
                } else if (static_cast<unsigned char>(c) >= ' ') {
                    line_ += c;
                }
                break;
            case Mode::kListening:  // any character stops the listening
                mode_ = Mode::kCommand;
                Reply("OK", abortReplyMs);
                break;
            case Mode::kHdlc:
            case Mode::kData:
                block_ += c;
                // DLE ETX ends the block unless the DLE is itself escaped.
                if (block_.size() >= 2 && block_.back() == kEtx &&
                    block_[block_.size() - 2] == kDle) {
                    size_t dles = 0;
                    for (size_t i = block_.size() - 1; i-- > 0 && block_[i] == kDle;) ++dles;
                    if (dles % 2 == 1) {
                        std::string data;
                        for (size_t i = 0; i + 2 < block_.size(); ++i) {
                            data += block_[i];
                            if (block_[i] == kDle) ++i;
                        }
                        block_.clear();
                        if (mode_ == Mode::kHdlc)
                            FrameFromSender(data);
                        else
                            DataFromSender(data);
                    }
                }
                break;
        }
    }
    return true;
}

bool ScriptedFaxModem::Read(std::string& bytes, uint32_t timeoutMs) {
    if (!open_ || interrupted_) return false;
    if (readFailures > 0) {
        --readFailures;
        return false;
    }
    while (!later_.empty() && static_cast<int32_t>(clock_.ticks - later_.front().first) >= 0) {
        output_ += later_.front().second;
        later_.pop_front();
    }
    if (output_.empty() || silent) {
        const uint32_t wait =
            later_.empty() ? timeoutMs : std::min(timeoutMs, later_.front().first - clock_.ticks);
        clock_.ticks += wait;
        return true;
    }
    bytes += output_;
    output_.clear();
    clock_.ticks += 10;
    return true;
}

void ScriptedFaxModem::Emit(const std::string& bytes, uint32_t afterMs) {
    if (afterMs == 0 && later_.empty()) {
        output_ += bytes;
        return;
    }
    const uint32_t from =
        later_.empty() ? clock_.ticks : std::max(later_.back().first, clock_.ticks);
    later_.emplace_back(from + afterMs, bytes);
}

void ScriptedFaxModem::GiveFrame(const HdlcFrame& frame) {
    Emit(DleEncode(passesFcs ? WithFcs(frame.Bytes()) : frame.Bytes()));
    Reply("OK");
}

void ScriptedFaxModem::Command(const std::string& command) {
    if (command.rfind("AT", 0) != 0) return;  // the rest of a line cut by an abort
    commands.push_back(command);
    if (onCommand) onCommand(command);
    if (ignores && ignores(command)) return;
    if (refuses && refuses(command)) {
        Reply("ERROR");
        return;
    }
    const bool needsLine =
        command == "AT+FRH=3" || command == "AT+FTH=3" || command.rfind("AT+FTM=", 0) == 0;
    if (lineDown_ && needsLine && command != "AT+FTM=?") {
        Reply("NO CARRIER");
        return;
    }
    if (command == "AT+FCLASS=?") {
        Reply(classes);
        Reply("OK");
    } else if (command == "AT+FTM=?") {
        Reply("24,48,72,73,74,96,97,98,121,122,145,146");
        Reply("OK");
    } else if (command.rfind("ATD", 0) == 0) {
        for (const std::string& line : dialProgress) Reply(line);
        Reply(dialResult);
        if (dialResult != "CONNECT") return;
        // CSI comes with the dial's CONNECT, DIS after the next AT+FRH=3.
        GiveFrame({!sendDis, t30::kCsi, t30::EncodeId(remoteId)});
        if (sendDis) pendingFrames_.push_back({{true, t30::kDis, Dis()}});
    } else if (command == "AT+FRH=3") {
        if (pendingFrames_.empty() || pendingFrames_.front().empty()) {
            if (!pendingFrames_.empty()) pendingFrames_.pop_front();
            mode_ = Mode::kListening;  // nothing comes; the sender must give up
            return;
        }
        Reply("CONNECT");
        std::vector<HdlcFrame>& set = pendingFrames_.front();
        const HdlcFrame frame = set.front();
        set.erase(set.begin());
        if (set.empty()) pendingFrames_.pop_front();
        if (frame.fcf == kCutShort) {
            Emit("\xFF\x13");
            mode_ = Mode::kListening;
            return;
        }
        if (frame.fcf == kGarbled) {
            Emit(DleEncode("\xFF\x13\x8C\x55"));
            Reply("ERROR");
            return;
        }
        GiveFrame(frame);
    } else if (command == "AT+FTH=3") {
        Reply("CONNECT");
        mode_ = Mode::kHdlc;
    } else if (command.rfind("AT+FTM=", 0) == 0) {
        dataModulation_ = std::stoi(command.substr(7));
        Reply("CONNECT");
        mode_ = Mode::kData;
    } else if (command.rfind("AT+FTS=", 0) == 0) {
        Reply("OK", 80);  // after the silence
    } else {
        Reply("OK");  // AT, ATE0V1Q0, AT+FCLASS=1, ATH0
    }
}

std::vector<HdlcFrame> ScriptedFaxModem::NextResponse(std::deque<uint8_t>& replies,
                                                      uint8_t otherwise) {
    bool garbled = false;
    while (!replies.empty() && replies.front() == kGarbled) {
        garbled = true;
        replies.pop_front();
    }
    const uint8_t reply = replies.empty() ? otherwise : replies.front();
    if (!replies.empty()) replies.pop_front();
    std::vector<HdlcFrame> frames = Response(reply);
    if (reply == t30::kPpr && !pprInfo.empty()) {
        frames[0].info = pprInfo.front();
        pprInfo.pop_front();
    }
    if (garbled) frames.insert(frames.begin(), HdlcFrame{false, kGarbled, ""});
    return frames;
}

std::vector<HdlcFrame> ScriptedFaxModem::Response(uint8_t reply) const {
    if (reply == 0) return {};
    if (reply != t30::kDis) return {{true, reply, ""}};
    return {{false, t30::kCsi, t30::EncodeId(remoteId)}, {true, t30::kDis, Dis()}};
}

std::string ScriptedFaxModem::Dis() const {
    std::string dis(ecm ? 4 : 3, '\0');
    t30::SetBit(dis, t30::kBitExtend, ecm);
    t30::SetBit(dis, t30::kBitEcm, ecm);
    t30::SetBit(dis, t30::kBitTwoDimensional, twoDimensional);
    t30::SetBit(dis, t30::kBitReceiver, canReceive);
    for (int i = 0; i < 4; ++i) t30::SetBit(dis, t30::kBitRateFirst + i, (disRates >> i) & 1);
    for (int i = 0; i < 3; ++i)
        t30::SetBit(dis, t30::kBitScanTimeFirst + i, (disScanCode >> i) & 1);
    return dis;
}

void ScriptedFaxModem::FrameFromSender(const std::string& bytes) {
    HdlcFrame frame;
    if (!HdlcFrame::Parse(bytes, frame)) {
        mode_ = Mode::kCommand;
        Reply("ERROR");
        return;
    }
    framesSent.push_back(frame);
    const uint8_t kind = t30::Kind(frame.fcf);
    afterDcs_ = kind == t30::kDcs;
    if (kind == t30::kMps || kind == t30::kEop || kind == t30::kPps || kind == t30::kRr)
        pendingFrames_.push_back(NextResponse(pageReplies, t30::kMcf));
    if (kind == t30::kCtc) pendingFrames_.push_back(Response(t30::kCtr));
    if (frame.final) {
        mode_ = Mode::kCommand;
        Reply("OK");
    } else {
        Reply("CONNECT");
    }
}

void ScriptedFaxModem::DataFromSender(const std::string& data) {
    mode_ = Mode::kCommand;
    if (afterDcs_) {
        afterDcs_ = false;
        trainingModulations.push_back(dataModulation_);
        std::vector<HdlcFrame> response = NextResponse(trainingReplies, t30::kCfr);
        if (data.find_first_not_of('\0') != std::string::npos) response = Response(t30::kFtt);
        pendingFrames_.push_back(response);
        Reply("OK");
        return;
    }
    pages.push_back(data);
    pageModulations.push_back(dataModulation_);
    if (hangUpInPage == static_cast<int>(pages.size())) {
        Reply("NO CARRIER");
        lineDown_ = true;
        return;
    }
    Reply("OK");
}

}  // namespace mivox::testing
