#include "install/InstallSequence.h"

#include <algorithm>
#include <cctype>
#include <set>
#include <utility>

#include "install/Shortcuts.h"
#include "registry/NTuserCheck.h"
#include "registry/RegStuff.h"
#include "util/FileOps.h"
#include "util/FolderPath.h"
#include "util/ScopeExit.h"
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
constexpr const char kNoShellFolder[] = "Shortcuts Not Created";

// The longest path Windows takes for a file, and for a folder (which must
// leave room for an 8.3 name below it), without the terminating NUL.
constexpr size_t kMaxFilePath = 259;
constexpr size_t kMaxFolderPath = 247;

// " (error N: system text)" for the error a call failed with.
std::string ErrorSuffix(const SystemInfo& system, uint32_t code) {
    const std::string text = TrimEnd(system.ErrorMessageText(code), "\r\n .");
    return " (error " + std::to_string(code) + (text.empty() ? "" : ": " + text) + ")";
}

}  // namespace

std::string CommandArgument(const std::string& path) {
    return path.find(' ') == std::string::npos ? path : "\"" + path + "\"";
}

long double ProgressFraction(int64_t done, int64_t total) {
    if (total <= 0 || done <= 0) return 0.0L;
    return std::min(1.0L, static_cast<long double>(done) / static_cast<long double>(total));
}

InstallSequence::InstallSequence(InstallRequest request, const Machine& machine, InstallUi& ui)
    : request_(std::move(request)),
      machine_(machine),
      ui_(ui),
      installDir_(request_.path + request_.folder) {}

bool InstallSequence::Run() {
    if (!CheckAdminRights() || !CheckDestination()) return false;
    if (!Ask("Ready to begin installation: " + WithoutBackslash(installDir_), "Continue ?", true)) {
        return false;
    }
    if (!PrepareDestination() || !CopyProductFiles()) return false;

    log_ = std::make_unique<InstallLog>(machine_, installDir_);
    // Recorded so that they go with the product folder when left empty; an
    // uninstaller that does not know them leaves them, as it did.
    for (const std::string& folder : madeParents_) log_->WriteMadeDir(folder);
    log_->WriteFileList(installedFiles_);
    if (Ask("Do you have an MDF Mic floppy, place it in Drive A:",
            "Copy MDF from A:\\ to " + installDir_ + "MDF" + " ?", false)) {
        CopyMdfFiles();
        log_->WriteFileList(installedFiles_);
    }
    WriteRegistryData();
    CreateShortcuts();
    RunRegistration();
    log_->Close();
    log_.reset();
    ShowReleaseNotes();
    if (!IsWinNT(machine_.system)) CheckCommDriver();
    AskReboot();
    return true;
}

bool InstallSequence::Ask(const std::string& top, const std::string& bottom,
                          bool unattendedAnswer) {
    return ui_.Ask({.caption = top, .text = bottom, .unattendedAnswer = unattendedAnswer});
}

void InstallSequence::Tell(OutcomeKind kind, const std::string& caption, const std::string& text) {
    ui_.Tell({kind, caption, text});
}

bool InstallSequence::BuildLists() {
    if (lists_.Build(machine_.files, machine_.system, request_.sourceRoot, installDir_,
                     request_.windowsDir)) {
        return true;
    }
    ui_.Tell(CopyLists::TooManyDirectories(request_.sourceRoot));
    return false;
}

bool InstallSequence::CheckAdminRights() {
    if (!IsWinNT(machine_.system) || IsAdministrator(machine_.security)) return true;
    ui_.RefuseRights();
    return false;
}

bool InstallSequence::CheckDestination() {
    const std::string& folder = request_.folder;
    if (folder.empty() || folder == "\\") {
        Tell(OutcomeKind::kRefused, "Invalid/Empty Directory", "Please enter proper name");
        return false;
    }
    installDir_ = request_.path + folder;
    if (installDir_.find("\\\\") != std::string::npos) {
        Tell(OutcomeKind::kRefused, "Invalid Path", "Double slash (\\\\) found in path");
        return false;
    }
    if (installDir_.back() != '\\') installDir_ += '\\';
    // A name Windows would read otherwise (Mivox/.., NUL, a trailing dot)
    // would put the files, and the uninstaller's deletions, somewhere else.
    std::string problem = FolderProblem(WithoutBackslash(installDir_));
    if (!problem.empty()) {
        problem[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(problem[0])));
        Tell(OutcomeKind::kRefused, "Invalid Path",
             WithoutBackslash(installDir_) + "\r\n" + problem + ".");
        return false;
    }
    if (request_.needMegabytes >= request_.freeMegabytes) {
        Tell(OutcomeKind::kRefused, "Not Enough Drive Space !", installDir_);
        return false;
    }
    return true;
}

bool InstallSequence::PrepareDestination() {
    // The lists the copy will use, built here so that a path too long is
    // found before anything is made.
    if (!BuildLists()) return false;
    std::string reason = PathTooLong();
    if (reason.empty()) reason = MakeDestination();
    if (reason.empty()) reason = ProbeDestination();
    if (reason.empty()) return true;
    Tell(OutcomeKind::kRefused, "Cannot Use Destination Folder",
         WithoutBackslash(installDir_) + "\r\n" + reason);
    return false;
}

std::string InstallSequence::PathTooLong() const {
    const std::vector<std::string>& sources = lists_.sources;
    const std::vector<std::string>& dests = lists_.dests;
    for (size_t i = 0; i < dests.size() && i < sources.size(); ++i) {
        const std::string folder = WithoutBackslash(dests[i]);
        if (folder.size() > kMaxFolderPath) {
            return "The folder " + folder + " would be " + std::to_string(folder.size()) +
                   " characters long; Windows allows " + std::to_string(kMaxFolderPath) + ".";
        }
        for (const FindData& file : machine_.files.FindEntries(sources[i] + "*.*")) {
            if (file.attributes & (kAttrDirectory | kAttrVolumeLabel)) continue;
            const std::string path = dests[i] + file.name;
            if (path.size() > kMaxFilePath) {
                return "The file " + path + " would be " + std::to_string(path.size()) +
                       " characters long; Windows allows " + std::to_string(kMaxFilePath) + ".";
            }
        }
    }
    return {};
}

std::string InstallSequence::MakeDestination() {
    // Every missing folder of the path, from the drive's root down; a new
    // nested folder is a normal choice. The subfolders of the copy are made
    // one level at a time later, their parents existing by then.
    FileSystem& files = machine_.files;
    madeParents_.clear();
    for (size_t end = installDir_.find('\\'); end != std::string::npos;
         end = installDir_.find('\\', end + 1)) {
        const std::string folder = installDir_.substr(0, end);
        if (folder.empty() || folder.back() == ':' || files.DirectoryExists(folder)) continue;
        if (files.FileExists(folder)) return folder + " is a file, not a folder.";
        if (const IoResult made = files.CreateDir(folder); !made) {
            return "The folder " + folder + " cannot be created" +
                   ErrorSuffix(machine_.system, made.Error()) + ".";
        }
        if (end + 1 < installDir_.size()) madeParents_.push_back(folder);
    }
    return {};
}

std::string InstallSequence::ProbeDestination() {
    FileSystem& files = machine_.files;
    std::string probe;
    for (int n = 0; probe.empty() || files.FileExists(probe); ++n) {
        probe = installDir_ + "~MVXSET" + std::to_string(n) + ".TMP";
    }
    CreatedFile file = files.CreateOutputFile(probe);
    if (!file)
        return "No file can be created in it" + ErrorSuffix(machine_.system, file.Error()) + ".";
    file->Close();
    files.Delete(probe);
    return {};
}

bool InstallSequence::CopyProductFiles() {
    // Too many directories were reported there; nothing is copied.
    if (!BuildLists()) return false;
    const std::vector<std::string>& sources = lists_.sources;
    const std::vector<std::string>& dests = lists_.dests;
    const std::vector<int64_t>& dirBytes = request_.dirBytes;
    for (const std::string& dest : dests) MakeFileDir(machine_.files, ui_, dest);

    int64_t copiedOverall = 0;
    installedFiles_.clear();
    ui_.BeginCopy();
    // Ending keeps the cancel state, so the result below can still be read.
    ScopeExit ended([this] { ui_.EndCopy(); });
    for (size_t i = 0; i < sources.size() && ui_.CopyGoesOn(); ++i) {
        // The byte totals are those of the last scan; a tree that grew since
        // has directories without one.
        const int64_t dirTotal = i < dirBytes.size() ? dirBytes[i] : 0;
        int64_t copiedHere = 0;
        ui_.CopyingDir(dests[i]);
        // What the destination holds already, searched once for the folder
        // rather than asked for each file.
        const bool inProduct = dests[i].compare(0, installDir_.size(), installDir_) == 0;
        std::set<std::string> present;
        for (const FindData& entry : machine_.files.FindEntries(dests[i] + "*.*")) {
            present.insert(UpperText(entry.name));
        }
        for (const FindData& file : machine_.files.FindEntries(sources[i] + "*.*")) {
            if (file.attributes & (kAttrDirectory | kAttrVolumeLabel)) continue;
            ui_.CopyingFile(file.name, ProgressFraction(copiedHere, dirTotal),
                            ProgressFraction(copiedOverall, request_.totalBytes));
            const std::string name = UpperText(file.name);
            // Listed only when written (now or at restart): a file the user
            // kept, or one that failed, is not the installation's to remove.
            if (CopyOneFile(machine_, ui_, dests[i] + name, sources[i] + file.name, true,
                            {file.attributes, present.count(name) != 0}) &&
                inProduct) {
                installedFiles_.push_back(
                    {dests[i].substr(installDir_.size()) + name, file.size, file.writeTime});
            }
            copiedHere += file.size;
            copiedOverall += file.size;
            if (!ui_.CopyGoesOn()) break;
        }
    }
    return ui_.CopyGoesOn();
}

void InstallSequence::CopyMdfFiles() {
    // The medium has no MDF folder, so it is made for the first file found.
    bool folderMade = false;
    for (const FindData& file : machine_.files.FindEntries("A:\\*.MDF")) {
        if (file.attributes & (kAttrDirectory | kAttrVolumeLabel)) continue;
        if (!folderMade) folderMade = MakeFileDir(machine_.files, ui_, installDir_ + "MDF\\");
        if (CopyOneFile(machine_, ui_, installDir_ + "MDF\\" + file.name, "A:\\" + file.name,
                        true)) {
            installedFiles_.push_back({"MDF\\" + file.name, file.size, file.writeTime});
        }
    }
    Tell(OutcomeKind::kDone, "MDF copy complete, remember to install the MDF file.",
         "Use \"Mic Setup\" in the program to install the MDF file.");
}

void InstallSequence::WriteRegistryData() {
    const std::string version = request_.version;
    const bool winNT = IsWinNT(machine_.system);
    // Logged before they are made: a run that stops part-way, or a machine
    // that goes down, leaves no key the uninstaller does not know of.
    log_->WriteRegistryKeys(ProductKeys(winNT));
    if (winNT) log_->WriteVddEntry(kVddEntry);
    ScopeExit hidden([this] { ui_.EndStep(); });
    ui_.BeginStep("Processing Windows Registration Data");
    ui_.StepDetail("Mivox Product & Uninstall");
    WriteProductRecord(machine_, WithoutBackslash(installDir_), version);
    WriteUninstallEntry(machine_, request_.windowsDir + kUninstaller + " " + UninstallArgument(),
                        version);
    ui_.StepDetail("Mivox Driver Installation");
    if (winNT) {
        WriteDriverService(machine_);
        WriteVddEntry(machine_);
    }
}

void InstallSequence::CreateShortcuts() {
    const bool allUsers =
        Ask("Shortcuts for All Users or Current User", "Install for All Users ?", true);
    const bool desktopCopy =
        Ask("Product Group Shortcut Folder", "Do you wish a copy placed on your Desktop ?", true);
    ScopeExit hidden([this] { ui_.EndStep(); });
    ui_.BeginStep("Processing Windows Group Shortcuts");
    ui_.StepDetail("Mivox Shell Links");

    // A shell folder the system does not name would put the group at the
    // root of the current drive, and the log would hand that tree to the
    // uninstaller: such a folder gets no links and no log lines.
    const std::string programs = GetProgramsFolder(machine_, allUsers);
    if (programs.empty()) {
        Tell(OutcomeKind::kFailed, kNoShellFolder,
             "The Windows Programs folder is not known: no program group is made.");
    } else {
        // The group folders may exist from an earlier installation; a folder
        // that cannot be made shows up as missing links, not as a stop.
        // Each logged before it is made.
        std::string group = programs + "\\Vexlor";
        log_->WriteMadeDir(group);
        machine_.files.CreateDir(group);
        group += "\\Mivox";
        log_->WriteFileTree(group);
        machine_.files.CreateDir(group);
        MakeShortcuts(group);
    }

    if (!desktopCopy) return;
    const std::string desktop = GetDesktopFolder(machine_, allUsers);
    if (desktop.empty()) {
        Tell(OutcomeKind::kFailed, kNoShellFolder,
             "The Windows Desktop folder is not known: no desktop copy is made.");
        return;
    }
    const std::string folder = desktop + "\\Mivox";
    log_->WriteFileTree(folder);
    machine_.files.CreateDir(folder);
    MakeShortcuts(folder);
}

void InstallSequence::MakeShortcuts(const std::string& folder) {
    for (const ShortcutSpec& shortcut : kShortcuts) {
        const bool made = shortcut.file
                              ? MakeShortcut(machine_.shell, installDir_ + shortcut.file, "",
                                             shortcut.name, folder)
                              : MakeShortcut(machine_.shell, request_.windowsDir + kUninstaller,
                                             UninstallArgument(), shortcut.name, folder);
        if (!made) {
            ui_.Note({OutcomeKind::kFailed, "Shortcut Not Made",
                      "The shortcut " + folder + "\\" + shortcut.name + ".lnk cannot be made."});
        }
    }
}

void InstallSequence::RunRegistration() {
    ui_.Register(request_.version, installDir_);
}

void InstallSequence::ShowReleaseNotes() {
    for (const char* name : {"RELEASE.TXT", "README.TXT"}) {
        const std::string path = installDir_ + name;
        if (!machine_.files.FileExists(path)) continue;
        ui_.ShowTextFile(path);
    }
}

void InstallSequence::CheckCommDriver() {
    const std::string driver = request_.windowsDir + "System\\Comm.drv";
    PackedDateTime age = machine_.files.FileAge(driver);
    if (age == kNoFileAge) age = machine_.files.FileAge("Setup.exe");
    // A driver that cannot be dated at all is offered the known good one.
    const bool knownGood = age != kNoFileAge && static_cast<uint16_t>(static_cast<uint32_t>(age) >>
                                                                      16) == kGoodCommDriverDate;
    if (knownGood) return;
    if (!ui_.Ask({.caption = "Serial port driver COMM.DRV may be defective",
                  .text = "Replace with known good driver ?",
                  .unattendedAnswer = true,
                  .boxStyle = kMbOkCancel | kMbIconQuestion})) {
        return;
    }
    CopyOneFile(machine_, ui_, driver, request_.sourceRoot + "Misc\\comm.drv", false);
}

void InstallSequence::AskReboot() {
    // An unattended run restarts, or not, by its own rule at its end.
    if (!Ask("The system must Reboot to complete the installation.",
             "Shutdown/Reboot the system now ?", false)) {
        return;
    }
    if (!ShutdownWindows(machine_, kEwxReboot)) {
        Tell(OutcomeKind::kFailed, "Error Could Not Shutdown Windows", "Please perform manually");
    }
}

std::string InstallSequence::UninstallArgument() const {
    // Where the volume keeps no short names the path keeps its blanks, and
    // where the short form cannot be had the long one still names the log.
    const std::string log = installDir_ + InstallLog::kFileName;
    const std::string shortPath = machine_.files.ShortPathName(log);
    return CommandArgument(shortPath.empty() ? log : shortPath);
}

}  // namespace mivox
