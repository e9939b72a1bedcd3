// Reads Install.Log for the uninstaller: what one installation created, in
// the order it was created. Everything in the file is checked before any of
// it is acted on: a log that is damaged, belongs to another product, or
// names a folder or key the product never owns is refused as a whole.
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
    // A folder without trailing backslash, or a key below HKEY_LOCAL_MACHINE.
    char path[kLogPathSize] = {};
};

struct UninstallPlan {
    LogStamp started;
    int count = 0;
    LogEntry entries[kMaxLogEntries];
};

// The folders no log may name, nor any folder above them.
struct ProtectedFolders {
    const char* windowsDir;
    const char* systemDir;
};

// Reads size bytes of a log into plan. Nothing (a null pointer) when the log
// is sound, otherwise what is wrong with it.
const char* ReadUninstallLog(const char* text, size_t size, const ProtectedFolders& folders,
                             UninstallPlan& plan);

// A file of the product tree last written at lastWrite is the user's own and
// stays: the installation copied its files before it started the log, so
// theirs carry older times. The log holds the minute only, so a file of that
// very minute is kept too.
bool IsUsersFile(const LogStamp& started, const LogStamp& lastWrite);

// The files the installer itself writes into the product folder after the
// log has started (the log and the registration form): they go with it.
bool IsInstallationRecord(const char* fileName);

}  // namespace mivox
