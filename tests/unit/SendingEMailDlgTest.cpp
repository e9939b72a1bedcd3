// The e-mail sender's dialog on virtual time: servers found in the
// registry, a scripted SMTP peer, a dial-up double, and the user's close
// box. What the user sees; the delivery's own rules are EmailDeliveryTest's.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>

#include "SendingEMailDlgRes.h"
#include "fakes/FakeDialog.h"
#include "fakes/FakePlatform.h"
#include "fakes/ScriptedSmtpServer.h"
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

uint32_t MIVOX_RASAPI EnumEntries(const char*, const char*, void* buffer, uint32_t*,
                                  uint32_t* count) {
    auto* records = static_cast<RasEntryName*>(buffer);
    for (size_t i = 0; i < dialUp.entries.size(); ++i)
        std::strncpy(records[i].szEntryName, dialUp.entries[i].c_str(),
                     sizeof records[i].szEntryName - 1);
    *count = static_cast<uint32_t>(dialUp.entries.size());
    return 0;
}
uint32_t MIVOX_RASAPI EnumConnections(void* buffer, uint32_t*, uint32_t* count) {
    auto* records = static_cast<RasConnRecord*>(buffer);
    for (size_t i = 0; i < dialUp.connections.size(); ++i) {
        records[i].hrasconn = reinterpret_cast<HRasConn>(i + 1);
        std::strncpy(records[i].szEntryName, dialUp.connections[i].c_str(),
                     sizeof records[i].szEntryName - 1);
    }
    *count = static_cast<uint32_t>(dialUp.connections.size());
    return 0;
}
uint32_t MIVOX_RASAPI ConnectStatus(HRasConn connection, void* status) {
    ++dialUp.statusQueries;
    if (!connection) return 6;  // ERROR_INVALID_HANDLE
    const bool up = dialUp.connectedFromQuery && dialUp.statusQueries >= dialUp.connectedFromQuery;
    static_cast<RasConnStatus*>(status)->rasconnstate = up ? kRasConnected : 0;
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

    FakePlatform fake;
    testing::FakeNetwork& net = fake.network;
    testing::ScriptedSmtpServer server{net};
    FakeDialog window{&fake.loop};
    std::unique_ptr<TSendingEMailDlg> dlg;
    std::vector<std::string> body{"Name: Jo"};
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

TEST_F(SendingEMailDlgTest, ShowsTheDeliveryStepByStepAndClosesItselfWithTheOutcome) {
    ListServer("smtp.isp.example");
    dlg->ShowModal();
    EXPECT_TRUE(dlg->MailSent);
    EXPECT_EQ(Outcome(), kSuccess);
    EXPECT_FALSE(window.IsVisible());
    EXPECT_EQ(Log().rfind("W95-IE/Outlook SMTP Server: smtp.isp.example\r\n", 0), 0u) << Log();
    EXPECT_EQ(dlg->SmtpServers(), (std::vector<std::string>{"smtp.isp.example", kFallback}));
    // The delivery's own steps, as EmailDeliveryTest checks them.
    EXPECT_TRUE(Logged("Trying SMTP Server: smtp.isp.example"));
    EXPECT_TRUE(Logged("< 220 ready"));
    EXPECT_TRUE(Logged("Request Finished: smtpQuit Error=0"));
    EXPECT_EQ(Log().find("> "), std::string::npos) << "commands and body stay out of the log";
    // The form is the caller's.
    const auto& lines = net.sockets.at(1)->lines;
    EXPECT_NE(std::find(lines.begin(), lines.end(), "Name: Jo"), lines.end());
    EXPECT_NE(std::find(lines.begin(), lines.end(), "Subject: Product Registration"), lines.end());
}

TEST_F(SendingEMailDlgTest, AFailedDeliveryClosesWithTheFailureBoxAndTheUserMayTryAgain) {
    ListServer(kFallback);  // the fallback itself: a list of one
    struct Case {
        const char* name;
        std::function<void()> breakServer;
    };
    const Case cases[] = {
        {"refused", [this] { server.replies["MAIL"] = "550 not here\r\n"; }},
        {"the end unanswered",
         [this] {
             net.onClientLine = [this](ScriptedSocket& socket, const std::string& line) {
                 if (server.inData && line == ".") return void(server.inData = false);
                 server.Answer(socket, line);
             };
         }},
        {"a silent server", [this] { net.onAccept = [](ScriptedSocket&) {}; }},
    };
    const auto onAccept = net.onAccept;
    const auto onClientLine = net.onClientLine;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        c.breakServer();
        fake.boxes.shown.clear();
        dlg->ShowModal();
        EXPECT_FALSE(dlg->MailSent);
        EXPECT_EQ(Outcome(), kFailure);
        EXPECT_FALSE(window.IsVisible()) << "closed itself";

        // The user tries again in the same session: a fresh showing.
        server.replies.clear();
        net.onAccept = onAccept;
        net.onClientLine = onClientLine;
        fake.boxes.shown.clear();
        dlg->ShowModal();
        EXPECT_TRUE(dlg->MailSent);
        EXPECT_EQ(Outcome(), kSuccess);
    }
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
