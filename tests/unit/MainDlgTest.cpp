#include "app/MainDlg.h"

#include <gtest/gtest.h>

#include "DirPickDlgRes.h"
#include "MainDlgRes.h"
#include "app/Forms.h"
#include "fakes/FakeDialog.h"
#include "fakes/FakePlatform.h"

namespace mivox {
namespace {

using testing::FakeDialog;
using testing::FakeDialogFactory;
using testing::FakePlatform;
using testing::MemoryFileSystem;

class MainDlgTest : public ::testing::Test {
protected:
    // A medium on D: beside D:\SETUP.EXE: the product program and two trees.
    void AddMedium() {
        fake.files.AddFile("D:\\APP\\Mivox.EXE", std::string(1500000, 'x'));
        fake.files.AddFile("D:\\APP\\Mivox.HLP", std::string(600000, 'h'));
        fake.files.AddFile("D:\\APP\\Samples\\SINE.MDF", std::string(400000, 's'));
        fake.files.AddFile("D:\\APP\\Drivers\\MIVOXDRV.INF", std::string(100, 'i'));
        fake.files.AddFile("D:\\APP\\Samples\\Calibration\\VX200.CAL", std::string(10, 'c'));
        fake.files.AddFile("D:\\WinNT\\System32\\MIVOXDRV.SYS", std::string(2000, 'n'));
        fake.files.AddFile("D:\\Win9X\\System\\MIVOX.VXD", std::string(3000, '9'));
        fake.versions.Add("D:\\APP\\Mivox.EXE", 0x0004000A, 0x0000000A);
        NameDirectories();
    }
    // Directories made along with a file carry its path's upper-case key as
    // their name; naming them again, children first, gives them their case.
    void NameDirectories() {
        for (const char* dir : {"D:\\APP\\Samples\\Calibration", "D:\\APP\\Samples",
                                "D:\\APP\\Drivers", "D:\\WinNT\\System32", "D:\\Win9X\\System"}) {
            fake.files.AddDirectory(dir);
        }
    }
    void Open() {
        forms = std::make_unique<Forms>(factory, fake.platform);
        main = factory.Of(IDD_MAIN);
        picker = factory.Of(IDD_DIRPICK);
        main->Show();
    }
    void Record(const std::string& dir, const std::string& version) {
        fake.registry.SetString(kHkeyLocalMachine, "SOFTWARE\\Vexlor\\Mivox", "ProgramDir", dir);
        fake.registry.SetString(kHkeyLocalMachine, "SOFTWARE\\Vexlor\\Mivox", "ProgramVersion",
                                version);
    }
    std::string Text(int id) { return main->Control(id).Text(); }
    TMainDlg& Dlg() { return forms->MainDlg(); }

    FakePlatform fake;
    FakeDialogFactory factory{&fake.loop, &fake.files};
    std::unique_ptr<Forms> forms;
    FakeDialog* main = nullptr;
    FakeDialog* picker = nullptr;
};

TEST_F(MainDlgTest, ShowsTheProductProgramOfTheMedium) {
    fake.system.moduleFileName = "E:\\Mivox CD\\Setup.exe";
    fake.files.AddFile("E:\\Mivox CD\\App\\Mivox.EXE", "MZ",
                       MemoryFileSystem::PackDateTime(2001, 3, 9, 10, 0, 0));
    fake.versions.Add("E:\\Mivox CD\\App\\Mivox.EXE", 0x0004000A, 0x0000000A);
    Open();
    EXPECT_EQ(Text(IDT_MAIN_PRODUCT), "Mivox");
    EXPECT_EQ(Text(IDT_MAIN_VERNUM), "4.10.0.10");
    EXPECT_EQ(Text(IDT_MAIN_VERDATE), "Mar/09/2001");
    EXPECT_TRUE(fake.boxes.shown.empty());
    EXPECT_FALSE(Text(IDE_MAIN_LICENSE).empty());
    EXPECT_EQ(Dlg().SourceRoot(), "E:\\Mivox CD\\");
    EXPECT_EQ(Dlg().WindowsDir(), "C:\\WINDOWS\\");
}

TEST_F(MainDlgTest, ProgramNotNamedSetupLooksInTheWrongPlace) {
    fake.system.moduleFileName = "E:\\Install2.exe";
    fake.files.AddFile("E:\\App\\Mivox.EXE", "MZ");
    Open();
    EXPECT_EQ(Text(IDT_MAIN_VERNUM), "?");
    EXPECT_EQ(Text(IDT_MAIN_VERDATE), "?");
    ASSERT_EQ(fake.boxes.shown.size(), 1u);
    EXPECT_EQ(fake.boxes.shown[0].caption, "FileNotFound");
    EXPECT_EQ(fake.boxes.shown[0].text, "E:\\Install2.exe\\App\\Mivox.EXE");
    EXPECT_TRUE(main->IsVisible()) << "the dialog still opens";
}

TEST_F(MainDlgTest, SetupFolderRemovesOnlyTheProgramName) {
    Open();
    fake.system.moduleFileName = "D:\\setup.EXE";
    EXPECT_EQ(Dlg().SetupFolder(), "D:");
    fake.system.moduleFileName = "C:\\Temp\\Mivox10\\SETUP.EXE";
    EXPECT_EQ(Dlg().SetupFolder(), "C:\\Temp\\Mivox10");
    fake.system.moduleFileName = "C:\\Temp\\Other.exe";
    EXPECT_EQ(Dlg().SetupFolder(), "C:\\Temp\\Other.exe");
}

TEST_F(MainDlgTest, NoEarlierInstallationProposesTheDefaultAndCreatesTheProductKey) {
    Open();
    EXPECT_EQ(Text(IDT_MAIN_PATH), "C:\\");
    EXPECT_EQ(Text(IDE_MAIN_DIR), "Mivox");
    EXPECT_EQ(Text(IDG_MAIN_PATH), "Installation: C:\\Mivox");
    EXPECT_EQ(Dlg().InstallDir(), "C:\\Mivox");
    EXPECT_NE(fake.registry.FindKey(kHkeyLocalMachine, "SOFTWARE\\Vexlor\\Mivox"), nullptr);
}

TEST_F(MainDlgTest, ProposesTheRecordedFolderFromVersionFourOn) {
    struct Case {
        std::string dir, version, path, folder, installDir;
    };
    const Case cases[] = {
        {"D:\\Apps\\Mivox", "4.5", "D:\\Apps\\", "Mivox", "D:\\Apps\\Mivox"},
        {"D:\\Apps\\Mivox", "4.10.0.3", "D:\\Apps\\", "Mivox", "D:\\Apps\\Mivox"},
        // Versions read as their digits run together: 1.0.0.0 counts as 10.
        {"D:\\Old", "1.0.0.0", "D:\\", "Old", "D:\\Old"},
        {"D:\\Old", "0.3.0.0", "C:\\", "Mivox", "C:\\Mivox"},
        {"D:\\Apps\\Mivox", "3.2", "C:\\", "Mivox", "C:\\Mivox"},
        {"D:\\Apps\\Mivox", "", "C:\\", "Mivox", "C:\\Mivox"},
        {"D:\\Apps\\", "4.5", "D:\\Apps\\", "", "D:\\Apps\\"},
        {"Mivox", "4.5", "Mivox", "", "Mivox"},
        {"", "4.5", "C:\\", "Mivox", "C:\\Mivox"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.dir + " " + c.version);
        FakePlatform local;
        local.registry.SetString(kHkeyLocalMachine, "SOFTWARE\\Vexlor\\Mivox", "ProgramDir", c.dir);
        local.registry.SetString(kHkeyLocalMachine, "SOFTWARE\\Vexlor\\Mivox", "ProgramVersion",
                                 c.version);
        FakeDialogFactory localFactory(&local.loop, &local.files);
        Forms localForms(localFactory, local.platform);
        FakeDialog& dialog = *localFactory.Of(IDD_MAIN);
        dialog.Show();
        EXPECT_EQ(dialog.Control(IDT_MAIN_PATH).Text(), c.path);
        EXPECT_EQ(dialog.Control(IDE_MAIN_DIR).Text(), c.folder);
        EXPECT_EQ(localForms.MainDlg().InstallDir(), c.installDir);
        EXPECT_EQ(dialog.Control(IDG_MAIN_PATH).Text(), "Installation: " + c.installDir);
    }
}

TEST_F(MainDlgTest, GroupCaptionFollowsTheFolderBox) {
    Open();
    main->Type(IDE_MAIN_DIR, "Measure");
    EXPECT_EQ(Dlg().InstallDir(), "C:\\Measure");
    EXPECT_EQ(Text(IDG_MAIN_PATH), "Installation: C:\\Measure");
    main->Type(IDE_MAIN_DIR, "");
    EXPECT_EQ(Text(IDG_MAIN_PATH), "Installation: C:\\");
}

TEST_F(MainDlgTest, FreeSpaceIsWholeMegabytesOfTheRootPathsDrive) {
    const std::pair<int64_t, std::string> cases[] = {
        {2999999, "         2"},
        {3000000, "         3"},
        {999999, "         0"},
        {5000000000000, " 5,000,000"},
    };
    for (const auto& [bytes, shown] : cases) {
        fake.files.driveCapacity['C'] = bytes;
        Open();
        EXPECT_EQ(Text(IDT_MAIN_FREE), shown) << bytes;
        EXPECT_EQ(Dlg().FreeMegabytes(), bytes / 1000000);
    }
    fake.files.notReadyDrives.insert('C');
    Open();
    EXPECT_EQ(Text(IDT_MAIN_FREE), "         0") << "an unreadable drive";
}

TEST_F(MainDlgTest, ListsEachTreeBreadthFirstWithItsDestination) {
    fake.files.AddFile("D:\\APP\\Hidden\\SECRET.DAT", std::string(7000000, 'x'));
    fake.files.AddDirectory("D:\\APP\\Hidden", kAttrDirectory | kAttrHidden);
    AddMedium();
    Open();
    EXPECT_EQ(Dlg().SourceDirs(),
              (std::vector<std::string>{"D:\\APP\\", "D:\\APP\\Drivers\\", "D:\\APP\\Samples\\",
                                        "D:\\APP\\Samples\\Calibration\\", "D:\\WinNT\\",
                                        "D:\\WinNT\\System32\\"}));
    EXPECT_EQ(Dlg().DestDirs(),
              (std::vector<std::string>{"C:\\Mivox\\", "C:\\Mivox\\Drivers\\",
                                        "C:\\Mivox\\Samples\\", "C:\\Mivox\\Samples\\Calibration\\",
                                        "C:\\WINDOWS\\", "C:\\WINDOWS\\System32\\"}));
    EXPECT_EQ(Dlg().DirBytes(), (std::vector<int64_t>{2100000, 100, 400000, 10, 0, 2000}));
    EXPECT_EQ(Dlg().TotalBytes(), 2502110);
    EXPECT_EQ(Text(IDT_MAIN_NEED), "         2");
    EXPECT_EQ(fake.loop.cursors, (std::vector<Cursor>{Cursor::kHourglass, Cursor::kDefault}))
        << "the scan runs under the hourglass";
}

TEST_F(MainDlgTest, WindowsNinetyFiveTakesItsOwnTreeAndCountsHiddenFiles) {
    AddMedium();
    fake.system.platformId = kPlatformWin32Windows;
    fake.files.AddFile("D:\\Win9X\\System\\HIDDEN.DRV", std::string(50, 'h'),
                       MemoryFileSystem::PackDateTime(2001, 1, 1, 0, 0, 0),
                       kAttrHidden | kAttrSystem | kAttrReadOnly);
    NameDirectories();
    Open();
    EXPECT_EQ(Dlg().SourceDirs().back(), "D:\\Win9X\\System\\");
    EXPECT_EQ(Dlg().DirBytes().back(), 3050);
}

TEST_F(MainDlgTest, FilesOfTwoGigabytesAndMoreAddUpWithoutOverflow) {
    AddMedium();
    fake.files.AddFile("D:\\APP\\DATA1.BIN");
    fake.files.AddFile("D:\\APP\\DATA2.BIN");
    fake.files.reportedSizes[MemoryFileSystem::Key("D:\\APP\\DATA1.BIN")] = 0x80000000LL;
    fake.files.reportedSizes[MemoryFileSystem::Key("D:\\APP\\DATA2.BIN")] = 5000000000LL;
    Open();
    EXPECT_EQ(Dlg().DirBytes()[0], 2100000 + 0x80000000LL + 5000000000LL);
    EXPECT_EQ(Dlg().TotalBytes(), 2502110 + 0x80000000LL + 5000000000LL);
    EXPECT_EQ(Text(IDT_MAIN_NEED), "     7,149");
}

TEST_F(MainDlgTest, RefusesMoreThanTheDirectoriesItCanCountAndStaysUsable) {
    AddMedium();
    // APP with the 3 directories below it, 996 more and the WinNT tree (2) make 1002.
    for (int i = 0; i < 996; ++i) fake.files.AddDirectory("D:\\APP\\Dir" + std::to_string(i));
    Open();
    ASSERT_EQ(fake.boxes.shown.size(), 1u);
    EXPECT_EQ(fake.boxes.shown[0].caption, "Too Many Directories");
    EXPECT_NE(fake.boxes.shown[0].text.find("more than 1001 directories"), std::string::npos);
    EXPECT_TRUE(Dlg().SourceDirs().empty());
    EXPECT_TRUE(Dlg().DirBytes().empty());
    EXPECT_EQ(Text(IDT_MAIN_NEED), "         0");
    EXPECT_EQ(fake.loop.cursor, Cursor::kDefault);
    main->Type(IDE_MAIN_DIR, "Other");
    EXPECT_EQ(Text(IDG_MAIN_PATH), "Installation: C:\\Other");
}

TEST_F(MainDlgTest, TakesExactlyTheDirectoriesItCanCount) {
    AddMedium();
    for (int i = 0; i < 995; ++i) fake.files.AddDirectory("D:\\APP\\Dir" + std::to_string(i));
    Open();
    EXPECT_TRUE(fake.boxes.shown.empty());
    EXPECT_EQ(Dlg().SourceDirs().size(), TMainDlg::kMaxDirs);
    EXPECT_EQ(Dlg().DirBytes().size(), TMainDlg::kMaxDirs);
    EXPECT_EQ(Dlg().SourceDirs().back(), "D:\\WinNT\\System32\\");
}

TEST_F(MainDlgTest, PickedRootPathRefreshesTheFreeButNotTheRequiredSpace) {
    AddMedium();
    fake.files.AddDirectory("D:\\Programs");
    fake.files.driveCapacity['C'] = 9000000;
    fake.files.driveCapacity['D'] = 40000000;  // less what the medium holds
    Open();
    const std::string need = Text(IDT_MAIN_NEED);
    fake.files.AddFile("D:\\APP\\LATE.DAT", std::string(3000000, 'l'));
    std::string startedAt;
    picker->whileModal = [&](FakeDialog& dlg) {
        startedAt = dlg.Control(IDT_DIRPICK_PATH).Text();
        dlg.SelectDrive(IDC_DIRPICK_DRIVES, 'D');
        dlg.OpenDirectory(IDL_DIRPICK_DIRS, "D:\\Programs");
        dlg.Click(IDB_DIRPICK_OK);
    };
    main->Click(IDB_MAIN_PATH);
    EXPECT_EQ(startedAt, "C:\\");
    EXPECT_EQ(Text(IDT_MAIN_PATH), "D:\\Programs\\");
    EXPECT_EQ(Dlg().InstallDir(), "D:\\Programs\\Mivox");
    EXPECT_EQ(Text(IDG_MAIN_PATH), "Installation: D:\\Programs\\Mivox");
    EXPECT_EQ(Text(IDT_MAIN_FREE), "        34");
    EXPECT_EQ(Text(IDT_MAIN_NEED), need);
}

TEST_F(MainDlgTest, PickerStartsAtCWhenTheRootPathIsGoneAndCancelChangesNothing) {
    Record("Q:\\Gone\\Mivox", "4.5");
    Open();
    std::string startedAt;
    picker->whileModal = [&](FakeDialog& dlg) {
        startedAt = dlg.Control(IDT_DIRPICK_PATH).Text();
        dlg.SelectDrive(IDC_DIRPICK_DRIVES, 'D');
        dlg.Click(IDB_DIRPICK_CANCEL);
    };
    main->Click(IDB_MAIN_PATH);
    EXPECT_EQ(startedAt, "C:\\");
    EXPECT_EQ(Text(IDT_MAIN_PATH), "Q:\\Gone\\");
    EXPECT_EQ(Text(IDG_MAIN_PATH), "Installation: Q:\\Gone\\Mivox");
}

TEST_F(MainDlgTest, DisksIsDisabledOnlyWhenStartedFromACdRom) {
    fake.files.driveTypes['D'] = kDriveCdRom;
    Open();
    EXPECT_FALSE(main->Control(IDB_MAIN_FLOPPY).IsEnabled());

    FakePlatform fixed;
    fixed.system.moduleFileName = "\\\\server\\share\\Setup.exe";
    FakeDialogFactory fixedFactory(&fixed.loop, &fixed.files);
    Forms fixedForms(fixedFactory, fixed.platform);
    EXPECT_TRUE(fixedFactory.Of(IDD_MAIN)->Control(IDB_MAIN_FLOPPY).IsEnabled());
}

TEST_F(MainDlgTest, ButtonsCarryTheirHints) {
    Open();
    EXPECT_EQ(main->Control(IDB_MAIN_INSTALL).hint, "Install Product");
    EXPECT_EQ(main->Control(IDB_MAIN_FLOPPY).hint, "Create Floppy Disk Set");
    EXPECT_EQ(main->Control(IDB_MAIN_EXIT).hint, "Abort Setup");
}

TEST_F(MainDlgTest, SpaceFiguresAreGroupedInTenPlaces) {
    fake.files.driveCapacity['C'] = 1234567890123;
    Open();
    EXPECT_EQ(Text(IDT_MAIN_NEED), "         0");
    EXPECT_EQ(Text(IDT_MAIN_FREE), " 1,234,567");
}

TEST_F(MainDlgTest, ExitClosesTheDialog) {
    Open();
    main->Click(IDB_MAIN_EXIT);
    EXPECT_FALSE(main->IsVisible());
    EXPECT_EQ(main->closeCount, 1);
    EXPECT_EQ(main->Result(), kIdCancel);
}

}  // namespace
}  // namespace mivox
