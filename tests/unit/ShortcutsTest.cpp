#include "install/Shortcuts.h"

#include <gtest/gtest.h>

#include "fakes/FakePlatform.h"
#include "util/Shutdown.h"

namespace mivox {
namespace {

using testing::FakePlatform;

class ShellFolderTest : public ::testing::Test {
protected:
    void User(const std::string& name, const std::string& path) {
        fake.registry.SetString(kHkeyCurrentUser, kShellFoldersKey, name, path);
    }
    void Common(const std::string& name, const std::string& path) {
        fake.registry.SetString(kHkeyLocalMachine, kShellFoldersKey, name, path);
    }
    FakePlatform fake;
};

TEST_F(ShellFolderTest, AllUsersTakesTheCommonFolderWhereThereIsOne) {
    User("Programs", "C:\\Users\\ann\\Start Menu\\Programs");
    User("Desktop", "C:\\Users\\ann\\Desktop");
    Common("Common Programs", "C:\\ProgramData\\Start Menu\\Programs");
    EXPECT_EQ(GetProgramsFolder(fake.machine(), false), "C:\\Users\\ann\\Start Menu\\Programs");
    EXPECT_EQ(GetProgramsFolder(fake.machine(), true), "C:\\ProgramData\\Start Menu\\Programs");
    EXPECT_EQ(GetDesktopFolder(fake.machine(), true), "C:\\Users\\ann\\Desktop")
        << "no Common Desktop: the user's";
}

TEST_F(ShellFolderTest, MissingValuesAndUnwritableKeysFallBack) {
    EXPECT_EQ(GetProgramsFolder(fake.machine(), true), "");
    EXPECT_EQ(fake.registry.FindKey(kHkeyCurrentUser, kShellFoldersKey), nullptr)
        << "reading creates no key";
    User("Programs", "C:\\Users\\ann\\Programs");
    Common("Common Programs", "C:\\All\\Programs");
    fake.registry.readOnlyKeys.insert({kHkeyLocalMachine, "Software"});
    EXPECT_EQ(GetProgramsFolder(fake.machine(), true), "C:\\Users\\ann\\Programs");
}

TEST(MakeShortcutTest, ArgumentsStaySeparateAndTheWorkingFolderIsTheTargets) {
    FakePlatform fake;
    MakeShortcut(fake.shell, "C:\\WINDOWS\\UNWISE.EXE", "C:\\ZEM\\MIVOX\\INSTALL.LOG",
                 "Mivox Uninstall", "C:\\Start Menu\\Programs\\Vexlor\\Mivox");
    MakeShortcut(fake.shell, "C:\\ZEM\\Mivox\\Mivox.EXE", "", "Mivox Application",
                 "C:\\Desktop\\Mivox");
    ASSERT_EQ(fake.shell.links.size(), 2u);
    EXPECT_EQ(fake.shell.links[0].file,
              "C:\\Start Menu\\Programs\\Vexlor\\Mivox\\Mivox Uninstall.lnk");
    EXPECT_EQ(fake.shell.links[0].path, "C:\\WINDOWS\\UNWISE.EXE");
    EXPECT_EQ(fake.shell.links[0].arguments, "C:\\ZEM\\MIVOX\\INSTALL.LOG");
    EXPECT_EQ(fake.shell.links[0].workingDirectory, "C:\\WINDOWS");
    EXPECT_EQ(fake.shell.links[1].file, "C:\\Desktop\\Mivox\\Mivox Application.lnk");
    EXPECT_EQ(fake.shell.links[1].arguments, "");
    EXPECT_EQ(fake.shell.links[1].workingDirectory, "C:\\ZEM\\Mivox");

    fake.shell.failLinks = true;
    MakeShortcut(fake.shell, "C:\\X.EXE", "", "X", "C:\\");
    EXPECT_TRUE(fake.boxes.shown.empty()) << "a failed link shows nothing";
}

TEST(ShutdownTest, NtHoldsTheShutdownPrivilegeOnlyWhileAsking) {
    FakePlatform fake;
    bool heldWhileAsking = false;
    fake.shell.onExit = [&] {
        heldWhileAsking = fake.security.PrivilegeEnabled("SeShutdownPrivilege");
    };
    EXPECT_TRUE(ShutdownWindows(fake.machine(), kEwxReboot));
    EXPECT_EQ(fake.shell.exitRequests, std::vector<uint32_t>{kEwxReboot});
    EXPECT_TRUE(heldWhileAsking);
    EXPECT_FALSE(fake.security.PrivilegeEnabled("SeShutdownPrivilege"));
    EXPECT_EQ(fake.security.tokenOpens.back(),
              std::make_pair(uint32_t{kTokenAdjustPrivileges | kTokenQuery}, false));

    fake.shell.acceptExit = false;
    EXPECT_FALSE(ShutdownWindows(fake.machine(), kEwxReboot));
}

TEST(ShutdownTest, Windows98TouchesNoPrivilege) {
    FakePlatform fake;
    fake.system.platformId = kPlatformWin32Windows;
    EXPECT_TRUE(ShutdownWindows(fake.machine(), kEwxReboot));
    EXPECT_TRUE(fake.security.tokenOpens.empty());
    EXPECT_TRUE(fake.security.adjustments.empty());
}

TEST(SetPrivilegeTest, TrueWhenTheAdjustmentCallSucceeds) {
    FakePlatform fake;
    EXPECT_TRUE(SetPrivilege(fake.security, "SeDebugPrivilege", true));
    EXPECT_EQ(fake.security.adjustments.back(), std::make_pair(uint64_t{20}, kSePrivilegeEnabled));
    EXPECT_FALSE(SetPrivilege(fake.security, "SeNoSuchPrivilege", true));
    fake.security.adjustError = 6;
    EXPECT_FALSE(SetPrivilege(fake.security, "SeDebugPrivilege", false));
    fake.security.adjustError = 0;
    fake.security.processOpenError = 5;
    EXPECT_FALSE(SetPrivilege(fake.security, "SeDebugPrivilege", false));
}

}  // namespace
}  // namespace mivox
