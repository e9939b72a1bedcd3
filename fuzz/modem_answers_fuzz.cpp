// A modem's answers are outside input, and so is what the far machine sends
// through it: a whole fax call (reset, Class 1, dial, the T.30 phases of a
// one-page fax, goodbye, hang-up) runs against a port whose answers are the
// fuzzer's bytes. After each write the port answers with the next reply of
// the input: a control byte (bits 0-2: number of reads, bits 3-7: the delay
// before them in steps of 100 ms), then each read as a length byte and its
// bytes. A read with nothing due waits out its time on the virtual clock.
// The call must end, within a bounded time after the last reply; with a
// port that never fails and nobody cancelling, it ends with one of the
// call's own results, never a fault of the sender, a port error or a
// cancel; and it reports the fax delivered only after it sent a page and
// the command that ends the procedure.
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <string>
#include <utility>

#include "components/fax/FaxCall.h"
#include "platform/Clock.h"
#include "platform/SerialPort.h"

namespace {

using mivox::FaxCall;
using mivox::FaxCallSettings;
using mivox::FaxPage;
using mivox::FaxRow;
namespace t30 = mivox::t30;

[[noreturn]] void Fail(const char* what, int code) {
    std::fprintf(stderr, "%s (result %d)\n", what, code);
    std::abort();
}

class VirtualClock : public mivox::Clock {
public:
    mivox::SystemTime LocalTime() const override { return {2001, 1, 5, 5, 15, 4, 6, 0}; }
    uint32_t TickCount() const override { return ticks; }
    uint32_t ticks = 0;
};

class AnsweringPort : public mivox::SerialPort {
public:
    AnsweringPort(VirtualClock& clock, const uint8_t* data, size_t size)
        : clock_(clock), data_(data), size_(size) {}

    bool Open(const std::string&, const mivox::SerialSettings&, mivox::PortError&,
              std::string&) override {
        return true;
    }
    void Close() override {}
    bool IsOpen() const override { return true; }

    bool Write(const std::string& bytes, uint32_t) override {
        if (bytes.rfind("AT+FTM=", 0) == 0 && bytes.size() > 7 && bytes[7] >= '0' &&
            bytes[7] <= '9')
            sentPage = true;
        for (const uint8_t end : {t30::Command(t30::kEop), t30::Command(t30::kPps)}) {
            if (bytes.find(std::string("\xFF\x13", 2) + static_cast<char>(end)) !=
                std::string::npos)
                sentEnd = true;
        }
        Answer();
        return true;
    }

    bool Read(std::string& bytes, uint32_t timeoutMs) override {
        if (!due_.empty() && static_cast<int32_t>(clock_.ticks - due_.front().first) >= 0) {
            bytes += due_.front().second;
            due_.pop_front();
            return true;
        }
        uint32_t wait = timeoutMs;
        if (!due_.empty()) wait = std::min(wait, due_.front().first - clock_.ticks);
        clock_.ticks += std::max<uint32_t>(wait, 1);
        return true;
    }

    bool Exhausted() const { return at_ >= size_ && due_.empty(); }
    uint32_t lastReplyAt = 0;  // when the last reply of the input was due
    bool sentPage = false;     // a page's data went to the modem
    bool sentEnd = false;      // so did EOP, or PPS for a page in error correction

private:
    void Answer() {
        if (at_ >= size_) return;
        const uint8_t control = data_[at_++];
        const uint32_t readyAt = clock_.ticks + (control >> 3) * 100u;
        for (int read = 0; read < (control & 7) && at_ < size_; ++read) {
            const size_t wanted = data_[at_++];
            const size_t length = std::min(wanted, size_ - at_);
            due_.emplace_back(readyAt,
                              std::string(reinterpret_cast<const char*>(data_) + at_, length));
            at_ += length;
        }
        if (at_ >= size_) lastReplyAt = readyAt;
    }

    VirtualClock& clock_;
    const uint8_t* data_;
    size_t size_;
    size_t at_ = 0;
    std::deque<std::pair<uint32_t, std::string>> due_;
};

// Longer than the longest wait of the procedure (a receiver not ready is
// asked again for a minute), with every repeat of a command after it.
constexpr uint32_t kEndAfterLastReplyMs = 10 * 60 * 1000;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    VirtualClock clock;
    AnsweringPort port(clock, data, size);
    const std::atomic<bool> cancel{false};
    FaxCallSettings settings;
    settings.dialString = "ATDT5550100";
    settings.stationId = "VexlorInstaller";
    FaxRow row(mivox::kFaxRowBytes, 0);
    row[10] = 0xF0;
    FaxCall call(port, clock, cancel, settings, {FaxPage(12, row)}, [](const auto&) {});
    const int result = call.Run();

    switch (result) {
        case mivox::ecOK:
            if (!port.sentPage || !port.sentEnd)
                Fail("reported delivered without sending the page and its end", result);
            break;
        case mivox::ecInternalError:
            Fail("a fault of the sender itself", result);
        case mivox::ecPortError:
        case mivox::ecCancelled:
        case mivox::ecPortNotOpen:
        case mivox::ecFaxFileError:
            Fail("a failure the port and the caller never caused", result);
        default:
            if (result < mivox::ecNoModemResponse || result > mivox::ecDialRefused)
                Fail("a result that is none of the call's", result);
    }
    if (port.Exhausted() && static_cast<int32_t>(clock.ticks - port.lastReplyAt) >
                                static_cast<int32_t>(kEndAfterLastReplyMs))
        Fail("the call went on long after the modem fell silent", result);
    return 0;
}
