#include <gtest/gtest.h>

#include <atomic>
#include <functional>

#include "components/fax/Class1Modem.h"
#include "components/fax/FaxReports.h"
#include "fakes/ScriptedPort.h"

namespace mivox {
namespace {

using testing::FakeClock;
using testing::ScriptedPort;

std::string Line(const std::string& text) {
    return "\r\n" + text + "\r\n";
}

struct ModemRig {
    FakeClock clock;
    ScriptedPort serial{clock};
    std::atomic<bool> cancel{false};
    ModemPort port{serial, clock, cancel};
    Class1Modem modem{port};
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

TEST(Class1Modem, EachDialResultEndsTheDialWithItsCode) {
    struct Case {
        std::vector<std::string> replies;
        int code;
    };
    const std::vector<Case> cases = {
        {{"CONNECT"}, 0},
        {{"ATDT123", "RINGING", "DIALING", "RINGING", "CONNECT"}, 0},  // echo, progress
        {{"BUSY"}, ecBusy},
        {{"NO DIALTONE"}, ecNoDialTone},
        {{"NO DIAL TONE"}, ecNoDialTone},
        {{"NO ANSWER"}, ecNoAnswer},
        {{"NO CARRIER"}, ecNoCarrier},
        {{"RINGING", "DELAYED"}, ecDialRefused},
        {{"BLACKLISTED"}, ecDialRefused},
        {{"BLACKLIST FULL"}, ecDialRefused},
        {{"ERROR"}, ecModemError},
        {{"OK"}, ecModemError},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.replies.back());
        ModemRig rig;
        std::vector<std::string> replies;
        for (const std::string& reply : c.replies) replies.push_back(Line(reply));
        rig.serial.Expect("ATDT123\r", replies, 5000);
        EXPECT_EQ(StopCode([&] {
                      rig.modem.Dial("ATDT123");
                      rig.modem.AwaitAnswer("ATDT123");
                  }),
                  c.code);
        EXPECT_EQ(rig.serial.Problems(), "");
    }

    ModemRig silent;  // nothing for 90 s: the dialling is stopped
    silent.serial.Expect("ATDT123\r").Expect("\r", {Line("NO CARRIER")}, 500);
    EXPECT_EQ(StopCode([&] {
                  silent.modem.Dial("ATDT123");
                  silent.modem.AwaitAnswer("ATDT123");
              }),
              ecNoAnswer);
    EXPECT_EQ(silent.serial.Problems(), "");
    EXPECT_EQ(silent.clock.ticks, 90500u) << "and its answer is waited for";
}

TEST(Class1Modem, FindsClassOneInEveryWayAModemListsItAndReadsItsModulations) {
    struct Case {
        const char* classes;  // "" when the class is known
        const char* select;   // "" when Class 1 is not among them
    };
    const std::vector<Case> cases = {
        {"0,1,2", "AT+FCLASS=1"},
        {"(0,1,2)", "AT+FCLASS=1"},
        {"(0-2)", "AT+FCLASS=1"},
        {"0, 1, 2.0", "AT+FCLASS=1"},
        {"0,1.0,2.0", "AT+FCLASS=1.0"},
        {"1.0,1", "AT+FCLASS=1"},
        {"0,2,2.0", ""},
        {"(2-8)", ""},
        {"", "AT+FCLASS=1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.classes);
        ModemRig rig;
        if (*c.classes) rig.serial.Expect("AT+FCLASS=?\r", {Line(c.classes), Line("OK")});
        if (*c.select) {
            rig.serial.Expect(std::string(c.select) + "\r", {Line("OK")})
                .Expect("AT+FTM=?\r",
                        {Line("AT+FTM=?"), Line("24,48,72,96,(121,145)"), Line("OK")});
        }
        std::vector<int> modulations;
        EXPECT_EQ(StopCode([&] { modulations = rig.modem.EnterClass1(*c.classes == '\0'); }),
                  *c.select ? 0 : ecNoClass1);
        if (*c.select) {
            EXPECT_EQ(modulations, (std::vector<int>{24, 48, 72, 96, 121, 145}));
        }
        EXPECT_EQ(rig.serial.Problems(), "");
    }
}

// The commands after the wake-up and the replies scripted to them, in
// order; a command whose reply is "-" is not expected at all.
void ScriptSetUp(ScriptedPort& serial,
                 const std::vector<std::pair<std::string, std::string>>& steps) {
    for (const auto& [command, reply] : steps) {
        if (reply == "-") continue;
        serial.Expect(command + "\r",
                      reply.empty() ? std::vector<std::string>{} : std::vector<std::string>{reply});
    }
}

TEST(Class1Modem, WakesAModemInAnyReplyModeAndSetsFlowControlBusyDetectionAndCarrierWait) {
    const std::string ok = Line("OK");
    struct Case {
        const char* name;
        std::vector<std::pair<std::string, std::string>> steps;
        int code;
        uint32_t ms;  // the time the set-up takes
    };
    const std::vector<Case> cases = {
        {"verbal, answering the third AT",
         {{"AT", ""},
          {"AT", ""},
          {"AT", ok},
          {"ATE0V1Q0", ok},
          {"AT", ok},
          {"AT+IFC=2,2", ok},
          {"ATX4", ok},
          {"ATS7=60", ok}},
         0,
         2000},
        {"numeric, echoing",
         {{"AT", "AT\r0\r"},
          {"ATE0V1Q0", "ATE0V1Q0\r" + ok},
          {"AT", ok},
          {"AT+IFC=2,2", ok},
          {"ATX4", ok},
          {"ATS7=60", ok}},
         0,
         0},
        {"quiet: only ATE0V1Q0 makes it speak",
         {{"AT", ""},
          {"AT", ""},
          {"AT", ""},
          {"ATE0V1Q0", ok},
          {"AT", ok},
          {"AT+IFC=2,2", ok},
          {"ATX4", ok},
          {"ATS7=60", ok}},
         0,
         3000},
        {"flow control in the forms of other command sets, and no X4",
         {{"AT", ok},
          {"ATE0V1Q0", ok},
          {"AT", ok},
          {"AT+IFC=2,2", Line("ERROR")},
          {"AT&K3", Line("ERROR")},
          {"AT\\Q3", Line("ERROR")},
          {"AT&H1&R2", ok},
          {"ATX4", Line("ERROR")},
          {"ATX3", ok},
          {"ATS7=60", Line("ERROR")}},
         0,
         0},
        {"absent", {{"AT", ""}, {"AT", ""}, {"AT", ""}, {"ATE0V1Q0", ""}}, ecNoModemResponse, 6000},
        {"keeps answering in numbers",
         {{"AT", ok}, {"ATE0V1Q0", ok}, {"AT", Line("0")}},
         ecModemError,
         0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ModemRig rig;
        ScriptSetUp(rig.serial, c.steps);
        EXPECT_EQ(StopCode([&] { rig.modem.Reset(""); }), c.code);
        EXPECT_EQ(rig.serial.Problems(), "");
        EXPECT_EQ(rig.clock.ticks, c.ms);
    }

    ModemRig custom;  // an initialisation of the user's own comes after the sender's
    ScriptSetUp(custom.serial, {{"AT", Line("OK")},
                                {"ATE0V1Q0", Line("OK")},
                                {"AT&F&C1", Line("OK")},
                                {"AT", Line("OK")},
                                {"AT+IFC=2,2", Line("OK")},
                                {"ATX4", Line("OK")},
                                {"ATS7=60", Line("OK")}});
    EXPECT_EQ(StopCode([&] { custom.modem.Reset("AT&F&C1"); }), 0);
    EXPECT_EQ(custom.serial.Problems(), "");
}

TEST(Class1Modem, NamesTheFailureOfACommandByItsReply) {
    const std::pair<const char*, int> replies[] = {
        {"ERROR", ecModemError}, {"NO CARRIER", ecFarEndHungUp}, {"", ecNoModemResponse}};
    for (auto [reply, code] : replies) {
        SCOPED_TRACE(reply);
        ModemRig rig;
        rig.serial.Arrive({Line("CONNECT") + "OK\r\n"});
        rig.port.ReadLine(3000);  // an OK left over from before: not the answer
        rig.serial.Expect("AT+FTS=8\r", *reply ? std::vector<std::string>{Line(reply)}
                                               : std::vector<std::string>{});
        EXPECT_EQ(StopCode([&] { rig.modem.Silence(8); }), code);
        EXPECT_EQ(rig.serial.Problems(), "");
    }
}

TEST(Class1Modem, AModemThatDoesNotListItsModulationsIsGivenTheFourEveryModemHas) {
    for (const char* reply : {"ERROR", "OK", ""}) {
        SCOPED_TRACE(reply);
        ModemRig rig;
        rig.serial.Expect("AT+FCLASS=1\r", {Line("OK")})
            .Expect("AT+FTM=?\r",
                    *reply ? std::vector<std::string>{Line(reply)} : std::vector<std::string>{});
        std::vector<int> modulations;
        EXPECT_EQ(StopCode([&] { modulations = rig.modem.EnterClass1(true); }), 0);
        EXPECT_EQ(modulations, (std::vector<int>{24, 48, 72, 96}));
        EXPECT_EQ(rig.serial.Problems(), "");
    }
}

TEST(Class1Modem, WaitsForTheLineToFallSilentAndStopsAWaitThatDoesNotEnd) {
    ModemRig quiet;
    quiet.serial.Expect("AT+FRS=8\r", {Line("OK")}, 400);
    EXPECT_TRUE(quiet.modem.AwaitSilence(8));
    EXPECT_EQ(quiet.serial.Problems(), "");

    ModemRig busy;  // the far end goes on sending past T4
    busy.serial.Expect("AT+FRS=8\r").Expect("\x18", {Line("OK")});
    EXPECT_FALSE(busy.modem.AwaitSilence(8));
    EXPECT_EQ(busy.serial.Problems(), "");
    EXPECT_EQ(busy.clock.ticks, 3000u);
}

TEST(Class1Modem, ReceivesAFrameOrSaysWhyNotAndStopsAModemLeftListening) {
    const HdlcFrame csi{false, 0x40, "12345678901234567890"};
    const std::string withFcs = DleEncode(WithFcs(csi.Bytes()));
    struct Case {
        const char* name;
        std::vector<std::string> replies;  // to AT+FRH=3
        Class1Modem::FrameResult result;
        bool stopped;  // CAN sent, its OK read
    };
    using R = Class1Modem::FrameResult;
    const std::vector<Case> cases = {
        {"with its check sequence", {Line("CONNECT"), withFcs, Line("OK")}, R::kFrame, false},
        {"without it", {Line("CONNECT"), DleEncode(csi.Bytes()), Line("OK")}, R::kFrame, false},
        {"refused by the modem's check",
         {Line("CONNECT"), withFcs, Line("ERROR")},
         R::kBadFrame,
         false},
        {"not a control frame",
         {Line("CONNECT"), DleEncode("\xFE\x13\x40"), Line("OK")},
         R::kBadFrame,
         false},
        {"the line dropped", {Line("NO CARRIER")}, R::kNoCarrier, false},
        {"another reply", {Line("ERROR")}, R::kBadFrame, false},
        {"nothing", {}, R::kTimeout, true},
        {"a frame cut short", {Line("CONNECT"), "\xFF\x13"}, R::kTimeout, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ModemRig rig;
        rig.serial.Expect("AT+FRH=3\r", c.replies);
        if (c.stopped) rig.serial.Expect("\x18", {Line("OK")}, 1500);  // the OK comes late
        HdlcFrame frame;
        EXPECT_EQ(rig.modem.ReceiveFrame(frame, false, 3000), c.result);
        if (c.result == R::kFrame) {
            EXPECT_FALSE(frame.final);
            EXPECT_EQ(frame.fcf, 0x40);
            EXPECT_EQ(frame.info, csi.info) << "without the check sequence";
        }
        rig.serial.Arrive({Line("CONNECT")}, 100);  // the next command's answer
        EXPECT_EQ(rig.port.ReadLine(3000), "CONNECT") << "not an answer left over";
        EXPECT_EQ(rig.serial.Problems(), "");
    }

    ModemRig connected;  // the dial's CONNECT has come: no command
    connected.serial.Arrive({"\r\n", withFcs, Line("OK")});
    HdlcFrame frame;
    EXPECT_EQ(connected.modem.ReceiveFrame(frame, true, 3000), R::kFrame);
    EXPECT_TRUE(connected.serial.writes.empty());
}

TEST(Class1Modem, SendsFramesAndDataStuffedAndEndsWhatWasLeftOpen) {
    const std::string dle(1, kDle);
    const HdlcFrame tsi{false, 0x43, "a" + dle}, dcs{true, 0x83, "b"};
    const std::string tsiSent = std::string("\xFF\x03\x43") + "a" + dle + dle + dle + "\x03";
    const std::string dcsSent = std::string("\xFF\x13\x83") + "b" + dle + "\x03";
    for (const bool late : {false, true}) {
        // Frames that came late: the modem, out of flags, asked for more
        // with a CONNECT of its own, which is not the end of the last frame.
        SCOPED_TRACE(late ? "the frames late" : "the frames in time");
        ModemRig frames;
        frames.serial.Expect("AT+FTH=3\r", {Line("CONNECT")})
            .Expect(tsiSent, {Line("CONNECT")})
            .Expect(dcsSent, late ? std::vector<std::string>{Line("CONNECT"), Line("OK")}
                                  : std::vector<std::string>{Line("OK")});
        EXPECT_EQ(StopCode([&] { frames.modem.SendFrames({tsi, dcs}); }), 0);
        frames.modem.EndData();  // nothing left open
        EXPECT_EQ(frames.serial.Problems(), "");
    }

    ModemRig dropped;  // the line drops in the frames: their end is sent before the hang-up
    dropped.serial.Expect("AT+FTH=3\r", {Line("CONNECT")})
        .Expect(tsiSent, {Line("NO CARRIER")})
        .Expect(dle + "\x03", {Line("OK")});
    EXPECT_EQ(StopCode([&] { dropped.modem.SendFrames({tsi, dcs}); }), ecFarEndHungUp);
    dropped.modem.EndData();
    dropped.modem.EndData();
    EXPECT_EQ(dropped.serial.Problems(), "");

    // 2500 bytes at 9600 bit/s in chunks of 1024, a DLE last in the first.
    std::string data(2500, 'p');
    data[1023] = kDle;
    const std::string lastChunk(2500 - 2048, 'p');
    const uint32_t waitForOk = 2 * (2500 * 8 * 1000 / 9600) + 10000;
    for (const bool okInTime : {true, false}) {
        SCOPED_TRACE(okInTime ? "the OK in time" : "the OK too late");
        ModemRig rig;
        rig.serial.Expect("AT+FTM=96\r", {Line("CONNECT")})
            .Expect(data.substr(0, 1024) + dle)
            .Expect(data.substr(1024, 1024))
            .Expect(lastChunk)
            .Expect(dle + "\x03", {Line("OK")}, okInTime ? waitForOk - 1 : waitForOk);
        std::vector<std::pair<size_t, uint32_t>> chunks;
        EXPECT_EQ(StopCode([&] {
                      rig.modem.SendData(96, 9600, data, [&](size_t chunk, uint32_t sent) {
                          chunks.emplace_back(chunk, sent);
                      });
                  }),
                  okInTime ? 0 : ecNoModemResponse);
        EXPECT_EQ(chunks,
                  (std::vector<std::pair<size_t, uint32_t>>{{0, 1024}, {1, 2048}, {2, 2500}}));
        EXPECT_EQ(rig.serial.Problems(), "");
    }
}

// A modem that takes no flow control command gets the data no faster than
// its line carries it, a little ahead; one that does gets it at once.
TEST(Class1Modem, PacesDataToTheLineOnlyWhenTheModemHasNoFlowControl) {
    const std::string data(6 * 1024, 'p');
    for (const bool flowControl : {true, false}) {
        SCOPED_TRACE(flowControl ? "flow control" : "none");
        ModemRig rig;
        const std::string ok = Line("OK"), error = Line("ERROR");
        ScriptSetUp(rig.serial, {{"AT", ok},
                                 {"ATE0V1Q0", ok},
                                 {"AT", ok},
                                 {"AT+IFC=2,2", flowControl ? ok : error},
                                 {"AT&K3", flowControl ? "-" : error},
                                 {"AT\\Q3", flowControl ? "-" : error},
                                 {"AT&H1&R2", flowControl ? "-" : error},
                                 {"ATX4", ok},
                                 {"ATS7=60", ok}});
        rig.modem.Reset("");
        rig.serial.Expect("AT+FTM=96\r", {Line("CONNECT")});
        for (int i = 0; i < 6; ++i) rig.serial.Expect(data.substr(0, 1024));
        rig.serial.Expect(std::string{kDle, kEtx}, {Line("OK")}, flowControl ? 5120 : 1280);
        const uint32_t start = rig.clock.ticks;
        std::vector<uint32_t> ahead;  // bytes given beyond the line's at each chunk
        EXPECT_EQ(StopCode([&] {
                      rig.modem.SendData(96, 9600, data, [&](size_t, uint32_t sent) {
                          const uint32_t carried = (rig.clock.ticks - start) * 9600 / 8000;
                          ahead.push_back(sent > carried ? sent - carried : 0);
                      });
                  }),
                  0);
        EXPECT_EQ(rig.serial.Problems(), "");
        for (size_t i = 0; i < ahead.size(); ++i) {
            if (flowControl) {
                EXPECT_EQ(ahead[i], (i + 1) * 1024) << "chunk " << i;
            } else {
                // Within the last chunk of the pace: never more, and never
                // so little that the modem could run dry.
                EXPECT_LE(ahead[i], 1536u) << "chunk " << i;
                EXPECT_GE(ahead[i], 1024u) << "chunk " << i;
            }
        }
    }
}

// Cut off in its data, the modem still sends what it holds: the end of
// the data waits for its line time before the modem takes a command.
TEST(Class1Modem, EndingCutOffDataWaitsForWhatTheModemStillHolds) {
    ModemRig rig;
    const std::string data(4096, 'p');
    rig.serial.Expect("AT+FTM=24\r", {Line("CONNECT")})
        .Expect(data.substr(0, 1024))
        .Expect(data.substr(0, 1024));
    EXPECT_EQ(StopCode([&] {
                  rig.modem.SendData(24, 2400, data, [&](size_t chunk, uint32_t) {
                      if (chunk == 1) rig.cancel = true;
                  });
              }),
              ecCancelled);
    // 2048 bytes at 2400 bit/s: 6.8 s down the line.
    EXPECT_EQ(rig.modem.UnsentLineTime(), 6826u);
    rig.serial.Expect(std::string{kDle, kEtx}, {Line("OK")}, 6800);
    rig.port.IgnoreCancel(true);
    rig.modem.EndData();
    EXPECT_EQ(rig.clock.ticks, 6800u) << "its OK waited for, not the command timeout";
    EXPECT_EQ(rig.serial.Problems(), "");
}

}  // namespace
}  // namespace mivox
