#include "ArchiveFormat.h"

#include <gtest/gtest.h>

#include "fakes/FakePlatform.h"

namespace mivox::archive {
namespace {

using testing::MemoryFileSystem;

const std::string kStub = "MZ extractor program";

std::vector<PackedFile> SampleFiles() {
    return {{"Setup.exe", std::string("MZ\0setup", 8),
             MemoryFileSystem::PackDateTime(2001, 1, 5, 15, 4, 6)},
            {"APP\\Mivox.EXE", "MZ product", MemoryFileSystem::PackDateTime(2001, 3, 9, 10, 0, 0)},
            {"APP\\Samples\\Calibration\\VX200.CAL", "table", 0},
            {"Misc\\comm.drv", "", MemoryFileSystem::PackDateTime(1998, 5, 11, 12, 0, 0)}};
}

TEST(Archive, UnpacksEveryFileWithItsTimeIntoFolders) {
    testing::FakePlatform fake;
    fake.files.AddDirectory("C:\\TEMP\\Mivox10");
    const std::string program = kStub + Pack(SampleFiles());
    const UnpackResult result = Unpack(fake.files, program, "C:\\TEMP\\Mivox10");
    EXPECT_EQ(result.status, UnpackResult::kUnpacked);
    for (const PackedFile& file : SampleFiles()) {
        const auto* entry = fake.files.Find("C:\\TEMP\\Mivox10\\" + file.path);
        ASSERT_TRUE(entry) << file.path;
        EXPECT_EQ(entry->contents, file.contents);
        EXPECT_EQ(entry->age, file.age);
    }
}

TEST(Archive, FindsNoIndexInAPlainProgramOrADamagedOne) {
    EXPECT_FALSE(ReadIndex(kStub));
    EXPECT_FALSE(ReadIndex(""));
    std::string program = kStub + Pack(SampleFiles());
    ASSERT_TRUE(ReadIndex(program));
    EXPECT_EQ(ReadIndex(program)->size(), 4u);
    std::string damagedIndex = program;
    damagedIndex[damagedIndex.size() - 40] ^= 0x20;
    EXPECT_FALSE(ReadIndex(damagedIndex));
    EXPECT_FALSE(ReadIndex(program.substr(0, program.size() - 1))) << "a cut-off program";
}

TEST(Archive, StopsAtADamagedFile) {
    testing::FakePlatform fake;
    fake.files.AddDirectory("C:\\X");
    std::string program = kStub + Pack(SampleFiles());
    program[kStub.size() + 8 + 2] ^= 1;  // inside APP\Mivox.EXE
    const UnpackResult result = Unpack(fake.files, program, "C:\\X\\");
    EXPECT_EQ(result.status, UnpackResult::kDamaged);
    EXPECT_EQ(result.failedPath, "C:\\X\\APP\\Mivox.EXE");
    EXPECT_FALSE(fake.files.FileExists("C:\\X\\APP\\Mivox.EXE"));
}

TEST(Archive, RefusesPathsThatLeaveTheFolder) {
    for (const char* path :
         {"..\\evil.exe", "APP\\..\\..\\evil.exe", "C:\\evil.exe", "\\evil.exe", "APP\\\\x"}) {
        EXPECT_FALSE(ReadIndex(kStub + Pack({{path, "x", 0}}))) << path;
    }
}

TEST(Archive, ReportsAFolderThatCannotBeWritten) {
    testing::FakePlatform fake;
    fake.files.AddDirectory("C:\\X");
    fake.files.FailOn(MemoryFileSystem::Op::CreateDir, "C:\\X\\APP", 5);
    const UnpackResult result = Unpack(fake.files, kStub + Pack(SampleFiles()), "C:\\X");
    EXPECT_EQ(result.status, UnpackResult::kWriteFailed);
    EXPECT_EQ(result.failedPath, "C:\\X\\APP");
}

}  // namespace
}  // namespace mivox::archive
