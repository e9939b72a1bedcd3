#include "app/SilentSetup.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <iostream>

#include "fakes/FakePlatform.h"
#include "fakes/InstallMedium.h"
#include "install/Shortcuts.h"
#include "registration/RegistrationAnswers.h"
#include "registry/RegStuff.h"

namespace mivox {
namespace {

using testing::FakePlatform;
using testing::MemoryFileSystem;
using testing::MemoryRegistry;

constexpr const char kStamp[] = "2001-01-05 15:04:06 ";

// A machine with the medium on D:, Windows NT and an administrator; Setup.exe
// /S /LOG=C:\setup.log is run on it.
struct SilentMachine {
    SilentMachine() {
        AddInstallMedium(fake);
        fake.files.AddFile("D:\\Misc\\comm.drv", "good driver");
        options.silent = true;
        fake.files.AddDirectory("E:\\Logs");
        options.logPath = "E:\\Logs\\setup.log";
    }

    int RunSetup() { return RunSilentSetup(fake.platform, options); }

    // The progress log's lines without their time stamps.
    std::vector<std::string> Progress() const {
        std::vector<std::string> lines;
        const auto* log = fake.files.Find(options.logPath);
        if (!log) return lines;
        const std::string& text = log->contents;
        for (size_t start = 0, end; (end = text.find("\r\n", start)) != std::string::npos;
             start = end + 2) {
            const std::string line = text.substr(start, end - start);
            lines.push_back(line.rfind(kStamp, 0) == 0 ? line.substr(sizeof kStamp - 1)
                                                       : "(no stamp) " + line);
        }
        return lines;
    }
    bool Logged(const std::string& line) const {
        for (const std::string& logged : Progress()) {
            if (logged == line) return true;
        }
        return false;
    }
    std::string Value(const std::string& name) {
        const auto* value = fake.registry.FindValue(kHkeyLocalMachine, kProductKey, name);
        return value ? value->data : "(none)";
    }
    void ExpectNoWindowShown() { EXPECT_TRUE(fake.boxes.shown.empty()); }

    FakePlatform fake;
    SetupOptions options;
};

class SilentSetupTest : public ::testing::Test, protected SilentMachine {};

TEST_F(SilentSetupTest, DeploymentAnswersInstallAndRegisterIntoTheChosenFolderWithoutAWindow) {
    fake.files.AddFile("C:\\deploy\\reg.ini",
                       "[Registration]\r\nFirstName=Ann\r\nLastName=Lee\r\nCompany=Acme Labs\r\n"
                       "SerialNumber=MX-42\r\nPurchaseDate=2000-03-07\r\n");
    options.installDir = "C:\\Lab Tools\\Mivox";
    options.answersPath = "C:\\deploy\\reg.ini";

    EXPECT_EQ(RunSetup(), kExitDone);

    ExpectNoWindowShown();
    const std::string dir = "C:\\Lab Tools\\Mivox";
    EXPECT_EQ(fake.files.Find(dir + "\\MIVOX.EXE")->contents.size(), 1500000u);
    EXPECT_NE(fake.files.Find("C:\\WINDOWS\\System32\\MIVOXDRV.SYS"), nullptr);
    EXPECT_EQ(fake.files.Find(dir + "\\MDF"), nullptr);
    const auto* installLog = fake.files.Find(dir + "\\Install.Log");
    ASSERT_NE(installLog, nullptr);
    EXPECT_NE(installLog->contents.find("File Tree: C:\\Lab Tools\\Mivox\\*.*\r\n"),
              std::string::npos);
    EXPECT_NE(installLog->contents.find("Made Dir: C:\\All\\Programs\\Vexlor\r\n"
                                        "File Tree: C:\\All\\Programs\\Vexlor\\Mivox\\*.*\r\n"
                                        "File Tree: C:\\All\\Desktop\\Mivox\\*.*\r\n"),
              std::string::npos);
    EXPECT_EQ(fake.shell.links.size(), 10u);
    EXPECT_TRUE(fake.shell.exitRequests.empty());

    EXPECT_EQ(Value("ProgramDir"), std::string("C:\\Lab Tools\\Mivox\0", 19));
    EXPECT_EQ(Value("RegisterPerson"), std::string("Ann Lee\0", 8));
    EXPECT_EQ(Value("RegisterCompany"), std::string("Acme Labs\0", 10));
    EXPECT_EQ(Value("RegisterSerial"), std::string("MX-42\0", 6));
    const auto* form = fake.files.Find(dir + "\\REGISTER.TXT");
    ASSERT_NE(form, nullptr);
    for (const char* line : {"Product Version: 4.10.0.3\r\n", " Purchased Data: Mar  7, 2000\r\n",
                             " Purchased From: Vexlor\r\n", "     First Name: Ann\r\n",
                             "   Company Name: Acme Labs\r\n", "        Country: USA\r\n"}) {
        EXPECT_NE(form->contents.find(line), std::string::npos) << line;
    }

    EXPECT_EQ(Progress(),
              (std::vector<std::string>{
                  "Mivox Setup, unattended installation",
                  "Installing into C:\\Lab Tools\\Mivox",
                  "Question: Ready to begin installation: C:\\Lab Tools\\Mivox Continue ? - Yes",
                  "Copying the product's files",
                  "Copying into C:\\Lab Tools\\Mivox\\",
                  "Copying into C:\\WINDOWS\\",
                  "Copying into C:\\WINDOWS\\SYSTEM32\\",
                  "Copy ended",
                  "Question: Do you have an MDF Mic floppy, place it in Drive A: Copy MDF from "
                  "A:\\ to C:\\Lab Tools\\Mivox\\MDF ? - No",
                  "Processing Windows Registration Data",
                  "  Mivox Product & Uninstall",
                  "  Mivox Driver Installation",
                  "Question: Shortcuts for All Users or Current User Install for All Users ? - Yes",
                  "Question: Product Group Shortcut Folder Do you wish a copy placed on your "
                  "Desktop ? - Yes",
                  "Processing Windows Group Shortcuts",
                  "  Mivox Shell Links",
                  "Registered by file: C:\\Lab Tools\\Mivox\\REGISTER.TXT (please remember to "
                  "mail it)",
                  "Release notes: C:\\Lab Tools\\Mivox\\RELEASE.TXT",
                  "Release notes: C:\\Lab Tools\\Mivox\\README.TXT",
                  "Question: The system must Reboot to complete the installation. "
                  "Shutdown/Reboot the system now ? - No",
                  "Result: 0 (installed)",
              }));
}

TEST_F(SilentSetupTest, WithoutAnAnswerFileTheRegistrationIsSkipped) {
    EXPECT_EQ(RunSetup(), kExitDone);
    EXPECT_TRUE(Logged("Registration skipped: no answer file given"));
    EXPECT_EQ(fake.files.Find("C:\\Mivox\\REGISTER.TXT"), nullptr);
    EXPECT_EQ(Value("RegisterPerson"), std::string("\0", 1));
    EXPECT_NE(fake.files.Find("C:\\Mivox\\Install.Log"), nullptr);
}

struct Refusal {
    const char* name;
    std::function<void(FakePlatform&, SetupOptions&)> arrange;
    const char* reason;
};

TEST_F(SilentSetupTest, RefusedChecksEndWithCodeOneTheReasonInTheLogAndNothingInstalled) {
    const Refusal table[] = {
        {"no free space", [](FakePlatform& f, SetupOptions&) { f.files.driveCapacity['C'] = 0; },
         "Refused: Not Enough Drive Space !: C:\\Mivox\\"},
        {"no administrator",
         [](FakePlatform& f, SetupOptions&) {
             f.security.processToken.groups = {{"S-1-1-0", 0}};
         },
         "Refused: Administrator Rights Needed: Installing the product needs an account with "
         "administrator rights."},
        {"destination takes no file",
         [](FakePlatform& f, SetupOptions&) {
             f.files.FailOn(MemoryFileSystem::Op::CreateIn, "C:\\Mivox", 5);
         },
         "Refused: Cannot Use Destination Folder: C:\\Mivox  No file can be created in it (error "
         "5)."},
        {"destination cannot be made",
         [](FakePlatform& f, SetupOptions& o) {
             o.installDir = "C:\\Locked\\Mivox";
             f.files.FailOn(MemoryFileSystem::Op::CreateDir, "C:\\Locked", 19);
         },
         "Refused: Cannot Use Destination Folder: C:\\Locked\\Mivox  The folder C:\\Locked cannot "
         "be created (error 19)."},
        {"answer file missing",
         [](FakePlatform&, SetupOptions& o) { o.answersPath = "C:\\reg.ini"; },
         "Refused: Registration Answer File: The answer file C:\\reg.ini does not exist."},
        {"answer file damaged",
         [](FakePlatform& f, SetupOptions& o) {
             f.files.AddFile("C:\\reg.ini", "[Registration]\nName=Ann\n");
             o.answersPath = "C:\\reg.ini";
         },
         "Refused: Registration Answer File: Line 2 of the answer file names Name, which is not a "
         "registration field."},
        {"answer file too big",
         [](FakePlatform& f, SetupOptions& o) {
             f.files.AddFile("C:\\reg.ini", std::string(kMaxAnswerFileBytes + 1, ';'));
             o.answersPath = "C:\\reg.ini";
         },
         "Refused: Registration Answer File: The answer file C:\\reg.ini is larger than 65536 "
         "bytes."},
    };
    for (const Refusal& row : table) {
        SCOPED_TRACE(row.name);
        SilentMachine machine;
        row.arrange(machine.fake, machine.options);
        EXPECT_EQ(machine.RunSetup(), kExitRefused);
        EXPECT_TRUE(machine.Logged(row.reason)) << ::testing::PrintToString(machine.Progress());
        EXPECT_EQ(machine.Progress().back(), "Result: 1 (refused)");
        EXPECT_EQ(machine.fake.files.Find("C:\\Mivox\\MIVOX.EXE"), nullptr);
        EXPECT_EQ(machine.Value("ProgramDir"), "(none)");
        EXPECT_TRUE(machine.fake.shell.links.empty());
        machine.ExpectNoWindowShown();
    }
}

TEST_F(SilentSetupTest, AFileInUseGivesCode3010AndRestartsWindowsUnlessTold) {
    for (const bool noRestart : {true, false}) {
        SCOPED_TRACE(noRestart);
        SilentMachine machine;
        machine.options.noRestart = noRestart;
        machine.fake.files.AddFile("C:\\Mivox\\MIVOX.EXE", "running");
        machine.fake.files.FailOn(MemoryFileSystem::Op::Copy, "C:\\Mivox\\MIVOX.EXE",
                                  kErrorSharingViolation);
        EXPECT_EQ(machine.RunSetup(), kExitRestartNeeded);
        EXPECT_EQ(machine.fake.files.restartMoves.size(), 2u);
        EXPECT_TRUE(machine.Logged("Files in use are replaced when Windows restarts"));
        EXPECT_EQ(machine.fake.shell.exitRequests,
                  noRestart ? std::vector<uint32_t>{} : std::vector<uint32_t>{kEwxReboot});
        EXPECT_TRUE(machine.Logged(noRestart ? "Windows is not restarted (/NORESTART)"
                                             : "Windows restarts now"));
        EXPECT_EQ(machine.Progress().back(), "Result: 3010 (installed, restart needed)");
    }
}

TEST_F(SilentSetupTest, Windows98ReplacementAtRestartIsNoticedThroughWininit) {
    fake.system.platformId = kPlatformWin32Windows;
    options.noRestart = true;
    fake.files.AddFile("C:\\Mivox\\MIVOX.EXE", "running");
    fake.files.FailOn(MemoryFileSystem::Op::Copy, "C:\\Mivox\\MIVOX.EXE", kErrorSharingViolation);
    EXPECT_EQ(RunSetup(), kExitRestartNeeded) << ::testing::PrintToString(Progress());
    EXPECT_TRUE(fake.files.restartMoves.empty());
    // The serial port driver of unknown date is replaced by the known good one.
    EXPECT_TRUE(
        Logged("Message: Serial port driver COMM.DRV may be defective: Replace with known "
               "good driver ? - OK"));
    EXPECT_EQ(fake.files.Find("C:\\WINDOWS\\System\\Comm.drv")->contents, "good driver");
}

TEST_F(SilentSetupTest, ANewerFileIsKeptAndAFailedCopyMakesTheRunFail) {
    fake.files.AddFile("C:\\Mivox\\README.TXT", "mine",
                       MemoryFileSystem::PackDateTime(2020, 1, 1, 0, 0, 0));
    EXPECT_EQ(RunSetup(), kExitDone);
    EXPECT_EQ(fake.files.Find("C:\\Mivox\\README.TXT")->contents, "mine");
    EXPECT_TRUE(
        Logged("Message: C:\\Mivox\\README.TXT already exists and is newer: Do you wish "
               "to overwrite this file? - No"));

    SilentMachine failing;
    failing.fake.files.FailOn(MemoryFileSystem::Op::Copy, "C:\\Mivox\\MIVOX.HLP", 5);
    EXPECT_EQ(failing.RunSetup(), kExitFailed);
    EXPECT_TRUE(
        failing.Logged("Warning: Error Copying File: D:\\APP\\Mivox.HLP: C:\\Mivox\\MIVOX.HLP"));
    // The rest went on, and was taken back at the end.
    EXPECT_TRUE(failing.Logged("Removed file C:\\Mivox\\Install.Log"));
    EXPECT_EQ(failing.fake.files.Find("C:\\Mivox"), nullptr);
    EXPECT_EQ(failing.Progress().back(),
              "Result: 2 (not installed: 1 problem(s), see the warnings above)");
}

// What the machine holds: every path of its drives, every key and value.
std::vector<std::string> Contents(FakePlatform& fake) {
    std::vector<std::string> contents = fake.files.List();
    std::function<void(const MemoryRegistry::Key&, const std::string&)> walk =
        [&](const MemoryRegistry::Key& key, const std::string& path) {
            contents.push_back(path);
            for (const auto& value : key.values) contents.push_back(path + " = " + value.data);
            for (const auto& [name, sub] : key.subKeys) walk(*sub, path + "\\" + sub->name);
        };
    for (uint32_t root : {kHkeyLocalMachine, kHkeyCurrentUser}) {
        walk(*fake.registry.FindKey(root, ""), std::to_string(root));
    }
    return contents;
}

// A drive that fills during the copy: everything the run made goes again,
// the last first, and what was there before stays as it was.
TEST_F(SilentSetupTest, AFailedRunTakesBackWhatItMadeAndLeavesWhatWasThere) {
    fake.files.AddFile("C:\\Lab\\calibration.dat", "mine");
    fake.registry.SetString(kHkeyLocalMachine, "SOFTWARE\\Vexlor\\Other", "Folder", "C:\\Other");
    fake.files.AddDirectory("C:\\Users\\ann\\Start Menu\\Programs");
    fake.registry.SetString(kHkeyLocalMachine, kShellFoldersKey, "Common Programs",
                            "C:\\Users\\ann\\Start Menu\\Programs");
    fake.shell.files = &fake.files;
    const std::vector<std::string> before = Contents(fake);
    options.installDir = "C:\\Lab\\Tools\\Mivox";
    fake.files.FailOn(MemoryFileSystem::Op::Copy, "C:\\Lab\\Tools\\Mivox\\MIVOX.HLP",
                      kErrorDiskFull);

    EXPECT_EQ(RunSetup(), kExitFailed);
    std::vector<std::string> after = Contents(fake);
    std::erase_if(after, [&](const std::string& path) {
        return path.find("LOGS\\SETUP.LOG") != std::string::npos;
    });
    EXPECT_EQ(after, before);
    for (const char* line : {
             "Taking back what this run made",
             "Removed shortcut C:\\Users\\ann\\Start Menu\\Programs\\Vexlor\\Mivox\\Mivox "
             "Uninstall.lnk",
             "Removed folder C:\\Users\\ann\\Start Menu\\Programs\\Vexlor",
             "Removed registry key HKEY_LOCAL_MACHINE\\SOFTWARE\\Vexlor\\Mivox",
             "Removed file C:\\Lab\\Tools\\Mivox\\Install.Log",
             "Removed file C:\\WINDOWS\\SYSTEM32\\MIVOXDRV.SYS",
             "Removed folder C:\\Lab\\Tools\\Mivox",
             "Removed folder C:\\Lab\\Tools",
         }) {
        EXPECT_TRUE(Logged(line)) << line;
    }
    EXPECT_FALSE(Logged("Removed folder C:\\Lab"));
    EXPECT_EQ(Progress().back(), "Result: 2 (not installed: 1 problem(s), see the warnings above)");
}

// The interactive installation passes over a shortcut it cannot make; an
// unattended run counts it as a problem, ends with 2 and takes back the rest.
TEST_F(SilentSetupTest, AShortcutThatCannotBeMadeFailsTheRun) {
    fake.shell.failLinks = true;
    EXPECT_EQ(RunSetup(), kExitFailed);
    EXPECT_TRUE(
        Logged("Warning: Shortcut Not Made: The shortcut "
               "C:\\All\\Programs\\Vexlor\\Mivox\\Mivox Help.lnk cannot be made."));
    EXPECT_EQ(Progress().back(),
              "Result: 2 (not installed: 10 problem(s), see the warnings above)");
    EXPECT_EQ(fake.files.Find("C:\\Mivox"), nullptr);
}

// Over an earlier installation: a run that succeeds leaves no copies of the
// files it replaced; one that fails puts them and the values it changed back
// as they were (the earlier registration among them) and removes the values
// it added.
TEST_F(SilentSetupTest, AFailedRunOverAnEarlierInstallationPutsItsFilesBack) {
    const auto withoutProgress = [&] {
        std::vector<std::string> contents = Contents(fake);
        std::erase_if(contents, [](const std::string& path) {
            return path.find("LOGS\\SETUP.LOG") != std::string::npos;
        });
        return contents;
    };
    const auto copies = [&] {
        std::vector<std::string> found;
        for (const std::string& path : fake.files.List()) {
            if (path.find(".~UNDO") != std::string::npos) found.push_back(path);
        }
        return found;
    };
    EXPECT_EQ(RunSetup(), kExitDone);
    fake.files.AddFile("C:\\Mivox\\MIVOX.EXE", "earlier program",
                       MemoryFileSystem::PackDateTime(1999, 1, 1, 0, 0, 0));
    EXPECT_EQ(RunSetup(), kExitDone);
    EXPECT_EQ(copies(), std::vector<std::string>{});
    EXPECT_TRUE(fake.files.Find("C:\\Mivox\\MIVOX.EXE")->contents != "earlier program");

    fake.files.AddFile("C:\\Mivox\\MIVOX.EXE", "earlier program",
                       MemoryFileSystem::PackDateTime(1999, 1, 1, 0, 0, 0));
    const std::string earlierLog = fake.files.Find("C:\\Mivox\\Install.Log")->contents;
    fake.registry.SetString(kHkeyLocalMachine, kProductKey, "RegisterPerson", "Ann Lee");
    std::erase_if(fake.registry.FindKey(kHkeyLocalMachine, kProductKey)->values,
                  [](const auto& value) { return value.name == "ProgramPath"; });
    const std::vector<std::string> before = withoutProgress();
    fake.registry.failingWrites[{kHkeyLocalMachine, kUninstallKey}] = kErrorAccessDenied;
    EXPECT_EQ(RunSetup(), kExitFailed);
    EXPECT_TRUE(withoutProgress() == before);
    EXPECT_EQ(fake.files.Find("C:\\Mivox\\MIVOX.EXE")->contents, "earlier program");
    EXPECT_EQ(fake.files.Find("C:\\Mivox\\Install.Log")->contents, earlierLog);
    EXPECT_TRUE(Logged("Restored file C:\\Mivox\\MIVOX.EXE"));
    EXPECT_TRUE(Logged(
        "Restored registry value RegisterPerson of HKEY_LOCAL_MACHINE\\SOFTWARE\\Vexlor\\Mivox"));
    EXPECT_TRUE(Logged(
        "Removed registry value ProgramPath of HKEY_LOCAL_MACHINE\\SOFTWARE\\Vexlor\\Mivox"));
    EXPECT_EQ(copies(), std::vector<std::string>{});
}

// The copy that replaces a file in use at the restart stays when the run is
// taken back: without it the restart would delete the file and put nothing
// in its place.
// The replacement left to the restart is taken back: the file the restart
// moves into place holds the earlier content again.
TEST_F(SilentSetupTest, ATakenBackRunTakesBackItsReplacementAtRestart) {
    fake.files.AddFile("C:\\Mivox\\MIVOX.EXE", "running");
    fake.files.FailOn(MemoryFileSystem::Op::Copy, "C:\\Mivox\\MIVOX.EXE", kErrorSharingViolation);
    fake.files.FailOn(MemoryFileSystem::Op::Copy, "C:\\Mivox\\MIVOX.HLP", kErrorDiskFull);
    EXPECT_EQ(RunSetup(), kExitFailed);
    EXPECT_TRUE(Logged("Took back the replacement of C:\\Mivox\\MIVOX.EXE at the restart"));
    EXPECT_TRUE(
        Logged("Kept file C:\\Mivox\\MIVOX.EX_: it puts back a file in use when Windows "
               "restarts"));
    ASSERT_NE(fake.files.Find("C:\\Mivox\\MIVOX.EX_"), nullptr);
    EXPECT_EQ(fake.files.Find("C:\\Mivox\\MIVOX.EX_")->contents, "running");
    EXPECT_EQ(fake.files.Find("C:\\Mivox\\MIVOX.EXE")->contents, "running");
    EXPECT_EQ(fake.files.Find("C:\\Mivox\\README.TXT"), nullptr);
}

TEST_F(SilentSetupTest, AStepThatRaisesEndsWithCodeTwoAndALogThatCannotBeMadeWithOne) {
    fake.files.FailOn(MemoryFileSystem::Op::Write, "C:\\Mivox\\Install.Log", 112);
    EXPECT_EQ(RunSetup(), kExitFailed);
    const std::vector<std::string> lines = Progress();
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                            [](const std::string& line) { return line.rfind("Failed: ", 0) == 0; }),
              1);
    EXPECT_EQ(lines.back(), "Result: 2 (failed)");
    EXPECT_EQ(fake.files.Find("C:\\Mivox"), nullptr);
    ExpectNoWindowShown();

    SilentMachine unlogged;
    unlogged.options.logPath = "C:\\No Such Folder\\setup.log";
    EXPECT_EQ(unlogged.RunSetup(), kExitRefused);
    EXPECT_EQ(unlogged.fake.files.Find("C:\\Mivox"), nullptr);
}

// The paths Install.Lst names, in order, after its header.
std::vector<std::string> ListedPaths(FakePlatform& fake, const std::string& dir = "C:\\Mivox") {
    std::vector<std::string> paths;
    const auto* list = fake.files.Find(dir + "\\Install.Lst");
    if (!list) return paths;
    const std::string& text = list->contents;
    for (size_t start = text.find("\r\n") + 2, end;
         (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
        const std::string line = text.substr(start, end - start);
        paths.push_back(line.substr(line.find(' ', line.find(' ') + 1) + 1));
    }
    return paths;
}

// The list names what this run wrote and what an earlier installation
// wrote and nobody changed since: not a file the user kept at the newer-file
// question, not an earlier file the user edited.
TEST_F(SilentSetupTest, TheListNamesWrittenAndUnchangedEarlierFilesOnly) {
    fake.files.AddFile("D:\\APP\\OLDTOOL.EXE", "old tool");
    fake.files.AddFile("D:\\APP\\NOTES.TXT", "notes");
    ASSERT_EQ(RunSetup(), kExitDone);
    EXPECT_EQ(ListedPaths(fake),
              (std::vector<std::string>{"MIVOX.EXE", "MIVOX.HLP", "NOTES.TXT", "OLDTOOL.EXE",
                                        "README.TXT", "RELEASE.TXT"}));
    // The next medium has neither; the user edits the notes and a newer
    // README of their own is kept.
    fake.files.Delete("D:\\APP\\OLDTOOL.EXE");
    fake.files.Delete("D:\\APP\\NOTES.TXT");
    fake.files.Find("C:\\Mivox\\NOTES.TXT")->contents = "my notes";
    fake.files.AddFile("C:\\Mivox\\README.TXT", "mine",
                       MemoryFileSystem::PackDateTime(2020, 1, 1, 0, 0, 0));
    fake.files.FailOn(MemoryFileSystem::Op::Copy, "C:\\Mivox\\RELEASE.TXT", 5);
    EXPECT_EQ(RunSetup(), kExitFailed) << "a failed copy fails the run";
    // Taken back: the earlier list is as it was.
    EXPECT_EQ(ListedPaths(fake).size(), 6u);
    fake.files.ClearFailures();
    ASSERT_EQ(RunSetup(), kExitDone);
    EXPECT_EQ(ListedPaths(fake),
              (std::vector<std::string>{"MIVOX.EXE", "MIVOX.HLP", "RELEASE.TXT", "OLDTOOL.EXE"}));
    EXPECT_EQ(fake.files.Find("C:\\Mivox\\Install.Ls~"), nullptr);
}

// The drive (every path, and what each file holds) and the registry, the
// run's own progress log aside.
std::vector<std::string> Snapshot(FakePlatform& fake, const std::string& progressLog) {
    std::vector<std::string> state;
    for (const std::string& path : fake.files.List()) {
        if (path == MemoryFileSystem::Key(progressLog)) continue;
        const auto* entry = fake.files.Find(path);
        state.push_back(path + (entry->directory ? "" : " = " + entry->contents) + " " +
                        std::to_string(entry->attributes));
    }
    std::function<void(const MemoryRegistry::Key&, const std::string&)> walk =
        [&](const MemoryRegistry::Key& key, const std::string& path) {
            state.push_back(path);
            for (const auto& value : key.values) {
                state.push_back(path + " : " + value.name + " = " + value.data);
            }
            for (const auto& [name, sub] : key.subKeys) walk(*sub, path + "\\" + sub->name);
        };
    for (uint32_t root : {kHkeyLocalMachine, kHkeyCurrentUser}) {
        walk(*fake.registry.FindKey(root, ""), std::to_string(root));
    }
    return state;
}

// Every file-system and registry call of a whole unattended run fails in
// turn, on a fresh machine and over an earlier installation: a run that
// fails leaves the drive and the registry exactly as it found them, and
// one that goes on despite the fault has installed.
TEST(SilentSetupFaultTest, EveryFailingCallLeavesTheMachineAsItWasOrInstalled) {
    long tried = 0;
    for (const bool earlier : {false, true}) {
        for (long n = 1;; ++n) {
            SilentMachine machine;
            FakePlatform& fake = machine.fake;
            if (earlier) {
                ASSERT_EQ(machine.RunSetup(), kExitDone);
                fake.files.Find("C:\\Mivox\\README.TXT")->contents = "earlier readme";
                fake.files.Delete(machine.options.logPath);
            }
            const std::vector<std::string> before = Snapshot(fake, machine.options.logPath);
            testing::CallFaults faults{.failAt = n};
            fake.files.faults = &faults;
            fake.registry.faults = &faults;
            const int code = machine.RunSetup();
            fake.files.faults = nullptr;
            fake.registry.faults = nullptr;
            ++tried;
            if (faults.calls < n) break;  // the run made fewer calls: all were tried
            const std::string context =
                std::string(earlier ? "over an earlier installation" : "fresh") + ", call " +
                std::to_string(n) + " failed, exit " + std::to_string(code);
            if (code == kExitDone || code == kExitRestartNeeded) {
                EXPECT_NE(
                    fake.registry.FindValue(kHkeyLocalMachine, kUninstallKey, "UninstallString"),
                    nullptr)
                    << context;
                EXPECT_NE(fake.files.Find("C:\\Mivox\\Install.Lst"), nullptr) << context;
                continue;
            }
            const std::vector<std::string> after = Snapshot(fake, machine.options.logPath);
            if (after != before) {
                std::string diff;
                for (const std::string& line : after) {
                    if (std::find(before.begin(), before.end(), line) == before.end()) {
                        diff += "\n+ " + line;
                    }
                }
                for (const std::string& line : before) {
                    if (std::find(after.begin(), after.end(), line) == after.end()) {
                        diff += "\n- " + line;
                    }
                }
                ADD_FAILURE() << context << diff;
            }
        }
    }
    std::cout << "fault points tried: " << tried << "\n";
}

// A file whose copy for the undo cannot be made is not overwritten: the run
// fails and the earlier file is as it was. The copies count in the space
// check.
TEST_F(SilentSetupTest, AFileThatCannotBeBackedUpIsNotOverwritten) {
    ASSERT_EQ(RunSetup(), kExitDone);
    fake.files.Find("C:\\Mivox\\MIVOX.HLP")->contents = "earlier help";
    fake.files.FailOn(MemoryFileSystem::Op::Copy, "C:\\Mivox\\MIVOX.HLP.~undo", kErrorDiskFull);
    EXPECT_EQ(RunSetup(), kExitFailed);
    EXPECT_EQ(fake.files.Find("C:\\Mivox\\MIVOX.HLP")->contents, "earlier help");
    EXPECT_EQ(fake.files.Find("C:\\Mivox\\MIVOX.HLP.~undo"), nullptr);

    SilentMachine full;
    ASSERT_EQ(full.RunSetup(), kExitDone);
    int64_t installed = 0;
    for (const FindData& file : full.fake.files.FindEntries("C:\\Mivox\\*.*"))
        installed += file.size;
    // Room for the medium once more, but not for the copies beside it.
    full.fake.files.driveCapacity['C'] = installed + 1024 * 1024 + 512 * 1024;
    EXPECT_EQ(full.RunSetup(), kExitRefused);
    EXPECT_TRUE(full.Logged("Refused: Not Enough Drive Space !: C:\\Mivox\\"))
        << full.Progress().back();
}

}  // namespace
}  // namespace mivox
