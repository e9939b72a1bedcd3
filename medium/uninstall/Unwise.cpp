// UNWISE.EXE, the product's uninstaller, in the Windows folder. Started with
// the path of the installation's Install.Log (as the Uninstall entry and the
// "Mivox Uninstall" link give it), it checks the whole log, shows what it
// will remove and asks once, then undoes the installation in reverse order:
// the folders of shortcuts, the registry keys, the product's folder, and the
// folders the product folder was made in when they are empty. Only the
// files the installation put into the product folder (its list beside the
// log names them) and that are unchanged go; every other file stays and is
// named at the end. Files in use go at the next restart.
//
// Plain Win32 without the C++ library, built for size, like the other small
// programs of the medium.
#include <windows.h>

#include "SimpleUi.h"

#include "uninstall/UninstallLog.h"
#include "util/FixedText.h"
#include "win32/Handles.h"
#include "win32/SystemLibrary.h"

namespace {

using mivox::FixedText;
using mivox::kLogPathSize;
using mivox::LogEntry;
using mivox::LogStamp;
using mivox::simple_ui::Say;

constexpr char kCaption[] = "Mivox Uninstall";

enum ExitCode { kRemoved = 0, kRefused = 1, kDeclined = 2, kNotAllRemoved = 3 };

// What became of the files: shown at the end. Long lists are cut.
struct Outcome {
    static constexpr int kShown = 12;
    FixedText<kShown * kLogPathSize> kept;
    int keptCount = 0;
    FixedText<kShown*(kLogPathSize + 80)> failed;
    int failedCount = 0;
    bool restart = false;

    void Keep(const char* path) {
        if (keptCount++ < kShown) kept.Add("\n").Add(path);
    }
    void Fail(const char* path, DWORD code) {
        if (failedCount++ >= kShown) return;
        char text[256];
        failed.Add("\n").Add(path).Add(": ").Add(mivox::simple_ui::SystemErrorText(code, text));
    }
};

bool IsWinNT() {
    return (GetVersion() & 0x80000000u) == 0;
}

// Windows 95/98 delete a file at restart when WININIT.INI's [Rename] section
// holds NUL=<its short path>. Each deletion needs a line of its own, so the
// section is read and written back whole rather than key by key.
bool DeleteAtRestart9x(const char* path) {
    char ini[MAX_PATH];
    const UINT length = GetWindowsDirectoryA(ini, MAX_PATH - 14);
    if (length == 0 || length >= MAX_PATH - 14) return false;
    lstrcatA(ini, "\\WININIT.INI");
    char shortPath[MAX_PATH];
    const DWORD shortLength = GetShortPathNameA(path, shortPath, MAX_PATH);
    if (shortLength == 0 || shortLength >= MAX_PATH) return false;
    char section[32 * 1024];
    const DWORD used = GetPrivateProfileSectionA("Rename", section, sizeof(section), ini);
    if (used + shortLength + 8 >= sizeof(section)) return false;
    lstrcpyA(section + used, "NUL=");
    lstrcpyA(section + used + 4, shortPath);
    section[used + 4 + shortLength + 1] = '\0';
    return WritePrivateProfileSectionA("Rename", section, ini) != FALSE;
}

bool RemoveAtRestart(const char* path, bool folder) {
    if (IsWinNT()) return MoveFileExA(path, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT) != FALSE;
    return !folder && DeleteAtRestart9x(path);
}

void RemoveFile(const char* path, Outcome& outcome) {
    SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL);
    if (DeleteFileA(path)) return;
    const DWORD code = GetLastError();
    if (code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND) return;
    const bool inUse = code == ERROR_SHARING_VIOLATION || code == ERROR_ACCESS_DENIED ||
                       code == ERROR_LOCK_VIOLATION;
    if (inUse && RemoveAtRestart(path, false)) {
        outcome.restart = true;
        return;
    }
    outcome.Fail(path, code);
}

// Removes an empty folder. One that still holds files kept for the user
// stays without a word; one whose last files go at restart goes with them.
void RemoveFolder(const char* path, Outcome& outcome) {
    SetFileAttributesA(path, FILE_ATTRIBUTE_DIRECTORY);
    if (RemoveDirectoryA(path)) return;
    const DWORD code = GetLastError();
    if (code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND) return;
    if (code == ERROR_DIR_NOT_EMPTY) {
        if (outcome.restart) RemoveAtRestart(path, true);
        return;
    }
    outcome.Fail(path, code);
}

// The files the installation put into the product folder: its list, read
// and checked once; empty where there is none. On the stack, as the log: a
// zeroed array in the image would take its size on disk.
struct FileList {
    char text[mivox::kMaxFileListBytes];
    size_t size = 0;
};

LogStamp LocalStamp(const FILETIME& written) {
    FILETIME local;
    SYSTEMTIME time{};
    if (!FileTimeToLocalFileTime(&written, &local) || !FileTimeToSystemTime(&local, &time)) {
        // A time that cannot be read counts as the user's: it is kept.
        return LogStamp{9999, 12, 31, 23, 59};
    }
    return LogStamp{time.wYear, time.wMonth, time.wDay, time.wHour, time.wMinute};
}

bool IsShortcut(const char* name) {
    const int length = lstrlenA(name);
    return length > 4 && mivox::EqualsUpper(name + length - 4, 4, ".LNK");
}

// A file of the product tree the installation did not put there, or that
// was written since it started, is the user's.
bool IsUsersFile(const char* path, const WIN32_FIND_DATAA& found, const LogEntry& product,
                 const LogStamp& started, const FileList& list) {
    const char* below = path + lstrlenA(product.path) + 1;
    const unsigned long long size =
        (static_cast<unsigned long long>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
    return !mivox::IsListedFile(list.text, list.size, below, size) ||
           mivox::IsUsersFile(started, LocalStamp(found.ftLastWriteTime));
}

// Empties folder, depth first, and removes what is left empty. In the
// product's tree the user's own files stay; in a folder of shortcuts only
// the shortcuts go. The product folder itself (top) goes last, after its log.
void RemoveTree(const char* folder, const LogEntry& entry, const LogStamp& started,
                const FileList& list, bool top, Outcome& outcome) {
    FixedText<kLogPathSize + 2> pattern(folder);
    pattern.Add("\\*");
    WIN32_FIND_DATAA found;
    mivox::win32::FindHandle find(FindFirstFileA(pattern.c_str(), &found));
    if (!find) return;
    do {
        const char* name = found.cFileName;
        if (lstrcmpA(name, ".") == 0 || lstrcmpA(name, "..") == 0) continue;
        FixedText<kLogPathSize> path(folder);
        path.Add("\\").Add(name);
        if (!path.Whole()) {
            outcome.Fail(path.c_str(), ERROR_FILENAME_EXCED_RANGE);
        } else if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            // A junction is removed, never followed: its target is not ours.
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
                RemoveTree(path.c_str(), entry, started, list, false, outcome);
            }
            RemoveFolder(path.c_str(), outcome);
        } else if (entry.productTree && top && mivox::IsInstallationRecord(name)) {
            // The log goes last; the registration form now.
            if (!mivox::EqualsUpper(name, lstrlenA(name), "INSTALL.LOG")) {
                RemoveFile(path.c_str(), outcome);
            }
        } else if (entry.productTree ? IsUsersFile(path.c_str(), found, entry, started, list)
                                     : !IsShortcut(name)) {
            outcome.Keep(path.c_str());
        } else {
            RemoveFile(path.c_str(), outcome);
        }
    } while (FindNextFileA(find.get(), &found));
    if (!top) return;
    if (entry.productTree) {
        FixedText<kLogPathSize + 16> log(folder);
        log.Add("\\").Add("Install.Log");
        RemoveFile(log.c_str(), outcome);
    }
    RemoveFolder(folder, outcome);
}

// Deletes key and every key below it (Windows 95/98 lack a call for it).
LONG DeleteKeyTree(HKEY parent, const char* name) {
    HKEY opened = nullptr;
    LONG result =
        RegOpenKeyExA(parent, name, 0, KEY_ENUMERATE_SUB_KEYS | KEY_QUERY_VALUE | DELETE, &opened);
    if (result == ERROR_FILE_NOT_FOUND) return ERROR_SUCCESS;
    if (result != ERROR_SUCCESS) return result;
    mivox::win32::RegKey key(opened);
    for (;;) {
        char sub[256];
        DWORD length = sizeof(sub);
        result = RegEnumKeyExA(key.get(), 0, sub, &length, nullptr, nullptr, nullptr, nullptr);
        if (result == ERROR_NO_MORE_ITEMS) break;
        if (result != ERROR_SUCCESS) return result;
        result = DeleteKeyTree(key.get(), sub);
        if (result != ERROR_SUCCESS) return result;
    }
    key.reset();
    return RegDeleteKeyA(parent, name);
}

// The argument: the log's path, with or without quotes.
bool LogPathArgument(char (&path)[MAX_PATH]) {
    const char* at = GetCommandLineA();
    if (*at == '"') {
        for (++at; *at && *at != '"'; ++at) {
        }
        if (*at) ++at;
    } else {
        while (*at && *at != ' ' && *at != '\t') ++at;
    }
    while (*at == ' ' || *at == '\t') ++at;
    const bool quoted = *at == '"';
    if (quoted) ++at;
    int length = 0;
    while (at[length] && !(quoted && at[length] == '"')) ++length;
    while (length > 0 && (at[length - 1] == ' ' || at[length - 1] == '\t')) --length;
    if (length == 0 || length >= MAX_PATH) return false;
    lstrcpynA(path, at, length + 1);
    return true;
}

int Refuse(const char* logPath, const char* problem) {
    FixedText<MAX_PATH + 400> text(logPath);
    text.Add("\n\ncannot be used to remove Mivox: ").Add(problem).Add("\n\nNothing was removed.");
    Say(kCaption, text.c_str(), MB_OK | MB_ICONERROR);
    return kRefused;
}

// Reads the whole file into text; a problem, or nothing. The size is
// capacity + 1 when the file is larger.
const char* ReadWholeFile(const char* path, char* text, DWORD capacity, DWORD& size) {
    static char error[256];
    size = 0;
    mivox::win32::FileHandle file(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr,
                                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return mivox::simple_ui::SystemErrorText(GetLastError(), error);
    DWORD high = 0;
    const DWORD length = GetFileSize(file.get(), &high);
    if (length == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) {
        return mivox::simple_ui::SystemErrorText(GetLastError(), error);
    }
    if (high != 0 || length > capacity) {
        size = capacity + 1;
        return nullptr;
    }
    if (!ReadFile(file.get(), text, length, &size, nullptr) || size != length) {
        return mivox::simple_ui::SystemErrorText(GetLastError(), error);
    }
    return nullptr;
}

// A text value of a key below HKEY_LOCAL_MACHINE or HKEY_CURRENT_USER into
// value; left empty when missing, of another type or too long.
void ReadFolderValue(HKEY root, const char* key, const char* name, char (&value)[MAX_PATH]) {
    value[0] = '\0';
    HKEY opened = nullptr;
    if (RegOpenKeyExA(root, key, 0, KEY_QUERY_VALUE, &opened) != ERROR_SUCCESS) return;
    mivox::win32::RegKey closed(opened);
    DWORD type = 0, size = MAX_PATH - 1;
    if (RegQueryValueExA(opened, name, nullptr, &type, reinterpret_cast<BYTE*>(value), &size) !=
            ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ)) {
        value[0] = '\0';
        return;
    }
    value[size] = '\0';
}

// Reads and checks the whole log into plan, and the list of installed files
// beside it; a problem, or nothing.
const char* ReadLog(const char* logPath, mivox::UninstallPlan& plan, FileList& list) {
    // On the stack: a zeroed array in the image would take its size on disk.
    char text[mivox::kMaxLogBytes];
    DWORD size = 0;
    if (const char* problem = ReadWholeFile(logPath, text, sizeof(text), size)) return problem;
    if (size > sizeof(text)) return "It is far larger than an installation's log.";

    constexpr char kShellFolders[] =
        "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
    char windowsDir[MAX_PATH] = {}, systemDir[MAX_PATH] = {}, productDir[MAX_PATH];
    char programs[2][MAX_PATH], desktop[2][MAX_PATH];
    GetWindowsDirectoryA(windowsDir, MAX_PATH);
    GetSystemDirectoryA(systemDir, MAX_PATH);
    ReadFolderValue(HKEY_LOCAL_MACHINE, "SOFTWARE\\Vexlor\\Mivox", "ProgramDir", productDir);
    ReadFolderValue(HKEY_CURRENT_USER, kShellFolders, "Programs", programs[0]);
    ReadFolderValue(HKEY_LOCAL_MACHINE, kShellFolders, "Common Programs", programs[1]);
    ReadFolderValue(HKEY_CURRENT_USER, kShellFolders, "Desktop", desktop[0]);
    ReadFolderValue(HKEY_LOCAL_MACHINE, kShellFolders, "Common Desktop", desktop[1]);
    const mivox::KnownFolders folders{
        windowsDir, systemDir, productDir, {programs[0], programs[1]}, {desktop[0], desktop[1]}};
    if (const char* problem = mivox::ReadUninstallLog(text, size, folders, plan)) return problem;

    // Without its list no file of the product folder is known as the
    // installation's: every one stays.
    FixedText<kLogPathSize + 16> listPath(plan.entries[0].path);
    listPath.Add("\\").Add(mivox::kFileListName);
    DWORD listSize = 0;
    if (ReadWholeFile(listPath.c_str(), list.text, sizeof(list.text), listSize)) {
        return nullptr;
    }
    if (const char* problem = mivox::CheckFileList(list.text, listSize)) return problem;
    list.size = listSize;
    return nullptr;
}

bool Confirm(const mivox::UninstallPlan& plan) {
    FixedText<(mivox::kMaxLogEntries + 8) * (kLogPathSize + 24)> text(
        "Mivox will be removed from this computer:\n");
    for (int i = plan.count - 1; i >= 0; --i) {
        const LogEntry& entry = plan.entries[i];
        if (entry.kind == LogEntry::kRegistryTree) {
            text.Add("\nRegistry key: HKEY_LOCAL_MACHINE\\").Add(entry.path);
        } else if (entry.kind == LogEntry::kMadeDir) {
            text.Add("\nFolder, when empty: ").Add(entry.path);
        } else if (entry.productTree) {
            text.Add("\nProduct folder: ").Add(entry.path);
        } else {
            text.Add("\nShortcuts in: ").Add(entry.path);
        }
    }
    text.Add(
        "\n\nFiles in the product folder that the installation did not put there, and those "
        "changed since, are kept.\n\nRemove Mivox now?");
    return Say(kCaption, text.c_str(), MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) == IDYES;
}

int Report(const Outcome& outcome) {
    FixedText<sizeof(outcome.kept) + sizeof(outcome.failed) + 400> text;
    text.Add(outcome.failedCount ? "Mivox was removed in part." : "Mivox was removed.");
    if (outcome.keptCount) {
        text.Add("\n\nThese files of your own were kept:").Add(outcome.kept.c_str());
        if (outcome.keptCount > Outcome::kShown) {
            text.Add("\n... and ").AddNumber(outcome.keptCount - Outcome::kShown).Add(" more");
        }
    }
    if (outcome.failedCount) {
        text.Add("\n\nThese could not be removed:").Add(outcome.failed.c_str());
        if (outcome.failedCount > Outcome::kShown) {
            text.Add("\n... and ").AddNumber(outcome.failedCount - Outcome::kShown).Add(" more");
        }
    }
    if (outcome.restart) {
        text.Add("\n\nSome files are in use: they will be removed when Windows restarts.");
    }
    Say(kCaption, text.c_str(),
        MB_OK | (outcome.failedCount ? MB_ICONWARNING : MB_ICONINFORMATION));
    return outcome.failedCount ? kNotAllRemoved : kRemoved;
}

int Run() {
    char logPath[MAX_PATH];
    if (!LogPathArgument(logPath)) {
        Say(kCaption,
            "The uninstaller needs the path of the installation's Install.Log, as the "
            "product's Uninstall entry gives it.\n\nNothing was removed.",
            MB_OK | MB_ICONERROR);
        return kRefused;
    }
    mivox::UninstallPlan plan;
    FileList list;
    if (const char* problem = ReadLog(logPath, plan, list)) return Refuse(logPath, problem);
    if (!Confirm(plan)) return kDeclined;

    Outcome outcome;
    for (int i = plan.count - 1; i >= 0; --i) {
        const LogEntry& entry = plan.entries[i];
        switch (entry.kind) {
            case LogEntry::kRegistryTree:
                if (const LONG result = DeleteKeyTree(HKEY_LOCAL_MACHINE, entry.path)) {
                    FixedText<kLogPathSize + 24> key("HKEY_LOCAL_MACHINE\\");
                    outcome.Fail(key.Add(entry.path).c_str(), static_cast<DWORD>(result));
                }
                break;
            case LogEntry::kMadeDir:
                // Only when empty: other products of the maker may share it.
                // The folders above the product folder go after it.
                if (!entry.aboveProduct) RemoveDirectoryA(entry.path);
                break;
            case LogEntry::kFileTree:
                RemoveTree(entry.path, entry, plan.started, list, true, outcome);
                break;
        }
    }
    // Written from the drive's root down: removed from the deepest up.
    for (int i = plan.count - 1; i >= 0; --i) {
        if (plan.entries[i].aboveProduct) RemoveDirectoryA(plan.entries[i].path);
    }
    return Report(outcome);
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    mivox::win32::RestrictLibrarySearch();
    return Run();
}
