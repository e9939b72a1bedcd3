#include "install/InstallSequence.h"

#include <algorithm>
#include <cctype>
#include <exception>
#include <set>
#include <utility>

#include "install/Shortcuts.h"
#include "registry/NTuserCheck.h"
#include "registry/RegStuff.h"
#include "util/FileOps.h"
#include "util/FolderPath.h"
#include "util/Messages.h"
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
std::string ErrorSuffix(Platform& platform, uint32_t code) {
    const std::string text = TrimEnd(platform.system.ErrorMessageText(code), "\r\n .");
    return " (error " + std::to_string(code) + (text.empty() ? "" : ": " + text) + ")";
}

// Runs action() when the scope is left, however it is left: a progress
// window a step showed must not outlive the step's error report.
template <typename Action>
class AtExit {
public:
    explicit AtExit(Action action) : action_(std::move(action)) {}
    ~AtExit() { action_(); }
    AtExit(const AtExit&) = delete;
    AtExit& operator=(const AtExit&) = delete;

private:
    Action action_;
};

// Runs record() when the scope is left by an error, so that what the step
// created up to then still reaches the log. A second failure while the
// first is on its way is dropped: the first one is the one to report.
template <typename Record>
class RecordedOnError {
public:
    explicit RecordedOnError(Record record) : record_(std::move(record)) {}
    ~RecordedOnError() {
        if (std::uncaught_exceptions() <= pending_) return;
        try {
            record_();
        } catch (...) {
        }
    }
    RecordedOnError(const RecordedOnError&) = delete;
    RecordedOnError& operator=(const RecordedOnError&) = delete;

private:
    Record record_;
    int pending_ = std::uncaught_exceptions();
};

}  // namespace

std::string CommandArgument(const std::string& path) {
    return path.find(' ') == std::string::npos ? path : "\"" + path + "\"";
}

long double ProgressFraction(int64_t done, int64_t total) {
    if (total <= 0 || done <= 0) return 0.0L;
    return std::min(1.0L, static_cast<long double>(done) / static_cast<long double>(total));
}

InstallSequence::InstallSequence(InstallRequest request, Platform& platform, InstallUi& ui)
    : request_(std::move(request)),
      platform_(platform),
      ui_(ui),
      installDir_(request_.path + request_.folder) {}

bool InstallSequence::Run() {
    if (!CheckAdminRights() || !CheckDestination()) return false;
    if (!ui_.Ask(Question::kBegin, "Ready to begin installation: " + WithoutBackslash(installDir_),
                 "Continue ?")) {
        return false;
    }
    if (!PrepareDestination() || !CopyProductFiles()) return false;

    log_ = std::make_unique<InstallLog>(platform_, installDir_);
    // Recorded so that they go with the product folder when left empty; an
    // uninstaller that does not know them leaves them, as it did.
    for (const std::string& folder : madeParents_) log_->WriteMadeDir(folder);
    log_->WriteFileList(installedFiles_);
    if (ui_.Ask(Question::kMdfFloppy, "Do you have an MDF Mic floppy, place it in Drive A:",
                "Copy MDF from A:\\ to " + installDir_ + "MDF" + " ?")) {
        CopyMdfFiles();
        log_->WriteFileList(installedFiles_);
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

bool InstallSequence::BuildLists() {
    return lists_.Build(platform_, request_.sourceRoot, installDir_, request_.windowsDir);
}

bool InstallSequence::CheckAdminRights() {
    if (!IsWinNT(platform_.system) || IsAdministrator(platform_)) return true;
    ui_.RefuseRights();
    return false;
}

bool InstallSequence::CheckDestination() {
    const std::string& folder = request_.folder;
    if (folder.empty() || folder == "\\") {
        ui_.Refuse("Invalid/Empty Directory", "Please enter proper name");
        return false;
    }
    installDir_ = request_.path + folder;
    if (installDir_.find("\\\\") != std::string::npos) {
        ui_.Refuse("Invalid Path", "Double slash (\\\\) found in path");
        return false;
    }
    if (installDir_.back() != '\\') installDir_ += '\\';
    // A name Windows would read otherwise (Mivox/.., NUL, a trailing dot)
    // would put the files, and the uninstaller's deletions, somewhere else.
    std::string problem = FolderProblem(WithoutBackslash(installDir_));
    if (!problem.empty()) {
        problem[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(problem[0])));
        ui_.Refuse("Invalid Path", WithoutBackslash(installDir_) + "\r\n" + problem + ".");
        return false;
    }
    if (request_.needMegabytes >= request_.freeMegabytes) {
        ui_.Refuse("Not Enough Drive Space !", installDir_);
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
    ui_.Refuse("Cannot Use Destination Folder", WithoutBackslash(installDir_) + "\r\n" + reason);
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
        for (const FindData& file : platform_.files.FindEntries(sources[i] + "*.*")) {
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
    FileSystem& files = platform_.files;
    madeParents_.clear();
    for (size_t end = installDir_.find('\\'); end != std::string::npos;
         end = installDir_.find('\\', end + 1)) {
        const std::string folder = installDir_.substr(0, end);
        if (folder.empty() || folder.back() == ':' || files.DirectoryExists(folder)) continue;
        if (files.FileExists(folder)) return folder + " is a file, not a folder.";
        if (const IoResult made = files.CreateDir(folder); !made) {
            return "The folder " + folder + " cannot be created" +
                   ErrorSuffix(platform_, made.Error()) + ".";
        }
        if (end + 1 < installDir_.size()) madeParents_.push_back(folder);
    }
    return {};
}

std::string InstallSequence::ProbeDestination() {
    FileSystem& files = platform_.files;
    std::string probe;
    for (int n = 0; probe.empty() || files.FileExists(probe); ++n) {
        probe = installDir_ + "~MVXSET" + std::to_string(n) + ".TMP";
    }
    CreatedFile file = files.CreateOutputFile(probe);
    if (!file) return "No file can be created in it" + ErrorSuffix(platform_, file.Error()) + ".";
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
    for (const std::string& dest : dests) MakeFileDir(platform_, dest);

    int64_t copiedOverall = 0;
    installedFiles_.clear();
    ui_.BeginCopy();
    // Ending keeps the cancel state, so the result below can still be read.
    AtExit ended([this] { ui_.EndCopy(); });
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
        for (const FindData& entry : platform_.files.FindEntries(dests[i] + "*.*")) {
            present.insert(UpperText(entry.name));
        }
        for (const FindData& file : platform_.files.FindEntries(sources[i] + "*.*")) {
            if (file.attributes & (kAttrDirectory | kAttrVolumeLabel)) continue;
            ui_.CopyingFile(file.name, ProgressFraction(copiedHere, dirTotal),
                            ProgressFraction(copiedOverall, request_.totalBytes));
            const std::string name = UpperText(file.name);
            CopyOneFile(platform_, dests[i] + name, sources[i] + file.name, true,
                        {file.attributes, present.count(name) != 0});
            if (inProduct) {
                installedFiles_.push_back({dests[i].substr(installDir_.size()) + name, file.size});
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
    for (const FindData& file : platform_.files.FindEntries("A:\\*.MDF")) {
        if (file.attributes & (kAttrDirectory | kAttrVolumeLabel)) continue;
        if (!folderMade) folderMade = MakeFileDir(platform_, installDir_ + "MDF\\");
        CopyOneFile(platform_, installDir_ + "MDF\\" + file.name, "A:\\" + file.name, true);
        installedFiles_.push_back({"MDF\\" + file.name, file.size});
    }
    ShowWarning(platform_.boxes, "MDF copy complete, remember to install the MDF file.",
                "Use \"Mic Setup\" in the program to install the MDF file.");
}

void InstallSequence::WriteRegistryData() {
    const std::string version = request_.version;
    {
        AtExit hidden([this] { ui_.EndStep(); });
        // A record that fails part-way leaves keys behind: the uninstaller
        // must still learn of those that exist.
        RecordedOnError recorded(
            [this] { log_->WriteRegistryKeys(ExistingProductKeys(platform_)); });
        ui_.BeginStep("Processing Windows Registration Data");
        ui_.StepDetail("Mivox Product & Uninstall");
        WriteProductRecord(platform_, WithoutBackslash(installDir_), version);
        WriteUninstallEntry(
            platform_, request_.windowsDir + kUninstaller + " " + UninstallArgument(), version);
        ui_.StepDetail("Mivox Driver Installation");
        if (IsWinNT(platform_.system)) {
            WriteDriverService(platform_);
            WriteVddEntry(platform_);
        }
    }
    log_->WriteRegistryKeys(ExistingProductKeys(platform_));
}

void InstallSequence::CreateShortcuts() {
    const bool allUsers = ui_.Ask(Question::kAllUsers, "Shortcuts for All Users or Current User",
                                  "Install for All Users ?");
    const bool desktopCopy = ui_.Ask(Question::kDesktopCopy, "Product Group Shortcut Folder",
                                     "Do you wish a copy placed on your Desktop ?");
    AtExit hidden([this] { ui_.EndStep(); });
    ui_.BeginStep("Processing Windows Group Shortcuts");
    ui_.StepDetail("Mivox Shell Links");

    // A shell folder the system does not name would put the group at the
    // root of the current drive, and the log would hand that tree to the
    // uninstaller: such a folder gets no links and no log lines.
    const std::string programs = GetProgramsFolder(platform_, allUsers);
    if (programs.empty()) {
        ShowWarning(platform_.boxes, kNoShellFolder,
                    "The Windows Programs folder is not known: no program group is made.");
    } else {
        // The group folders may exist from an earlier installation; a folder
        // that cannot be made shows up as missing links, not as a stop.
        std::string group = programs + "\\Vexlor";
        platform_.files.CreateDir(group);
        log_->WriteMadeDir(group);
        group += "\\Mivox";
        platform_.files.CreateDir(group);
        bool logged = false;
        RecordedOnError recorded([&] {
            if (!logged && platform_.files.DirectoryExists(group)) log_->WriteFileTree(group);
        });
        MakeShortcuts(group);
        logged = true;
        log_->WriteFileTree(group);
    }

    if (!desktopCopy) return;
    const std::string desktop = GetDesktopFolder(platform_, allUsers);
    if (desktop.empty()) {
        ShowWarning(platform_.boxes, kNoShellFolder,
                    "The Windows Desktop folder is not known: no desktop copy is made.");
        return;
    }
    const std::string folder = desktop + "\\Mivox";
    platform_.files.CreateDir(folder);
    log_->WriteFileTree(folder);
    MakeShortcuts(folder);
}

void InstallSequence::MakeShortcuts(const std::string& folder) {
    for (const ShortcutSpec& shortcut : kShortcuts) {
        if (shortcut.file) {
            MakeShortcut(platform_, installDir_ + shortcut.file, "", shortcut.name, folder);
        } else {
            MakeShortcut(platform_, request_.windowsDir + kUninstaller, UninstallArgument(),
                         shortcut.name, folder);
        }
    }
}

void InstallSequence::RunRegistration() {
    ui_.Register(request_.version, installDir_);
}

void InstallSequence::ShowReleaseNotes() {
    for (const char* name : {"RELEASE.TXT", "README.TXT"}) {
        const std::string path = installDir_ + name;
        if (!platform_.files.FileExists(path)) continue;
        ui_.ShowTextFile(path);
    }
}

void InstallSequence::CheckCommDriver() {
    const std::string driver = request_.windowsDir + "System\\Comm.drv";
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
    CopyOneFile(platform_, driver, request_.sourceRoot + "Misc\\comm.drv", false);
}

void InstallSequence::AskReboot() {
    if (!ui_.Ask(Question::kRestart, "The system must Reboot to complete the installation.",
                 "Shutdown/Reboot the system now ?")) {
        return;
    }
    if (!ShutdownWindows(platform_, kEwxReboot)) {
        ShowWarning(platform_.boxes, "Error Could Not Shutdown Windows", "Please perform manually");
    }
}

std::string InstallSequence::UninstallArgument() const {
    // Where the volume keeps no short names the path keeps its blanks, and
    // where the short form cannot be had the long one still names the log.
    const std::string log = installDir_ + InstallLog::kFileName;
    const std::string shortPath = platform_.files.ShortPathName(log);
    return CommandArgument(shortPath.empty() ? log : shortPath);
}

}  // namespace mivox
