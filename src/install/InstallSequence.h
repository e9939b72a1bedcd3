// The installation behind the main dialog's Install button (one pass per
// click) and behind Setup.exe /S: the account and destination checks, the
// copy of the medium's trees with its progress, Install.Log, the measurement data files from A:,
// the registry records, the shortcuts, the registration, the release notes, the serial port driver
// on Windows 95/98 and the restart question.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "install/CopyLists.h"
#include "install/InstallLog.h"
#include "install/InstallUi.h"
#include "platform/Machine.h"

namespace mivox {

// What an installation is asked to do, fixed when it starts: the
// destination as the user gave it, the product's version, the drive-space
// figures as shown, the medium's and the Windows folder, and the bytes of
// the medium's directories as the last scan found them.
struct InstallRequest {
    std::string path;    // the folder above the destination, "C:\" of C:\Mivox
    std::string folder;  // the destination's own name as typed
    std::string version;
    int64_t needMegabytes = 0;
    int64_t freeMegabytes = 0;
    std::string sourceRoot;  // with a final backslash
    std::string windowsDir;  // with a final backslash
    std::vector<int64_t> dirBytes;
    int64_t totalBytes = 0;
};

// The date COMM.DRV carries when it is the known good driver: 3 October 1992,
// in the high half of the packed date-time.
inline constexpr uint16_t kGoodCommDriverDate = (12 << 9) | (10 << 5) | 3;

// A progress fraction from 0 to 1; nothing to count (a directory or a whole
// set of empty files) counts as not begun, and sizes that grew since the scan
// stop at 1.
long double ProgressFraction(int64_t done, int64_t total);

// A path as one argument of a command line: in double quotes when it holds
// a blank.
std::string CommandArgument(const std::string& path);

class InstallSequence {
public:
    // ui answers the questions and shows the progress and every outcome.
    InstallSequence(InstallRequest request, const Machine& machine, InstallUi& ui);
    InstallSequence(const InstallSequence&) = delete;
    InstallSequence& operator=(const InstallSequence&) = delete;

    // Every step up to the restart question. False when a check refused, the
    // user said No to the confirmation or cancelled the copy; the main
    // dialog then stays open for another attempt. A failed step raises its
    // error.
    bool Run();

    // The medium's trees into the destination and the Windows directory.
    // True when every directory was processed without a cancel.
    bool CopyProductFiles();

private:
    // The directories of the copy for the destination; false after the
    // refusal when the medium holds too many.
    bool BuildLists();
    bool CheckAdminRights();
    bool CheckDestination();
    // Makes the destination folder and checks that it takes files and that
    // every path of the copy fits; refuses with one warning otherwise.
    bool PrepareDestination();
    // Each gives the reason the destination cannot be used, or nothing.
    std::string PathTooLong() const;
    std::string MakeDestination();
    std::string ProbeDestination();
    void CopyMdfFiles();
    void WriteRegistryData();
    void CreateShortcuts();
    void MakeShortcuts(const std::string& folder);
    // Asked in the installer's yes/no dialog.
    bool Ask(const std::string& top, const std::string& bottom, bool unattendedAnswer);
    void Tell(OutcomeKind kind, const std::string& caption, const std::string& text);
    void RunRegistration();
    void ShowReleaseNotes();
    void CheckCommDriver();
    void AskReboot();
    // The log's path as the uninstaller receives it.
    std::string UninstallArgument() const;

    const InstallRequest request_;
    const Machine machine_;
    InstallUi& ui_;
    // Ends with a backslash from the destination check on.
    std::string installDir_;
    // The folders above the destination this pass made, from the root down.
    std::vector<std::string> madeParents_;
    // What the copy put into the destination, for the uninstaller.
    std::vector<InstalledFile> installedFiles_;
    CopyLists lists_;
    std::unique_ptr<InstallLog> log_;
};

}  // namespace mivox
