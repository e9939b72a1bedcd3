// The installation sequence through its own seam: what it asks and tells,
// and what it leaves on the machine. How the dialogs show it is the main
// dialog's tests' business.
#include "install/InstallSequence.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <functional>
#include <stdexcept>

#include "app/InstallProposal.h"
#include "fakes/FakePlatform.h"
#include "fakes/InstallMedium.h"
#include "fakes/RecordingInstallUi.h"
#include "install/InstallLog.h"
#include "install/Shortcuts.h"
#include "registry/RegStuff.h"

namespace mivox {
namespace {

using testing::FakePlatform;
using testing::MemoryFileSystem;
using testing::RecordingInstallUi;

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

    // What the installer proposes for the medium, as the main dialog shows it.
    void Open() {
        request =
            ProposeInstallation(fake.machine(), fake.versions, fake.memory, fake.talk, "").request;
    }
    // The destination's own name as the user types it.
    void Type(const std::string& folder) { request.folder = folder; }
    // One press of Install with these answers to the yes/no dialog. An error
    // a step raises is kept, as the program's handler would show it.
    void Install(std::deque<bool> given) {
        ui.answers = std::move(given);
        ui.Reset();
        raised.clear();
        try {
            completed = InstallSequence(request, fake.machine(), ui).Run();
        } catch (const std::exception& error) {
            completed = false;
            raised = error.what();
        }
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
    // The captions of the outcomes told.
    std::vector<std::string> Told() const {
        std::vector<std::string> captions;
        for (const Outcome& outcome : ui.told) captions.push_back(outcome.caption);
        return captions;
    }

    FakePlatform fake;
    InstallRequest request;
    RecordingInstallUi ui;
    std::vector<std::string>& trace = ui.trace;
    // True when the sequence went through to its end (the main dialog then
    // closes); the text of the error a step raised.
    bool completed = false;
    std::string raised;
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
    EXPECT_TRUE(completed);
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
    EXPECT_TRUE(completed);
}

// The folders made for a new nested destination follow its tree line, and
// the list beside the log names each file put into the product folder with
// its size, the Windows folder's aside.
TEST_F(InstallSequenceTest, ANestedFolderIsLoggedWithTheParentsMadeAndItsFilesListed) {
    fake.files.AddDirectory("C:\\Lab");
    fake.files.AddFile("A:\\mic1.mdf", "mic");
    Open();
    Type("Lab\\Tools\\Mivox");
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
    const std::string time = " " +
                             std::to_string(MemoryFileSystem::FileTimeOf(
                                 MemoryFileSystem::PackDateTime(2001, 1, 5, 15, 4, 6))) +
                             " ";
    // After its header line, the files with their size and UTC time.
    EXPECT_EQ(list->contents.substr(list->contents.find("\r\n") + 2),
              "1500000" + time + "MIVOX.EXE\r\n4" + time + "MIVOX.HLP\r\n7" + time +
                  "README.TXT\r\n8" + time + "RELEASE.TXT\r\n4" + time + "Samples\\SINE.MDF\r\n3" +
                  time + "MDF\\mic1.mdf\r\n");
}

TEST_F(InstallSequenceTest, Win98SkipsDriverRecordsAndOffersTheGoodCommDriver) {
    fake.system.platformId = kPlatformWin32Windows;
    fake.files.AddFile("C:\\WINDOWS\\System\\Comm.drv", "suspect",
                       MemoryFileSystem::PackDateTime(1998, 5, 11, 12, 0, 0));
    ui.boxAnswers = {true};
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
    ASSERT_EQ(ui.told.size(), 1u);
    EXPECT_EQ(ui.told[0].kind, OutcomeKind::kDone);
    EXPECT_EQ(ui.told[0].text, "Use \"Mic Setup\" in the program to install the MDF file.");
    const Query& driver = ui.asked.at(ui.asked.size() - 2);
    EXPECT_EQ(driver.boxStyle, kMbOkCancel | kMbIconQuestion);
    EXPECT_EQ(driver.text, "Replace with known good driver ?");
    EXPECT_TRUE(driver.unattendedAnswer);
    EXPECT_EQ(fake.files.Find("C:\\WINDOWS\\System\\Comm.drv")->contents, "good driver");
    EXPECT_EQ(Name("C:\\WINDOWS\\System\\MIVOX.VXD"), "MIVOX.VXD");
    EXPECT_EQ(fake.files.Find("C:\\WINDOWS\\System32"), nullptr);
    EXPECT_EQ(fake.registry.FindKey(kHkeyLocalMachine, kDriverServiceKey), nullptr);
    EXPECT_EQ(fake.registry.FindKey(kHkeyLocalMachine, kVddKey), nullptr);
    EXPECT_EQ(Value(kAppPathKey, "Path"), std::string("C:\\Mivox\0", 9));
    EXPECT_EQ(fake.shell.exitRequests, std::vector<uint32_t>{kEwxReboot});
    EXPECT_TRUE(completed);
}

TEST_F(InstallSequenceTest, CommDriverOfTheKnownGoodDateIsLeftAlone) {
    fake.system.platformId = kPlatformWin32Windows;
    fake.files.AddFile("C:\\WINDOWS\\System\\Comm.drv", "original",
                       MemoryFileSystem::PackDateTime(1992, 10, 3, 23, 58, 0));
    Open();
    Install({true, false, false, false, false});
    EXPECT_EQ(
        std::count(trace.begin(), trace.end(), "box Serial port driver COMM.DRV may be defective"),
        0);
    EXPECT_EQ(fake.files.Find("C:\\WINDOWS\\System\\Comm.drv")->contents, "original");
}

TEST_F(InstallSequenceTest, UndatableCommDriverIsOfferedAndCancelKeepsItMissing) {
    fake.system.platformId = kPlatformWin32Windows;
    ui.boxAnswers = {false};
    Open();
    Install({true, false, false, false, false});
    EXPECT_EQ(
        std::count(trace.begin(), trace.end(), "box Serial port driver COMM.DRV may be defective"),
        1);
    EXPECT_EQ(fake.files.Find("C:\\WINDOWS\\System\\Comm.drv"), nullptr);
}

TEST_F(InstallSequenceTest, RefusedChecksChangeNothing) {
    fake.files.driveCapacity['C'] = 13999999;  // 13 MB free
    Open();
    for (const char* folder : {"", "\\", "\\Mivox"}) {
        Type(folder);
        Install({true});
    }
    EXPECT_EQ(trace, (std::vector<std::string>{"box Invalid/Empty Directory",
                                               "box Invalid/Empty Directory", "box Invalid Path"}));
    ASSERT_EQ(ui.told.size(), 3u);
    EXPECT_EQ(ui.told[0].text, "Please enter proper name");
    EXPECT_EQ(ui.told[2].text, "Double slash (\\\\) found in path");
    for (const Outcome& outcome : ui.told) EXPECT_EQ(outcome.kind, OutcomeKind::kRefused);
    EXPECT_EQ(fake.files.Find("C:\\Mivox"), nullptr);
    EXPECT_FALSE(completed);
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
        ui.told.clear();
        Type(c.typed);
        Install({true});
        ASSERT_EQ(ui.told.size(), 1u);
        EXPECT_EQ(ui.told[0].caption, "Invalid Path");
        EXPECT_EQ(ui.told[0].text, std::string("C:\\") + c.typed + "\r\n" + c.reason);
    }
    // No question was asked, nothing was made.
    EXPECT_EQ(trace, std::vector<std::string>(std::size(cases), "box Invalid Path"));
    EXPECT_EQ(fake.files.Find("C:\\Mivox"), nullptr);
    // A nested folder is still a normal choice.
    Type("Vexlor\\Mivox");
    Install({false});
    ASSERT_EQ(trace.back(), "ask Ready to begin installation: C:\\Vexlor\\Mivox | Continue ?");
}

TEST_F(InstallSequenceTest, EqualMegabytesDoNotPassTheSpaceCheck) {
    fake.files.AddFile("D:\\APP\\Big.dat", std::string(10600000, 'b'));  // 12 MB in all
    fake.files.driveCapacity['C'] = 12999999;
    Open();
    ASSERT_EQ(request.needMegabytes, 12);
    ASSERT_EQ(request.freeMegabytes, 12);
    Install({true});
    ASSERT_EQ(ui.told.size(), 1u);
    EXPECT_EQ(ui.told[0].caption, "Not Enough Drive Space !");
    EXPECT_EQ(ui.told[0].text, "C:\\Mivox\\");
    EXPECT_TRUE(ui.asked.empty());
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
    EXPECT_FALSE(completed);
}

TEST_F(InstallSequenceTest, ACancelledCopyLeavesNoLogNoRecordsAndAllowsAnotherRun) {
    fake.files.AddFile("C:\\Mivox\\Install.Log", "older log");
    Open();
    ui.cancelAfterFiles = 1;
    Install({true, true});
    EXPECT_FALSE(completed);
    EXPECT_EQ(trace.size(), 1u);
    EXPECT_FALSE(ui.copyShown);
    EXPECT_EQ(Log(), "older log");
    EXPECT_EQ(Value(kProductKey, "ProgramDir"), "(none)");
    EXPECT_EQ(fake.registry.FindKey(kHkeyLocalMachine, kUninstallKey), nullptr);
    EXPECT_TRUE(fake.shell.links.empty());
    // The copy stopped after the file it was on: the rest is not there.
    EXPECT_EQ(fake.files.Find("C:\\WINDOWS\\System32\\MIVOXDRV.SYS"), nullptr);

    ui.cancelAfterFiles = -1;
    Install({true, false, false, false, false});
    EXPECT_EQ(trace.front(), trace.at(1));  // the confirmation again
    EXPECT_EQ(Log().substr(0, kNtLogStart.size()), kNtLogStart);
    EXPECT_TRUE(completed);
}

TEST_F(InstallSequenceTest, LogThatCannotBeWrittenStopsTheSequence) {
    fake.files.FailOn(MemoryFileSystem::Op::Write, "C:\\Mivox\\Install.Log", kErrorDiskFull);
    Open();
    Install({true, true, true, true, true});
    EXPECT_NE(raised.find("Install.Log (error 112)"), std::string::npos) << raised;
    EXPECT_EQ(Value(kProductKey, "ProgramDir"), "(none)");
    EXPECT_FALSE(completed);
    EXPECT_FALSE(ui.copyShown);
    EXPECT_EQ(trace.size(), 1u);  // the confirmation only
}

TEST_F(InstallSequenceTest, RefusedRestartIsToldAndTheInstallationStillCompletes) {
    fake.shell.acceptExit = false;
    Open();
    Install({true, false, false, false, true});
    EXPECT_EQ(fake.shell.exitRequests, std::vector<uint32_t>{kEwxReboot});
    ASSERT_EQ(ui.told.size(), 1u);
    EXPECT_EQ(ui.told[0].kind, OutcomeKind::kFailed);
    EXPECT_EQ(ui.told[0].caption, "Error Could Not Shutdown Windows");
    EXPECT_EQ(ui.told[0].text, "Please perform manually");
    EXPECT_TRUE(completed);
}

TEST_F(InstallSequenceTest, ProgressStaysInRangeForEmptyFilesAndFilesOfSeveralGigabytes) {
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
    EXPECT_EQ(request.needMegabytes, (3 * kGiB + 1500032) / 1000000);
    Install({true, false, false, false, false});
    ASSERT_FALSE(ui.fractions.empty());
    for (const auto& [dir, all] : ui.fractions) {
        EXPECT_GE(dir, 0.0L);
        EXPECT_LE(dir, 1.0L);
        EXPECT_GE(all, 0.0L);
        EXPECT_LE(all, 1.0L);
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

TEST_F(InstallSequenceTest, AStepThatFailsLeavesNoStepShownAndALogOfWhatExists) {
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
        t.Install({true, false, true, true});
        EXPECT_FALSE(t.raised.empty()) << c.name;
        EXPECT_FALSE(t.ui.stepShown) << c.name;
        EXPECT_FALSE(t.ui.copyShown) << c.name;
        EXPECT_FALSE(t.completed) << c.name;
        EXPECT_EQ(t.Log(), kLogHead + c.logAfterHead) << c.name;
    }
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
    EXPECT_EQ(Told(), std::vector<std::string>{"Shortcuts Not Created"});
    ASSERT_EQ(fake.shell.links.size(), 5u);
    EXPECT_EQ(fake.shell.links[0].file, "C:\\All\\Desktop\\Mivox\\Mivox Application.lnk");
    EXPECT_EQ(fake.files.Find("\\Vexlor"), nullptr);
    EXPECT_TRUE(completed) << "the installation goes on";
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
        t.Type(c.folder);
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
        t.Type(c.folder);
        t.Install({true, true, true, true, true});
        ASSERT_EQ(t.ui.told.size(), 1u) << c.name;
        EXPECT_EQ(t.ui.told[0].caption, "Cannot Use Destination Folder") << c.name;
        const std::string text = t.ui.told[0].text;
        EXPECT_EQ(text.substr(0, text.find('\r')), "C:\\" + c.folder) << c.name;
        EXPECT_EQ(text.substr(text.find('\n') + 1, c.reasonStart.size()), c.reasonStart) << c.name;
        EXPECT_EQ(t.fake.files.Find("C:\\WINDOWS\\System32"), nullptr) << c.name;
        EXPECT_EQ(t.Value(kProductKey, "ProgramDir"), "(none)") << c.name;
        EXPECT_FALSE(t.completed) << c.name;
    }
    // A new nested folder is made with its parent, and the probe leaves nothing.
    Open();
    Type("Vexlor\\Mivox");
    Install({true, false, false, false, false});
    EXPECT_TRUE(ui.told.empty());
    EXPECT_EQ(Name("C:\\Vexlor\\Mivox\\MIVOX.EXE"), "MIVOX.EXE");
    for (const std::string& path : fake.files.List()) {
        EXPECT_EQ(path.find(".TMP"), std::string::npos) << path;
    }
}

}  // namespace
}  // namespace mivox
