#include "install/InstallLog.h"

#include <gtest/gtest.h>

#include "fakes/FakePlatform.h"
#include "registry/RegStuff.h"
#include "util/Errors.h"

namespace mivox {
namespace {

using testing::FakePlatform;
using Op = testing::MemoryFileSystem::Op;

const std::vector<std::string> kAllKeys{kProductKey, kAppPathKey, kUninstallKey};

class InstallLogTest : public ::testing::Test {
protected:
    void SetUp() override { fake.files.AddDirectory("C:\\Mivox"); }
    std::string Log(const std::string& dir = "C:\\Mivox") {
        return fake.files.Find(dir + "\\Install.Log")->contents;
    }
    FakePlatform fake;
};

TEST_F(InstallLogTest, StartLineOnTheFirstOfTheMonth) {
    fake.clock.now = {2001, 1, 0, 7, 9, 5, 0, 0};  // Sunday 7 January 2001, 09:05
    InstallLog log(fake.machine(), "C:\\Mivox\\");
    EXPECT_EQ(Log(),
              "*** Installation Started: Jan  7, 2001  Sun  9:05 am ***\r\n"
              "Title: Mivox\r\n"
              "File Tree: C:\\Mivox\\*.*\r\n");
    fake.clock.now = {2001, 3, 4, 1, 0, 30, 0, 0};  // Thursday 1 March 2001, 00:30
    InstallLog again(fake.machine(), "C:\\Mivox\\");
    EXPECT_EQ(Log().substr(0, Log().find('\r')),
              "*** Installation Started: Mar  1, 2001  Thr 12:30 am ***")
        << "a new log replaces the old one";
}

TEST_F(InstallLogTest, WholeLogWithADesktopCopy) {
    fake.files.AddDirectory("D:\\Apps\\Mivox");
    InstallLog log(fake.machine(), "D:\\Apps\\Mivox\\");
    log.WriteRegistryKeys(kAllKeys);
    log.WriteMadeDir("C:\\WINDOWS\\Start Menu\\Programs\\Vexlor");
    log.WriteFileTree("C:\\WINDOWS\\Start Menu\\Programs\\Vexlor\\Mivox");
    log.WriteFileTree("C:\\WINDOWS\\Desktop\\Mivox");
    log.Close();
    EXPECT_EQ(Log("D:\\Apps\\Mivox"),
              "*** Installation Started: Jan  5, 2001  Fri  3:04 pm ***\r\n"
              "Title: Mivox\r\n"
              "File Tree: D:\\Apps\\Mivox\\*.*\r\n"
              "RegDB Root: 0\r\n"
              "RegDB TREE: SOFTWARE\\Vexlor\\Mivox\r\n"
              "RegDB Root: 2\r\n"
              "RegDB TREE: SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Mivox.EXE\r\n"
              "RegDB Root: 2\r\n"
              "RegDB TREE: SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Mivox\r\n"
              "RegDB Root: 2\r\n"
              "Made Dir: C:\\WINDOWS\\Start Menu\\Programs\\Vexlor\r\n"
              "File Tree: C:\\WINDOWS\\Start Menu\\Programs\\Vexlor\\Mivox\\*.*\r\n"
              "File Tree: C:\\WINDOWS\\Desktop\\Mivox\\*.*\r\n");
}

TEST_F(InstallLogTest, AFailedWriteIsAnIoErrorAndKeepsWhatWasWritten) {
    InstallLog log(fake.machine(), "C:\\Mivox\\");
    fake.files.FailOn(Op::Write, "C:\\Mivox\\Install.Log", kErrorDiskFull);
    EXPECT_THROW(log.WriteRegistryKeys(kAllKeys), IoError);
    EXPECT_EQ(Log().substr(Log().rfind("File Tree")), "File Tree: C:\\Mivox\\*.*\r\n");
}

TEST_F(InstallLogTest, ALogThatCannotBeCreatedIsAnIoError) {
    fake.files.AddFile("C:\\Mivox\\Install.Log", "older", 0, kAttrReadOnly);
    try {
        InstallLog log(fake.machine(), "C:\\Mivox\\");
        FAIL() << "a read-only log cannot be replaced";
    } catch (const IoError& error) {
        EXPECT_NE(std::string(error.what()).find("C:\\Mivox\\Install.Log"), std::string::npos);
    }
    EXPECT_EQ(Log(), "older");
}

}  // namespace
}  // namespace mivox
