// Test doubles of the fax library's seams: the machine's ports and modems,
// a text renderer that draws a pattern from each character's code, a poster
// that queues work for the test to run as the user-interface thread, and a
// Class 1 fax modem with a fax machine behind it, played from a script on
// virtual time.
#pragma once

#include <atomic>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "components/fax/Hdlc.h"
#include "platform/SerialPort.h"
#include "platform/TextRenderer.h"
#include "platform/Threads.h"

namespace mivox::testing {

class FakeClock;

// What a receiver's HDLC decoder finds in a bit stream (first bit in each
// byte's least significant bit): the frames between flags, zeros after
// five ones taken out, each with a good check sequence (returned without
// it); `bad` counts the others, `leadingFlags` the flags before the first.
std::vector<std::string> HdlcStreamFrames(const std::string& stream, int& bad, int& leadingFlags);

// The serial ports and modems of a machine, as a test sets them.
class FakeModemDirectory : public ModemDirectory {
public:
    std::vector<std::string> SerialPorts() override { return ports; }
    std::vector<std::string> TelephonyLines() override { return lines; }
    std::string PortOfLine(const std::string& line) override {
        const auto it = portOfLine.find(line);
        return it == portOfLine.end() ? std::string() : it->second;
    }
    std::vector<std::string> ports{"COM1", "COM2"};
    std::vector<std::string> lines;
    std::map<std::string, std::string> portOfLine;
};

// Each character is a cell 10 dots wide: blank for a space, otherwise the
// bits of its code as eight columns over the middle rows.
class PatternTextRenderer : public TextRenderer {
public:
    std::vector<std::vector<uint8_t>> RenderLine(const FontSpec& font, const std::string& text,
                                                 int left) override;
    std::vector<std::string> lines;  // every line drawn
    std::string failure;             // when set, drawing fails with this text
};

class QueuedPoster : public UiThreadPoster {
public:
    bool Post(std::function<void()> task) override {
        if (full) return false;
        std::lock_guard lock(mutex_);
        tasks_.push_back(std::move(task));
        return true;
    }
    std::atomic<bool> full{false};  // refuses work, as a full message queue
    // Runs the work posted so far, in order, as the user-interface thread would.
    void RunAll() {
        while (RunOne()) {
        }
    }
    // Runs the oldest work waiting; false when there is none.
    bool RunOne() {
        std::function<void()> task;
        {
            std::lock_guard lock(mutex_);
            if (tasks_.empty()) return false;
            task = std::move(tasks_.front());
            tasks_.pop_front();
        }
        task();
        return true;
    }

private:
    Mutex mutex_;
    std::deque<std::function<void()>> tasks_;
};

// A fax modem and the fax machine it dials, as the sender sees them through
// the serial port. Waiting for a reply that does not come moves the clock on.
class ScriptedFaxModem : public SerialPort {
public:
    explicit ScriptedFaxModem(FakeClock& clock) : clock_(clock) {}

    // -- The script ----------------------------------------------------------
    bool silent = false;                    // answers nothing at all
    std::string classes = "0,1,2";          // the answer to AT+FCLASS=?
    std::vector<std::string> dialProgress;  // lines before the result, such as RINGING
    std::string dialResult = "CONNECT";     // or BUSY, NO DIALTONE, NO ANSWER, ...
    std::string remoteId = "+49 30 1234567";
    bool canReceive = true;
    uint8_t disRates = 0xB;   // bits 11-14: V.27 ter, V.29, V.17
    int disScanCode = 0b111;  // bits 21-23: 0 ms
    bool sendDis = true;
    bool ecm = false;             // offers error correction (DIS bit 27)
    bool twoDimensional = false;  // reads two-dimensional coding (DIS bit 16)
    // The answers to the training checks, then to the pages' end commands,
    // one each, in order; 0 = no answer, kDis = CSI and DIS again as a
    // receiver that missed the DCS sends them, kCutShort = a frame that
    // starts and never ends. kGarbled puts a frame that fails the modem's
    // check before the answer that follows it in the list. When a list
    // runs out: CFR, MCF.
    static constexpr uint8_t kCutShort = 0xFF;
    static constexpr uint8_t kGarbled = 0xFE;
    std::deque<uint8_t> trainingReplies;
    std::deque<uint8_t> pageReplies;  // also to PPS and RR; kPpr takes the next of pprInfo
    std::deque<std::string> pprInfo;  // the frames a PPR asks for, as its information
    int hangUpInPage = 0;             // the page (from 1) after whose data the line drops
    std::function<void(const std::string&)> onCommand;  // the user acting meanwhile
    // Faults: commands answered "ERROR" or not at all, and a port whose
    // writes never complete (each takes its whole time and fails).
    std::function<bool(const std::string&)> refuses, ignores;
    bool writesStuck = false;
    int readFailures = 0;  // the next reads that fail, as a broken port's
    // A write that blocks (in real time) until the port is interrupted.
    std::atomic<bool> writesBlock{false};
    std::function<void()> onInterrupt;
    bool passesFcs = true;      // hands the frames' check sequence on
    uint32_t abortReplyMs = 0;  // how long the OK to an aborted AT+FRH=3 takes

    // -- What the sender did -------------------------------------------------
    std::vector<std::string> commands;  // AT commands, in order
    std::vector<HdlcFrame> framesSent;  // frames sent by the sender
    std::vector<int> trainingModulations;
    std::vector<std::string> pages;  // page data, as the modem received it
    std::vector<int> pageModulations;

    // -- SerialPort ----------------------------------------------------------
    bool Open(const std::string& name, const SerialSettings& settings, PortError& error,
              std::string& detail) override;
    void Close() override { open_ = false; }
    bool IsOpen() const override { return open_; }
    bool Write(const std::string& bytes, uint32_t timeoutMs) override;
    bool Read(std::string& bytes, uint32_t timeoutMs) override;
    void Interrupt() override;

    std::string openedName;
    SerialSettings openedSettings;
    PortError openError = PortError::kNone;

private:
    enum class Mode { kCommand, kHdlc, kData, kListening };
    void Command(const std::string& command);
    void FrameFromSender(const std::string& bytes);
    void DataFromSender(const std::string& bytes);
    // What the modem says comes out in order, each part `afterMs` after the
    // one before it (or now); a part that comes later holds back the rest.
    void Emit(const std::string& bytes, uint32_t afterMs = 0);
    void Reply(const std::string& text, uint32_t afterMs = 0) {
        Emit("\r\n" + text + "\r\n", afterMs);
    }
    void GiveFrame(const HdlcFrame& frame);
    std::vector<HdlcFrame> Response(uint8_t reply) const;  // to a command
    // The next response of a list, or `otherwise` when it has run out.
    std::vector<HdlcFrame> NextResponse(std::deque<uint8_t>& replies, uint8_t otherwise);
    std::string Dis() const;

    FakeClock& clock_;
    bool open_ = false;
    std::atomic<bool> interrupted_{false};
    Mode mode_ = Mode::kCommand;
    std::string line_, block_;
    int dataModulation_ = 0;
    bool afterDcs_ = false;
    bool lineDown_ = false;
    std::deque<std::vector<HdlcFrame>> pendingFrames_;    // a set, a frame per AT+FRH=3
    std::string output_;                                  // ready to be read
    std::deque<std::pair<uint32_t, std::string>> later_;  // each ready at its tick
};

}  // namespace mivox::testing
