// The delivery policy on virtual time, without a dialog: servers tried in
// their order against a scripted SMTP peer, the failed ones dropped, the
// message never sent twice, and the outcome.
#include <gtest/gtest.h>

#include <algorithm>

#include "fakes/FakePlatform.h"
#include "fakes/ScriptedSmtpServer.h"
#include "registration/EmailDelivery.h"

namespace mivox {
namespace {

using testing::FakePlatform;
using testing::ScriptedSocket;

constexpr char kIsp[] = "smtp.isp.example";
constexpr char kFallback[] = "mail.vexlor.example";

class EmailDeliveryTest : public ::testing::Test {
protected:
    EmailDeliveryTest() {
        fake.RunOnVirtualTime();
        net.hosts = {{kIsp, "192.0.2.1"}, {kFallback, "192.0.2.2"}};
        delivery.SetServers({kIsp, kFallback});
    }

    DeliveryOutcome Deliver() { return delivery.Deliver(message); }
    bool Logged(const std::string& line) const {
        return std::find(log.begin(), log.end(), line) != log.end();
    }
    // The log's lines about choosing a server, in order.
    std::vector<std::string> ServerSteps() const {
        std::vector<std::string> steps;
        for (const auto& line : log)
            if (line.rfind("Trying ", 0) == 0 || line.rfind("Initializing ", 0) == 0 ||
                line.find(" Active") != std::string::npos)
                steps.push_back(line);
        return steps;
    }
    std::vector<std::string> Commands(size_t socket) const {
        std::vector<std::string> verbs;
        for (const auto& line : net.sockets.at(socket)->lines) verbs.push_back(line.substr(0, 4));
        return verbs;
    }
    // The client's socket; the first one made is the lookups'.
    ScriptedSocket& Conversation() { return *net.sockets.at(1); }
    void Restart() {
        log.clear();
        Conversation().lines.clear();
    }

    FakePlatform fake;
    testing::FakeNetwork& net = fake.network;
    testing::ScriptedSmtpServer server{net};
    std::vector<std::string> log;
    EmailDelivery delivery{SmtpEnvironment{net, fake.clock, fake.zone}, fake.loop,
                           [this](const std::string& line) { log.push_back(line); }};
    std::vector<std::string> body{"Name: Jo", ".", std::string(132, 'a'), std::string(1500, 'b')};
    EmailMessage message{"register@vexlor.example", "register@vexlor.example",
                         "Product Registration", &body};
};

TEST_F(EmailDeliveryTest, DeliversTheMessageThroughTheFirstServerThatResolves) {
    EXPECT_EQ(Deliver(), DeliveryOutcome::kDelivered);
    EXPECT_EQ(ServerSteps(), (std::vector<std::string>{"Trying SMTP Server: smtp.isp.example",
                                                       "smtp.isp.example Active",
                                                       "Initializing SMTP: smtp.isp.example"}));
    EXPECT_TRUE(Logged("Request Finished: smtpConnect Error=0"));
    EXPECT_TRUE(Logged("< 220 ready"));
    EXPECT_TRUE(Logged("Sending Mail..."));
    EXPECT_TRUE(Logged("Request Finished: smtpQuit Error=0"));
    for (const auto& line : log) EXPECT_NE(line.rfind("> ", 0), 0u) << "commands stay out";
    EXPECT_EQ(delivery.Servers(), (std::vector<std::string>{kIsp, kFallback}));

    const auto& lines = Conversation().lines;
    ASSERT_GE(lines.size(), 4u);
    EXPECT_EQ(lines[0], "HELO Installer");
    EXPECT_EQ(lines[1], "MAIL FROM:<register@vexlor.example>");
    EXPECT_EQ(lines[2], "RCPT TO:<register@vexlor.example>");
    EXPECT_NE(std::find(lines.begin(), lines.end(), "Subject: Product Registration"), lines.end());
    const auto from = std::find(lines.begin(), lines.end(), "From: register@vexlor.example");
    ASSERT_NE(from, lines.end());
    EXPECT_EQ(*(from + 1), "Comments: This is a test");
    const auto name = std::find(lines.begin(), lines.end(), "Name: Jo");
    ASSERT_NE(name, lines.end());
    EXPECT_EQ(*(name + 1), "..");
    EXPECT_EQ(*(name + 2), std::string(132, 'a'));
    EXPECT_EQ(*(name + 3), std::string(1022, 'b')) << "cut to the client's line buffer";
    EXPECT_EQ(*(name + 4), ".");
}

TEST_F(EmailDeliveryTest, ServersAreTriedInOrderAndOneThatFailedIsDropped) {
    struct Case {
        const char* name;
        std::function<void()> breakServers;
        DeliveryOutcome outcome;
        std::vector<std::string> steps;
        std::vector<std::string> serversLeft;  // a failed server is dropped, a silent one not
    };
    const Case cases[] = {
        {"the first refuses the connection",
         [this] { net.connectErrors["192.0.2.1"] = 10061; },
         DeliveryOutcome::kDelivered,
         {"Trying SMTP Server: smtp.isp.example", "smtp.isp.example Active",
          "Initializing SMTP: smtp.isp.example", "Trying SMTP Server: mail.vexlor.example",
          "mail.vexlor.example Active", "Initializing SMTP: mail.vexlor.example"},
         {kFallback}},
        {"the first resolves slower than ten seconds",
         [this] { net.lookupDelays[kIsp] = 15000; },
         DeliveryOutcome::kDelivered,
         {"Trying SMTP Server: smtp.isp.example", "Trying SMTP Server: mail.vexlor.example",
          "mail.vexlor.example Active", "Initializing SMTP: mail.vexlor.example"},
         {kIsp, kFallback}},
        {"every one refuses the sender",
         [this] { server.replies["MAIL"] = "550 not here\r\n"; },
         DeliveryOutcome::kFailed,
         {"Trying SMTP Server: smtp.isp.example", "smtp.isp.example Active",
          "Initializing SMTP: smtp.isp.example", "Trying SMTP Server: mail.vexlor.example",
          "mail.vexlor.example Active", "Initializing SMTP: mail.vexlor.example"},
         {kFallback}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        delivery.SetServers({kIsp, kFallback});
        log.clear();
        c.breakServers();
        EXPECT_EQ(Deliver(), c.outcome);
        EXPECT_EQ(ServerSteps(), c.steps);
        EXPECT_EQ(delivery.Servers(), c.serversLeft);
        net.connectErrors.clear();
        net.lookupDelays.clear();
        server.replies.clear();
    }
}

TEST_F(EmailDeliveryTest, AFailedConversationEndsClosedSoTheNextDeliveryReachesTheServer) {
    delivery.SetServers({kFallback});  // a list of one
    for (const char* quitReply : {"221 bye\r\n", "554 staying\r\n"}) {
        SCOPED_TRACE(quitReply);
        server.replies = {{"MAIL", "550 not here\r\n"}, {"QUIT", quitReply}};
        Restart();
        EXPECT_EQ(Deliver(), DeliveryOutcome::kFailed);
        EXPECT_EQ(delivery.Servers(), std::vector<std::string>{kFallback}) << "the last is kept";
        EXPECT_TRUE(Logged("Request Finished: smtpMailFrom Error=550"));
        EXPECT_EQ(Commands(1), (std::vector<std::string>{"HELO", "MAIL", "QUIT"}));
        EXPECT_EQ(net.sockets.size(), 2u);

        server.replies.clear();
        Restart();
        EXPECT_EQ(Deliver(), DeliveryOutcome::kDelivered);
        EXPECT_TRUE(Logged("Request Finished: smtpConnect Error=0"));
    }
}

TEST_F(EmailDeliveryTest, AMessageAcceptedIsSentOnceWhateverQuitBrings) {
    struct Case {
        const char* name;
        const char* quitReply;  // empty: none ever
        bool closes;            // the server closes the connection on QUIT
        const char* quitLine;
    };
    const Case cases[] = {
        {"refused, connection kept", "554 not now\r\n", false,
         "Request Finished: smtpQuit Error=554"},
        {"never answered", "", false, "Request Finished: smtpQuit Error=10060"},
        {"answered by closing", "", true, "Request Finished: smtpQuit Error=0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        server.replies = {{"QUIT", c.quitReply}};
        net.onClientLine = [this, c](ScriptedSocket& socket, const std::string& line) {
            if (c.closes && line == "QUIT") return socket.ServerCloses(5);
            server.Answer(socket, line);
        };
        delivery.SetServers({kIsp, kFallback});
        Restart();
        EXPECT_EQ(Deliver(), DeliveryOutcome::kDelivered);
        EXPECT_TRUE(Logged("Request Finished: smtpData Error=0"));
        EXPECT_TRUE(Logged(c.quitLine));
        EXPECT_FALSE(Logged(std::string("Trying SMTP Server: ") + kFallback)) << "sent twice";
        EXPECT_EQ(std::count(Conversation().lines.begin(), Conversation().lines.end(), "."), 1);
    }
}

TEST_F(EmailDeliveryTest, AMessageWhoseEndIsNeverAnsweredGoesToNoOtherServer) {
    for (const bool closes : {false, true}) {
        SCOPED_TRACE(closes ? "connection closed" : "never answered");
        net.onClientLine = [this, closes](ScriptedSocket& socket, const std::string& line) {
            if (server.inData && line == ".") {
                server.inData = false;
                if (closes) socket.ServerCloses(5);
                return;
            }
            server.Answer(socket, line);
        };
        Restart();
        EXPECT_EQ(Deliver(), DeliveryOutcome::kUnconfirmed);
        EXPECT_TRUE(Logged(closes ? "Request Finished: smtpData Error=10004"
                                  : "Request Finished: smtpData Error=10060"));
        EXPECT_TRUE(Logged("No answer to the end of the message: no other server is tried"));
        EXPECT_FALSE(Logged(std::string("Trying SMTP Server: ") + kFallback)) << "sent twice";
    }
}

TEST_F(EmailDeliveryTest, AReplyCodeOf9999EndsTheRequestAtOnce) {
    delivery.SetServers({kFallback});
    server.replies["MAIL"] = "9999 odd\r\n";
    EXPECT_EQ(Deliver(), DeliveryOutcome::kFailed);
    EXPECT_TRUE(Logged("Request Finished: smtpMailFrom Error=9999"));
    EXPECT_LT(fake.clock.ticks, 1000u);
}

TEST_F(EmailDeliveryTest, ASilentServerIsGivenUpAfterTheTimeLimitWaitingAsleep) {
    delivery.SetServers({kFallback});
    net.onAccept = [](ScriptedSocket&) {};  // accepts, never greets
    EXPECT_EQ(Deliver(), DeliveryOutcome::kFailed);
    EXPECT_TRUE(Logged("Request Finished: smtpConnect Error=10060"));
    EXPECT_GE(fake.clock.ticks, EmailDelivery::kRequestLimitMs);
    EXPECT_LT(fake.clock.ticks, EmailDelivery::kRequestLimitMs + 1000);
    // The 30 s went by in a few sleeps, not in thousands of looks at the queue.
    EXPECT_LT(fake.loop.pumps + fake.loop.waits, 100);
    EXPECT_EQ(fake.loop.idleForever, 0);
}

TEST_F(EmailDeliveryTest, ALookupAnsweringAfterTheLimitIsNotTakenForTheNextServer) {
    // The first name resolves after 15 s, while the second, unknown, is
    // still being looked up: that late success must not count for it.
    net.hosts.erase(kFallback);
    net.lookupDelays = {{kIsp, 15000}, {kFallback, 8000}};
    EXPECT_EQ(Deliver(), DeliveryOutcome::kNoServer);
    EXPECT_EQ(net.abandonedLookupsAnswered, 1);
    EXPECT_EQ(ServerSteps(), (std::vector<std::string>{"Trying SMTP Server: smtp.isp.example",
                                                       "Trying SMTP Server: mail.vexlor.example"}));
    EXPECT_EQ(Conversation().address, "") << "nothing connected";
}

}  // namespace
}  // namespace mivox
