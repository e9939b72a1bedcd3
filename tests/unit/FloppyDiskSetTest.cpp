#include "floppy/FloppyDiskSet.h"

#include <gtest/gtest.h>

#include "fakes/FakeDialog.h"
#include "fakes/FakePlatform.h"
#include "floppy/Crc32.h"
#include "floppy/DiskSetJoiner.h"
#include "floppy/InstallIni.h"
#include "util/Errors.h"

namespace mivox {
namespace {

using testing::FakePlatform;
using testing::MemoryFileSystem;

constexpr int64_t kFloppyBytes = 1457664;

class FloppyDiskSetTest : public ::testing::Test {
protected:
    void SetUp() override {
        fake.files.AddFile("D:\\Misc\\Install.Exe", "MZ joiner",
                           MemoryFileSystem::PackDateTime(2001, 2, 3, 4, 5, 6));
        fake.files.AddFile("D:\\App\\Mivox.EXE", "MZ product",
                           MemoryFileSystem::PackDateTime(2001, 1, 5, 15, 4, 6));
        fake.versions.Add("D:\\App\\Mivox.EXE", 0x0004000A, 0x0000000A);
        fake.files.driveCapacity['A'] = kFloppyBytes;
        fake.files.AddDirectory("A:\\");
        // Each time the user is asked for a disk, what the last one holds is
        // kept and a fresh disk goes in, holding some old file.
        fake.boxes.whileShown = [this](const testing::FakeMessageBoxes::Box& box) {
            if (box.caption != "Insert Disk into Drive A:") return;
            TakeOutDisk();
            fake.files.AddFile("A:\\OLD\\DEEP\\old.txt", "old", 0, kAttrReadOnly | kAttrHidden);
        };
    }

    void TakeOutDisk() {
        std::map<std::string, std::string> disk;
        for (const std::string& path : fake.files.List()) {
            const auto* entry = fake.files.Find(path);
            if (path.rfind("A:\\", 0) == 0 && !entry->directory) disk[path] = entry->contents;
        }
        if (!disk.empty()) disks.push_back(disk);
    }

    std::string MakeArchive(size_t size) {
        std::string archive(size, '\0');
        for (size_t i = 0; i < size; ++i) archive[i] = static_cast<char>(i * 7 + i / 251);
        fake.files.AddFile("C:\\Temp\\Mivox10.EXE", archive);
        return archive;
    }

    std::vector<std::string> Captions() const {
        std::vector<std::string> captions;
        for (const auto& box : fake.boxes.shown) captions.push_back(box.caption);
        return captions;
    }

    FakePlatform fake;
    FloppySetSource source{"D:", "Mivox", "4.10.0.10"};
    testing::FakeDialog mainDialog;
    std::vector<std::map<std::string, std::string>> disks;
};

TEST_F(FloppyDiskSetTest, CutsTheArchiveOntoNumberedDisks) {
    const std::string archive = MakeArchive(2800001);
    fake.processes.programs = {{4, "C:\\WINDOWS\\explorer.exe"}, {8, "C:\\Temp\\Mivox10.EXE"}};
    fake.boxes.answers = {kIdYes};
    RunFloppyDiskSet(fake.platform, source, mainDialog);
    TakeOutDisk();

    EXPECT_EQ(fake.boxes.shown[0].text, "3 disks will be required for Drive A:");
    EXPECT_EQ(fake.boxes.shown[0].caption, "Create Floppy Disk Set ?");
    EXPECT_EQ(fake.boxes.shown[0].owner, &mainDialog) << "the main dialog owns the count question";
    EXPECT_EQ(fake.boxes.shown[1].owner, nullptr) << "the disk prompts have no owner";
    EXPECT_EQ(fake.boxes.shown[1].text, "Creating Disk 1 of 3");
    EXPECT_EQ(fake.boxes.shown[3].text, "Creating Disk 3 of 3");
    EXPECT_EQ(fake.boxes.shown.back().caption, "Floppy Disk Set Completed");
    EXPECT_EQ(fake.boxes.shown.back().text, "Remove the last disk from Drive A:");
    ASSERT_EQ(disks.size(), 3u);
    EXPECT_EQ(disks[0].size(), 3u) << "Install.Exe, Install.Ini and the part; the old file wiped";
    EXPECT_EQ(disks[0]["A:\\MIVOX10.001"], archive.substr(0, 1400000));
    EXPECT_EQ(disks[0]["A:\\INSTALL.EXE"], "MZ joiner");
    EXPECT_EQ(disks[1], (std::map<std::string, std::string>{
                            {"A:\\MIVOX10.002", archive.substr(1400000, 1400000)}}));
    EXPECT_EQ(disks[2],
              (std::map<std::string, std::string>{{"A:\\MIVOX10.003", archive.substr(2800000)}}))
        << "the last disk holds the one byte left";

    const std::string& text = disks[0]["A:\\INSTALL.INI"];
    EXPECT_NE(text.find("FileVersion=4.10.0.10\r\nFileVerDate=Jan/05/2001\r\n"
                        "FileVerTime=03:04:06pm\r\n"),
              std::string::npos);
    DiskSetSpec spec;  // as the joiner reads it
    ASSERT_EQ(ReadDiskSetSpec(text.data(), text.size(), spec), nullptr);
    EXPECT_STREQ(spec.fileExeName, "Mivox10.EXE");
    EXPECT_EQ(spec.fileByteCnt, 2800001);
    EXPECT_EQ(spec.filePartCnt, 3);
    EXPECT_EQ(spec.fileCodeCrc, StreamCrc32(archive));
    EXPECT_EQ(fake.processes.openHandles, 0) << "every process handle is closed";
}

TEST_F(FloppyDiskSetTest, CancelOrADriveWithoutDiskEndsTheRunQuietly) {
    MakeArchive(1500000);
    fake.processes.programs = {{8, "C:\\Temp\\MIVOX10.exe"}};
    fake.boxes.answers = {kIdYes, kIdOk, kIdCancel};
    RunFloppyDiskSet(fake.platform, source, mainDialog);
    EXPECT_EQ(Captions(),
              (std::vector<std::string>{"Create Floppy Disk Set ?",
                                        "Insert Disk into Drive A:", "Insert Disk into Drive A:"}));

    fake.boxes.shown.clear();
    fake.files.notReadyDrives = {'A'};
    fake.boxes.answers = {kIdYes, kIdOk};
    RunFloppyDiskSet(fake.platform, source, mainDialog);
    EXPECT_EQ(Captions(),
              (std::vector<std::string>{"Create Floppy Disk Set ?", "Insert Disk into Drive A:"}));
}

TEST_F(FloppyDiskSetTest, RefusesADiskTooSmallForAWholePartAndAsksAgain) {
    MakeArchive(100);
    fake.processes.programs = {{8, "C:\\Temp\\Mivox10.EXE"}};
    fake.files.driveCapacity['A'] = 1399999;
    fake.boxes.answers = {kIdYes, kIdOk, kIdOk, kIdCancel};
    RunFloppyDiskSet(fake.platform, source, mainDialog);
    EXPECT_EQ(Captions(),
              (std::vector<std::string>{"Create Floppy Disk Set ?", "Insert Disk into Drive A:",
                                        "Not Enough Disk Space", "Insert Disk into Drive A:"}));
    EXPECT_EQ(fake.boxes.shown[2].text, "  1400000\r Bytes Needed");
    EXPECT_EQ(fake.boxes.shown[3].text, "Creating Disk 1 of 1") << "the same disk again";
}

TEST_F(FloppyDiskSetTest, AnEmptyArchiveNeedsNoDisk) {
    MakeArchive(0);
    fake.processes.programs = {{8, "C:\\Temp\\Mivox10.EXE"}};
    fake.boxes.answers = {kIdYes};
    RunFloppyDiskSet(fake.platform, source, mainDialog);
    EXPECT_EQ(fake.boxes.shown[0].text, "0 disks will be required for Drive A:");
    EXPECT_EQ(Captions(),
              (std::vector<std::string>{"Create Floppy Disk Set ?", "Floppy Disk Set Completed"}));
}

TEST_F(FloppyDiskSetTest, AMissingProductProgramGivesQuestionMarksInInstallIni) {
    MakeArchive(10);
    fake.files.Delete("D:\\App\\Mivox.EXE");
    WriteInstallIni(fake.platform, source, "C:\\Temp\\Mivox10.EXE", 10, 1, 0x1234);
    const std::string text = fake.files.Find("A:\\Install.Ini")->contents;
    EXPECT_NE(text.find("FileVersion=?\r\nFileVerDate=?\r\nFileVerTime=?\r\n"), std::string::npos);
    EXPECT_NE(text.find("FileCodeCRC=00001234\r\n"), std::string::npos);
    EXPECT_EQ(Captions(), (std::vector<std::string>{"FileNotFound", "FileNotFound"}));
}

TEST_F(FloppyDiskSetTest, AskForTheArchiveWhenItIsNotRunning) {
    MakeArchive(10);
    fake.processes.programs = {{4, "C:\\WINDOWS\\explorer.exe"}};
    RunFloppyDiskSet(fake.platform, source, mainDialog);  // the user cancels the open dialog
    ASSERT_EQ(fake.commonDialogs.asked.size(), 1u);
    EXPECT_EQ(fake.commonDialogs.asked[0].title, "Locate the Archive Program");
    EXPECT_EQ(fake.commonDialogs.asked[0].filter, "Program Files|*.exe");
    EXPECT_EQ(fake.commonDialogs.asked[0].fileName, "Mivox10.EXE");
    EXPECT_TRUE(fake.boxes.shown.empty());

    fake.commonDialogs.chosenPath = "C:\\Temp\\Other.exe";
    RunFloppyDiskSet(fake.platform, source, mainDialog);
    ASSERT_EQ(fake.boxes.shown.size(), 1u);
    EXPECT_EQ(fake.boxes.shown[0].caption, "Please select the correct file");
    EXPECT_EQ(fake.boxes.shown[0].text, "Mivox10.EXE");

    fake.commonDialogs.chosenPath = "c:\\temp\\mivox10.exe";
    fake.boxes.answers = {kIdNo};
    RunFloppyDiskSet(fake.platform, source, mainDialog);
    EXPECT_EQ(fake.boxes.shown.back().text, "1 disks will be required for Drive A:");
}

TEST_F(FloppyDiskSetTest, FindsTheRunningArchiveOnBothPlatforms) {
    fake.processes.programs = {
        {0, "C:\\Mivox10.EXE"}, {3, "C:\\Secret\\Mivox10.EXE"}, {5, "C:\\Temp\\mivox10.exe"}};
    fake.processes.protectedProcesses = {3};
    EXPECT_EQ(FindRunningArchive(fake.platform, "D:", "Mivox10.EXE"), "C:\\Temp\\mivox10.exe");
    EXPECT_EQ(fake.processes.loadedFrom.back(), "D:\\Misc\\PSAPI.DLL");
    EXPECT_TRUE(fake.processes.openedWithOtherAccess.empty());
    EXPECT_EQ(fake.processes.openHandles, 0);
    fake.processes.libraryLoads = false;
    EXPECT_EQ(FindRunningArchive(fake.platform, "D:", "Mivox10.EXE"), "");

    fake.system.platformId = kPlatformWin32Windows;
    EXPECT_EQ(FindRunningArchive(fake.platform, "D:", "MIVOX10.EXE"), "C:\\Mivox10.EXE");
    fake.processes.snapshotWorks = false;
    fake.system.lastError = 8;
    EXPECT_EQ(FindRunningArchive(fake.platform, "D:", "Mivox10.EXE"), "");
    ASSERT_EQ(fake.boxes.shown.size(), 1u);
    EXPECT_EQ(fake.boxes.shown[0].caption, "WinAPI Error Code=8");
}

TEST_F(FloppyDiskSetTest, ADiskThatFillsUpEndsTheRunWithAnError) {
    MakeArchive(1400000);
    fake.files.driveCapacity['A'] = 1400000;  // room for the part, not for Install.Exe too
    fake.processes.programs = {{8, "C:\\Temp\\Mivox10.EXE"}};
    fake.boxes.answers = {kIdYes, kIdOk};
    EXPECT_THROW(RunFloppyDiskSet(fake.platform, source, mainDialog), IoError);
    EXPECT_NE(Captions().back(), "Floppy Disk Set Completed");
}

}  // namespace
}  // namespace mivox
