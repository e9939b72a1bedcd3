#include "install/InstallSequence.h"

#include <algorithm>

#include "app/Forms.h"
#include "app/MainDlg.h"
#include "registry/NTuserCheck.h"
#include "registry/RegStuff.h"
#include "util/FileOps.h"
#include "util/Messages.h"
#include "util/Shortcuts.h"
#include "util/Shutdown.h"
#include "util/TextUtil.h"
#include "util/WinVersion.h"

namespace mivox {

namespace {

std::string WithoutBackslash(const std::string& path) {
    return !path.empty() && path.back() == '\\' ? path.substr(0, path.size() - 1) : path;
}

struct ShortcutSpec {
    const char* name;
    const char* file;  // in the product folder; nullptr: the uninstaller
};

constexpr ShortcutSpec kShortcuts[] = {
    {"Mivox Application", "Mivox.EXE"}, {"Mivox Help", "Mivox.HLP"},
    {"Mivox Readme", "README.TXT"},     {"Mivox Release", "RELEASE.TXT"},
    {"Mivox Uninstall", nullptr},
};

constexpr const char kUninstaller[] = "UNWISE.EXE";

}  // namespace

long double ProgressFraction(int64_t done, int64_t total) {
    if (total <= 0 || done <= 0) return 0.0L;
    return std::min(1.0L, static_cast<long double>(done) / static_cast<long double>(total));
}

InstallSequence::InstallSequence(TMainDlg& main, Platform& platform, Forms& forms)
    : main_(main), platform_(platform), forms_(forms) {}

bool InstallSequence::Run() {
    if (!CheckAdminRights() || !CheckDestination()) return false;
    if (!Ask("Ready to begin installation: " + WithoutBackslash(installDir_), "Continue ?")) {
        return false;
    }
    if (!CopyProductFiles()) return false;

    log_ = std::make_unique<InstallLog>(platform_, installDir_);
    if (Ask("Do you have an MDF Mic floppy, place it in Drive A:",
            "Copy MDF from A:\\ to " + installDir_ + "MDF" + " ?")) {
        CopyMdfFiles();
    }
    WriteRegistryData();
    CreateShortcuts();
    RunRegistration();
    log_->Close();
    log_.reset();
    ShowReleaseNotes();
    if (!IsWinNT(platform_.system)) CheckCommDriver();
    AskReboot();
    return true;
}

bool InstallSequence::CheckAdminRights() {
    if (!IsWinNT(platform_.system) || IsAdministrator(platform_)) return true;
    forms_.NTrightsDlg().ShowModal();
    return false;
}

bool InstallSequence::CheckDestination() {
    const std::string folder = main_.EditDir.Text();
    if (folder.empty() || folder == "\\") {
        ShowWarning(platform_.boxes, "Invalid/Empty Directory", "Please enter proper name");
        return false;
    }
    installDir_ = main_.TextPath.Text() + folder;
    main_.InstallDir_ = installDir_;
    if (installDir_.find("\\\\") != std::string::npos) {
        ShowWarning(platform_.boxes, "Invalid Path", "Double slash (\\\\) found in path");
        return false;
    }
    if (installDir_.back() != '\\') installDir_ += '\\';
    main_.InstallDir_ = installDir_;
    if (main_.NeedMegabytes() >= main_.FreeMegabytes()) {
        ShowWarning(platform_.boxes, "Not Enough Drive Space !", installDir_);
        return false;
    }
    return true;
}

bool InstallSequence::CopyProductFiles() {
    // Too many directories were reported there; nothing is copied.
    if (!main_.BuildDirLists()) return false;
    const std::vector<std::string>& sources = main_.SourceDirs();
    const std::vector<std::string>& dests = main_.DestDirs();
    const std::vector<int64_t>& dirBytes = main_.DirBytes();
    for (const std::string& dest : dests) MakeFileDir(platform_, dest);

    TCopyMeterDlg& meter = forms_.CopyMeterDlg();
    int64_t copiedOverall = 0;
    meter.Show();
    for (size_t i = 0; i < sources.size() && meter.RunState() == kIdOk; ++i) {
        // The byte totals are those of the last scan; a tree that grew since
        // has directories without one.
        const int64_t dirTotal = i < dirBytes.size() ? dirBytes[i] : 0;
        int64_t copiedHere = 0;
        meter.SetDirName(dests[i]);
        for (const FindData& file : platform_.files.FindEntries(sources[i] + "*.*")) {
            if (file.attributes & (kAttrDirectory | kAttrVolumeLabel)) continue;
            meter.SetDirProgress(ProgressFraction(copiedHere, dirTotal));
            meter.SetFileProgress(ProgressFraction(copiedOverall, main_.TotalBytes()));
            meter.SetFileName(file.name);
            CopyOneFile(platform_, dests[i] + UpperText(file.name), sources[i] + file.name, true);
            copiedHere += file.size;
            copiedOverall += file.size;
            if (meter.RunState() != kIdOk) break;
        }
    }
    const bool completed = meter.RunState() == kIdOk;
    meter.Close();
    return completed;
}

void InstallSequence::CopyMdfFiles() {
    // The medium has no MDF folder, so it is made for the first file found.
    bool folderMade = false;
    for (const FindData& file : platform_.files.FindEntries("A:\\*.MDF")) {
        if (file.attributes & (kAttrDirectory | kAttrVolumeLabel)) continue;
        if (!folderMade) folderMade = MakeFileDir(platform_, installDir_ + "MDF\\");
        CopyOneFile(platform_, installDir_ + "MDF\\" + file.name, "A:\\" + file.name, true);
    }
    ShowWarning(platform_.boxes, "MDF copy complete, remember to install the MDF file.",
                "Use \"Mic Setup\" in the program to install the MDF file.");
}

void InstallSequence::WriteRegistryData() {
    const std::string version = main_.TextVerNum.Text();
    TInfoBoxDlg& info = forms_.InfoBoxDlg();
    info.Show();
    info.SetTopText("Processing Windows Registration Data");
    info.SetBottomText("Mivox Product & Uninstall");
    WriteProductRecord(platform_, WithoutBackslash(installDir_), version);
    WriteUninstallEntry(platform_, main_.WindowsDir() + kUninstaller + " " + LogShortPath(),
                        version);
    info.SetBottomText("Mivox Driver Installation");
    if (IsWinNT(platform_.system)) {
        WriteDriverService(platform_);
        WriteVddEntry(platform_);
    }
    info.Hide();
    log_->WriteRegistryKeys();
}

void InstallSequence::CreateShortcuts() {
    const bool allUsers = Ask("Shortcuts for All Users or Current User", "Install for All Users ?");
    const bool desktopCopy =
        Ask("Product Group Shortcut Folder", "Do you wish a copy placed on your Desktop ?");
    TInfoBoxDlg& info = forms_.InfoBoxDlg();
    info.Show();
    info.SetTopText("Processing Windows Group Shortcuts");
    info.SetBottomText("Mivox Shell Links");

    // The group folders may exist from an earlier installation; a folder
    // that cannot be made shows up as missing links, not as a stop.
    std::string group = GetProgramsFolder(platform_, allUsers) + "\\Vexlor";
    platform_.files.CreateDir(group);
    log_->WriteMadeDir(group);
    group += "\\Mivox";
    platform_.files.CreateDir(group);
    MakeShortcuts(group);
    log_->WriteFileTree(group);

    if (desktopCopy) {
        const std::string folder = GetDesktopFolder(platform_, allUsers) + "\\Mivox";
        platform_.files.CreateDir(folder);
        log_->WriteFileTree(folder);
        MakeShortcuts(folder);
    }
    info.Hide();
}

void InstallSequence::MakeShortcuts(const std::string& folder) {
    for (const ShortcutSpec& shortcut : kShortcuts) {
        if (shortcut.file) {
            MakeShortcut(platform_, installDir_ + shortcut.file, "", shortcut.name, folder);
        } else {
            MakeShortcut(platform_, main_.WindowsDir() + kUninstaller, LogShortPath(),
                         shortcut.name, folder);
        }
    }
}

void InstallSequence::RunRegistration() {
    TProdRegDlg& registration = forms_.ProdRegDlg();
    registration.ProdVersion = main_.TextVerNum.Text();
    registration.AppDir = installDir_;
    registration.ShowModal();
}

void InstallSequence::ShowReleaseNotes() {
    for (const char* name : {"RELEASE.TXT", "README.TXT"}) {
        const std::string path = installDir_ + name;
        if (!platform_.files.FileExists(path)) continue;
        TTxtViewerDlg& viewer = forms_.TxtViewerDlg();
        viewer.FileName = path;
        viewer.ShowModal();
    }
}

void InstallSequence::CheckCommDriver() {
    const std::string driver = main_.WindowsDir() + "System\\Comm.drv";
    PackedDateTime age = platform_.files.FileAge(driver);
    if (age == kNoFileAge) age = platform_.files.FileAge("Setup.exe");
    // A driver that cannot be dated at all is offered the known good one.
    const bool knownGood = age != kNoFileAge && static_cast<uint16_t>(static_cast<uint32_t>(age) >>
                                                                      16) == kGoodCommDriverDate;
    if (knownGood) return;
    if (platform_.boxes.Show("Replace with known good driver ?",
                             "Serial port driver COMM.DRV may be defective",
                             kMbOkCancel | kMbIconQuestion) != kIdOk) {
        return;
    }
    CopyOneFile(platform_, driver, main_.SourceRoot() + "Misc\\comm.drv", false);
}

void InstallSequence::AskReboot() {
    if (!Ask("The system must Reboot to complete the installation.",
             "Shutdown/Reboot the system now ?")) {
        return;
    }
    if (!ShutdownWindows(platform_, kEwxReboot)) {
        ShowWarning(platform_.boxes, "Error Could Not Shutdown Windows", "Please perform manually");
    }
}

bool InstallSequence::Ask(const std::string& top, const std::string& bottom) {
    return forms_.YesNoDlg().Ask(top, bottom);
}

std::string InstallSequence::LogShortPath() const {
    return platform_.files.ShortPathName(installDir_ + InstallLog::kFileName);
}

}  // namespace mivox
