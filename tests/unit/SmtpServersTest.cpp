// Server discovery from mail programs' settings held in the in-memory
// registry and file system, malformed ones included.
#include <gtest/gtest.h>

#include "fakes/MemoryFileSystem.h"
#include "fakes/MemoryRegistry.h"
#include "registration/MakerConfig.h"
#include "registration/SmtpServers.h"

namespace mivox {
namespace {

using testing::MemoryFileSystem;
using testing::MemoryRegistry;

constexpr char kEudoraKey[] = "SOFTWARE\\Clients\\Mail\\Eudora\\shell\\open\\command";
constexpr char kIeMailKey[] = "Software\\Microsoft\\Internet Mail and News\\Mail";
constexpr char kAccountKey[] = "Software\\Microsoft\\Internet Account Manager";

class SmtpServersTest : public ::testing::Test {
protected:
    std::vector<std::string> Collect() {
        log.clear();
        std::vector<std::string> list{"left over"};
        CollectSmtpServers(source, list, [this](const std::string& line) { log.push_back(line); });
        return list;
    }
    void Eudora(const std::string& command, const std::string& ini) {
        registry.SetString(kHkeyLocalMachine, kEudoraKey, "", command);
        files.AddFile("C:\\EUDORA\\EUDORA.INI", ini);
    }
    void Navigator(const char* usersKey, const std::string& folder, const std::string& prefs) {
        registry.SetString(kHkeyLocalMachine, usersKey, "CurrentUser", "jo");
        registry.SetString(kHkeyLocalMachine, std::string(usersKey) + "\\jo", "DirRoot", folder);
        files.AddFile(folder + "\\prefs.js", prefs);
    }

    MemoryRegistry registry;
    MemoryFileSystem files;
    SmtpSettingsSource source{registry, files};
    std::vector<std::string> log;
};

TEST_F(SmtpServersTest, NoSettingsLeaveTheListEmptyWithoutFallback) {
    EXPECT_TRUE(Collect().empty());
    EXPECT_TRUE(log.empty());
}

TEST_F(SmtpServersTest, SourcesInOrderEachLoggedDuplicatesListedOnce) {
    Eudora("C:\\Eudora\\Eudora.exe /m", "[Settings]\r\nSMTPServer=first.example\r\n");
    Navigator(kNavigatorUsersKey, "C:\\NS\\jo",
              "user_pref(\"network.hosts.smtp_server\", \"nav.example\");\n");
    Navigator(kNavigatorGoldUsersKey, "C:\\NSG\\jo",
              "user_pref(\"network.hosts.smtp_server\", \"first.example\");\n");
    registry.SetString(kHkeyCurrentUser, kIeMailKey, "Default SMTP Server",
                       maker::kFallbackSmtpHost);
    registry.SetString(kHkeyCurrentUser, kAccountKey, "Default Mail Account", "Work");
    registry.SetString(kHkeyCurrentUser, std::string(kAccountKey) + "\\Accounts\\Work",
                       "SMTP Server", "smtp.work.example");
    EXPECT_EQ(Collect(), (std::vector<std::string>{"first.example", "nav.example",
                                                   maker::kFallbackSmtpHost, "smtp.work.example"}));
    EXPECT_EQ(log, (std::vector<std::string>{
                       "Eudora SMTP Server: first.example", "Navigator SMTP Server: nav.example",
                       "NavigatorGold SMTP Server: first.example",
                       std::string("W95-IE/Outlook SMTP Server: ") + maker::kFallbackSmtpHost,
                       "WNT-IE/Outlook SMTP Server: smtp.work.example"}));
}

TEST_F(SmtpServersTest, FallbackFollowsTheOneHostFound) {
    registry.SetString(kHkeyCurrentUser, kIeMailKey, "Default SMTP Server", "mail.isp.example");
    EXPECT_EQ(Collect(), (std::vector<std::string>{"mail.isp.example", maker::kFallbackSmtpHost}));
}

TEST_F(SmtpServersTest, EudoraSettings) {
    struct Case {
        const char* name;
        std::string command;
        std::string ini;
        std::string server;
    };
    const Case cases[] = {
        {"quoted command, last line wins", "\"C:\\Eudora\\EUDORA.EXE\" %1",
         "SMTPServer=old.example\nPOPAccount=x\r\n  SMTPServer= new . example \r\n", "new.example"},
        {"case-sensitive key", "C:\\EUDORA\\eudora.exe", "smtpserver=no.example\n", ""},
        {"unterminated last line", "C:\\EUDORA\\EUDORA.EXE", "SMTPServer=end.example",
         "end.example"},
        {"no program name", "C:\\EUDORA\\MAIL.EXE", "SMTPServer=x.example\n", ""},
        {"folder with blanks is not found", "\"C:\\MY MAIL\\EUDORA.EXE\"", "SMTPServer=x\n", ""},
        {"empty command", "", "SMTPServer=x\n", ""},
        {"binary junk in the file", "C:\\EUDORA\\EUDORA.EXE",
         std::string("\0\0SMTPServer=junk.example\r", 26), "junk.example"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        MemoryRegistry reg;
        MemoryFileSystem fs;
        reg.SetString(kHkeyLocalMachine, kEudoraKey, "", c.command);
        fs.AddFile("C:\\EUDORA\\EUDORA.INI", c.ini);
        fs.AddFile("C:\\MY MAIL\\EUDORA.INI", c.ini);
        EXPECT_EQ(GetEudoraServer({reg, fs}), c.server);
    }
}

TEST_F(SmtpServersTest, NavigatorSettings) {
    struct Case {
        const char* name;
        std::string prefs;
        std::string server;
    };
    const Case cases[] = {
        {"usual line", "user_pref(\"network.hosts.smtp_server\", \"smtp.nav.example\");\n",
         "smtp.nav.example"},
        {"last of several",
         "user_pref(\"network.hosts.smtp_server\", \"a\");\r\n"
         "user_pref(\"network.hosts.smtp_server\", \"b.example\");\r\n",
         "b.example"},
        {"missing quotes", "user_pref(\"network.hosts.smtp_server\", bare.example);",
         "bare.example"},
        {"unterminated quote", "user_pref(\"network.hosts.smtp_server\", \"open.example",
         "open.example"},
        {"no comma", "smtp_server=plain.example;", "smtp_server=plain.example"},
        {"no server line", "user_pref(\"mail.pop_name\", \"jo\");\n", ""},
        {"empty file", "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        MemoryRegistry reg;
        MemoryFileSystem fs;
        reg.SetString(kHkeyLocalMachine, kNavigatorUsersKey, "CurrentUser", "jo");
        reg.SetString(kHkeyLocalMachine, std::string(kNavigatorUsersKey) + "\\jo", "DirRoot",
                      "C:\\Netscape\\Users\\jo");
        fs.AddFile("C:\\Netscape\\Users\\jo\\prefs.js", c.prefs);
        EXPECT_EQ(GetNavigatorServer({reg, fs}, kNavigatorUsersKey), c.server);
    }
}

TEST_F(SmtpServersTest, HostileRegistryValuesAndFilesYieldNothing) {
    // A value of another type, a string without its NUL, a file too large
    // to be a settings file.
    registry.SetString(kHkeyCurrentUser, kIeMailKey, "Default SMTP Server", "x");
    std::unique_ptr<RegistryKey> key;
    ASSERT_EQ(registry.OpenKey(kHkeyCurrentUser, kIeMailKey, kKeyAllAccess, key), 0);
    key->SetValue("Default SMTP Server", kRegDword, std::string("\x01\x02\x03\x04", 4));
    EXPECT_EQ(GetIeMailServer(source), "");
    key->SetValue("Default SMTP Server", kRegSz, "no.nul.example");
    EXPECT_EQ(GetIeMailServer(source), "no.nul.example");

    Navigator(kNavigatorUsersKey, "C:\\Big",
              std::string(static_cast<size_t>(kMaxSettingsFileSize) + 1, 'x'));
    EXPECT_EQ(GetNavigatorServer(source, kNavigatorUsersKey), "");
}

TEST_F(SmtpServersTest, AccountNameIsCutToFiftyCharacters) {
    const std::string longName(60, 'a');
    registry.SetString(kHkeyCurrentUser, kAccountKey, "Default Mail Account", longName);
    registry.SetString(kHkeyCurrentUser, std::string(kAccountKey) + "\\Accounts\\" + longName,
                       "SMTP Server", "whole.example");
    EXPECT_EQ(GetIeAccountServer(source), "");
    registry.SetString(kHkeyCurrentUser,
                       std::string(kAccountKey) + "\\Accounts\\" + longName.substr(0, 50),
                       "SMTP Server", "cut.example");
    EXPECT_EQ(GetIeAccountServer(source), "cut.example");
}

}  // namespace
}  // namespace mivox
