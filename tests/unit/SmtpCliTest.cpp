// The SMTP client against a scripted server on virtual time: what goes on
// the wire, how replies are cut and judged, and that every request ends
// exactly once, later than the call that started it.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <map>
#include <stdexcept>

#include "components/smtp/SmtpProt.h"
#include "fakes/FakeNetwork.h"
#include "fakes/FakePlatform.h"
#include "fakes/MessageBody.h"

namespace mivox {
namespace {

using testing::FakeClock;
using testing::FakeNetwork;
using testing::FakeTimeZone;
using testing::ScriptedSocket;

struct Done {
    TSmtpRequest request;
    uint16_t error;
    bool operator==(const Done&) const = default;
};

class SmtpCliTest : public ::testing::Test {
public:
    SmtpCliTest() {
        net.hosts["mail.example.com"] = "192.0.2.25";
        cli.Host = "mail.example.com";
        cli.OnRequestDone = [this](TCustomSmtpClient&, TSmtpRequest rq, uint16_t error) {
            done.push_back({rq, error});
        };
        cli.OnDisplay = [this](TCustomSmtpClient&, const std::string& msg) {
            display.push_back(msg);
        };
        cli.OnSessionClosed = [this](TCustomSmtpClient&, int) { ++sessionsClosed; };
        cli.OnGetData = [this](TCustomSmtpClient&, int lineNum, char* msgLine, int maxLen,
                               bool& more) {
            testing::CopyBodyLine(body, lineNum, msgLine, maxLen, more);
        };
        net.onAccept = [this](ScriptedSocket& socket) { socket.ServerSends(greeting); };
        // A server that answers each command from the table, and in DATA
        // waits for the lone dot.
        net.onClientLine = [this](ScriptedSocket& socket, const std::string& line) {
            if (inData) {
                if (line == ".") {
                    inData = false;
                    socket.ServerSends(replies["."]);
                }
                return;
            }
            const std::string verb = line.substr(0, line.find_first_of(" :"));
            const std::string reply = replies.count(verb) ? replies[verb] : "250 OK\r\n";
            if (verb == "RCPT" && !rcptReplies.empty()) {
                socket.ServerSends(rcptReplies.front());
                rcptReplies.erase(rcptReplies.begin());
                return;
            }
            inData = verb == "DATA" && reply.starts_with("354");
            if (!reply.empty()) socket.ServerSends(reply);
            if (verb == "QUIT" && closeAfterQuit) socket.ServerCloses(1);
        };
    }

    ScriptedSocket& Sock() { return *net.sockets.at(0); }

    // Starts a request, checks that it does not end inside the call, runs
    // the queue dry and returns the one completion that followed.
    uint16_t Run(void (TCustomSmtpClient::*operation)(), TSmtpRequest expected) {
        const size_t before = done.size();
        (cli.*operation)();
        EXPECT_EQ(done.size(), before) << "completed inside the call";
        net.queue.RunUntilIdle();
        EXPECT_EQ(done.size(), before + 1) << "completions of " << SmtpRequestName(expected);
        if (done.size() != before + 1) return 0xFFFF;
        EXPECT_EQ(done.back().request, expected);
        return done.back().error;
    }

    // A client of its own on a fresh network, for one case of a table: it
    // connects and sends HELO, which the server answers with these reads.
    struct Rig {
        FakeNetwork network;
        std::unique_ptr<TSmtpCli> client;
    };
    std::unique_ptr<Rig> HeloAnsweredBy(const std::vector<std::string>& reads) {
        auto rig = std::make_unique<Rig>();
        rig->network.onAccept = net.onAccept;
        rig->network.onClientLine = [reads](ScriptedSocket& s, const std::string&) {
            for (const auto& read : reads) s.ServerSends(read);
        };
        rig->client = std::make_unique<TSmtpCli>(SmtpEnvironment{rig->network, clock, zone});
        rig->client->Host = "mail.example.com";
        rig->client->OnRequestDone = cli.OnRequestDone;
        done.clear();
        rig->client->Connect();
        rig->network.queue.RunUntilIdle();
        rig->client->Helo();
        rig->network.queue.RunUntilIdle();
        return rig;
    }

    void Open() {
        ASSERT_EQ(Run(&TCustomSmtpClient::Connect, smtpConnect), 0);
        ASSERT_EQ(Run(&TCustomSmtpClient::Helo, smtpHelo), 0);
    }

    FakeNetwork net;
    FakeClock clock;
    FakeTimeZone zone;
    TSmtpCli cli{{net, clock, zone}};
    std::vector<Done> done;
    std::vector<std::string> display;
    std::vector<std::string> body;
    int sessionsClosed = 0;
    std::string greeting = "220 mail.example.com ESMTP\r\n";
    std::map<std::string, std::string> replies{{"DATA", "354 End data with <CR><LF>.<CR><LF>\r\n"},
                                               {".", "250 Queued\r\n"},
                                               {"QUIT", "221 Bye\r\n"}};
    std::vector<std::string> rcptReplies;
    bool inData = false;
    bool closeAfterQuit = true;
};

TEST_F(SmtpCliTest, WholeConversationPutsTheExactBytesOnTheWire) {
    cli.SignOn = "Installer";
    cli.FromName = "  register@vexlor.example ";
    cli.RcptName = {"first@example.com", " second@example.com"};
    cli.HdrFrom = "register@vexlor.example";
    cli.HdrTo = "first@example.com";
    cli.HdrReplyTo = "reply@example.com";
    cli.HdrReturnPath = "   ";
    cli.HdrSubject = "Product Registration";
    cli.OnHeaderLine = [](TCustomSmtpClient&, char* msg, int size) {
        if (std::strncmp(msg, "From:", 5) == 0)
            std::strncat(msg, "\r\nComments: This is a test",
                         static_cast<size_t>(size) - std::strlen(msg) - 1);
    };
    body = {"Name: A. Tester", ".", ".hidden", "", "pasted\rtext\nwith\r\nbreaks", "..\n.end"};
    zone.offset = -300;
    net.sendDelayMs = 40;
    std::vector<std::string> commands;
    int sessionsConnected = 0, responses = 0;
    cli.OnCommand = [&](TCustomSmtpClient&, const std::string& c) { commands.push_back(c); };
    cli.OnResponse = [&](TCustomSmtpClient&, const std::string&) { ++responses; };
    cli.OnSessionConnected = [&](TCustomSmtpClient&, int) { ++sessionsConnected; };

    Open();
    EXPECT_EQ(Run(&TCustomSmtpClient::MailFrom, smtpMailFrom), 0);
    EXPECT_EQ(Run(&TCustomSmtpClient::RcptTo, smtpRcptTo), 0);
    Sock().maxInFlight = 0;
    // Each reply overtakes the report that its command was sent.
    EXPECT_EQ(Run(&TCustomSmtpClient::Data, smtpData), 0);
    EXPECT_EQ(Sock().maxInFlight, 1) << "more than one line handed to the socket at a time";
    EXPECT_EQ(Run(&TCustomSmtpClient::Quit, smtpQuit), 0);

    EXPECT_EQ(Sock().address, "192.0.2.25");
    EXPECT_EQ(Sock().port, "smtp");
    EXPECT_EQ(Sock().sent,
              "HELO Installer\r\n"
              "MAIL FROM:<register@vexlor.example>\r\n"
              "RCPT TO:<first@example.com>\r\n"
              "RCPT TO:<second@example.com>\r\n"
              "DATA\r\n"
              "Reply-To: reply@example.com\r\n"
              "From: register@vexlor.example\r\n"
              "Comments: This is a test\r\n"
              "To: first@example.com\r\n"
              "Subject: Product Registration\r\n"
              "Mime-Version: 1.0\r\n"
              "Content-Type: text/plain; charset=\"iso-8859-1\"\r\n"
              "Date: Fri, 5 Jan 2001 15:04:06 -0500\r\n"
              "\r\n"
              "Name: A. Tester\r\n"
              "..\r\n"
              "..hidden\r\n"
              "\r\n"
              "pasted\r\ntext\r\nwith\r\nbreaks\r\n"
              "...\r\n"
              "..end\r\n"
              ".\r\n"
              "QUIT\r\n");
    EXPECT_EQ(commands,
              (std::vector<std::string>{"HELO Installer", "MAIL FROM:<register@vexlor.example>",
                                        "RCPT TO:<first@example.com>",
                                        "RCPT TO:<second@example.com>", "DATA", ".", "QUIT"}));
    EXPECT_EQ(responses, 8);
    EXPECT_EQ(sessionsConnected, 1);
    EXPECT_EQ(sessionsClosed, 1);
    EXPECT_FALSE(cli.Connected());
    EXPECT_EQ(cli.ErrorMessage(), "");
    EXPECT_EQ(cli.LastResponse(), "221 Bye");
    // The log shows commands and body lines, never header lines.
    const std::vector<std::string> expectedLog = {"< 220 mail.example.com ESMTP",
                                                  "> HELO Installer",
                                                  "< 250 OK",
                                                  "> MAIL FROM:<register@vexlor.example>",
                                                  "< 250 OK",
                                                  "> RCPT TO:<first@example.com>",
                                                  "< 250 OK",
                                                  "> RCPT TO:<second@example.com>",
                                                  "< 250 OK",
                                                  "> DATA",
                                                  "< 354 End data with <CR><LF>.<CR><LF>",
                                                  "> Name: A. Tester",
                                                  "> ..",
                                                  "> ..hidden",
                                                  "> ",
                                                  "> pasted",
                                                  "> text",
                                                  "> with",
                                                  "> breaks",
                                                  "> ...",
                                                  "> ..end",
                                                  "> .",
                                                  "< 250 Queued",
                                                  "> QUIT",
                                                  "< 221 Bye"};
    EXPECT_EQ(display, expectedLog);
}

TEST_F(SmtpCliTest, RepliesAreCutAtLineEndsWhateverTheReadsBring) {
    struct Case {
        const char* name;
        std::vector<std::string> reads;  // the greeting as it arrives
        size_t banners;                  // greeting lines logged
    };
    const Case cases[] = {
        {"one read", {"220 hello\r\n"}, 1},
        {"split inside the code", {"22", "0 hello\r\n"}, 1},
        {"split between CR and LF", {"220 hello\r", "\n"}, 1},
        {"continuation lines across reads", {"220-first\r\n220-sec", "ond\r\n22", "0 last\r\n"}, 3},
        {"all lines in one read", {"220-first\r\n220-second\r\n220 last\r\n"}, 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FakeNetwork network;
        network.hosts["h"] = "10.0.0.1";
        network.onAccept = [&](ScriptedSocket& socket) {
            for (size_t i = 0; i < c.reads.size(); ++i)
                socket.ServerSends(c.reads[i], static_cast<uint32_t>(5 * i));
        };
        TSmtpCli client({network, clock, zone});
        client.Host = "h";
        std::vector<Done> completions;
        size_t banners = 0;
        client.OnRequestDone = [&](TCustomSmtpClient&, TSmtpRequest rq, uint16_t error) {
            completions.push_back({rq, error});
            EXPECT_EQ(banners, c.banners) << "completed before the last greeting line";
        };
        client.OnDisplay = [&](TCustomSmtpClient&, const std::string&) { ++banners; };
        client.Connect();
        network.queue.RunUntilIdle();
        EXPECT_EQ(completions, (std::vector<Done>{{smtpConnect, 0}}));
        EXPECT_EQ(client.State(), smtpReady);
        EXPECT_TRUE(client.Connected());
    }
}

TEST_F(SmtpCliTest, TwoRepliesInOneReadAreBothHandledInOrder) {
    // A pipelining server answers the banner and HELO together: the banner
    // completes Connect, and the HELO reply arriving before HELO is sent is
    // only logged.
    greeting = "220 hi\r\n250 early\r\n";
    ASSERT_EQ(Run(&TCustomSmtpClient::Connect, smtpConnect), 0);
    EXPECT_EQ(display, (std::vector<std::string>{"< 220 hi", "< 250 early"}));
    replies["HELO"] = "250-mail.example.com\r\n250-SIZE 1000\r\n250 HELP\r\n";
    EXPECT_EQ(Run(&TCustomSmtpClient::Helo, smtpHelo), 0);
    EXPECT_EQ(cli.LastResponse(), "250 HELP");
}

TEST_F(SmtpCliTest, RepliesOutsideTheSuccessCodesEndTheRequestWithTheirCode) {
    struct Case {
        const char* name;
        std::vector<std::string> rcpt;
        uint16_t result;
    };
    const Case cases[] = {
        {"first refused, second accepted", {"550 no such user\r\n", "250 OK\r\n"}, 0},
        {"first accepted, second refused", {"251 forwarded\r\n", "553 refused\r\n"}, 553},
        {"continuation before the code", {"250 OK\r\n", "550-no\r\n550 really not\r\n"}, 550},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        done.clear();
        FakeNetwork network;
        network.onAccept = net.onAccept;
        network.onClientLine = net.onClientLine;
        TSmtpCli client({network, clock, zone});
        client.Host = "mail.example.com";
        client.RcptName = {"a@x", "b@x"};
        client.OnRequestDone = cli.OnRequestDone;
        rcptReplies = c.rcpt;
        client.Connect();
        network.queue.RunUntilIdle();
        client.RcptTo();
        network.queue.RunUntilIdle();
        EXPECT_EQ(done, (std::vector<Done>{{smtpConnect, 0}, {smtpRcptTo, c.result}}));
        EXPECT_EQ(network.sockets[0]->lines,
                  (std::vector<std::string>{"RCPT TO:<a@x>", "RCPT TO:<b@x>"}));
        // The first failure is the one kept.
        if (c.result == 0) {
            EXPECT_EQ(client.ErrorMessage(), "550 no such user");
        }
    }
}

TEST_F(SmtpCliTest, DataRefusedSendsNothingMore) {
    replies["DATA"] = "554 No valid recipients\r\n";
    body = {"never sent"};
    Open();
    EXPECT_EQ(Run(&TCustomSmtpClient::Data, smtpData), 554);
    net.queue.RunUntilIdle();
    EXPECT_EQ(Sock().lines.back(), "DATA");
    EXPECT_EQ(cli.ErrorMessage(), "554 No valid recipients");
    EXPECT_EQ(cli.State(), smtpReady);
}

TEST_F(SmtpCliTest, BodyEndsWhenTheDataHandlerThrows) {
    cli.OnGetData = [](TCustomSmtpClient&, int lineNum, char* msgLine, int, bool&) {
        if (lineNum == 2) throw std::runtime_error("form gone");
        std::strcpy(msgLine, "only line");
    };
    Open();
    EXPECT_EQ(Run(&TCustomSmtpClient::Data, smtpData), 0);
    const auto& lines = Sock().lines;
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[lines.size() - 2], "only line");
    EXPECT_EQ(lines.back(), ".");
}

TEST_F(SmtpCliTest, ServerClosingEndsThePendingRequestOnceWith10004) {
    struct Case {
        const char* name;
        std::function<void(SmtpCliTest&)> arrange;
        void (TCustomSmtpClient::*operation)();
        TSmtpRequest request;
    };
    const Case cases[] = {
        {"waiting for the greeting", [](SmtpCliTest& t) { t.greeting = ""; },
         &TCustomSmtpClient::Connect, smtpConnect},
        {"waiting for the HELO reply", [](SmtpCliTest& t) { t.replies["HELO"] = ""; },
         &TCustomSmtpClient::Helo, smtpHelo},
        {"in the middle of the body",
         [](SmtpCliTest& t) {
             t.body = {"one", "two", "three", "four"};
             t.cli.OnGetData = [&t](TCustomSmtpClient&, int n, char* line, int, bool& more) {
                 if (n == 2) t.Sock().ServerCloses();
                 if (n > 4)
                     more = false;
                 else
                     std::strcpy(line, t.body[static_cast<size_t>(n - 1)].c_str());
             };
         },
         &TCustomSmtpClient::Data, smtpData},
        {"QUIT answered by closing", [](SmtpCliTest& t) { t.replies["QUIT"] = ""; },
         &TCustomSmtpClient::Quit, smtpQuit},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        // Each case gets a fresh fixture so the scripts do not mix.
        struct Fresh : SmtpCliTest {
            void TestBody() override {}
        } t;
        if (c.request != smtpConnect) t.Open();
        c.arrange(t);
        t.net.onClientLine = [&t, inner = t.net.onClientLine](ScriptedSocket& s,
                                                              const std::string& line) {
            const std::string verb = line.substr(0, line.find(' '));
            if (t.replies.count(verb) && t.replies[verb].empty()) {
                s.ServerCloses(3);
                return;
            }
            inner(s, line);
        };
        if (c.request == smtpConnect) t.net.onAccept = [](ScriptedSocket& s) { s.ServerCloses(3); };
        EXPECT_EQ(t.Run(c.operation, c.request), kWsaInterrupted);
        t.net.queue.RunUntilIdle();
        EXPECT_EQ(t.done.size(), c.request == smtpConnect ? 1u : 3u);
        EXPECT_FALSE(t.cli.Connected());
        EXPECT_EQ(t.sessionsClosed, 1);
        EXPECT_EQ(t.cli.State(), smtpReady);
    }
}

TEST_F(SmtpCliTest, QuitAnsweredThenClosedCompletesOnceWithSuccess) {
    Open();
    EXPECT_EQ(Run(&TCustomSmtpClient::Quit, smtpQuit), 0);
    EXPECT_EQ(sessionsClosed, 1);
    EXPECT_EQ(done.size(), 3u);
}

TEST_F(SmtpCliTest, QuitWithoutConnectionCompletesWithZeroAfterTheCall) {
    EXPECT_EQ(Run(&TCustomSmtpClient::Quit, smtpQuit), 0);
    EXPECT_TRUE(net.sockets[0]->sent.empty());
}

TEST_F(SmtpCliTest, ConnectFailuresCarryTheSocketErrorAndItsText) {
    struct Case {
        const char* name;
        std::function<void(FakeNetwork&)> arrange;
        uint16_t error;
        const char* lastResponse;
    };
    const Case cases[] = {
        {"unknown host", [](FakeNetwork& n) { n.hosts.clear(); }, 11001,
         "500 Host not found (Winsock error #11001)"},
        {"connection refused", [](FakeNetwork& n) { n.connectErrors["192.0.2.25"] = 10061; }, 10061,
         "500 Connection refused (Winsock error #10061)"},
        {"unusable port", [](FakeNetwork& n) { n.connectThrows = true; }, 500,
         "500 ESocketException: Cannot convert port 'smtp'"},
        {"no socket to be had", [](FakeNetwork& n) { n.socketRefused = 10024; }, 500,
         "500 ESocketException: socket: Too many open files"},
        {"greeting refused",
         [](FakeNetwork& n) {
             n.onAccept = [](ScriptedSocket& s) { s.ServerSends("554 go away\r\n"); };
         },
         kWsaInterrupted, "554 go away"},
        {"greeting without a code",
         [](FakeNetwork& n) {
             n.onAccept = [](ScriptedSocket& s) { s.ServerSends("hello there\r\n"); };
         },
         kWsaInterrupted, "hello there"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FakeNetwork network;
        network.onAccept = net.onAccept;
        c.arrange(network);
        TSmtpCli client({network, clock, zone});
        client.Host = "mail.example.com";
        std::vector<Done> completions;
        client.OnRequestDone = [&](TCustomSmtpClient&, TSmtpRequest rq, uint16_t error) {
            completions.push_back({rq, error});
        };
        client.Connect();
        network.queue.RunUntilIdle();
        EXPECT_EQ(completions, (std::vector<Done>{{smtpConnect, c.error}}));
        EXPECT_EQ(client.LastResponse(), c.lastResponse);
        EXPECT_EQ(client.ErrorMessage(), c.lastResponse);
        EXPECT_FALSE(client.Connected());
        EXPECT_EQ(client.State(), smtpReady);
        // A failed connection leaves the client ready for the next server.
        EXPECT_NO_THROW(client.Connect());
    }
}

TEST_F(SmtpCliTest, GreetingCodeIsKeptAsTheLastResult) {
    greeting = "421 busy\r\n";
    EXPECT_EQ(Run(&TCustomSmtpClient::Connect, smtpConnect), kWsaInterrupted);
    EXPECT_EQ(cli.LastResult(), 421);
    EXPECT_EQ(Sock().closes, 1);
}

TEST_F(SmtpCliTest, MalformedRepliesNeverCountAsSuccess) {
    const std::pair<std::string, uint16_t> cases[] = {
        {"no code at all\r\n", 500},
        {"\r\n", 500},
        {"000 zero\r\n", 500},
        {"-0 zero\r\n", 500},
        {"99999999999999999999 overflow\r\n", 65535},
        {"-250 negative\r\n", static_cast<uint16_t>(-250)},
        {std::string("25\0 nul", 7) + "\r\n", 25},
    };
    for (const auto& [reply, error] : cases) {
        SCOPED_TRACE(reply);
        const auto rig = HeloAnsweredBy({reply});
        ASSERT_EQ(done.size(), 2u);
        EXPECT_EQ(done[1], (Done{smtpHelo, error}));
    }
}

TEST_F(SmtpCliTest, OverlongReplyLineEndsTheRequestAndCloses) {
    struct Case {
        const char* name;
        std::vector<std::string> reads;
        uint16_t error;
    };
    const std::string fits(4094, 'x');  // with CR LF it fills the buffer exactly
    const Case cases[] = {
        {"line that just fits", {"250 " + fits.substr(4) + "\r\n"}, 0},
        {"line that fits, split", {"250 " + fits.substr(4, 3000), fits.substr(3004) + "\r\n"}, 0},
        {"no line end in 5000 bytes", {std::string(5000, 'y')}, 500},
        {"no line end, in small reads",
         {std::string(2000, 'z'), std::string(2000, 'z'), std::string(2000, 'z')},
         500},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto rig = HeloAnsweredBy(c.reads);
        ASSERT_EQ(done.size(), 2u);
        EXPECT_EQ(done[1], (Done{smtpHelo, c.error}));
        EXPECT_EQ(rig->client->Connected(), c.error == 0);
        if (c.error) {
            EXPECT_EQ(rig->client->LastResponse(), "500 Reply line longer than 4096 bytes");
        }
    }
}

TEST_F(SmtpCliTest, CallsInTheWrongStateRaiseAndStartNothing) {
    auto expectThrow = [&](void (TCustomSmtpClient::*operation)(), const char* text) {
        try {
            (cli.*operation)();
            ADD_FAILURE() << "no exception, expected " << text;
        } catch (const SmtpException& e) {
            EXPECT_STREQ(e.what(), text);
        }
    };
    expectThrow(&TCustomSmtpClient::Helo, "SMTP component not connected");
    expectThrow(&TCustomSmtpClient::Data, "SMTP component not connected");
    cli.Connect();
    expectThrow(&TCustomSmtpClient::Connect, "SMTP component not ready");
    expectThrow(&TCustomSmtpClient::Quit, "SMTP component not ready");
    net.queue.RunUntilIdle();
    expectThrow(&TCustomSmtpClient::Connect, "SMTP component already connected");
    expectThrow(&TCustomSmtpClient::RcptTo, "RcptName list is empty");
    cli.Helo();
    expectThrow(&TCustomSmtpClient::MailFrom, "SMTP component not ready");
    net.queue.RunUntilIdle();
    // Only the two requests that started have ended.
    EXPECT_EQ(done, (std::vector<Done>{{smtpConnect, 0}, {smtpHelo, 0}}));
    EXPECT_EQ(Sock().lines, (std::vector<std::string>{"HELO workstation"}));
}

TEST_F(SmtpCliTest, DestroyedClientHearsNothingMore) {
    // One with its completion posted, one with a greeting and a close on
    // the way: neither may hear of them once it is gone.
    bool heard = false;
    const auto make = [&] {
        auto client = std::make_unique<TSmtpCli>(SmtpEnvironment{net, clock, zone});
        client->Host = "mail.example.com";
        client->OnRequestDone = [&](TCustomSmtpClient&, TSmtpRequest, uint16_t) { heard = true; };
        client->OnDisplay = [&](TCustomSmtpClient&, const std::string&) { heard = true; };
        client->OnSessionClosed = [&](TCustomSmtpClient&, int) { heard = true; };
        return client;
    };
    auto quitter = make();
    quitter->Quit();
    quitter.reset();

    net.onAccept = [](ScriptedSocket& s) {
        s.ServerSends("220 late\r\n", 50);
        s.ServerCloses(60);
    };
    auto connecting = make();
    connecting->Connect();
    net.queue.Advance(20);  // connected, the greeting on its way
    ASSERT_EQ(connecting->State(), smtpWaitingBanner);
    connecting.reset();
    net.queue.RunUntilIdle();
    EXPECT_FALSE(heard);
}

TEST_F(SmtpCliTest, LineBreakInAnArgumentOrHeaderEndsTheRequestAndSendsNothing) {
    struct Case {
        const char* name;
        std::function<void(TSmtpCli&)> spoil;
        void (TCustomSmtpClient::*operation)();
        TSmtpRequest request;
        const char* response;
    };
    const Case cases[] = {
        {"SignOn", [](TSmtpCli& c) { c.SignOn = "Installer\r\nRSET"; }, &TCustomSmtpClient::Helo,
         smtpHelo, "500 Line break in the HELO name refused"},
        {"FromName", [](TSmtpCli& c) { c.FromName = "a@b>\nRCPT TO:<x@y"; },
         &TCustomSmtpClient::MailFrom, smtpMailFrom,
         "500 Line break in the sender address refused"},
        {"second recipient",
         [](TSmtpCli& c) {
             c.RcptName = {"a@b", "c@d\r"};
         },
         &TCustomSmtpClient::RcptTo, smtpRcptTo, "500 Line break in a recipient address refused"},
        {"HdrSubject", [](TSmtpCli& c) { c.HdrSubject = "Hi\r\nBcc: x@y"; },
         &TCustomSmtpClient::Data, smtpData, "500 Line break in a header value refused"},
        {"HdrReplyTo", [](TSmtpCli& c) { c.HdrReplyTo = "a@b\n"; }, &TCustomSmtpClient::Data,
         smtpData, "500 Line break in a header value refused"},
    };
    Open();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TSmtpCli clean{{net, clock, zone}};
        cli.SignOn = clean.SignOn;
        cli.FromName = clean.FromName;
        cli.RcptName = {"a@b"};
        cli.HdrSubject = cli.HdrReplyTo = "";
        c.spoil(cli);
        const size_t sent = Sock().sent.size();
        display.clear();
        EXPECT_EQ(Run(c.operation, c.request), 500);
        EXPECT_EQ(Sock().sent.size(), sent) << "nothing written";
        EXPECT_EQ(cli.LastResponse(), c.response);
        EXPECT_EQ(display, std::vector<std::string>{c.response}) << "the log shows why";
        EXPECT_TRUE(cli.Connected());
    }
}

TEST_F(SmtpCliTest, AbortEndsTheRequestSilentlyAndLeavesTheClientReadyToConnect) {
    // A completion already posted, a lookup under way, a silent server: no
    // request given up is heard of, and the next Connect starts afresh.
    Open();
    cli.MailFrom();
    while (cli.State() != smtpReady) net.queue.RunOne();  // the reply is in, its completion posted
    cli.Abort();
    EXPECT_FALSE(cli.Connected());
    EXPECT_EQ(cli.State(), smtpReady);
    net.lookupDelayMs = 50;
    cli.Connect();
    cli.Abort();
    net.onAccept = [](ScriptedSocket&) {};
    net.lookupDelayMs = 5;
    cli.Connect();
    net.queue.Advance(100);  // connected, never greeted
    cli.Abort();
    net.queue.RunUntilIdle();
    EXPECT_EQ(done, (std::vector<Done>{{smtpConnect, 0}, {smtpHelo, 0}}));
    EXPECT_EQ(net.abandonedLookupsAnswered, 1);
    EXPECT_EQ(sessionsClosed, 0);

    net.onAccept = [this](ScriptedSocket& socket) { socket.ServerSends(greeting); };
    EXPECT_EQ(Run(&TCustomSmtpClient::Connect, smtpConnect), 0);
    EXPECT_TRUE(cli.Connected());
}

TEST_F(SmtpCliTest, HeloUsesTheLocalHostNameWithoutSignOn) {
    ASSERT_EQ(Run(&TCustomSmtpClient::Connect, smtpConnect), 0);
    EXPECT_EQ(Run(&TCustomSmtpClient::Helo, smtpHelo), 0);
    EXPECT_EQ(Sock().lines, (std::vector<std::string>{"HELO workstation"}));
}

TEST(SmtpDateText, ZoneIsTheOffsetInForceWithEnglishNames) {
    struct Case {
        SystemTime local;
        int minutesEast;
        bool known;
        const char* text;
    };
    const Case cases[] = {
        {{2001, 1, 5, 5, 15, 4, 6, 0}, 60, true, "Fri, 5 Jan 2001 15:04:06 +0100"},
        // Summer time: the offset in force, not the zone's standard one.
        {{2026, 7, 0, 12, 9, 0, 0, 0}, 120, true, "Sun, 12 Jul 2026 09:00:00 +0200"},
        {{2026, 3, 1, 30, 23, 59, 59, 0}, -240, true, "Mon, 30 Mar 2026 23:59:59 -0400"},
        {{1999, 12, 6, 31, 0, 0, 0, 0}, 330, true, "Sat, 31 Dec 1999 00:00:00 +0530"},
        {{2000, 2, 2, 29, 7, 5, 3, 0}, -570, true, "Tue, 29 Feb 2000 07:05:03 -0930"},
        {{2000, 2, 2, 29, 7, 5, 3, 0}, 0, true, "Tue, 29 Feb 2000 07:05:03 +0000"},
        {{2000, 2, 2, 29, 7, 5, 3, 0}, 600, false, "Tue, 29 Feb 2000 07:05:03 +0000"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(TCustomSmtpClient::DateText(c.local, c.known ? &c.minutesEast : nullptr), c.text);
    }
}

}  // namespace
}  // namespace mivox
