// A serial port played from a script on virtual time, for the layers of the
// fax sender below the procedure: the bytes each write must carry, in
// order, and the pieces that arrive after it, one piece a read. Waiting for
// a piece that has not arrived moves the clock on.
#pragma once

#include <deque>
#include <string>
#include <utility>
#include <vector>

#include "fakes/FakePlatform.h"
#include "platform/SerialPort.h"

namespace mivox::testing {

class ScriptedPort : public SerialPort {
public:
    explicit ScriptedPort(FakeClock& clock) : clock_(clock) {}

    // Pieces that arrive `afterMs` after the piece before them (or from now).
    ScriptedPort& Arrive(std::vector<std::string> pieces, uint32_t afterMs = 0);
    // The next write must carry `bytes`; the replies arrive after it.
    ScriptedPort& Expect(std::string bytes, std::vector<std::string> replies = {},
                         uint32_t afterMs = 0);

    bool writesFail = false;
    bool readsFail = false;
    std::vector<std::string> writes;      // every write, in order
    std::vector<uint32_t> writeTimeouts;  // the time each write was given
    std::vector<std::string> unexpected;  // writes the script did not expect
    // What went otherwise than scripted: unexpected writes, writes expected
    // and not made; "" when the script was played as written.
    std::string Problems() const;

    // -- SerialPort ----------------------------------------------------------
    bool Open(const std::string&, const SerialSettings&, PortError&, std::string&) override {
        return true;
    }
    void Close() override {}
    bool IsOpen() const override { return true; }
    bool Write(const std::string& bytes, uint32_t timeoutMs) override;
    bool Read(std::string& bytes, uint32_t timeoutMs) override;

private:
    struct Step {
        std::string write;
        std::vector<std::string> replies;
        uint32_t afterMs;
    };
    FakeClock& clock_;
    std::deque<Step> steps_;
    std::deque<std::pair<uint32_t, std::string>> arriving_;  // each ready at its tick
};

}  // namespace mivox::testing
