// A modem's answers are outside input, and so is what the far machine sends
// through it: a whole fax call (reset, Class 1, dial, the T.30 phases of a
// one-page fax, goodbye, hang-up) runs against a port whose answers are the
// fuzzer's bytes. After each write the port answers with the next reply of
// the input: a control byte (bits 0-2: number of reads, bits 3-7: their
// delay in steps of 100 ms, after the write or after the reads still due),
// then each read as a length byte and its bytes. A read with nothing due
// waits out its time on the virtual clock. The call must end, within a
// bounded time after the modem last said something; with a port that never
// fails and nobody cancelling, it ends with one of the call's own results,
// never a fault of the sender, a port error or a cancel; and it reports the
// fax delivered only after it sent a page and the command that ends the
// procedure.
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "components/fax/FaxCall.h"
#include "fakes/FakePlatform.h"
#include "fakes/ScriptedPort.h"

namespace {

using mivox::FaxCall;
using mivox::FaxCallSettings;
using mivox::FaxPage;
using mivox::FaxRow;
using mivox::testing::FakeClock;
using mivox::testing::ScriptedPort;
namespace t30 = mivox::t30;

[[noreturn]] void Fail(const char* what, int code) {
    std::fprintf(stderr, "%s (result %d)\n", what, code);
    std::abort();
}

// The scripted port of the tests, answering every write with the next reply
// of the input instead of a script.
class AnsweringPort : public ScriptedPort {
public:
    AnsweringPort(FakeClock& clock, const uint8_t* data, size_t size)
        : ScriptedPort(clock), clock_(clock), data_(data), size_(size) {}

    bool Write(const std::string& bytes, uint32_t timeoutMs) override {
        if (bytes.rfind("AT+FTM=", 0) == 0 && bytes.size() > 7 && bytes[7] >= '0' &&
            bytes[7] <= '9')
            sentPage = true;
        for (const uint8_t end : {t30::Command(t30::kEop), t30::Command(t30::kPps)}) {
            if (bytes.find(std::string("\xFF\x13", 2) + static_cast<char>(end)) !=
                std::string::npos)
                sentEnd = true;
        }
        ScriptedPort::Write(bytes, timeoutMs);
        Answer();
        return true;
    }

    bool Read(std::string& bytes, uint32_t timeoutMs) override {
        const size_t before = bytes.size();
        ScriptedPort::Read(bytes, timeoutMs);
        if (bytes.size() > before) lastHeardAt = clock_.ticks;
        return true;
    }

    bool UsedUp() const { return at_ >= size_; }
    uint32_t lastHeardAt = 0;  // when the port last delivered bytes
    uint32_t usedUpAt = 0;     // when the last reply of the input was given
    bool sentPage = false;     // a page's data went to the modem
    bool sentEnd = false;      // so did EOP, or PPS for a page in error correction

private:
    void Answer() {
        if (at_ >= size_) return;
        const uint8_t control = data_[at_++];
        std::vector<std::string> reads;
        for (int read = 0; read < (control & 7) && at_ < size_; ++read) {
            const size_t wanted = data_[at_++];
            const size_t length = std::min(wanted, size_ - at_);
            reads.emplace_back(reinterpret_cast<const char*>(data_) + at_, length);
            at_ += length;
        }
        Arrive(std::move(reads), (control >> 3) * 100u);
        if (at_ >= size_) usedUpAt = clock_.ticks;
    }

    FakeClock& clock_;
    const uint8_t* data_;
    size_t size_;
    size_t at_ = 0;
};

// Longer than the longest wait of the procedure (a receiver not ready is
// asked again for a minute), with every repeat of a command after it.
constexpr uint32_t kEndAfterLastReplyMs = 10 * 60 * 1000;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FakeClock clock;
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
    const uint32_t silentSince = std::max(port.lastHeardAt, port.usedUpAt);
    if (port.UsedUp() && clock.ticks - silentSince > kEndAfterLastReplyMs)
        Fail("the call went on long after the modem fell silent", result);
    return 0;
}
