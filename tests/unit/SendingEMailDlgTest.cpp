// The e-mail sender on virtual time: servers found in the registry, a
// scripted SMTP peer, a dial-up double, and the user's close box.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>

#include "SendingEMailDlgRes.h"
#include "fakes/FakeDialog.h"
#include "fakes/FakePlatform.h"
#include "registration/SendingEMailDlg.h"

namespace mivox {
namespace {

using testing::FakeDialog;
using testing::FakePlatform;
using testing::ScriptedSocket;

constexpr char kIeMailKey[] = "Software\\Microsoft\\Internet Mail and News\\Mail";
constexpr char kFallback[] = "mail.vexlor.example";

// The dial-up service as the double answers it; reached through plain
// function pointers, so it lives at namespace scope.
struct DialUp {
    std::vector<std::string> entries;
    std::vector<std::string> connections;
    int statusQueries = 0;
    int connectedFromQuery = 0;  // 0: never
    uint32_t hangUpResult = 0;
    int hangUps = 0;
    std::function<void()> onConnected;
} dialUp;

struct EntryRecord {
    uint32_t size;
    char name[257];
};
struct ConnRecord {
    uint32_t size;
    HRasConn handle;
    char name[257];
    char deviceType[17];
    char deviceName[129];
};
struct StatusRecord {
    uint32_t size, state, error;
    char deviceType[17], deviceName[129];
};

uint32_t MIVOX_RASAPI EnumEntries(const char*, const char*, void* buffer, uint32_t*,
                                  uint32_t* count) {
    auto* records = static_cast<EntryRecord*>(buffer);
    for (size_t i = 0; i < dialUp.entries.size(); ++i)
        std::strncpy(records[i].name, dialUp.entries[i].c_str(), sizeof records[i].name - 1);
    *count = static_cast<uint32_t>(dialUp.entries.size());
    return 0;
}
uint32_t MIVOX_RASAPI EnumConnections(void* buffer, uint32_t*, uint32_t* count) {
    auto* records = static_cast<ConnRecord*>(buffer);
    for (size_t i = 0; i < dialUp.connections.size(); ++i) {
        records[i].handle = reinterpret_cast<HRasConn>(i + 1);
        std::strncpy(records[i].name, dialUp.connections[i].c_str(), sizeof records[i].name - 1);
    }
    *count = static_cast<uint32_t>(dialUp.connections.size());
    return 0;
}
uint32_t MIVOX_RASAPI ConnectStatus(HRasConn connection, void* status) {
    ++dialUp.statusQueries;
    if (!connection) return 6;  // ERROR_INVALID_HANDLE
    const bool up = dialUp.connectedFromQuery && dialUp.statusQueries >= dialUp.connectedFromQuery;
    static_cast<StatusRecord*>(status)->state = up ? kRasConnected : 0;
    if (up && dialUp.onConnected) std::exchange(dialUp.onConnected, nullptr)();
    return 0;
}
uint32_t MIVOX_RASAPI HangUp(HRasConn) {
    ++dialUp.hangUps;
    return dialUp.hangUpResult;
}
uint32_t MIVOX_RASAPI ErrorString(uint32_t, char* text, uint32_t size) {
    std::strncpy(text, "dial-up error", size - 1);
    return 0;
}

class SendingEMailDlgTest : public ::testing::Test {
protected:
    SendingEMailDlgTest() {
        dialUp = DialUp{};
        fake.RunOnVirtualTime();
        net.hosts = {{"smtp.isp.example", "192.0.2.1"}, {kFallback, "192.0.2.2"}};
        net.onAccept = [](ScriptedSocket& socket) { socket.ServerSends("220 ready\r\n"); };
        net.onClientLine = [this](ScriptedSocket& socket, const std::string& line) {
            Answer(socket, line);
        };
        dlg = std::make_unique<TSendingEMailDlg>(window, fake.platform);
        window.Bind(*dlg);
        dlg->FromAddr = dlg->ToAddr = "register@vexlor.example";
        dlg->MailSubject = "Product Registration";
        dlg->MsgLines = &body;
        // The user only watches, until the dialog closes or nothing is left.
        window.whileModal = [this](FakeDialog& d) {
            while (d.IsVisible() && !(net.queue.Idle() && userGivesUp)) fake.loop.ProcessMessages();
        };
    }

    // A well-behaved server, unless a verb has a reply of its own.
    void Answer(ScriptedSocket& socket, const std::string& line) {
        if (inData) {
            if (line == ".") {
                inData = false;
                socket.ServerSends("250 queued\r\n");
            }
            return;
        }
        const std::string verb = line.substr(0, line.find_first_of(" :"));
        if (replies.count(verb)) {
            if (!replies[verb].empty()) socket.ServerSends(replies[verb]);
            return;
        }
        if (verb == "DATA") {
            inData = true;
            socket.ServerSends("354 go on\r\n");
        } else if (verb == "QUIT") {
            socket.ServerSends("221 bye\r\n");
            socket.ServerCloses(1);
        } else {
            socket.ServerSends("250 OK\r\n");
        }
    }

    void ListServer(const std::string& host) {
        fake.registry.SetString(kHkeyCurrentUser, kIeMailKey, "Default SMTP Server", host);
    }
    void UseDialUp() {
        fake.libraries.present = true;
        fake.libraries.procs = {{"RasEnumEntriesA", reinterpret_cast<void*>(&EnumEntries)},
                                {"RasEnumConnectionsA", reinterpret_cast<void*>(&EnumConnections)},
                                {"RasGetConnectStatusA", reinterpret_cast<void*>(&ConnectStatus)},
                                {"RasHangUpA", reinterpret_cast<void*>(&HangUp)},
                                {"RasGetErrorStringA", reinterpret_cast<void*>(&ErrorString)}};
    }
    std::string Log() { return window.Control(IDE_SENDINGEMAIL_LOG).Text(); }
    bool Logged(const std::string& line) {
        return ("\r\n" + Log() + "\r\n").find("\r\n" + line + "\r\n") != std::string::npos;
    }
    // The one outcome box.
    std::string Outcome() {
        std::vector<std::string> outcomes;
        for (const auto& box : fake.boxes.shown)
            if (box.caption.rfind("EMail Transaction", 0) == 0)
                outcomes.push_back(box.caption + " / " + box.text);
        EXPECT_EQ(outcomes.size(), 1u);
        return outcomes.empty() ? "" : outcomes.back();
    }
    std::vector<std::string> Commands(size_t socket) {
        std::vector<std::string> verbs;
        for (const auto& line : net.sockets.at(socket)->lines) verbs.push_back(line.substr(0, 4));
        return verbs;
    }

    FakePlatform fake;
    testing::FakeNetwork& net = fake.network;
    FakeDialog window{&fake.loop};
    std::unique_ptr<TSendingEMailDlg> dlg;
    std::vector<std::string> body{"Name: Jo", ".", std::string(132, 'a'), std::string(1500, 'b')};
    std::map<std::string, std::string> replies;
    bool inData = false;
    bool userGivesUp = true;

    static constexpr const char kSuccess[] =
        "EMail Transaction Successful / Email Registration Completed";
    static constexpr const char kFailure[] = "EMail Transaction Failed / Email was NOT sent";
};

TEST_F(SendingEMailDlgTest, WithoutServersSaysSoAndTheCloseBoxReportsFailure) {
    dlg->ShowModal();
    EXPECT_EQ(Log(),
              "No SMTP servers listed in your Registry.\r\n"
              "Please use a different registration option.");
    EXPECT_TRUE(dlg->SmtpServers().empty());  // not even the fallback
    for (const auto* socket : net.sockets) EXPECT_EQ(socket->address, "") << "nothing connected";
    EXPECT_FALSE(dlg->MailSent);
    EXPECT_EQ(Outcome(), kFailure);
}

TEST_F(SendingEMailDlgTest, DeliversTheFormAndClosesItself) {
    ListServer("smtp.isp.example");
    dlg->ShowModal();
    EXPECT_TRUE(dlg->MailSent);
    EXPECT_EQ(Outcome(), kSuccess);
    EXPECT_TRUE(Logged("Trying SMTP Server: smtp.isp.example"));
    EXPECT_TRUE(Logged("smtp.isp.example Active"));
    EXPECT_TRUE(Logged("Initializing SMTP: smtp.isp.example"));
    EXPECT_TRUE(Logged("Request Finished: smtpConnect Error=0"));
    EXPECT_TRUE(Logged("< 220 ready"));
    EXPECT_TRUE(Logged("Sending Mail..."));
    EXPECT_TRUE(Logged("Request Finished: smtpQuit Error=0"));
    EXPECT_EQ(Log().find("> "), std::string::npos) << "commands and body stay out of the log";

    const auto& lines = net.sockets.at(1)->lines;
    ASSERT_GE(lines.size(), 4u);
    EXPECT_EQ(lines[0], "HELO Installer");
    EXPECT_EQ(lines[1], "MAIL FROM:<register@vexlor.example>");
    EXPECT_EQ(lines[2], "RCPT TO:<register@vexlor.example>");
    const auto from = std::find(lines.begin(), lines.end(), "From: register@vexlor.example");
    ASSERT_NE(from, lines.end());
    EXPECT_EQ(*(from + 1), "Comments: This is a test");
    const auto name = std::find(lines.begin(), lines.end(), "Name: Jo");
    ASSERT_NE(name, lines.end());
    EXPECT_EQ(*(name + 1), "..");
    EXPECT_EQ(*(name + 2), std::string(132, 'a'));
    EXPECT_EQ(*(name + 3), std::string(1022, 'b'));
    EXPECT_EQ(*(name + 4), ".");
}

TEST_F(SendingEMailDlgTest, AFailedConversationEndsClosedSoTheNextTryReachesTheServer) {
    ListServer(kFallback);  // the fallback itself: a list of one
    for (const char* quitReply : {"221 bye\r\n", "554 staying\r\n"}) {
        SCOPED_TRACE(quitReply);
        replies = {{"MAIL", "550 not here\r\n"}, {"QUIT", quitReply}};
        fake.boxes.shown.clear();
        net.sockets.at(1)->lines.clear();
        dlg->ShowModal();
        ASSERT_EQ(dlg->SmtpServers().size(), 1u);
        EXPECT_TRUE(Logged("Request Finished: smtpMailFrom Error=550"));
        EXPECT_EQ(Commands(1), (std::vector<std::string>{"HELO", "MAIL", "QUIT"}));
        EXPECT_EQ(net.sockets.size(), 2u);
        EXPECT_EQ(Outcome(), kFailure);

        // The user tries again in the same session: a fresh conversation.
        replies.clear();
        fake.boxes.shown.clear();
        dlg->ShowModal();
        EXPECT_TRUE(Logged("Request Finished: smtpConnect Error=0"));
        EXPECT_EQ(Outcome(), kSuccess);
    }
}

TEST_F(SendingEMailDlgTest, AMessageAcceptedIsSentOnceWhateverQuitBrings) {
    ListServer("smtp.isp.example");  // the fallback follows it
    struct Case {
        const char* name;
        const char* quitReply;  // empty: none ever
        const char* quitLine;
    };
    const Case cases[] = {
        {"refused, connection kept", "554 not now\r\n", "Request Finished: smtpQuit Error=554"},
        {"never answered", "", "Request Finished: smtpQuit Error=10060"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        replies = {{"QUIT", c.quitReply}};
        fake.boxes.shown.clear();
        dlg->ShowModal();
        EXPECT_TRUE(Logged("Request Finished: smtpData Error=0"));
        EXPECT_TRUE(Logged(c.quitLine));
        EXPECT_TRUE(dlg->MailSent);
        EXPECT_EQ(Outcome(), kSuccess);
        EXPECT_FALSE(Logged(std::string("Trying SMTP Server: ") + kFallback)) << "sent twice";
        EXPECT_EQ(std::count(net.sockets.at(1)->lines.begin(), net.sockets.at(1)->lines.end(), "."),
                  1);
        net.sockets.at(1)->lines.clear();
    }
}

TEST_F(SendingEMailDlgTest, AMessageWhoseEndIsNeverAnsweredGoesToNoOtherServer) {
    ListServer("smtp.isp.example");  // the fallback follows it
    for (const bool closes : {false, true}) {
        SCOPED_TRACE(closes ? "connection closed" : "never answered");
        net.onClientLine = [this, closes](ScriptedSocket& socket, const std::string& line) {
            if (inData && line == ".") {
                inData = false;
                if (closes) socket.ServerCloses(5);
                return;
            }
            Answer(socket, line);
        };
        fake.boxes.shown.clear();
        dlg->ShowModal();
        EXPECT_TRUE(Logged(closes ? "Request Finished: smtpData Error=10004"
                                  : "Request Finished: smtpData Error=10060"));
        EXPECT_TRUE(Logged("No answer to the end of the message: no other server is tried"));
        EXPECT_FALSE(Logged(std::string("Trying SMTP Server: ") + kFallback)) << "sent twice";
        EXPECT_FALSE(dlg->MailSent);
        EXPECT_EQ(Outcome(), kFailure);
    }
}

TEST_F(SendingEMailDlgTest, AReplyCodeOf9999EndsTheRequestAtOnce) {
    ListServer(kFallback);
    replies["MAIL"] = "9999 odd\r\n";
    uint32_t endedAt = 0;
    fake.boxes.whileShown = [&](const auto&) { endedAt = fake.clock.ticks; };
    dlg->ShowModal();
    EXPECT_TRUE(Logged("Request Finished: smtpMailFrom Error=9999"));
    EXPECT_LT(endedAt, 1000u);
    EXPECT_EQ(Outcome(), kFailure);
}

TEST_F(SendingEMailDlgTest, ALookupAnsweringAfterTheLimitIsNotTakenForTheNextServer) {
    // The first name resolves after 15 s, while the second, unknown, is
    // still being looked up: that late success must not count for it.
    ListServer("smtp.isp.example");
    net.hosts.erase(kFallback);
    net.lookupDelays = {{"smtp.isp.example", 15000}, {kFallback, 8000}};
    dlg->ShowModal();
    EXPECT_EQ(net.abandonedLookupsAnswered, 1);
    EXPECT_FALSE(Logged("smtp.isp.example Active"));
    EXPECT_FALSE(Logged(std::string(kFallback) + " Active"));
    EXPECT_FALSE(Logged("Initializing SMTP: smtp.isp.example"));
    EXPECT_EQ(Outcome(), kFailure);
}

TEST_F(SendingEMailDlgTest, AFailingServerIsDroppedAndTheNextDelivers) {
    ListServer("smtp.isp.example");
    struct Case {
        const char* name;
        std::function<void()> breakFirst;
        const char* failureLine;
        std::vector<std::string> serversLeft;  // a failed server is dropped, a silent one not
    };
    const Case cases[] = {
        {"refused",
         [this] { net.connectErrors["192.0.2.1"] = 10061; },
         "Request Finished: smtpConnect Error=10061",
         {kFallback}},
        {"lookup slower than ten seconds",
         [this] { net.lookupDelays["smtp.isp.example"] = 15000; },
         nullptr,
         {"smtp.isp.example", kFallback}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        c.breakFirst();
        fake.boxes.shown.clear();
        dlg->ShowModal();
        EXPECT_TRUE(dlg->MailSent);
        EXPECT_EQ(Outcome(), kSuccess);
        EXPECT_TRUE(Logged("Trying SMTP Server: smtp.isp.example"));
        EXPECT_TRUE(Logged(std::string("Trying SMTP Server: ") + kFallback));
        EXPECT_TRUE(Logged(std::string("Initializing SMTP: ") + kFallback));
        if (c.failureLine) {
            EXPECT_TRUE(Logged(c.failureLine));
        } else {
            EXPECT_FALSE(Logged("smtp.isp.example Active"));
        }
        EXPECT_EQ(dlg->SmtpServers(), c.serversLeft);
        net.connectErrors.clear();
        net.lookupDelays.clear();
    }
}

TEST_F(SendingEMailDlgTest, QuitAnsweredByAClosedConnectionCountsAsSuccess) {
    ListServer("smtp.isp.example");
    replies["QUIT"] = "";
    net.onClientLine = [this](ScriptedSocket& socket, const std::string& line) {
        if (line == "QUIT") return socket.ServerCloses(5);
        Answer(socket, line);
    };
    dlg->ShowModal();
    EXPECT_TRUE(Logged("Request Finished: smtpQuit Error=0"));
    EXPECT_TRUE(dlg->MailSent);
}

TEST_F(SendingEMailDlgTest, ASilentServerIsGivenUpAfterTheTimeLimitWaitingAsleep) {
    ListServer(kFallback);
    net.onAccept = [](ScriptedSocket&) {};  // accepts, never greets
    uint32_t endedAt = 0;
    fake.boxes.whileShown = [&](const auto&) { endedAt = fake.clock.ticks; };
    dlg->ShowModal();
    EXPECT_TRUE(Logged("Request Finished: smtpConnect Error=10060"));
    EXPECT_GE(endedAt, TSendingEMailDlg::kRequestLimitMs);
    EXPECT_LT(endedAt, TSendingEMailDlg::kRequestLimitMs + 1000);
    EXPECT_EQ(Outcome(), kFailure);
    EXPECT_FALSE(window.IsVisible());
    // The 30 s went by in a few sleeps, not in thousands of looks at the queue.
    EXPECT_LT(fake.loop.pumps + fake.loop.waits, 100);
    EXPECT_EQ(fake.loop.idleForever, 0);
}

TEST_F(SendingEMailDlgTest, TheCloseBoxDuringTheSendWaitsForTheRealOutcome) {
    ListServer("smtp.isp.example");
    net.queue.Post(40, [this] { window.CloseBox(); });  // mid-conversation
    dlg->ShowModal();
    EXPECT_EQ(window.closeCount, 1);
    EXPECT_TRUE(Logged("Request Finished: smtpQuit Error=0"));
    EXPECT_EQ(Outcome(), kSuccess);
}

TEST_F(SendingEMailDlgTest, NoPhonebookEntriesLeaveTheDialogWaitingToBeClosed) {
    ListServer("unknown.example");
    net.hosts.clear();
    UseDialUp();
    dlg->ShowModal();
    EXPECT_TRUE(Logged("No RAS Phonebook Entrys to Dial."));
    EXPECT_FALSE(window.Control(IDB_SENDINGEMAIL_DIAL).IsEnabled());
    EXPECT_FALSE(dlg->TimerEnabled());
    EXPECT_EQ(Outcome(), kFailure);
}

TEST_F(SendingEMailDlgTest, DialsAndSendsOnceTheLineIsUpThenHangsUp) {
    for (const uint32_t hangUpResult : {0u, 668u}) {
        SCOPED_TRACE(hangUpResult);
        dialUp = DialUp{};
        dialUp.entries = {"Home", "Office"};
        dialUp.connections = {"Office"};
        dialUp.connectedFromQuery = 3;
        dialUp.hangUpResult = hangUpResult;
        dialUp.onConnected = [this] { net.hosts["smtp.dialup.example"] = "192.0.2.9"; };
        net.hosts.clear();
        ListServer("smtp.dialup.example");
        UseDialUp();
        fake.boxes.shown.clear();
        fake.desktop.programs.clear();
        userGivesUp = false;
        // The user picks Office and dials once the dialog offers it.
        net.queue.Post(1000, [this] {
            EXPECT_TRUE(window.Control(IDB_SENDINGEMAIL_DIAL).IsEnabled());
            fake.desktop.DropDownOf(window, IDC_SENDINGEMAIL_RAS).SetSelected(1);
            window.Click(IDB_SENDINGEMAIL_DIAL);
        });
        dlg->ShowModal();
        EXPECT_EQ(fake.desktop.programs, std::vector<std::string>{"RASPHONE.EXE -d Office"});
        EXPECT_EQ(dialUp.statusQueries, 3) << "connected on the third tick";
        EXPECT_TRUE(Logged("1 Active RAS Connection(s)"));
        EXPECT_TRUE(Logged("RAS Connected"));
        EXPECT_TRUE(Logged("Hanging Up"));
        EXPECT_EQ(dialUp.hangUps, 1);
        EXPECT_EQ(Logged("Error attempting to HangUp"), hangUpResult != 0);
        EXPECT_TRUE(dlg->MailSent);
        EXPECT_EQ(Outcome(), kSuccess);
        EXPECT_FALSE(dlg->TimerEnabled());
    }
}

TEST_F(SendingEMailDlgTest, ALineItDialledIsHungUpWhenNoServerAnswersOrTheUserCloses) {
    struct Case {
        const char* name;
        bool dial;
        int connectedFromQuery;  // the line comes up (0: not yet when closed)
        int hangUps;
    };
    const Case cases[] = {
        {"up, but no server answers", true, 2, 1},
        {"closed while dialling", true, 0, 1},
        {"a line it did not dial", false, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        dialUp = DialUp{};
        dialUp.entries = {"My ISP"};
        dialUp.connections = {"My ISP"};
        dialUp.connectedFromQuery = c.connectedFromQuery;
        net.hosts.clear();
        ListServer("smtp.dialup.example");
        UseDialUp();
        fake.boxes.shown.clear();
        fake.desktop.programs.clear();
        if (c.dial) net.queue.Post(1000, [this] { window.Click(IDB_SENDINGEMAIL_DIAL); });
        if (!c.connectedFromQuery) net.queue.Post(9000, [this] { window.CloseBox(); });
        dlg->ShowModal();
        EXPECT_EQ(dialUp.hangUps, c.hangUps);
        EXPECT_EQ(Logged("Hanging Up"), c.hangUps > 0);
        if (c.dial) {
            EXPECT_EQ(fake.desktop.programs,
                      std::vector<std::string>{"RASPHONE.EXE -d \"My ISP\""});
        }
        EXPECT_EQ(Outcome(), kFailure);
    }
}

}  // namespace
}  // namespace mivox
