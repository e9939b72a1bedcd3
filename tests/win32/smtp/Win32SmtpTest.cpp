// The SMTP client over real Windows Sockets, against the peers of
// smtp_peers.py on loopback: a real SMTP server (aiosmtpd) on port 25 and a
// scripted one on port 2525 that misbehaves as told. Also server discovery
// from real registry values and files, and the real dial-up library.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <sstream>

#include "TempDir.h"
#include "components/smtp/SmtpProt.h"
#include "fakes/MessageBody.h"
#include "registration/MakerConfig.h"
#include "registration/Ras.h"
#include "registration/SmtpServers.h"
#include "win32/Win32Libraries.h"
#include "win32/Win32MessageLoop.h"
#include "win32/Win32Platform.h"
#include "win32/Win32Socket.h"

namespace mivox {
namespace {

using win32::Win32Network;
using win32::Win32TimeZone;

// The peers' folder, as Wine sees the Unix path it was given.
std::string PeersDir() {
    const char* dir = std::getenv("MIVOX_SMTP_PEERS");
    if (!dir) return {};
    std::string path = std::string("Z:") + dir;
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

std::string ReadPeerFile(const std::string& name) {
    std::ifstream in(PeersDir() + "\\" + name, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Hands on the thread's messages until done() holds or ms have passed.
bool PumpUntil(const std::function<bool()>& done, DWORD ms) {
    const DWORD start = GetTickCount();
    while (!done()) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        if (done()) break;
        if (GetTickCount() - start > ms) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
    return true;
}

struct Done {
    TSmtpRequest request;
    uint16_t error;
};

class Win32SmtpTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(PeersDir().empty()) << "MIVOX_SMTP_PEERS names the SMTP peers' folder";
        cli = MakeClient();
    }

    std::unique_ptr<TSmtpCli> MakeClient() {
        auto client = std::make_unique<TSmtpCli>(SmtpEnvironment{net, clock, zone});
        client->OnRequestDone = [this](TCustomSmtpClient&, TSmtpRequest rq, uint16_t error) {
            done.push_back({rq, error});
        };
        client->OnGetData = [this](TCustomSmtpClient&, int lineNum, char* msgLine, int maxLen,
                                   bool& more) {
            testing::CopyBodyLine(body, lineNum, msgLine, maxLen, more);
        };
        // As the e-mail sender does: a comment right after the From header.
        client->OnHeaderLine = [](TCustomSmtpClient&, char* msg, int size) {
            if (_strnicmp(msg, "From:", 5) == 0)
                std::strncat(msg, "\r\nComments: This is a test",
                             static_cast<size_t>(size) - std::strlen(msg) - 1);
        };
        client->Port = "2525";
        client->Host = "127.0.0.1";
        client->SignOn = "Installer";
        client->FromName = "register@vexlor.example";
        client->RcptName = {"register@vexlor.example"};
        client->HdrFrom = client->HdrReplyTo = client->HdrReturnPath = "register@vexlor.example";
        client->HdrTo = "register@vexlor.example";
        client->HdrSubject = "Product Registration";
        return client;
    }

    void Scenario(const std::string& scenario) {
        std::ofstream(PeersDir() + "\\scenario", std::ios::binary) << scenario;
    }

    // Starts a request and waits for its one completion; 0xFFFF when none
    // came in time.
    uint16_t Run(void (TCustomSmtpClient::*operation)(), TSmtpRequest request, DWORD ms = 10000) {
        const size_t before = done.size();
        (cli.get()->*operation)();
        EXPECT_EQ(done.size(), before) << "completed inside the call";
        if (!PumpUntil([&] { return done.size() > before; }, ms)) return 0xFFFF;
        EXPECT_EQ(done.size(), before + 1);
        EXPECT_EQ(done.back().request, request);
        return done.back().error;
    }

    // The whole conversation, request by request, up to the first failure;
    // the results in order.
    std::vector<uint16_t> Converse() {
        static const std::pair<void (TCustomSmtpClient::*)(), TSmtpRequest> steps[] = {
            {&TCustomSmtpClient::Connect, smtpConnect},   {&TCustomSmtpClient::Helo, smtpHelo},
            {&TCustomSmtpClient::MailFrom, smtpMailFrom}, {&TCustomSmtpClient::RcptTo, smtpRcptTo},
            {&TCustomSmtpClient::Data, smtpData},         {&TCustomSmtpClient::Quit, smtpQuit}};
        std::vector<uint16_t> results;
        for (const auto& [operation, request] : steps) {
            results.push_back(Run(operation, request));
            if (results.back() != 0) break;
        }
        return results;
    }

    // The message as it must arrive, around the Date line actually sent.
    std::string ExpectedMessage(const std::string& dateLine, bool stuffed) const {
        return "Reply-To: register@vexlor.example\r\n"
               "Return-Path: register@vexlor.example\r\n"
               "From: register@vexlor.example\r\n"
               "Comments: This is a test\r\n"
               "To: register@vexlor.example\r\n"
               "Subject: Product Registration\r\n"
               "Mime-Version: 1.0\r\n"
               "Content-Type: text/plain; charset=\"iso-8859-1\"\r\n" +
               dateLine +
               "\r\n"
               "Product: Mivox 4.10\r\n" +
               (stuffed ? ".." : ".") + "\r\n" + (stuffed ? ".." : ".") +
               "hidden\r\n"
               "pasted\r\n"
               "text\r\n"
               "\r\n"
               "End of form\r\n";
    }

    static std::string DateLine(const std::string& message) {
        const size_t start = message.find("\r\nDate: ");
        if (start == std::string::npos) return {};
        return message.substr(start + 2, message.find("\r\n", start + 2) - start);
    }

    Win32Network net;
    win32::Win32Clock clock;
    Win32TimeZone zone;
    std::unique_ptr<TSmtpCli> cli;
    std::vector<Done> done;
    std::vector<std::string> body{"Product: Mivox 4.10", ".", ".hidden",
                                  "pasted\r\ntext",      "",  "End of form"};
};

TEST_F(Win32SmtpTest, RealServerReceivesTheMessageByteForByte) {
    cli->Host = "localhost";
    cli->Port = "smtp";
    EXPECT_EQ(Converse(), (std::vector<uint16_t>{0, 0, 0, 0, 0, 0}));
    // The server closes after its answer to QUIT; that ends nothing more.
    EXPECT_TRUE(PumpUntil([&] { return !cli->Connected(); }, 5000));
    EXPECT_EQ(done.size(), 6u);
    ASSERT_TRUE(PumpUntil([] { return !ReadPeerFile("delivered/zone").empty(); }, 5000));

    EXPECT_EQ(ReadPeerFile("delivered/helo"), "Installer");
    EXPECT_EQ(ReadPeerFile("delivered/mail_from"), "register@vexlor.example");
    EXPECT_EQ(ReadPeerFile("delivered/rcpt_tos"), "register@vexlor.example");
    const std::string content = ReadPeerFile("delivered/content");
    const std::string dateLine = DateLine(content);
    EXPECT_EQ(content, ExpectedMessage(dateLine, false));
    // The zone is the offset from UTC in force now, as the server's own
    // clock, in the same time zone, sees it.
    ASSERT_GT(dateLine.size(), 7u);
    EXPECT_EQ(dateLine.substr(dateLine.size() - 7, 5), ReadPeerFile("delivered/zone"));
    const std::string day = ReadPeerFile("delivered/day");
    EXPECT_EQ(dateLine.substr(0, 6 + day.size()), "Date: " + day);
}

TEST_F(Win32SmtpTest, WireBytesAreTheCommandsHeaderAndStuffedBody) {
    Scenario("normal");
    EXPECT_EQ(Converse(), (std::vector<uint16_t>{0, 0, 0, 0, 0, 0}));
    const std::string raw = ReadPeerFile("raw.bin");
    EXPECT_EQ(raw,
              "HELO Installer\r\n"
              "MAIL FROM:<register@vexlor.example>\r\n"
              "RCPT TO:<register@vexlor.example>\r\n"
              "DATA\r\n" +
                  ExpectedMessage(DateLine(raw), true) + ".\r\nQUIT\r\n");
}

TEST_F(Win32SmtpTest, MisbehavingServerEndsTheRequestWithTheRightCode) {
    struct Case {
        const char* scenario;
        std::vector<uint16_t> results;  // Connect, Helo, MailFrom, RcptTo, Data, Quit
        const char* lastResponse;
    };
    const Case cases[] = {
        {"reject HELO", {0, 554}, "554 refused"},
        {"reject MAIL", {0, 0, 554}, "554 refused"},
        {"reject RCPT", {0, 0, 0, 554}, "554 refused"},
        {"reject DATA", {0, 0, 0, 0, 554}, "554 refused"},
        {"reject .", {0, 0, 0, 0, 552}, "552 too big"},
        {"reject QUIT", {0, 0, 0, 0, 0, 554}, "554 refused"},
        {"greeting 554 no service here", {kWsaInterrupted}, "554 no service here"},
        {"overlong", {500}, "500 Reply line longer than 4096 bytes"},
        {"close-in-data", {0, 0, 0, 0, kWsaInterrupted}, nullptr},
    };
    body.assign(200, std::string(900, 'b'));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.scenario);
        Scenario(c.scenario);
        cli = MakeClient();
        EXPECT_EQ(Converse(), c.results);
        if (c.lastResponse) {
            EXPECT_EQ(cli->LastResponse(), c.lastResponse);
            EXPECT_EQ(cli->ErrorMessage(), c.lastResponse);
        }
        cli.reset();
    }
    // DATA refused: nothing follows it on the wire.
    Scenario("reject DATA");
    cli = MakeClient();
    Converse();
    const std::string raw = ReadPeerFile("raw.bin");
    EXPECT_EQ(raw.substr(raw.size() - 6), "DATA\r\n");
}

TEST_F(Win32SmtpTest, SilentServerDoesNotHoldTheThread) {
    Scenario("silent");
    const DWORD start = GetTickCount();
    cli->Connect();
    EXPECT_LT(GetTickCount() - start, 1000u) << "Connect waited for the server";
    bool handled = false;
    auto window = net.CreateMessageWindow([&](uint32_t, intptr_t) { handled = true; });
    window->Post(0x0400 + 7, 0);
    EXPECT_TRUE(PumpUntil([&] { return handled; }, 2000));
    EXPECT_FALSE(PumpUntil([&] { return !done.empty(); }, 1500));
    EXPECT_EQ(cli->State(), smtpWaitingBanner);
    EXPECT_TRUE(cli->Connected());
    cli.reset();  // closes the connection the server never answered
}

TEST_F(Win32SmtpTest, RefusedConnectionCarriesTheSocketErrorText) {
    cli->Port = "1";  // nothing listens there
    EXPECT_EQ(Converse(), (std::vector<uint16_t>{kWsaConnectionRefused}));
    EXPECT_EQ(cli->LastResponse(), "500 Connection refused (Winsock error #10061)");
    cli->Port = "no-such-service";
    EXPECT_EQ(Converse(), (std::vector<uint16_t>{500}));
    EXPECT_EQ(cli->LastResponse(), "500 ESocketException: Cannot convert port 'no-such-service'");
    EXPECT_EQ(cli->ErrorMessage(), "500 Connection refused (Winsock error #10061)");
}

TEST(Win32SmtpPort, ServiceNamesAndNumbers) {
    Win32Network net;  // Windows Sockets started
    EXPECT_EQ(win32::TWSocket::PortNumber("smtp"), 25);
    EXPECT_EQ(win32::TWSocket::PortNumber("SMTP"), 25);
    EXPECT_EQ(win32::TWSocket::PortNumber("2525"), 2525);
    EXPECT_EQ(win32::TWSocket::PortNumber("0"), 0);
    EXPECT_EQ(win32::TWSocket::PortNumber("65536"), 0);
    EXPECT_EQ(win32::TWSocket::PortNumber(""), 0);
}

TEST(Win32SocketLookup, ALateResultLandsInMemoryStillHeldAndIsNotReported) {
    Win32Network net;
    struct Heard : SocketEvents {
        void DnsLookupDone(int error) override { results.push_back(error); }
        void SessionConnected(int) override {}
        void DataAvailable(int) override {}
        void DataSent(int) override {}
        void SessionClosed(int) override {}
        std::vector<int> results;
    } heard;
    const size_t before = win32::TWSocket::LookupsInFlight();
    auto kept = net.CreateSocket();
    kept->SetEvents(&heard);
    kept->DnsLookup("localhost");
    kept->DnsLookup("localhost");  // the first is abandoned
    kept->Close();                 // and so is the second
    auto gone = net.CreateSocket();
    gone->SetEvents(&heard);
    gone->DnsLookup("localhost");
    gone.reset();  // its lookup outlives it
    // Each abandoned lookup still writes its result and posts its message:
    // its buffer is held until then, and released once it has come.
    EXPECT_EQ(win32::TWSocket::LookupsInFlight(), before + 3);
    EXPECT_TRUE(PumpUntil([&] { return win32::TWSocket::LookupsInFlight() == before; }, 10000));
    EXPECT_TRUE(heard.results.empty());

    kept->DnsLookup("localhost");
    ASSERT_TRUE(PumpUntil([&] { return !heard.results.empty(); }, 10000));
    EXPECT_EQ(heard.results, std::vector<int>{0});
    EXPECT_EQ(kept->DnsResult(), "127.0.0.1");
    EXPECT_EQ(win32::TWSocket::LookupsInFlight(), before);
}

// 100 ns units of CPU time the process has used.
uint64_t ProcessCpu() {
    FILETIME created, exited, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    const auto units = [](const FILETIME& t) {
        return (static_cast<uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
    };
    return units(kernel) + units(user);
}

DWORD WINAPI PostLater(void* window) {
    Sleep(100);
    static_cast<MessageWindow*>(window)->Post(0x0400 + 7, 0);
    return 0;
}

TEST(Win32MessageLoopWait, SleepsUntilAMessageOrTheDeadline) {
    win32::Win32MessageLoop loop;
    Win32Network net;
    bool handled = false;
    auto window = net.CreateMessageWindow([&](uint32_t, intptr_t) { handled = true; });
    const uint64_t cpu = ProcessCpu();
    DWORD start = GetTickCount();
    loop.WaitForMessages(300);  // nothing comes
    EXPECT_GE(GetTickCount() - start, 250u);
    EXPECT_FALSE(handled);

    // From another thread, a tenth of a second into the wait.
    HANDLE poster = CreateThread(nullptr, 0, PostLater, window.get(), 0, nullptr);
    ASSERT_NE(poster, nullptr);
    start = GetTickCount();
    loop.WaitForMessages(5000);
    WaitForSingleObject(poster, INFINITE);
    CloseHandle(poster);
    EXPECT_TRUE(handled) << "the message was handed on";
    EXPECT_LT(GetTickCount() - start, 2000u) << "woken by the message";
    // 400 ms of waiting, asleep: a few milliseconds of CPU at most.
    EXPECT_LT(ProcessCpu() - cpu, 1000000u) << "100 ms of CPU or more";
}

// Server discovery from what the mail programs leave behind: real registry
// values and real settings files.
class Win32SmtpServersTest : public ::testing::Test {
protected:
    void SetUp() override { RemoveKeys(); }
    void TearDown() override { RemoveKeys(); }

    static void RemoveKeys() {
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Clients\\Mail\\Eudora");
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Netscape");
        RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Microsoft\\Internet Mail and News");
        RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Microsoft\\Internet Account Manager");
    }
    void SetString(HKEY root, const std::string& path, const char* name, const std::string& text) {
        HKEY key;
        ASSERT_EQ(RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                                  nullptr),
                  ERROR_SUCCESS);
        RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                       static_cast<DWORD>(text.size() + 1));
        RegCloseKey(key);
    }

    win32::Win32Registry registry;
    win32::Win32FileSystem files;
    testing::TempDir dir;
};

TEST_F(Win32SmtpServersTest, EveryMailProgramsSettingsInOrder) {
    std::vector<std::string> list{"stale"};
    std::vector<std::string> log;
    const auto collect = [&] {
        log.clear();
        CollectSmtpServers({registry, files}, list,
                           [&](const std::string& line) { log.push_back(line); });
    };
    collect();
    EXPECT_TRUE(list.empty());
    EXPECT_TRUE(log.empty());

    dir.WriteFile("EUDORA.INI",
                  "[Settings]\r\nSMTPServer=old.example\r\nSMTPServer=eudora.example\r\n");
    SetString(HKEY_LOCAL_MACHINE, "SOFTWARE\\Clients\\Mail\\Eudora\\shell\\open\\command", nullptr,
              "\"" + dir.Path() + "\\Eudora.exe\" /m");
    const std::string profile = dir.Path();
    dir.WriteFile("prefs.js",
                  "// Netscape prefs\nuser_pref(\"network.hosts.smtp_server\", "
                  "\"navigator.example\");\nuser_pref(\"mail.pop_name\", \"jo\");\n");
    SetString(HKEY_LOCAL_MACHINE, kNavigatorUsersKey, "CurrentUser", "jo");
    SetString(HKEY_LOCAL_MACHINE, std::string(kNavigatorUsersKey) + "\\jo", "DirRoot", profile);
    SetString(HKEY_CURRENT_USER, "Software\\Microsoft\\Internet Mail and News\\Mail",
              "Default SMTP Server", "eudora.example");
    SetString(HKEY_CURRENT_USER, "Software\\Microsoft\\Internet Account Manager",
              "Default Mail Account", "00000001");
    SetString(HKEY_CURRENT_USER,
              "Software\\Microsoft\\Internet Account Manager\\Accounts\\00000001", "SMTP Server",
              "account.example");
    collect();
    EXPECT_EQ(list, (std::vector<std::string>{"eudora.example", "navigator.example",
                                              "account.example", maker::kFallbackSmtpHost}));
    EXPECT_EQ(log, (std::vector<std::string>{"Eudora SMTP Server: eudora.example",
                                             "Navigator SMTP Server: navigator.example",
                                             "W95-IE/Outlook SMTP Server: eudora.example",
                                             "WNT-IE/Outlook SMTP Server: account.example"}));
}

struct NoBoxes : MessageBoxes {
    int Show(const std::string&, const std::string& caption, unsigned) override {
        missing.push_back(caption);
        return kIdOk;
    }
    int ShowOwned(DialogPeer&, const std::string& text, const std::string& caption,
                  unsigned style) override {
        return Show(text, caption, style);
    }
    void Beep(unsigned) override {}
    std::vector<std::string> missing;
};

TEST(Win32RasApi, BindsTheSystemLibraryAndFreesIt) {
    win32::Win32Libraries libraries;
    NoBoxes boxes;
    RasApi ras(libraries, boxes);
    ASSERT_TRUE(ras.LoadRasApi()) << "RASAPI32.DLL is part of the system";
    EXPECT_NE(GetModuleHandleA("RASAPI32.DLL"), nullptr);
    // Every name the system exports is bound; the called ones must be there.
    for (const char* called : {"RasGetErrorStringA", "RasHangUpA", "RasGetConnectStatusA",
                               "RasEnumConnectionsA", "RasEnumEntriesA"})
        EXPECT_EQ(std::count(boxes.missing.begin(), boxes.missing.end(), called), 0) << called;

    std::vector<char> connections(4532);
    *reinterpret_cast<uint32_t*>(connections.data()) = kRasConnSize;
    uint32_t size = 4532, count = 99;
    EXPECT_EQ(ras.RasEnumConnectionsA(connections.data(), &size, &count), 0u);
    EXPECT_EQ(count, 0u) << "no dial-up connection is up here";

    EXPECT_TRUE(ras.LoadRasApi());
    ras.FreeRasApi();
    EXPECT_EQ(GetModuleHandleA("RASAPI32.DLL"), nullptr);
    EXPECT_EQ(ras.RasEnumConnectionsA(connections.data(), &size, &count), kRasNotBound);
}

}  // namespace
}  // namespace mivox
