// The real implementations of the seams against the system under test.
#include "util/Messages.h"
#include "win32/Win32Platform.h"

#include <windows.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "TempDir.h"
#include "util/DateTimeText.h"
#include "util/VersionText.h"

namespace mivox::win32 {
namespace {

using testing::TempDir;

// Sets a file's last-write time to a local date and time.
void SetLocalWriteTime(const std::string& path, WORD year, WORD month, WORD day, WORD hour,
                       WORD minute, WORD second) {
    SYSTEMTIME local{year, month, 0, day, hour, minute, second, 0};
    FILETIME localTime;
    FILETIME utc;
    ASSERT_TRUE(SystemTimeToFileTime(&local, &localTime));
    ASSERT_TRUE(LocalFileTimeToFileTime(&localTime, &utc));
    HANDLE file = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(SetFileTime(file, nullptr, nullptr, &utc));
    CloseHandle(file);
}

std::string OwnPath() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    return path;
}

TEST(Win32FileSystem, TellsFilesFromFoldersAndPacksTheLocalWriteTime) {
    TempDir dir;
    const std::string file = dir.WriteFile("a.txt", "x");
    SetLocalWriteTime(file, 2001, 1, 5, 15, 4, 6);
    Win32FileSystem files;
    EXPECT_TRUE(files.FileExists(file));
    EXPECT_FALSE(files.DirectoryExists(file));
    EXPECT_TRUE(files.DirectoryExists(dir.Path()));
    EXPECT_FALSE(files.FileExists(dir.Path()));
    const SystemTime t = UnpackDateTime(files.FileAge(file));
    EXPECT_EQ(t.year, 2001);
    EXPECT_EQ(t.month, 1);
    EXPECT_EQ(t.day, 5);
    EXPECT_EQ(t.hour, 15);
    EXPECT_EQ(t.minute, 4);
    EXPECT_EQ(t.second, 6);
    EXPECT_EQ(files.FileAge(dir.Path() + "\\missing.txt"), kNoFileAge);
    EXPECT_EQ(files.FileAge(dir.Path()), kNoFileAge) << "a folder has no file age";
}

TEST(Win32Platform, ReadsTheVersionResourceOfAProgram) {
    Win32Platform system;
    BoxConversation talk(system.boxes);
    EXPECT_EQ(FileVersionText(system.platform.machine(), system.platform.versions,
                              system.platform.memory, talk, OwnPath()),
              "1.2.65535.40");
    TempDir dir;
    EXPECT_EQ(
        FileVersionText(system.platform.machine(), system.platform.versions, system.platform.memory,
                        talk, dir.WriteFile("plain.txt", "no resource")),
        "NoData");
    EXPECT_EQ(FileVersionText(system.platform.machine(), system.platform.versions,
                              system.platform.memory, talk, dir.Path() + "\\none.exe"),
              "?");
}

TEST(Win32Platform, FormatsFileDatesWithTheLocale) {
    Win32Platform system;
    TempDir dir;
    const std::string file = dir.WriteFile("t.txt", "");
    SetLocalWriteTime(file, 2001, 1, 5, 0, 15, 30);
    const std::string month = system.locale.ShortMonthName(1);
    const std::string dateSep = system.locale.DateSeparator();
    const std::string timeSep = system.locale.TimeSeparator();
    ASSERT_FALSE(month.empty());
    // The system's own formatting of the same date must agree with ours.
    SYSTEMTIME date{2001, 1, 0, 5, 0, 0, 0, 0};
    char expected[64] = {};
    GetDateFormatA(LOCALE_USER_DEFAULT, 0, &date, "MMM/dd/yyyy", expected, sizeof(expected));
    std::string systemText = expected;
    for (char& c : systemText) {
        if (c == '/') c = dateSep[0];
    }
    EXPECT_EQ(FileDateText(system.platform, file), month + dateSep + "05" + dateSep + "2001");
    EXPECT_EQ(FileDateText(system.platform, file), systemText);
    EXPECT_EQ(FileTimeText(system.platform, file), "12" + timeSep + "15" + timeSep + "30am");
}

TEST(Win32Platform, EnglishLocaleGivesTheUsualTexts) {
    Win32Locale locale;
    if (PRIMARYLANGID(GetUserDefaultLangID()) != LANG_ENGLISH) GTEST_SKIP() << "not English";
    EXPECT_EQ(locale.ShortMonthName(1), "Jan");
    EXPECT_EQ(locale.ShortMonthName(12), "Dec");
    EXPECT_EQ(locale.ShortMonthName(13), "");
}

TEST(Win32SystemInfo, ReportsTheSystemsOwnErrorText) {
    Win32SystemInfo system;
    // Windows and Wine word it differently.
    EXPECT_THAT(
        system.ErrorMessageText(ERROR_FILE_NOT_FOUND),
        ::testing::AnyOf("File not found.\r\n", "The system cannot find the file specified.\r\n"));
    EXPECT_EQ(system.ErrorMessageText(0xDEADBEEF), "");
    SetLastError(ERROR_ACCESS_DENIED);
    EXPECT_EQ(system.LastError(), static_cast<uint32_t>(ERROR_ACCESS_DENIED));
}

TEST(Win32SystemInfo, KnowsTheProgramAndTheWindowsDirectory) {
    Win32SystemInfo system;
    EXPECT_EQ(system.ModuleFileName(), OwnPath());
    const std::string windows = system.WindowsDirectory();
    EXPECT_TRUE(Win32FileSystem().DirectoryExists(windows)) << windows;
    EXPECT_NE(windows.back(), '\\');
    EXPECT_FALSE(system.UserName().empty());
}

TEST(Win32Clock, GivesTheLocalTime) {
    SYSTEMTIME before;
    GetLocalTime(&before);
    const SystemTime now = Win32Clock().LocalTime();
    EXPECT_EQ(now.year, before.wYear);
    EXPECT_GE(now.month, 1);
    EXPECT_LE(now.month, 12);
    EXPECT_LE(now.dayOfWeek, 6);
}

}  // namespace
}  // namespace mivox::win32
