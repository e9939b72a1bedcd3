#include "util/DateTimeText.h"

#include <gtest/gtest.h>

#include "fakes/FakePlatform.h"

namespace mivox {
namespace {

using testing::FakePlatform;
using testing::MemoryFileSystem;

SystemTime At(int year, int month, int day, int dayOfWeek, int hour, int minute) {
    SystemTime t;
    t.year = static_cast<uint16_t>(year);
    t.month = static_cast<uint16_t>(month);
    t.day = static_cast<uint16_t>(day);
    t.dayOfWeek = static_cast<uint16_t>(dayOfWeek);
    t.hour = static_cast<uint16_t>(hour);
    t.minute = static_cast<uint16_t>(minute);
    return t;
}

TEST(DateText, UsesTheEnglishTableAndATwoPlaceDay) {
    EXPECT_EQ(DateText(At(2001, 1, 5, 5, 0, 0)), "Jan  5, 2001");
    EXPECT_EQ(DateText(At(2001, 1, 15, 1, 0, 0)), "Jan 15, 2001");
    EXPECT_EQ(DateText(At(2026, 12, 1, 2, 0, 0)), "Dec  1, 2026");
    EXPECT_EQ(DateText(At(1999, 5, 31, 1, 0, 0)), "May 31, 1999");
}

TEST(TimeText, UsesTheTwelveHourClock) {
    EXPECT_EQ(TimeText(At(2001, 1, 1, 1, 15, 5)), "Mon  3:05 pm");
    EXPECT_EQ(TimeText(At(2001, 1, 4, 4, 0, 30)), "Thr 12:30 am");
    EXPECT_EQ(TimeText(At(2001, 1, 4, 0, 0, 0)), "Sun 12:00 am");
    EXPECT_EQ(TimeText(At(2001, 1, 4, 6, 12, 0)), "Sat 12:00 pm");
    EXPECT_EQ(TimeText(At(2001, 1, 4, 3, 12, 59)), "Wed 12:59 pm");
    EXPECT_EQ(TimeText(At(2001, 1, 4, 2, 13, 0)), "Tue  1:00 pm");
    EXPECT_EQ(TimeText(At(2001, 1, 4, 5, 11, 59)), "Fri 11:59 am");
    EXPECT_EQ(TimeText(At(2001, 1, 4, 5, 23, 9)), "Fri 11:09 pm");
}

TEST(DateText, ReadsTheClock) {
    FakePlatform fake;
    fake.clock.now = At(2026, 12, 8, 2, 4, 35);
    EXPECT_EQ(DateText(fake.clock), "Dec  8, 2026");
    EXPECT_EQ(TimeText(fake.clock), "Tue  4:35 am");
}

TEST(DateTimeText, TakesOneReadingAcrossMidnight) {
    // A clock that moves on to the next day as soon as it has been read.
    class MidnightClock : public Clock {
    public:
        SystemTime LocalTime() const override {
            return reads++ ? SystemTime{2007, 1, 1, 1, 0, 0, 0, 0}
                           : SystemTime{2006, 12, 0, 31, 23, 59, 59, 999};
        }
        uint32_t TickCount() const override { return 0; }
        mutable int reads = 0;
    } clock;
    EXPECT_EQ(DateTimeText(clock), "Dec 31, 2006  Sun 11:59 pm");
    EXPECT_EQ(clock.reads, 1);
}

TEST(FileDateText, FollowsTheLocale) {
    FakePlatform fake;
    fake.files.AddFile("C:\\a.exe", "", MemoryFileSystem::PackDateTime(2001, 1, 5, 15, 4, 6));
    EXPECT_EQ(FileDateText(fake.platform, "C:\\a.exe"), "Jan/05/2001");
    fake.locale.monthNames[0] = "janv.";
    fake.locale.dateSeparator = ".";
    EXPECT_EQ(FileDateText(fake.platform, "c:/A.EXE"), "janv..05.2001");
    EXPECT_TRUE(fake.boxes.shown.empty());
}

TEST(FileTimeText, UsesTwoDigitTwelveHourClockWithAmPm) {
    FakePlatform fake;
    struct Case {
        int hour, minute, second;
        const char* text;
    } cases[] = {{15, 4, 6, "03:04:06pm"},
                 {0, 15, 30, "12:15:30am"},
                 {12, 0, 0, "12:00:00pm"},
                 {11, 59, 58, "11:59:58am"},
                 {13, 0, 2, "01:00:02pm"}};
    for (const Case& c : cases) {
        fake.files.AddFile("C:\\t.txt", "",
                           MemoryFileSystem::PackDateTime(2010, 6, 7, c.hour, c.minute, c.second));
        EXPECT_EQ(FileTimeText(fake.platform, "C:\\t.txt"), c.text);
    }
    fake.locale.timeSeparator = ".";
    EXPECT_EQ(FileTimeText(fake.platform, "C:\\t.txt"), "01.00.02pm");
}

TEST(FileDateText, WarnsAboutAMissingFile) {
    FakePlatform fake;
    EXPECT_EQ(FileDateText(fake.platform, "D:\\App\\Mivox.EXE"), "?");
    EXPECT_EQ(FileTimeText(fake.platform, "D:\\App\\Mivox.EXE"), "?");
    ASSERT_EQ(fake.boxes.shown.size(), 2u);
    EXPECT_EQ(fake.boxes.shown[0].caption, "FileNotFound");
    EXPECT_EQ(fake.boxes.shown[0].text, "D:\\App\\Mivox.EXE");
    EXPECT_EQ(fake.boxes.shown[0].style, kMbOk | kMbIconExclamation);
}

TEST(UnpackDateTime, ReadsEveryField) {
    const SystemTime t = UnpackDateTime(MemoryFileSystem::PackDateTime(2107, 12, 31, 23, 59, 58));
    EXPECT_EQ(t.year, 2107);
    EXPECT_EQ(t.month, 12);
    EXPECT_EQ(t.day, 31);
    EXPECT_EQ(t.hour, 23);
    EXPECT_EQ(t.minute, 59);
    EXPECT_EQ(t.second, 58);
}

}  // namespace
}  // namespace mivox
