#include <gtest/gtest.h>

#include <deque>
#include <random>
#include <vector>

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

TEST(StreamCrc32, EveryLengthStartAndSplitGivesTheSameChecksum) {
    // Eight bytes are taken at a time, and from 3 KB on three stretches side
    // by side: lengths and starts around both, and a running CRC split
    // anywhere, must not change the result.
    std::mt19937 random(7);
    std::string bytes(3 * 1024 + 40, '\0');
    for (char& c : bytes) c = static_cast<char>(random());
    std::vector<size_t> lengths;
    for (size_t length = 0; length <= 64; ++length) lengths.push_back(length);
    for (size_t length = 3 * 1024 - 9; length <= 3 * 1024 + 30; length += 3) {
        lengths.push_back(length);
    }
    for (size_t start = 0; start < 9; ++start) {
        for (const size_t length : lengths) {
            const std::string part = bytes.substr(start, length);
            const uint32_t expected = SlowCrc32(part);
            ASSERT_EQ(StreamCrc32(bytes.substr(0, start + length), start), expected)
                << start << "+" << length;
            for (size_t split = 0; split <= length; split += 1 + length / 8) {
                const uint32_t head = Crc32Update(kCrc32Start, part.data(), split);
                ASSERT_EQ(Crc32Finish(Crc32Update(head, part.data() + split, length - split)),
                          expected)
                    << start << "+" << length << " split at " << split;
            }
        }
    }
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
    DiskSetSpec spec;
    ASSERT_EQ(ReadDiskSetSpec(text.data(), text.size(), spec), nullptr);
    EXPECT_STREQ(spec.fileExeName, "Mivox10.EXE");
    EXPECT_EQ(spec.fileByteCnt, 2800001);
    EXPECT_EQ(spec.filePartCnt, 3);
    EXPECT_EQ(spec.fileCodeCrc, 0x0000BEEFu);
}

// An Install.Ini with the given [Data] values, as a crafted disk might hold it.
std::string IniWith(const std::string& name, const std::string& bytes, const std::string& count,
                    const std::string& crc = "0000BEEF") {
    return "[Data]\r\nFileExeName=" + name + "\r\nFileByteCnt=" + bytes +
           "\r\nFilePartCnt=" + count + "\r\nFileCodeCRC=" + crc + "\r\n";
}

TEST(InstallIni, TheJoinerTrustsOnlyAConsistentDescription) {
    struct Case {
        std::string text;
        const char* problem;  // null: accepted
    };
    const char* kName = "FileExeName is not a plain file name.";
    const char* kBytes = "FileByteCnt is not a number of bytes.";
    const char* kCount = "FilePartCnt is not a number of disks.";
    const char* kCrc = "FileCodeCRC is not eight hexadecimal digits.";
    const char* kDisagree = "FileByteCnt and FilePartCnt do not agree.";
    const char* kMissing = "A value of its [Data] section is missing.";
    const Case cases[] = {
        {IniWith("Mivox10.EXE", "1", "1"), nullptr},
        {IniWith("Mivox10.EXE", "1400000", "1"), nullptr},
        {IniWith("Mivox10.EXE", "1400001", "2"), nullptr},
        {IniWith("Mivox10.EXE", "2800000", "2", "cbf43926"), nullptr},
        {IniWith("Mivox10.EXE", "0", "0"), kDisagree},
        {IniWith("Mivox10.EXE", "0", "1"), kDisagree},
        {IniWith("Mivox10.EXE", "1400001", "1"), kDisagree},
        {IniWith("Mivox10.EXE", "1400000", "2"), kDisagree},
        {IniWith("Mivox10.EXE", "2800001", "2"), kDisagree},
        {IniWith("Mivox10.EXE", "-1", "1"), kBytes},
        {IniWith("Mivox10.EXE", "+5", "1"), kBytes},
        {IniWith("Mivox10.EXE", " 5", "1"), kBytes},
        {IniWith("Mivox10.EXE", "0x10", "1"), kBytes},
        {IniWith("Mivox10.EXE", "", "1"), kBytes},
        {IniWith("Mivox10.EXE", "99999999999999999999", "1"), kBytes},
        {IniWith("Mivox10.EXE", "5", "-1"), kCount},
        {IniWith("Mivox10.EXE", "5", "1.0"), kCount},
        {IniWith("Mivox10.EXE", "5", "1000"), kCount},
        {IniWith("Mivox10.EXE", "5", "1", "BEEF"), kCrc},
        {IniWith("Mivox10.EXE", "5", "1", "0000BEEG"), kCrc},
        {IniWith("..\\Mivox10.EXE", "5", "1"), kName},
        {IniWith("C:\\WINDOWS\\Mivox10.EXE", "5", "1"), kName},
        {IniWith("sub/Mivox10.EXE", "5", "1"), kName},
        {IniWith("C:Mivox10.EXE", "5", "1"), kName},
        {IniWith("Mivox10.EXE:stream", "5", "1"), kName},
        {IniWith("..", "5", "1"), kName},
        {IniWith("CON.EXE", "5", "1"), kName},
        {IniWith("", "5", "1"), kName},
        {"", kMissing},
        {IniWith("Mivox10.EXE", "5", "1").substr(0, 48), kMissing},
        {"[Other]" + IniWith("Mivox10.EXE", "5", "1").substr(6), kMissing},
    };
    for (const Case& c : cases) {
        DiskSetSpec spec;
        const char* problem = ReadDiskSetSpec(c.text.data(), c.text.size(), spec);
        EXPECT_STREQ(problem, c.problem) << c.text;
    }
}

// The user at drive A:, swapping disks when asked, and the files the joiner
// writes, in memory.
class DiskSwapper : public JoinSystem {
public:
    DiskSwapper(testing::MemoryFileSystem& files, std::vector<std::string> disks)
        : files_(files), disks_(std::move(disks)) {}

    bool InsertDisk(int disk, int count, const char* problem) override {
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
    bool ReadFile(const char* path, char* buffer, size_t capacity, int64_t& size) override {
        std::string contents;
        if (!files_.ReadAll(path, contents)) return false;
        size = static_cast<int64_t>(contents.size());
        if (contents.size() <= capacity) contents.copy(buffer, contents.size());
        return true;
    }
    bool CreateTempFile(const char* folder, char (&path)[kJoinPathSize]) override {
        std::string name = folder;
        if (name.back() != '\\') name += '\\';
        name += "MVX1.TMP";
        out_ = files_.CreateOutputFile(name).Take();
        if (out_) name.copy(path, name.size());
        return out_ != nullptr;
    }
    bool Write(const char* data, size_t size) override {
        return static_cast<bool>(out_->Write(data, size));
    }
    bool CloseTempFile() override {
        const bool ok = static_cast<bool>(out_->Close());
        out_.reset();
        return ok;
    }
    bool Replace(const char* from, const char* to) override {
        return files_.Copy(from, to, false) && files_.Delete(from);
    }
    void Delete(const char* path) override { files_.Delete(path); }

    std::vector<std::string> parts;
    std::deque<int> answers;  // the disk put in at each prompt, 0 for none; empty: give up
    std::vector<std::pair<int, std::string>> asked;

private:
    testing::MemoryFileSystem& files_;
    std::vector<std::string> disks_;
    std::unique_ptr<OutputFile> out_;
};

class JoinTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::mt19937 random(7);
        archive.resize(2800001);
        for (char& c : archive) c = static_cast<char>(random());
        const std::string text = InstallIniText(SampleIni());
        ASSERT_EQ(ReadDiskSetSpec(text.data(), text.size(), spec), nullptr);
        spec.fileCodeCrc = StreamCrc32(archive);
        swapper.parts = {archive.substr(0, 1400000), archive.substr(1400000, 1400000),
                         archive.substr(2800000)};
        fake.files.AddDirectory("C:\\TEMP");
    }

    JoinResult Join(const char* folder) {
        return JoinDiskSet(swapper, spec, folder, buffer.data(), buffer.size());
    }

    // Only the joined archive, or only what was there before, is left.
    void ExpectOnly(const std::string& contents) {
        ASSERT_TRUE(fake.files.Find("C:\\TEMP\\Mivox10.EXE"));
        EXPECT_TRUE(fake.files.Find("C:\\TEMP\\Mivox10.EXE")->contents == contents);
        EXPECT_FALSE(fake.files.FileExists("C:\\TEMP\\MVX1.TMP")) << "no partial file is left";
    }

    std::string archive;
    std::vector<char> buffer = std::vector<char>(kFloppyPartSize);
    DiskSetSpec spec;
    testing::FakePlatform fake;
    DiskSwapper swapper{fake.files, {"Mivox10.001", "Mivox10.002", "Mivox10.003"}};
};

TEST_F(JoinTest, JoinsEveryDiskInTurnOverAnOldArchive) {
    fake.files.AddFile("C:\\TEMP\\Mivox10.EXE", "an older archive");
    swapper.answers = {1, 2, 3};
    const JoinResult result = Join("C:\\TEMP\\");
    EXPECT_EQ(result.status, JoinResult::kJoined);
    EXPECT_STREQ(result.path, "C:\\TEMP\\Mivox10.EXE");
    ExpectOnly(archive);
    EXPECT_EQ(swapper.asked.size(), 3u);
}

TEST_F(JoinTest, AsksAgainForAMissingOrShortPart) {
    swapper.parts[1].pop_back();  // a disk cut short
    swapper.answers = {1, 0, 2};  // no disk, then the short one
    JoinResult result = Join("C:\\TEMP");
    EXPECT_EQ(result.status, JoinResult::kCancelled);
    ASSERT_EQ(swapper.asked.size(), 4u);
    EXPECT_EQ(swapper.asked[1], std::make_pair(2, std::string()));
    EXPECT_EQ(swapper.asked[2].second, "The disk in the drive does not hold A:\\Mivox10.002.");
    EXPECT_EQ(swapper.asked[3].second,
              "A:\\Mivox10.002 holds 1399999 bytes instead of 1400000: it is not the right disk, "
              "or it is damaged.");
    EXPECT_FALSE(fake.files.FileExists("C:\\TEMP\\Mivox10.EXE")) << "no partial archive is left";
    EXPECT_FALSE(fake.files.FileExists("C:\\TEMP\\MVX1.TMP"));
}

TEST_F(JoinTest, CancellingAtTheFirstDiskKeepsAnExistingFile) {
    fake.files.AddFile("C:\\TEMP\\Mivox10.EXE", "the user's own file");
    EXPECT_EQ(Join("C:\\TEMP").status, JoinResult::kCancelled);
    EXPECT_EQ(swapper.asked.size(), 1u);
    ExpectOnly("the user's own file");
}

TEST_F(JoinTest, ADamagedSetKeepsAnExistingFile) {
    fake.files.AddFile("C:\\TEMP\\Mivox10.EXE", "the user's own file");
    swapper.parts[2][0] ^= 1;
    swapper.answers = {1, 2, 3};
    EXPECT_EQ(Join("C:\\TEMP").status, JoinResult::kCorrupt);
    ExpectOnly("the user's own file");
}

TEST_F(JoinTest, ReportsAFolderThatCannotTakeTheArchive) {
    swapper.answers = {1, 2, 3};
    EXPECT_EQ(Join("C:\\NoSuchFolder").status, JoinResult::kWriteFailed);
    EXPECT_TRUE(swapper.asked.empty()) << "no disk is asked for in vain";
    fake.files.AddFile("C:\\TEMP\\Mivox10.EXE", "the user's own file");
    fake.files.driveCapacity['C'] = 2000000;
    const JoinResult result = Join("C:\\TEMP");
    EXPECT_EQ(result.status, JoinResult::kWriteFailed);
    EXPECT_STREQ(result.path, "C:\\TEMP\\MVX1.TMP") << "the file that could not be written";
    ExpectOnly("the user's own file");
}

}  // namespace
}  // namespace mivox
