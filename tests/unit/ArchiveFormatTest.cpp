#include "ArchiveFormat.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "fakes/FakePlatform.h"
#include "util/SafeFileName.h"
#include "util/TextUtil.h"

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

// Reads and unpacks as the archive program does; the problem when refused.
std::string UnpackAll(testing::FakePlatform& fake, const std::string& program,
                      const std::string& folder, UnpackResult* result = nullptr) {
    std::string problem;
    const auto index = ReadArchive(program, problem);
    if (!index) return problem;
    const UnpackResult unpacked = Unpack(fake.files, program, *index, folder);
    if (result) *result = unpacked;
    return problem;
}

TEST(Archive, UnpacksEveryFileWithItsTimeIntoFolders) {
    testing::FakePlatform fake;
    fake.files.AddDirectory("C:\\TEMP\\Mivox10");
    UnpackResult result;
    EXPECT_EQ(UnpackAll(fake, kStub + Pack(SampleFiles()), "C:\\TEMP\\Mivox10", &result), "");
    EXPECT_EQ(result.status, UnpackResult::kUnpacked);
    for (const PackedFile& file : SampleFiles()) {
        const auto* entry = fake.files.Find("C:\\TEMP\\Mivox10\\" + file.path);
        ASSERT_TRUE(entry) << file.path;
        EXPECT_EQ(entry->contents, file.contents);
        EXPECT_EQ(entry->age, file.age);
    }
}

TEST(Archive, FindsNoArchiveInAPlainProgramOrADamagedOne) {
    std::string problem;
    EXPECT_FALSE(ReadArchive(kStub, problem));
    EXPECT_EQ(problem, "it holds no installation files");
    EXPECT_FALSE(ReadArchive("", problem));
    std::string program = kStub + Pack(SampleFiles());
    ASSERT_TRUE(ReadArchive(program, problem));
    EXPECT_EQ(ReadArchive(program, problem)->size(), 4u);
    std::string damagedIndex = program;
    damagedIndex[damagedIndex.size() - 40] ^= 0x20;
    EXPECT_FALSE(ReadArchive(damagedIndex, problem));
    EXPECT_EQ(problem, "its list of files is damaged");
    EXPECT_FALSE(ReadArchive(program.substr(0, program.size() - 1), problem)) << "cut off";
}

TEST(Archive, ADamagedLastFileWritesNothing) {
    testing::FakePlatform fake;
    fake.files.AddDirectory("C:\\X");
    std::vector<PackedFile> files = SampleFiles();
    files.push_back({"Misc\\last.txt", "the last file", 0});
    std::string program = kStub + Pack(files);
    program[program.find("the last file") + 4] ^= 1;
    EXPECT_EQ(UnpackAll(fake, program, "C:\\X\\"),
              "\"Misc\\last.txt\" does not match its checksum");
    EXPECT_EQ(fake.files.FindEntries("C:\\X\\*.*").size(), 2u) << "only . and ..: nothing written";
}

TEST(SafeFileName, OnlyPlainPathsInsideTheFolderPass) {
    for (const char* path :
         {"Setup.exe", "APP\\Samples\\x.MDF", "APP/Samples/x.MDF", "a b.txt", "CONSOLE.TXT",
          "COM10", "LPT0.txt", "con1", ".profile", "x..y", "Read me", "\xE9t\xE9.txt"}) {
        EXPECT_TRUE(IsSafeRelativePath(path, std::strlen(path))) << path;
    }
    for (const char* path : {"",
                             "..",
                             ".",
                             "..\\evil.exe",
                             "APP\\..\\..\\evil.exe",
                             "APP/../../evil.exe",
                             "C:\\evil.exe",
                             "C:evil.exe",
                             "\\evil.exe",
                             "/evil.exe",
                             "\\\\server\\share\\x",
                             "APP\\\\x",
                             "APP\\",
                             "file.txt:stream",
                             "file.txt::$DATA",
                             "CON",
                             "con.txt",
                             "PRN",
                             "AUX.dat",
                             "NUL",
                             "nul.tar.gz",
                             "COM1",
                             "com9.log",
                             "LPT1",
                             "lpt9.txt",
                             "COM1 .txt",
                             "APP\\CON\\x.txt",
                             "name.",
                             "name ",
                             "dir.\\x",
                             "a\tb",
                             "a\nb",
                             "a\x7F",
                             "a<b",
                             "a>b",
                             "a\"b",
                             "a|b",
                             "a?b",
                             "a*b"}) {
        EXPECT_FALSE(IsSafeRelativePath(path, std::strlen(path))) << path;
    }
}

TEST(Archive, RefusesPathsThatLeaveTheFolderOrCollide) {
    testing::FakePlatform fake;
    fake.files.AddDirectory("C:\\X");
    const std::vector<std::pair<std::vector<PackedFile>, std::string>> cases = {
        {{{"..\\evil.exe", "x", 0}},
         "it names the file \"..\\evil.exe\", which is not a plain path inside the folder it is "
         "unpacked to"},
        {{{"ok.txt", "x", 0}, {"APP/../../evil.exe", "x", 0}},
         "it names the file \"APP/../../evil.exe\", which is not a plain path inside the folder "
         "it is unpacked to"},
        {{{"bell\a.txt", "x", 0}},
         "it names the file \"bell?.txt\", which is not a plain path inside the folder it is "
         "unpacked to"},
        {{{"APP\\x.txt", "x", 0}, {"app/X.TXT", "y", 0}},
         "it names the file \"app\\X.TXT\" twice or also as a folder"},
        {{{"APP\\x", "x", 0}, {"APP\\x\\y", "y", 0}},
         "it names the file \"APP\\x\\y\" twice or also as a folder"},
        {{{"APP\\x\\y", "y", 0}, {"app\\X", "x", 0}},
         "it names the file \"app\\X\" twice or also as a folder"},
    };
    for (const auto& [files, problem] : cases) {
        EXPECT_EQ(UnpackAll(fake, kStub + Pack(files), "C:\\X"), problem);
    }
    EXPECT_EQ(fake.files.FindEntries("C:\\X\\*.*").size(), 2u) << "nothing written";
    UnpackResult result;
    EXPECT_EQ(UnpackAll(fake, kStub + Pack({{"APP/Sub/x.txt", "x", 0}}), "C:\\X", &result), "");
    EXPECT_TRUE(fake.files.FileExists("C:\\X\\APP\\Sub\\x.txt")) << "\"/\" separates folders";
}

TEST(Archive, ListsTheFilesItWouldReplace) {
    testing::FakePlatform fake;
    fake.files.AddFile("C:\\X\\Setup.exe", "older");
    fake.files.AddFile("C:\\X\\APP\\Mivox.EXE", "older");
    fake.files.AddFile("C:\\X\\APP\\other.txt", "not in the archive");
    std::string problem;
    const auto index = ReadArchive(kStub + Pack(SampleFiles()), problem);
    ASSERT_TRUE(index);
    EXPECT_EQ(ExistingFiles(fake.files, *index, "C:\\X"),
              (std::vector<std::string>{"C:\\X\\Setup.exe", "C:\\X\\APP\\Mivox.EXE"}));
}

TEST(Archive, NamesEverythingInAFolderThatUnpackingWouldNotPutThere) {
    testing::FakePlatform fake;
    fake.files.AddFile("C:\\X\\setup.EXE", "older: the archive's own, whatever its case");
    fake.files.AddFile("C:\\X\\APP\\Samples\\Calibration\\VX200.CAL", "older");
    fake.files.AddFile("C:\\X\\VERSION.DLL", "left by another program");
    fake.files.AddFile("C:\\X\\APP\\uxtheme.dll", "left by another program");
    fake.files.AddFile("C:\\X\\Other\\inside.dll", "not looked at: its folder is named");
    fake.files.AddDirectory("C:\\X\\Misc\\Empty");
    std::string problem;
    const auto index = ReadArchive(kStub + Pack(SampleFiles()), problem);
    ASSERT_TRUE(index);
    // (the double keeps the folders it makes for a file in capitals)
    std::vector<std::string> foreign;
    for (const std::string& path : ForeignEntries(fake.files, *index, "C:\\X"))
        foreign.push_back(UpperText(path));
    std::sort(foreign.begin(), foreign.end());
    EXPECT_EQ(foreign, (std::vector<std::string>{"C:\\X\\APP\\UXTHEME.DLL", "C:\\X\\MISC\\EMPTY",
                                                 "C:\\X\\OTHER", "C:\\X\\VERSION.DLL"}));
    fake.files.AddDirectory("C:\\Y");
    EXPECT_TRUE(ForeignEntries(fake.files, *index, "C:\\Y\\").empty());
}

TEST(Archive, RemovesAnUnpackedFolderWhole) {
    testing::FakePlatform fake;
    fake.files.AddDirectory("C:\\TEMP\\Mivox10.1");
    std::string problem;
    ASSERT_EQ(UnpackAll(fake, kStub + Pack(SampleFiles()), "C:\\TEMP\\Mivox10.1"), "");
    fake.files.AddFile("C:\\TEMP\\Mivox10.1\\APP\\SETUP.LOG", "written by Setup",
                       MemoryFileSystem::PackDateTime(2001, 1, 5, 15, 4, 6), kAttrReadOnly);
    EXPECT_TRUE(RemoveTree(fake.files, "C:\\TEMP\\Mivox10.1"));
    EXPECT_FALSE(fake.files.DirectoryExists("C:\\TEMP\\Mivox10.1"));
    EXPECT_TRUE(fake.files.DirectoryExists("C:\\TEMP"));
}

TEST(Archive, ReportsWhatCannotBeWrittenWithTheSystemsReason) {
    testing::FakePlatform fake;
    fake.files.AddDirectory("C:\\X");
    fake.files.FailOn(MemoryFileSystem::Op::CreateDir, "C:\\X\\APP", 5);
    UnpackResult result;
    EXPECT_EQ(UnpackAll(fake, kStub + Pack(SampleFiles()), "C:\\X", &result), "");
    EXPECT_EQ(result.status, UnpackResult::kWriteFailed);
    EXPECT_EQ(result.failedPath, "C:\\X\\APP");
    EXPECT_EQ(result.error, 5u);

    fake.files.ClearFailures();
    fake.files.FailOn(MemoryFileSystem::Op::Write, "C:\\X\\APP\\Mivox.EXE", kErrorDiskFull);
    EXPECT_EQ(UnpackAll(fake, kStub + Pack(SampleFiles()), "C:\\X", &result), "");
    EXPECT_EQ(result.failedPath, "C:\\X\\APP\\Mivox.EXE");
    EXPECT_EQ(result.error, kErrorDiskFull);
}

}  // namespace
}  // namespace mivox::archive
