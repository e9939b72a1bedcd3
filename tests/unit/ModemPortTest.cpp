#include <gtest/gtest.h>

#include <atomic>
#include <functional>

#include "components/fax/FaxReports.h"
#include "components/fax/ModemPort.h"
#include "fakes/ScriptedPort.h"

namespace mivox {
namespace {

using testing::FakeClock;
using testing::ScriptedPort;

struct PortRig {
    FakeClock clock;
    ScriptedPort serial{clock};
    std::atomic<bool> cancel{false};
    ModemPort port{serial, clock, cancel};
};

// The code a step stops the call with, or 0.
int StopCode(const std::function<void()>& step) {
    try {
        step();
    } catch (const FaxFailure& failure) {
        return failure.code;
    }
    return 0;
}

TEST(ModemPort, ReadsResponseLinesHoweverTheyArriveAndGivesUpAtTheDeadline) {
    struct Case {
        const char* name;
        std::vector<std::string> pieces;  // one a read
        uint32_t pieceAfterMs;
        std::string skipEcho;
        std::vector<std::string> lines;  // successive ReadLine(3000)
        uint32_t elapsedMs;
    };
    const std::string junk(3000, 'x');
    const std::vector<Case> cases = {
        {"one piece", {"\r\nOK\r\n"}, 0, "", {"OK"}, 0},
        {"a line split across reads", {"\r\nCON", "NE", "CT\r", "\n"}, 0, "", {"CONNECT"}, 0},
        {"CR alone, LF alone", {"OK\rERROR\n"}, 0, "", {"OK", "ERROR"}, 0},
        {"the echo skipped", {"AT+FTM=?\r\r\n24,48\r\n"}, 0, "AT+FTM=?", {"24,48"}, 0},
        {"late, within the deadline", {"\r\nOK\r\n"}, 2999, "", {"OK"}, 2999},
        {"after the deadline, kept for the next read", {"\r\nOK\r\n"}, 4000, "", {"", "OK"}, 4000},
        {"a line never ended", {"\r\nOK"}, 0, "", {""}, 3000},
        {"nothing", {}, 0, "", {"", ""}, 6000},
        {"noise longer than any line dropped", {junk, junk, "\r\nOK\r\n"}, 0, "", {"OK"}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PortRig rig;
        rig.serial.Arrive(c.pieces, c.pieceAfterMs);
        for (const std::string& line : c.lines)
            EXPECT_EQ(rig.port.ReadLine(3000, c.skipEcho), line);
        EXPECT_EQ(rig.clock.ticks, c.elapsedMs);
    }
}

TEST(ModemPort, UnstuffsDataToItsEndHoweverTheReadsCutIt) {
    struct Case {
        const char* name;
        std::vector<std::string> pieces;
        bool ended;
        std::string data;
        std::string after;  // the next line
    };
    const std::string dle(1, kDle), end = dle + kEtx;
    const std::vector<Case> cases = {
        {"a frame", {"\xFF\x13\x80" + end}, true, "\xFF\x13\x80", ""},
        {"doubled DLE made single", {"a" + dle + dle + "b" + end}, true, "a" + dle + "b", ""},
        {"DLE last in a read, doubled", {"a" + dle, dle + "b" + end}, true, "a" + dle + "b", ""},
        {"DLE last in a read, then ETX", {"ab" + dle, "\x03"}, true, "ab", ""},
        {"DLE before another character dropped", {"a" + dle + "xb" + end}, true, "ab", ""},
        {"the CONNECT line's end apart from it", {"\r", "\n\xFF\r" + end}, true, "\xFF\r", ""},
        {"the result line left for the next read",
         {"\xFF" + end + "\r\nOK\r\n"},
         true,
         "\xFF",
         "OK"},
        {"no end in time", {"\xFF\x13"}, false, "\xFF\x13", ""},
        {"longer than any control frame",
         {std::string(1100, 'a'), end},
         false,
         std::string(1100, 'a'),
         ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PortRig rig;
        rig.serial.Arrive(c.pieces);
        std::string data;
        EXPECT_EQ(rig.port.ReadStuffed(data, 3000), c.ended);
        EXPECT_EQ(data, c.data);
        if (!c.after.empty()) {
            EXPECT_EQ(rig.port.ReadLine(3000), c.after);
        }
    }
}

TEST(ModemPort, StuffsDataAndEndsItOnlyWhenAsked) {
    PortRig rig;
    const std::string dle(1, kDle);
    rig.port.WriteStuffed("a" + dle + "b" + dle, /*thenEnd=*/false);  // DLE last of a chunk
    rig.port.WriteStuffed(dle, /*thenEnd=*/true);
    rig.port.WriteEnd();
    EXPECT_EQ(rig.serial.writes,
              (std::vector<std::string>{"a" + dle + dle + "b" + dle + dle, dle + dle + dle + "\x03",
                                        dle + "\x03"}));
}

TEST(ModemPort, StopsTheCallOnAFailedPortACancellationAndTheEndOfTheHangUpsTime) {
    struct Case {
        const char* name;
        std::function<void(PortRig&)> script;
        std::function<void(ModemPort&)> step;
        int code;
    };
    const auto write = [](ModemPort& p) { p.Write("AT\r"); };
    const auto read = [](ModemPort& p) { p.ReadLine(3000); };
    const auto pause = [](ModemPort& p) { p.Pause(1000); };
    const auto cancelled = [](PortRig& r) { r.cancel = true; };
    const auto ignoring = [](PortRig& r) {
        r.cancel = true;
        r.port.IgnoreCancel(true);
    };
    const std::vector<Case> cases = {
        {"a write fails", [](PortRig& r) { r.serial.writesFail = true; }, write, ecPortError},
        {"a read fails", [](PortRig& r) { r.serial.readsFail = true; }, read, ecPortError},
        {"a pause's read fails", [](PortRig& r) { r.serial.readsFail = true; }, pause, ecPortError},
        {"cancelled before a write", cancelled, write, ecCancelled},
        {"cancelled before a read", cancelled, read, ecCancelled},
        {"a hang-up's write", ignoring, write, 0},
        {"a hang-up's read", ignoring, read, 0},
        {"a pause, even while hanging up", ignoring, pause, ecCancelled},
        {"a write after the hang-up's time", [](PortRig& r) { r.port.SetEndBy(r.clock.ticks); },
         write, ecNoModemResponse},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PortRig rig;
        c.script(rig);
        EXPECT_EQ(StopCode([&] { c.step(rig.port); }), c.code);
    }
}

TEST(ModemPort, TheHangUpsDeadlineShortensEveryWaitAndWrite) {
    PortRig rig;
    rig.port.Write("AT\r");
    rig.port.SetEndBy(rig.clock.ticks + 1000);
    rig.port.Write("ATH0\r");
    EXPECT_EQ(rig.serial.writeTimeouts, (std::vector<uint32_t>{30000, 1000}));
    rig.serial.Arrive({"\r\nOK\r\n"}, 1500);
    EXPECT_EQ(rig.port.ReadLine(3000), "");
    EXPECT_EQ(rig.clock.ticks, 1000u);
    rig.port.SetEndBy(std::nullopt);
    EXPECT_EQ(rig.port.ReadLine(3000), "OK");

    rig.serial.Arrive({"\r\nOK\r\n", "\r\nNO CARRIER\r\n"}, 100);
    rig.port.Drain(300);  // all that comes within it is gone
    rig.serial.Arrive({"\r\nERROR\r\n"}, 500);
    EXPECT_EQ(rig.port.ReadLine(3000), "ERROR");
}

}  // namespace
}  // namespace mivox
