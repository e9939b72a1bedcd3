// Reads Install.Log for the uninstaller: what one installation created, in
// the order it was created. Everything in the file is checked before any of
// it is acted on: a log that is damaged, belongs to another product, or
// names a folder or key other than those an installation makes is refused
// as a whole.
//
// It ships in UNWISE.EXE, a small program of the medium, so it does without
// the C++ library: no heap, no exceptions, fixed buffers.
#pragma once

#include <stddef.h>

namespace mivox {

constexpr size_t kLogPathSize = 260;
constexpr int kMaxLogEntries = 32;
// A larger file is not a log this installer wrote.
constexpr size_t kMaxLogBytes = 64 * 1024;

// A local date and time to the minute, as the log's first line gives it.
struct LogStamp {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0;
};

struct LogEntry {
    enum Kind { kFileTree, kMadeDir, kRegistryTree };
    Kind kind = kFileTree;
    // The product's own folder (the log's first tree) rather than a folder
    // of shortcuts.
    bool productTree = false;
    // A made folder the product folder lies in: it goes, when empty, after
    // the product folder.
    bool aboveProduct = false;
    // A folder without trailing backslash, or a key below HKEY_LOCAL_MACHINE.
    char path[kLogPathSize] = {};
};

struct UninstallPlan {
    LogStamp started;
    int count = 0;
    LogEntry entries[kMaxLogEntries];
};

// The folders of this machine a log is checked against; a null or empty
// text where the machine has none.
struct KnownFolders {
    // No log may name them, nor a folder above them.
    const char* windowsDir;
    const char* systemDir;
    // The product folder its registry record names: where it exists, the
    // log's first tree must be that folder.
    const char* productDir;
    // The shell's program-menu and desktop folders, the current user's and
    // all users': the group folders below them are the only other trees.
    const char* programsDirs[2];
    const char* desktopDirs[2];
};

// Reads size bytes of a log into plan. Nothing (a null pointer) when the log
// is sound, otherwise what is wrong with it.
const char* ReadUninstallLog(const char* text, size_t size, const KnownFolders& folders,
                             UninstallPlan& plan);

// A file of the product tree last written at lastWrite is the user's own and
// stays: the installation copied its files before it started the log, so
// theirs carry older times. The log holds the minute only, so a file of that
// very minute is kept too.
bool IsUsersFile(const LogStamp& started, const LogStamp& lastWrite);

// The files the installer itself writes into the product folder after the
// log has started (the log, the list of files and the registration form):
// they go with it.
bool IsInstallationRecord(const char* fileName);

// Install.Lst, beside the log: the files the installation put into the
// product folder, one line each (CR LF), the size in bytes, one blank, and
// the path below the product folder ("1234 HELP\MIVOX.HLP"). A file it
// does not name is not the installation's and stays.
constexpr char kFileListName[] = "Install.Lst";
constexpr size_t kMaxFileListBytes = 256 * 1024;

// Nothing when size bytes of text are a sound list, otherwise what is wrong.
const char* CheckFileList(const char* text, size_t size);
// True when the checked list names the file at path (below the product
// folder, case-blind) with this size.
bool IsListedFile(const char* list, size_t listSize, const char* path, unsigned long long size);

}  // namespace mivox
