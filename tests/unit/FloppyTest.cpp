#include <gtest/gtest.h>

#include <deque>
#include <random>

#include "fakes/FakePlatform.h"
#include "floppy/Crc32.h"
#include "floppy/DiskSetJoiner.h"
#include "floppy/FloppyNames.h"
#include "floppy/InstallIni.h"

namespace mivox {
namespace {

// A bit-at-a-time CRC-32, written independently of the table-driven one.
uint32_t SlowCrc32(const std::string& bytes) {
    uint32_t crc = 0xFFFFFFFFu;
    for (unsigned char byte : bytes) {
        crc ^= byte;
        for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
    }
    return ~crc;
}

TEST(StreamCrc32, MatchesTheStandardCheckValueAndAnIndependentComputation) {
    EXPECT_EQ(StreamCrc32("123456789"), 0xCBF43926u);
    EXPECT_EQ(StreamCrc32(""), 0u);
    EXPECT_EQ(StreamCrc32("xx123456789", 2), 0xCBF43926u) << "from the stream's position";
    std::mt19937 random(42);
    std::string buffer(3 * 1024 * 1024 + 17, '\0');
    for (char& c : buffer) c = static_cast<char>(random());
    EXPECT_EQ(StreamCrc32(buffer), SlowCrc32(buffer));
    const uint32_t half = Crc32Update(kCrc32Start, buffer.data(), 1000);
    EXPECT_EQ(Crc32Finish(Crc32Update(half, buffer.data() + 1000, buffer.size() - 1000)),
              SlowCrc32(buffer))
        << "a running CRC carries over parts";
}

TEST(FloppyNames, CountDisksByWholeParts) {
    EXPECT_EQ(DiskCount(0), 0);
    EXPECT_EQ(DiskCount(1), 1);
    EXPECT_EQ(DiskCount(1400000), 1);
    EXPECT_EQ(DiskCount(1400001), 2);
    EXPECT_EQ(DiskCount(2800000), 2);
    EXPECT_EQ(DiskCount(2800001), 3);
    EXPECT_EQ(DiskCount(int64_t{3} << 31), 4602);
}

TEST(FloppyNames, NameTheArchiveAndItsParts) {
    EXPECT_EQ(ArchiveFileName("Mivox", "4.10.0.10"), "Mivox10.EXE");
    EXPECT_EQ(ArchiveFileName("Mivox", "4.10"), "Mivox10.EXE");
    EXPECT_EQ(ArchiveFileName("Mivox", "?"), "Mivox?.EXE");
    EXPECT_EQ(PartFileName("C:\\Temp\\Mivox10.EXE", 1), "A:\\Mivox10.001");
    EXPECT_EQ(PartFileName("Mivox10.EXE", 12), "A:\\Mivox10.012");
    EXPECT_EQ(PartFileName("C:\\Temp\\ARCHIVE", 2), "A:\\ARCHIVE") << "no extension, no number";
    EXPECT_EQ(PartFileName("D:\\x.y\\Set.Z", 3), "A:\\Set.0") << "the name keeps its length";
}

InstallIni SampleIni() {
    InstallIni ini;
    ini.fileExeName = "Mivox10.EXE";
    ini.fileVersion = "4.10.0.10";
    ini.fileVerDate = "Jan/05/2001";
    ini.fileVerTime = "03:04:06pm";
    ini.fileByteCnt = 2800001;
    ini.filePartCnt = 3;
    ini.fileCodeCrc = 0x0000BEEF;
    return ini;
}

TEST(InstallIni, HasTenLinesAndReadsBack) {
    const std::string text = InstallIniText(SampleIni());
    EXPECT_EQ(text,
              "Configuration file for Install.Exe\r\n"
              "Copyright (C) 2001 Vexlor. Written by Setup.exe; do not edit.\r\n"
              "[Data]\r\n"
              "FileExeName=Mivox10.EXE\r\n"
              "FileVersion=4.10.0.10\r\n"
              "FileVerDate=Jan/05/2001\r\n"
              "FileVerTime=03:04:06pm\r\n"
              "FileByteCnt=2800001\r\n"
              "FilePartCnt=3\r\n"
              "FileCodeCRC=0000BEEF\r\n");
    const auto parsed = ParseInstallIni(text);
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->fileExeName, "Mivox10.EXE");
    EXPECT_EQ(parsed->fileByteCnt, 2800001);
    EXPECT_EQ(parsed->filePartCnt, 3);
    EXPECT_EQ(parsed->fileCodeCrc, 0x0000BEEFu);
    EXPECT_EQ(parsed->fileVerTime, "03:04:06pm");
}

TEST(InstallIni, RefusesDamagedFiles) {
    std::string text = InstallIniText(SampleIni());
    EXPECT_FALSE(ParseInstallIni(""));
    EXPECT_FALSE(ParseInstallIni(text.substr(0, text.find("FileCodeCRC"))));
    std::string badCount = text;
    badCount.replace(badCount.find("=3"), 2, "=-3");
    EXPECT_FALSE(ParseInstallIni(badCount));
    std::string outsideSection = text;
    outsideSection.replace(outsideSection.find("[Data]"), 6, "[Other]");
    EXPECT_FALSE(ParseInstallIni(outsideSection));
}

// The user at drive A:, swapping disks when asked.
class DiskSwapper : public JoinPrompts {
public:
    DiskSwapper(testing::MemoryFileSystem& files, std::vector<std::string> disks)
        : files_(files), disks_(std::move(disks)) {}

    bool InsertDisk(int disk, int count, const std::string& problem) override {
        asked.push_back({disk, problem});
        EXPECT_EQ(count, static_cast<int>(parts.size()));
        if (answers.empty()) return false;
        const int inserted = answers.front();
        answers.pop_front();
        for (const std::string& name : disks_) files_.Delete("A:\\" + name);
        if (inserted > 0) {
            files_.AddFile("A:\\" + disks_[static_cast<size_t>(inserted - 1)],
                           parts[static_cast<size_t>(inserted - 1)]);
        }
        return true;
    }

    std::vector<std::string> parts;
    std::deque<int> answers;  // the disk put in at each prompt, 0 for none; empty: give up
    std::vector<std::pair<int, std::string>> asked;

private:
    testing::MemoryFileSystem& files_;
    std::vector<std::string> disks_;
};

class JoinTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::mt19937 random(7);
        archive.resize(2800001);
        for (char& c : archive) c = static_cast<char>(random());
        ini = SampleIni();
        ini.fileCodeCrc = StreamCrc32(archive);
        swapper.parts = {archive.substr(0, 1400000), archive.substr(1400000, 1400000),
                         archive.substr(2800000)};
        fake.files.AddDirectory("C:\\TEMP");
    }

    std::string archive;
    InstallIni ini;
    testing::FakePlatform fake;
    DiskSwapper swapper{fake.files, {"Mivox10.001", "Mivox10.002", "Mivox10.003"}};
};

TEST_F(JoinTest, JoinsEveryDiskInTurn) {
    swapper.answers = {1, 2, 3};
    const JoinResult result = JoinDiskSet(fake.files, swapper, ini, "C:\\TEMP\\");
    EXPECT_EQ(result.status, JoinResult::kJoined);
    EXPECT_EQ(result.path, "C:\\TEMP\\Mivox10.EXE");
    ASSERT_TRUE(fake.files.Find("C:\\TEMP\\Mivox10.EXE"));
    EXPECT_EQ(fake.files.Find("C:\\TEMP\\Mivox10.EXE")->contents, archive);
    EXPECT_EQ(swapper.asked.size(), 3u);
}

TEST_F(JoinTest, AsksAgainForAMissingOrShortPart) {
    swapper.parts[1].pop_back();  // a disk cut short
    swapper.answers = {1, 0, 2};  // no disk, then the short one
    JoinResult result = JoinDiskSet(fake.files, swapper, ini, "C:\\TEMP");
    EXPECT_EQ(result.status, JoinResult::kCancelled);
    ASSERT_EQ(swapper.asked.size(), 4u);
    EXPECT_EQ(swapper.asked[1], std::make_pair(2, std::string()));
    EXPECT_EQ(swapper.asked[2].second, "The disk in the drive does not hold A:\\Mivox10.002.");
    EXPECT_EQ(swapper.asked[3].second,
              "A:\\Mivox10.002 holds 1399999 bytes instead of 1400000: it is not the right disk, "
              "or it is damaged.");
    EXPECT_FALSE(fake.files.FileExists("C:\\TEMP\\Mivox10.EXE")) << "no partial archive is left";
}

TEST_F(JoinTest, ReportsADamagedSetByItsChecksum) {
    swapper.parts[2][0] ^= 1;
    swapper.answers = {1, 2, 3};
    EXPECT_EQ(JoinDiskSet(fake.files, swapper, ini, "C:\\TEMP").status, JoinResult::kCorrupt);
    EXPECT_FALSE(fake.files.FileExists("C:\\TEMP\\Mivox10.EXE"));
}

TEST_F(JoinTest, ReportsAFolderThatCannotTakeTheArchive) {
    swapper.answers = {1, 2, 3};
    EXPECT_EQ(JoinDiskSet(fake.files, swapper, ini, "C:\\NoSuchFolder").status,
              JoinResult::kWriteFailed);
    EXPECT_TRUE(swapper.asked.empty()) << "no disk is asked for in vain";
    fake.files.driveCapacity['C'] = 2000000;
    EXPECT_EQ(JoinDiskSet(fake.files, swapper, ini, "C:\\TEMP").status, JoinResult::kWriteFailed);
    EXPECT_FALSE(fake.files.FileExists("C:\\TEMP\\Mivox10.EXE"));
}

}  // namespace
}  // namespace mivox
