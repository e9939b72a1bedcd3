#include "util/VersionText.h"

#include <gtest/gtest.h>

#include "fakes/FakePlatform.h"

namespace mivox {
namespace {

using testing::FakePlatform;

class FileVersionTextTest : public ::testing::Test {
protected:
    void SetUp() override { fake.files.AddFile("D:\\App\\Mivox.EXE", "MZ"); }
    FakePlatform fake;
};

TEST_F(FileVersionTextTest, JoinsTheFourParts) {
    fake.versions.Add("D:\\App\\Mivox.EXE", 0x0004000A, 0x0000000A);
    EXPECT_EQ(FileVersionText(fake.machine(), fake.versions, fake.memory, fake.talk,
                              "D:\\App\\Mivox.EXE"),
              "4.10.0.10");
    fake.versions.Add("D:\\App\\Mivox.EXE", 0xFFFF0000, 0x0001FFFF);
    EXPECT_EQ(FileVersionText(fake.machine(), fake.versions, fake.memory, fake.talk,
                              "D:\\App\\Mivox.EXE"),
              "65535.0.1.65535");
    EXPECT_EQ(fake.memory.reserved, 0) << "the buffer is released";
    EXPECT_EQ(fake.memory.committed, 0);
    EXPECT_TRUE(fake.boxes.shown.empty());
}

TEST_F(FileVersionTextTest, MissingFileGivesQuestionMarkWithoutABox) {
    EXPECT_EQ(FileVersionText(fake.machine(), fake.versions, fake.memory, fake.talk,
                              "D:\\App\\Other.EXE"),
              "?");
    EXPECT_TRUE(fake.boxes.shown.empty());
}

TEST_F(FileVersionTextTest, FileWithoutUsableResourceGivesNoData) {
    EXPECT_EQ(FileVersionText(fake.machine(), fake.versions, fake.memory, fake.talk,
                              "D:\\App\\Mivox.EXE"),
              "NoData");
    fake.versions.Add("D:\\App\\Mivox.EXE", 0x00010000, 0);
    fake.versions.failRead = true;
    EXPECT_EQ(FileVersionText(fake.machine(), fake.versions, fake.memory, fake.talk,
                              "D:\\App\\Mivox.EXE"),
              "NoData");
    fake.versions.failRead = false;
    fake.versions.failQuery = true;
    EXPECT_EQ(FileVersionText(fake.machine(), fake.versions, fake.memory, fake.talk,
                              "D:\\App\\Mivox.EXE"),
              "NoData");
    EXPECT_EQ(fake.memory.reserved, 0);
    EXPECT_TRUE(fake.boxes.shown.empty());
}

TEST_F(FileVersionTextTest, BufferFailuresShowTheSystemError) {
    fake.versions.Add("D:\\App\\Mivox.EXE", 0x00010000, 0);
    fake.system.lastError = 8;
    fake.memory.failCommit = true;
    EXPECT_EQ(FileVersionText(fake.machine(), fake.versions, fake.memory, fake.talk,
                              "D:\\App\\Mivox.EXE"),
              "NoData");
    ASSERT_EQ(fake.boxes.shown.size(), 1u);
    EXPECT_EQ(fake.boxes.shown[0].caption, "WinAPI Error Code=8");
    EXPECT_EQ(fake.boxes.shown[0].text, fake.system.errorTexts[8]);
    EXPECT_EQ(fake.memory.reserved, 0) << "the reservation is released all the same";

    fake.memory.failCommit = false;
    fake.memory.failDecommit = true;
    EXPECT_EQ(FileVersionText(fake.machine(), fake.versions, fake.memory, fake.talk,
                              "D:\\App\\Mivox.EXE"),
              "1.0.0.0");
    EXPECT_EQ(fake.boxes.shown.size(), 2u);
}

}  // namespace
}  // namespace mivox
