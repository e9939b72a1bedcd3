#include "install/InstallSequence.h"

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <stdexcept>

#include "CopyMeterDlgRes.h"
#include "InfoBoxDlgRes.h"
#include "MainDlgRes.h"
#include "NtRightsDlgRes.h"
#include "TxtViewerDlgRes.h"
#include "YesNoDlgRes.h"
#include "app/Forms.h"
#include "fakes/FakeDialog.h"
#include "fakes/FakePlatform.h"
#include "fakes/InstallMedium.h"
#include "install/InstallLog.h"
#include "install/Shortcuts.h"
#include "registry/RegStuff.h"

namespace mivox {
namespace {

using testing::FakeDialog;
using testing::FakeDialogFactory;
using testing::FakePlatform;
using testing::MemoryFileSystem;

constexpr int64_t kGiB = int64_t{1} << 30;

// One installer on its own fake machine; table-driven tests make several.
struct Installer {
    // A medium on D: with files in mixed case, a Windows directory, the
    // shell's program and desktop folders, and 100 MB free on C:.
    Installer() {
        AddInstallMedium(fake);
        fake.files.AddFile("D:\\APP\\Samples\\sine.mdf", "sine");
        fake.files.AddFile("D:\\Misc\\comm.drv", "good driver",
                           MemoryFileSystem::PackDateTime(1992, 10, 3, 3, 10, 0));
        for (const char* dir :
             {"D:\\APP\\Samples", "D:\\WinNT\\System32", "D:\\Win9X\\System",
              "C:\\Users\\ann\\Start Menu\\Programs", "C:\\Users\\ann\\Desktop"}) {
            fake.files.AddDirectory(dir);
        }
        Folder(kHkeyCurrentUser, "Programs", "C:\\Users\\ann\\Start Menu\\Programs");
        Folder(kHkeyCurrentUser, "Desktop", "C:\\Users\\ann\\Desktop");
    }
    void Folder(uint32_t root, const char* name, const char* path) {
        fake.registry.SetString(root, kShellFoldersKey, name, path);
    }

    // Opens the installer and records what the user meets: each question
    // (answered from answers, No when they run out), box and modal dialog.
    void Open() {
        forms = std::make_unique<Forms>(factory, fake.platform);
        main = factory.Of(IDD_MAIN);
        meter = factory.Of(IDD_COPYMETER);
        factory.Of(IDD_YESNO)->whileModal = [this](FakeDialog& box) {
            trace.push_back("ask " + box.Control(IDT_YESNO_TOP).Text() + " | " +
                            box.Control(IDT_YESNO_BOT).Text());
            const bool yes = !answers.empty() && answers.front();
            if (!answers.empty()) answers.pop_front();
            box.Click(yes ? IDB_YESNO_YES : IDB_YESNO_NO);
        };
        fake.boxes.whileShown = [this](const auto& box) { trace.push_back("box " + box.caption); };
        factory.Of(IDD_NTRIGHTS)->whileModal = [this](FakeDialog&) { trace.push_back("rights"); };
        factory.Of(IDD_TXTVIEWER)->whileModal = [this](FakeDialog&) {
            trace.push_back("view " + forms->TxtViewerDlg().FileName);
        };
        // The registration dialog is the sixth window the program makes.
        factory.made.at(5).dialog->whileModal = [this](FakeDialog&) {
            trace.push_back("register " + forms->ProdRegDlg().ProdVersion + " " +
                            forms->ProdRegDlg().AppDir);
        };
        main->Show();
    }
    void Install(std::deque<bool> given) {
        answers = std::move(given);
        main->Click(IDB_MAIN_INSTALL);
    }
    std::string Log() {
        const auto* log = fake.files.Find("C:\\Mivox\\Install.Log");
        return log ? log->contents : "(none)";
    }
    std::string Value(const std::string& key, const std::string& name) {
        const auto* value = fake.registry.FindValue(kHkeyLocalMachine, key, name);
        return value ? value->data : "(none)";
    }
    std::string Name(const std::string& path) {
        const auto* entry = fake.files.Find(path);
        return entry ? entry->name : "(none)";
    }

    FakePlatform fake;
    FakeDialogFactory factory{&fake.loop, &fake.files};
    std::unique_ptr<Forms> forms;
    FakeDialog* main = nullptr;
    FakeDialog* meter = nullptr;
    std::deque<bool> answers;
    std::vector<std::string> trace;
};

class InstallSequenceTest : public ::testing::Test, protected Installer {};

const std::string kNtLogStart =
    "*** Installation Started: Jan  5, 2001  Fri  3:04 pm ***\r\n"
    "Title: Mivox\r\n"
    "File Tree: C:\\Mivox\\*.*\r\n"
    "RegDB Root: 0\r\n"
    "RegDB TREE: SOFTWARE\\Vexlor\\Mivox\r\n"
    "RegDB Root: 2\r\n"
    "RegDB TREE: SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Mivox.EXE\r\n"
    "RegDB Root: 2\r\n"
    "RegDB TREE: SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Mivox\r\n"
    "RegDB Root: 2\r\n"
    "RegDB TREE: SYSTEM\\CurrentControlSet\\Services\\Mivox_NT\r\n"
    "RegDB Root: 2\r\n"
    "VDD Entry: Mivox_VM.DLL\r\n";

TEST_F(InstallSequenceTest, NtInstallationAsksInOrderAndLeavesFilesKeysLinksAndLog) {
    Open();
    Install({true, false, true, true, false});
    EXPECT_EQ(trace, (std::vector<std::string>{
                         "ask Ready to begin installation: C:\\Mivox | Continue ?",
                         "ask Do you have an MDF Mic floppy, place it in Drive A: | "
                         "Copy MDF from A:\\ to C:\\Mivox\\MDF ?",
                         "ask Shortcuts for All Users or Current User | Install for All Users ?",
                         "ask Product Group Shortcut Folder | "
                         "Do you wish a copy placed on your Desktop ?",
                         "register 4.10.0.3 C:\\Mivox\\",
                         "view C:\\Mivox\\RELEASE.TXT",
                         "view C:\\Mivox\\README.TXT",
                         "ask The system must Reboot to complete the installation. | "
                         "Shutdown/Reboot the system now ?",
                     }));
    EXPECT_FALSE(main->IsVisible());
    EXPECT_TRUE(fake.shell.exitRequests.empty());

    EXPECT_EQ(Name("C:\\Mivox\\README.TXT"), "README.TXT");
    EXPECT_EQ(Name("C:\\Mivox\\Samples"), "Samples");
    EXPECT_EQ(Name("C:\\Mivox\\Samples\\SINE.MDF"), "SINE.MDF");
    EXPECT_EQ(fake.files.Find("C:\\Mivox\\MIVOX.EXE")->contents.size(), 1500000u);
    EXPECT_EQ(Name("C:\\WINDOWS\\System32\\MIVOXDRV.SYS"), "MIVOXDRV.SYS");
    EXPECT_EQ(fake.files.Find("C:\\WINDOWS\\System\\MIVOX.VXD"), nullptr);

    EXPECT_EQ(Log(), kNtLogStart +
                         "Made Dir: C:\\All\\Programs\\Vexlor\r\n"
                         "File Tree: C:\\All\\Programs\\Vexlor\\Mivox\\*.*\r\n"
                         "File Tree: C:\\All\\Desktop\\Mivox\\*.*\r\n");
    EXPECT_EQ(Value(kProductKey, "ProgramDir"), std::string("C:\\Mivox\0", 9));
    EXPECT_EQ(Value(kProductKey, "ProgramVersion"), std::string("4.10.0.3\0", 9));
    EXPECT_EQ(Value(kUninstallKey, "UninstallString"),
              std::string("C:\\WINDOWS\\UNWISE.EXE C:\\Mivox\\Install.Log\0", 43));
    EXPECT_EQ(Value(kDriverServiceKey, "Group"), std::string("VEXLOR Drivers\0", 15));
    EXPECT_EQ(Value(kVddKey, "VDD"), "(none)");  // the key is opened, never created

    ASSERT_EQ(fake.shell.links.size(), 10u);
    const char* names[] = {"Application", "Help", "Readme", "Release", "Uninstall"};
    for (size_t i = 0; i < 10; ++i) {
        const std::string folder =
            i < 5 ? "C:\\All\\Programs\\Vexlor\\Mivox" : "C:\\All\\Desktop\\Mivox";
        EXPECT_EQ(fake.shell.links[i].file, folder + "\\Mivox " + names[i % 5] + ".lnk");
    }
    EXPECT_EQ(fake.shell.links[0].path, "C:\\Mivox\\Mivox.EXE");
    EXPECT_EQ(fake.shell.links[0].workingDirectory, "C:\\Mivox");
    EXPECT_EQ(fake.shell.links[4].path, "C:\\WINDOWS\\UNWISE.EXE");
    EXPECT_EQ(fake.shell.links[4].arguments, "C:\\Mivox\\Install.Log");
    EXPECT_EQ(fake.shell.links[4].workingDirectory, "C:\\WINDOWS");
}

TEST_F(InstallSequenceTest, CurrentUserWithoutDesktopCopyWritesTwelveLines) {
    std::unique_ptr<RegistryKey> vdd;
    ASSERT_EQ(fake.registry.CreateKey(kHkeyLocalMachine, kVddKey, kKeyAllAccess, vdd), 0);
    vdd.reset();
    Open();
    Install({true, false, false, false, false});
    EXPECT_EQ(Log(), kNtLogStart +
                         "Made Dir: C:\\Users\\ann\\Start Menu\\Programs\\Vexlor\r\n"
                         "File Tree: C:\\Users\\ann\\Start Menu\\Programs\\Vexlor\\Mivox"
                         "\\*.*\r\n");
    EXPECT_EQ(fake.shell.links.size(), 5u);
    EXPECT_EQ(Value(kVddKey, "VDD"), std::string("Mivox_VM.DLL\0\0", 14));
    EXPECT_FALSE(main->IsVisible());
}

// The folders made for a new nested destination follow its tree line, and
// the list beside the log names each file put into the product folder with
// its size, the Windows folder's aside.
TEST_F(InstallSequenceTest, ANestedFolderIsLoggedWithTheParentsMadeAndItsFilesListed) {
    fake.files.AddDirectory("C:\\Lab");
    fake.files.AddFile("A:\\mic1.mdf", "mic");
    Open();
    main->Type(IDE_MAIN_DIR, "Lab\\Tools\\Mivox");
    Install({true, true, false, false, false});
    const auto* log = fake.files.Find("C:\\Lab\\Tools\\Mivox\\Install.Log");
    ASSERT_NE(log, nullptr);
    EXPECT_NE(log->contents.find("File Tree: C:\\Lab\\Tools\\Mivox\\*.*\r\n"
                                 "Made Dir: C:\\Lab\\Tools\r\n"
                                 "RegDB Root: 0\r\n"),
              std::string::npos)
        << log->contents;
    const auto* list = fake.files.Find("C:\\Lab\\Tools\\Mivox\\Install.Lst");
    ASSERT_NE(list, nullptr);
    const std::string time = " " + std::to_string(MemoryFileSystem::FileTimeOf(
                                       MemoryFileSystem::PackDateTime(2001, 1, 5, 15, 4, 6))) +
                             " ";
    // After its header line, the files with their size and UTC time.
    EXPECT_EQ(list->contents.substr(list->contents.find("\r\n") + 2), "1500000" + time +
                                  "MIVOX.EXE\r\n4" + time + "MIVOX.HLP\r\n7" + time +
                                  "README.TXT\r\n8" + time + "RELEASE.TXT\r\n4" + time +
                                  "Samples\\SINE.MDF\r\n3" + time + "MDF\\mic1.mdf\r\n");
}

TEST_F(InstallSequenceTest, Win98SkipsDriverRecordsAndOffersTheGoodCommDriver) {
    fake.system.platformId = kPlatformWin32Windows;
    fake.files.AddFile("C:\\WINDOWS\\System\\Comm.drv", "suspect",
                       MemoryFileSystem::PackDateTime(1998, 5, 11, 12, 0, 0));
    fake.boxes.answers = {kIdOk, kIdOk};
    fake.files.AddFile("A:\\mic1.mdf", "mic");
    Open();
    Install({true, true, false, false, true});
    EXPECT_EQ(fake.files.Find("C:\\Mivox\\MDF\\mic1.mdf")->contents, "mic");
    EXPECT_EQ(std::vector<std::string>(trace.begin() + 1, trace.end()),
              (std::vector<std::string>{
                  "ask Do you have an MDF Mic floppy, place it in Drive A: | "
                  "Copy MDF from A:\\ to C:\\Mivox\\MDF ?",
                  "box MDF copy complete, remember to install the MDF file.",
                  "ask Shortcuts for All Users or Current User | Install for All Users ?",
                  "ask Product Group Shortcut Folder | Do you wish a copy placed on your Desktop ?",
                  "register 4.10.0.3 C:\\Mivox\\",
                  "view C:\\Mivox\\RELEASE.TXT",
                  "view C:\\Mivox\\README.TXT",
                  "box Serial port driver COMM.DRV may be defective",
                  "ask The system must Reboot to complete the installation. | "
                  "Shutdown/Reboot the system now ?",
              }));
    EXPECT_EQ(fake.boxes.shown[0].text,
              "Use \"Mic Setup\" in the program to install the MDF file.");
    EXPECT_EQ(fake.boxes.shown[1].style, kMbOkCancel | kMbIconQuestion);
    EXPECT_EQ(fake.boxes.shown[1].text, "Replace with known good driver ?");
    EXPECT_EQ(fake.files.Find("C:\\WINDOWS\\System\\Comm.drv")->contents, "good driver");
    EXPECT_EQ(Name("C:\\WINDOWS\\System\\MIVOX.VXD"), "MIVOX.VXD");
    EXPECT_EQ(fake.files.Find("C:\\WINDOWS\\System32"), nullptr);
    EXPECT_EQ(fake.registry.FindKey(kHkeyLocalMachine, kDriverServiceKey), nullptr);
    EXPECT_EQ(fake.registry.FindKey(kHkeyLocalMachine, kVddKey), nullptr);
    EXPECT_EQ(Value(kAppPathKey, "Path"), std::string("C:\\Mivox\0", 9));
    EXPECT_EQ(fake.shell.exitRequests, std::vector<uint32_t>{kEwxReboot});
    EXPECT_FALSE(main->IsVisible());
}

TEST_F(InstallSequenceTest, CommDriverOfTheKnownGoodDateIsLeftAlone) {
    fake.system.platformId = kPlatformWin32Windows;
    fake.files.AddFile("C:\\WINDOWS\\System\\Comm.drv", "original",
                       MemoryFileSystem::PackDateTime(1992, 10, 3, 23, 58, 0));
    Open();
    Install({true, false, false, false, false});
    EXPECT_TRUE(fake.boxes.shown.empty());
    EXPECT_EQ(fake.files.Find("C:\\WINDOWS\\System\\Comm.drv")->contents, "original");
}

TEST_F(InstallSequenceTest, UndatableCommDriverIsOfferedAndCancelKeepsItMissing) {
    fake.system.platformId = kPlatformWin32Windows;
    fake.boxes.answers = {kIdCancel};
    Open();
    Install({true, false, false, false, false});
    ASSERT_EQ(fake.boxes.shown.size(), 1u);
    EXPECT_EQ(fake.boxes.shown[0].caption, "Serial port driver COMM.DRV may be defective");
    EXPECT_EQ(fake.files.Find("C:\\WINDOWS\\System\\Comm.drv"), nullptr);
}

TEST_F(InstallSequenceTest, RefusedChecksChangeNothing) {
    fake.files.driveCapacity['C'] = 13999999;  // 13 MB free
    Open();
    for (const char* folder : {"", "\\", "\\Mivox"}) {
        main->Type(IDE_MAIN_DIR, folder);
        Install({true});
    }
    EXPECT_EQ(trace, (std::vector<std::string>{"box Invalid/Empty Directory",
                                               "box Invalid/Empty Directory", "box Invalid Path"}));
    ASSERT_EQ(fake.boxes.shown.size(), 3u);
    EXPECT_EQ(fake.boxes.shown[0].caption, "Invalid/Empty Directory");
    EXPECT_EQ(fake.boxes.shown[0].text, "Please enter proper name");
    EXPECT_EQ(fake.boxes.shown[1].caption, "Invalid/Empty Directory");
    EXPECT_EQ(fake.boxes.shown[2].caption, "Invalid Path");
    EXPECT_EQ(fake.boxes.shown[2].text, "Double slash (\\\\) found in path");
    EXPECT_EQ(fake.boxes.shown[2].style, kMbOk | kMbIconExclamation);
    EXPECT_EQ(fake.files.Find("C:\\Mivox"), nullptr);
    EXPECT_TRUE(main->IsVisible());
}

TEST_F(InstallSequenceTest, TypedFolderWindowsWouldReadOtherwiseIsRefused) {
    struct Case {
        const char* typed;
        const char* reason;
    };
    const Case cases[] = {
        {"Mivox/..", "The folder holds a character Windows does not allow in a name."},
        {"Mi:vox", "The folder holds a character Windows does not allow in a name."},
        {"Mivox\\..\\Windows", "\"..\" is not a folder name."},
        {"Mivox\\NUL", "\"NUL\" is not a folder name."},
        {"Mivox.", "\"Mivox.\" is not a folder name."},
    };
    Open();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        fake.boxes.shown.clear();
        main->Type(IDE_MAIN_DIR, c.typed);
        Install({true});
        ASSERT_EQ(fake.boxes.shown.size(), 1u);
        EXPECT_EQ(fake.boxes.shown[0].caption, "Invalid Path");
        EXPECT_EQ(fake.boxes.shown[0].text, std::string("C:\\") + c.typed + "\r\n" + c.reason);
    }
    // No question was asked, nothing was made.
    EXPECT_EQ(trace, std::vector<std::string>(std::size(cases), "box Invalid Path"));
    EXPECT_EQ(fake.files.Find("C:\\Mivox"), nullptr);
    // A nested folder is still a normal choice.
    main->Type(IDE_MAIN_DIR, "Vexlor\\Mivox");
    Install({false});
    ASSERT_EQ(trace.back(), "ask Ready to begin installation: C:\\Vexlor\\Mivox | Continue ?");
}

TEST_F(InstallSequenceTest, EqualMegabytesDoNotPassTheSpaceCheck) {
    fake.files.AddFile("D:\\APP\\Big.dat", std::string(10600000, 'b'));  // 12 MB in all
    fake.files.driveCapacity['C'] = 12999999;
    Open();
    ASSERT_EQ(forms->MainDlg().NeedMegabytes(), 12);
    ASSERT_EQ(forms->MainDlg().FreeMegabytes(), 12);
    Install({true});
    ASSERT_EQ(fake.boxes.shown.size(), 1u);
    EXPECT_EQ(fake.boxes.shown[0].caption, "Not Enough Drive Space !");
    EXPECT_EQ(fake.boxes.shown[0].text, "C:\\Mivox\\");
    EXPECT_EQ(answers.size(), 1u);  // no question was asked
    EXPECT_EQ(fake.files.Find("C:\\Mivox"), nullptr);
}

TEST_F(InstallSequenceTest, ThirteenFreeMegabytesPassForTwelveNeeded) {
    fake.files.AddFile("D:\\APP\\Big.dat", std::string(10600000, 'b'));
    fake.files.driveCapacity['C'] = 13000000;
    Open();
    Install({false});
    ASSERT_EQ(trace.size(), 1u);
    EXPECT_EQ(trace[0], "ask Ready to begin installation: C:\\Mivox | Continue ?");
    EXPECT_EQ(fake.files.Find("C:\\Mivox"), nullptr);  // No leaves the disk as it was
}

TEST_F(InstallSequenceTest, NtUserWithoutAdministratorRightsIsShownTheRightsDialog) {
    fake.security.processToken.groups = {{"S-1-1-0", 0}};
    Open();
    Install({true});
    EXPECT_EQ(trace, std::vector<std::string>{"rights"});
    EXPECT_EQ(fake.files.Find("C:\\Mivox"), nullptr);
    EXPECT_TRUE(main->IsVisible());
}

TEST_F(InstallSequenceTest, CancelDuringTheCopyLeavesNoLogNoRecordsAndAllowsAnotherClick) {
    fake.files.AddFile("C:\\Mivox\\Install.Log", "older log");
    Open();
    bool heldOff = false;
    // The user, between two files, clicks Install and Exit and the close box
    // of the main dialog, then Cancel of the copy meter.
    fake.loop.pending.assign(50, [&] {
        if (!meter->IsVisible() || meter->Result() != kIdOk) return;
        main->Click(IDB_MAIN_INSTALL);
        main->Click(IDB_MAIN_EXIT);
        main->CloseBox();
        heldOff = main->IsVisible() && main->closeCount == 0;
        meter->Click(IDB_COPYMETER_CANCEL);
    });
    Install({true, true});
    fake.loop.pending.clear();
    EXPECT_TRUE(heldOff);
    EXPECT_EQ(trace.size(), 1u);
    EXPECT_FALSE(meter->IsVisible());
    EXPECT_EQ(Log(), "older log");
    EXPECT_EQ(Value(kProductKey, "ProgramDir"), "(none)");
    EXPECT_EQ(fake.registry.FindKey(kHkeyLocalMachine, kUninstallKey), nullptr);
    EXPECT_TRUE(fake.shell.links.empty());
    EXPECT_TRUE(main->IsVisible());
    // The copy stopped after the file it was on: the rest is not there.
    EXPECT_EQ(fake.files.Find("C:\\WINDOWS\\System32\\MIVOXDRV.SYS"), nullptr);

    Install({true, false, false, false, false});
    EXPECT_EQ(trace.front(), trace.at(1));  // the confirmation again
    EXPECT_EQ(Log().substr(0, kNtLogStart.size()), kNtLogStart);
    EXPECT_FALSE(main->IsVisible());
}

TEST_F(InstallSequenceTest, LogThatCannotBeWrittenStopsTheSequenceAndFreesTheButton) {
    fake.files.FailOn(MemoryFileSystem::Op::Write, "C:\\Mivox\\Install.Log", kErrorDiskFull);
    Open();
    Install({true, true, true, true, true});
    ASSERT_EQ(fake.boxes.shown.size(), 1u);
    EXPECT_EQ(fake.boxes.shown[0].caption, "Setup.exe");
    EXPECT_EQ(Value(kProductKey, "ProgramDir"), "(none)");
    EXPECT_TRUE(main->IsVisible());
    EXPECT_EQ(trace.size(), 2u);  // the confirmation and the error report
    Install({false});             // the button works again
    EXPECT_EQ(trace.size(), 3u);
}

TEST_F(InstallSequenceTest, RefusedRestartIsReportedAndTheInstallerStillCloses) {
    fake.shell.acceptExit = false;
    Open();
    Install({true, false, false, false, true});
    EXPECT_EQ(fake.shell.exitRequests, std::vector<uint32_t>{kEwxReboot});
    ASSERT_EQ(fake.boxes.shown.size(), 1u);
    EXPECT_EQ(fake.boxes.shown[0].caption, "Error Could Not Shutdown Windows");
    EXPECT_EQ(fake.boxes.shown[0].text, "Please perform manually");
    EXPECT_FALSE(main->IsVisible());
}

TEST_F(InstallSequenceTest, BarsStayInRangeForEmptyFilesAndFilesOfSeveralGigabytes) {
    EXPECT_EQ(ProgressFraction(0, 0), 0.0L);
    EXPECT_EQ(ProgressFraction(7, 0), 0.0L);
    EXPECT_EQ(ProgressFraction(3 * kGiB, 4 * kGiB), 0.75L);
    EXPECT_EQ(ProgressFraction(5 * kGiB, 4 * kGiB), 1.0L);

    // A directory of empty files only, and a file the search reports as 3 GiB.
    fake.files.AddFile("D:\\APP\\Empty\\a.dat");
    fake.files.AddFile("D:\\APP\\Empty\\b.dat");
    fake.files.AddDirectory("D:\\APP\\Empty");
    fake.files.AddFile("D:\\APP\\Huge\\huge.bin", "stand-in");
    fake.files.AddDirectory("D:\\APP\\Huge");
    fake.files.reportedSizes[MemoryFileSystem::Key("D:\\APP\\Huge\\huge.bin")] = 3 * kGiB;
    fake.files.driveCapacity['C'] = 8 * kGiB;
    Open();
    EXPECT_EQ(forms->MainDlg().NeedMegabytes(), (3 * kGiB + 1500032) / 1000000);
    std::vector<std::pair<int, int>> bars;
    fake.loop.pending.assign(40, [&] {
        bars.emplace_back(meter->Progress(IDP_COPYMETER_DIR).Position(),
                          meter->Progress(IDP_COPYMETER_FILE).Position());
    });
    Install({true, false, false, false, false});
    ASSERT_FALSE(bars.empty());
    for (const auto& [dir, file] : bars) {
        EXPECT_GE(dir, 0);
        EXPECT_LE(dir, 100);
        EXPECT_GE(file, 0);
        EXPECT_LE(file, 100);
    }
    EXPECT_EQ(Name("C:\\Mivox\\Huge\\HUGE.BIN"), "HUGE.BIN");
    EXPECT_EQ(Name("C:\\Mivox\\Empty\\B.DAT"), "B.DAT");
}

// The log's registry block: every key is logged before any is made, so a
// step that fails part-way leaves none the uninstaller does not know.
std::string RegistryBlock() {
    return kNtLogStart.substr(kNtLogStart.find("RegDB"));
}

const std::string kLogHead = kNtLogStart.substr(0, kNtLogStart.find("RegDB"));
const std::string kGroupLines =
    "Made Dir: C:\\All\\Programs\\Vexlor\r\n"
    "File Tree: C:\\All\\Programs\\Vexlor\\Mivox\\*.*\r\n";

TEST_F(InstallSequenceTest, AStepThatFailsLeavesNoWindowShownAndALogOfWhatExists) {
    using Fault = std::function<void(Installer&)>;
    const auto failingWrites = [](const char* key) {
        return [key](Installer& t) {
            t.fake.registry.failingWrites[{kHkeyLocalMachine, key}] = kErrorAccessDenied;
        };
    };
    const auto wrongType = [](uint32_t root, const char* name) {
        return [root, name](Installer& t) {
            std::unique_ptr<RegistryKey> key;
            t.fake.registry.OpenKey(root, kShellFoldersKey, kKeyAllAccess, key);
            key->SetValue(name, kRegDword, std::string(4, '\0'));
        };
    };
    const struct {
        const char* name;
        Fault fault;
        std::string logAfterHead;
    } cases[] = {
        {"product value", failingWrites(kProductKey), RegistryBlock()},
        {"App Paths value", failingWrites(kAppPathKey), RegistryBlock()},
        {"Uninstall value", failingWrites(kUninstallKey), RegistryBlock()},
        {"service value", failingWrites(kDriverServiceKey), RegistryBlock()},
        {"VDD list over 4096 bytes",
         [](Installer& t) {
             std::unique_ptr<RegistryKey> key;
             t.fake.registry.CreateKey(kHkeyLocalMachine, kVddKey, kKeyAllAccess, key);
             key->SetValue("VDD", kRegMultiSz, std::string(4090, 'v') + std::string(2, '\0'));
         },
         RegistryBlock()},
        {"programs folder of the wrong type", wrongType(kHkeyLocalMachine, "Common Programs"),
         RegistryBlock()},
        {"desktop folder of the wrong type", wrongType(kHkeyLocalMachine, "Common Desktop"),
         RegistryBlock() + kGroupLines},
        {"link that raises an error",
         [](Installer& t) { t.fake.shell.onSave = [] { throw std::runtime_error("link"); }; },
         RegistryBlock() + "Made Dir: C:\\All\\Programs\\Vexlor\r\n"
                            "File Tree: C:\\All\\Programs\\Vexlor\\Mivox\\*.*\r\n"},
    };
    for (const auto& c : cases) {
        Installer t;
        c.fault(t);
        t.Open();
        FakeDialog* info = t.factory.Of(IDD_INFOBOX);
        t.Install({true, false, true, true});
        ASSERT_FALSE(t.fake.boxes.shown.empty()) << c.name;
        EXPECT_EQ(t.fake.boxes.shown.back().caption, "Setup.exe") << c.name;
        EXPECT_FALSE(info->IsVisible()) << c.name;
        EXPECT_FALSE(t.meter->IsVisible()) << c.name;
        EXPECT_TRUE(t.main->IsVisible()) << c.name;
        EXPECT_EQ(t.Log(), kLogHead + c.logAfterHead) << c.name;
    }
}

TEST_F(InstallSequenceTest, FolderBoxAndPathButtonAreOffWhileAnInstallationRuns) {
    Open();
    std::vector<bool> enabled;
    fake.loop.pending.assign(3, [&] {
        enabled.push_back(main->Control(IDE_MAIN_DIR).IsEnabled());
        enabled.push_back(main->Control(IDB_MAIN_PATH).IsEnabled());
        main->Type(IDE_MAIN_DIR, "Elsewhere");
    });
    Install({true, false});
    ASSERT_FALSE(enabled.empty());
    EXPECT_EQ(enabled, std::vector<bool>(enabled.size(), false));
    EXPECT_TRUE(main->Control(IDE_MAIN_DIR).IsEnabled()) << "on again for another attempt";
    EXPECT_TRUE(main->Control(IDB_MAIN_PATH).IsEnabled());
    EXPECT_EQ(main->Control(IDG_MAIN_PATH).Text(), "Installation: C:\\Mivox");
}

TEST_F(InstallSequenceTest, AShellFolderTheSystemDoesNotNameGetsNoLinksAndNoLogLines) {
    std::unique_ptr<RegistryKey> key;
    fake.registry.OpenKey(kHkeyLocalMachine, kShellFoldersKey, kKeyAllAccess, key);
    key->DeleteValue("Common Programs");
    fake.registry.OpenKey(kHkeyCurrentUser, kShellFoldersKey, kKeyAllAccess, key);
    key->DeleteValue("Programs");
    key.reset();
    Open();
    Install({true, false, true, true, false});
    EXPECT_EQ(Log(), kNtLogStart + "File Tree: C:\\All\\Desktop\\Mivox\\*.*\r\n");
    ASSERT_EQ(fake.boxes.shown.size(), 1u);
    EXPECT_EQ(fake.boxes.shown[0].caption, "Shortcuts Not Created");
    ASSERT_EQ(fake.shell.links.size(), 5u);
    EXPECT_EQ(fake.shell.links[0].file, "C:\\All\\Desktop\\Mivox\\Mivox Application.lnk");
    EXPECT_EQ(fake.files.Find("\\Vexlor"), nullptr);
    EXPECT_FALSE(main->IsVisible()) << "the installation goes on";
}

TEST_F(InstallSequenceTest, UninstallArgumentIsQuotedWithABlankAndLongWithoutAShortForm) {
    const struct {
        const char* folder;
        bool shortForm;
        const char* argument;
    } cases[] = {
        {"My Mivox", true, "\"C:\\My Mivox\\Install.Log\""},
        {"Mivox", false, "C:\\Mivox\\Install.Log"},
        {"My Mivox", false, "\"C:\\My Mivox\\Install.Log\""},
    };
    for (const auto& c : cases) {
        Installer t;
        const std::string log = std::string("C:\\") + c.folder + "\\Install.Log";
        if (!c.shortForm) t.fake.files.FailOn(MemoryFileSystem::Op::ShortName, log, 1);
        t.Open();
        t.main->Type(IDE_MAIN_DIR, c.folder);
        t.Install({true, false, false, false, false});
        EXPECT_EQ(t.Value(kUninstallKey, "UninstallString"),
                  std::string("C:\\WINDOWS\\UNWISE.EXE ") + c.argument + '\0')
            << c.folder;
        ASSERT_EQ(t.fake.shell.links.size(), 5u) << c.folder;
        EXPECT_EQ(t.fake.shell.links[4].arguments, c.argument) << c.folder;
    }
    EXPECT_EQ(CommandArgument(""), "");
}

TEST_F(InstallSequenceTest, ADestinationThatCannotBeUsedIsRefusedOnceWithNothingCopied) {
    const std::string longName(240, 'L');
    const struct {
        const char* name;
        std::string folder;
        std::function<void(MemoryFileSystem&)> setUp;
        std::string reasonStart;
    } cases[] = {
        {"a file in the way", "Vexlor\\Mivox",
         [](MemoryFileSystem& files) { files.AddFile("C:\\Vexlor", "not a folder"); },
         "C:\\Vexlor is a file"},
        {"a folder that cannot be made", "Mivox",
         [](MemoryFileSystem& files) {
             files.FailOn(MemoryFileSystem::Op::CreateDir, "C:\\Mivox", kErrorAccessDenied);
         },
         "The folder C:\\Mivox cannot be created (error 5"},
        {"a folder that takes no files", "Mivox",
         [](MemoryFileSystem& files) {
             files.AddDirectory("C:\\Mivox");
             files.FailOn(MemoryFileSystem::Op::CreateIn, "C:\\Mivox", kErrorAccessDenied);
         },
         "No file can be created in it (error 5"},
        {"a folder path too long", longName, [](MemoryFileSystem&) {},
         "The folder C:\\" + longName + "\\Samples would be 251 characters long"},
        {"a file path too long", longName.substr(0, 200),
         [](MemoryFileSystem& files) {
             files.AddFile("D:\\APP\\" + std::string(56, 'f') + ".dat");
         },
         "The file C:\\" + longName.substr(0, 200) + "\\" + std::string(56, 'f') +
             ".dat would be 264 characters long"},
    };
    for (const auto& c : cases) {
        Installer t;
        c.setUp(t.fake.files);
        t.Open();
        t.main->Type(IDE_MAIN_DIR, c.folder);
        t.Install({true, true, true, true, true});
        ASSERT_EQ(t.fake.boxes.shown.size(), 1u) << c.name;
        EXPECT_EQ(t.fake.boxes.shown[0].caption, "Cannot Use Destination Folder") << c.name;
        const std::string text = t.fake.boxes.shown[0].text;
        EXPECT_EQ(text.substr(0, text.find('\r')), "C:\\" + c.folder) << c.name;
        EXPECT_EQ(text.substr(text.find('\n') + 1, c.reasonStart.size()), c.reasonStart) << c.name;
        EXPECT_EQ(t.fake.files.Find("C:\\WINDOWS\\System32"), nullptr) << c.name;
        EXPECT_EQ(t.Value(kProductKey, "ProgramDir"), "(none)") << c.name;
        EXPECT_TRUE(t.main->IsVisible()) << c.name;
    }
    // A new nested folder is made with its parent, and the probe leaves nothing.
    Open();
    main->Type(IDE_MAIN_DIR, "Vexlor\\Mivox");
    Install({true, false, false, false, false});
    EXPECT_TRUE(fake.boxes.shown.empty());
    EXPECT_EQ(Name("C:\\Vexlor\\Mivox\\MIVOX.EXE"), "MIVOX.EXE");
    for (const std::string& path : fake.files.List()) {
        EXPECT_EQ(path.find(".TMP"), std::string::npos) << path;
    }
}

}  // namespace
}  // namespace mivox
