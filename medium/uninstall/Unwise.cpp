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
using mivox::simple_ui::Say;

constexpr char kCaption[] = "Mivox Uninstall";
constexpr char kUnchecked[] =
    "not among your or all users' Start menu and desktop folders, so not checked; left";

enum ExitCode {
    kRemoved = 0,
    kRefused = 1,
    kDeclined = 2,
    kNotAllRemoved = 3,
    kRestartNeeded = 3010
};

// What became of the files: shown at the end. Long lists are cut.
struct Outcome {
    static constexpr int kShown = 12;
    FixedText<kShown * kLogPathSize> kept;
    int keptCount = 0;
    FixedText<kShown*(kLogPathSize + 80)> failed;
    int failedCount = 0;
    FixedText<kShown * kLogPathSize> waiting;
    int waitingCount = 0;
    bool restart = false;

    void Keep(const char* path) {
        if (keptCount++ < kShown) kept.Add("\n").Add(path);
    }
    void Wait(const char* path) {
        restart = true;
        if (waitingCount++ < kShown) waiting.Add("\n").Add(path);
    }
    void Leave(const char* path, const char* reason) {
        if (failedCount++ < kShown) failed.Add("\n").Add(path).Add(": ").Add(reason);
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

// Administrators, the system and services: those whose changes to a folder
// an administrator's uninstall may trust.
bool IsTrusted(PSID sid) {
    if (!sid || !IsValidSid(sid)) return false;
    const SID_IDENTIFIER_AUTHORITY* authority = GetSidIdentifierAuthority(sid);
    const BYTE count = *GetSidSubAuthorityCount(sid);
    const BYTE nt[6] = {0, 0, 0, 0, 0, 5};
    for (int i = 0; i < 6; ++i) {
        if (authority->Value[i] != nt[i]) return false;
    }
    const DWORD first = count ? *GetSidSubAuthority(sid, 0) : 0;
    return (count == 1 && first == 18) || first == 80 ||
           (count == 2 && first == 32 && *GetSidSubAuthority(sid, 1) == 544);
}

// True unless only the trusted may change the folder: own it, add, delete
// or rename what it holds, or change its access list. A folder whose
// security cannot be read counts as open to anyone.
bool OthersMayChange(const char* folder) {
    constexpr DWORD kChange = FILE_ADD_FILE | FILE_ADD_SUBDIRECTORY | FILE_DELETE_CHILD | DELETE |
                              WRITE_DAC | WRITE_OWNER | GENERIC_WRITE | GENERIC_ALL;
    const SECURITY_INFORMATION wanted = OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION;
    DWORD needed = 0;
    GetFileSecurityA(folder, wanted, nullptr, 0, &needed);
    if (needed == 0 || needed > 64 * 1024) return true;
    void* descriptor = HeapAlloc(GetProcessHeap(), 0, needed);
    if (!descriptor) return true;
    bool others = true;
    BOOL present = FALSE, defaulted = FALSE;
    PACL dacl = nullptr;
    PSID owner = nullptr;
    if (GetFileSecurityA(folder, wanted, descriptor, needed, &needed) &&
        GetSecurityDescriptorDacl(descriptor, &present, &dacl, &defaulted) && present && dacl &&
        GetSecurityDescriptorOwner(descriptor, &owner, &defaulted) && IsTrusted(owner)) {
        others = false;
        for (DWORD i = 0; i < dacl->AceCount && !others; ++i) {
            void* ace = nullptr;
            if (!GetAce(dacl, i, &ace)) {
                others = true;
                break;
            }
            const auto* allowed = static_cast<const ACCESS_ALLOWED_ACE*>(ace);
            if (allowed->Header.AceType != ACCESS_ALLOWED_ACE_TYPE ||
                (allowed->Header.AceFlags & INHERIT_ONLY_ACE)) {
                continue;
            }
            PSID sid = const_cast<DWORD*>(&allowed->SidStart);
            others = (allowed->Mask & kChange) && !IsTrusted(sid);
        }
    }
    HeapFree(GetProcessHeap(), 0, descriptor);
    return others;
}

// A deletion at restart is stored by path: whoever may change a folder on
// it could by then have put another folder, or a junction, in its place.
// It is asked for only where the file's folder and every folder above it
// are the trusted's alone.
bool SafeToRemoveAtRestart(const char* path) {
    if (!IsWinNT()) return true;  // Windows 95/98: no access lists at all
    char folder[MAX_PATH];
    lstrcpynA(folder, path, MAX_PATH);
    for (int end = lstrlenA(folder); end > 3; --end) {
        if (folder[end] != '\\') continue;
        folder[end] = '\0';
        if (OthersMayChange(folder)) return false;
    }
    return true;
}

void RemoveFile(const char* path, Outcome& outcome) {
    SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL);
    if (DeleteFileA(path)) return;
    const DWORD code = GetLastError();
    if (code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND) return;
    const bool inUse = code == ERROR_SHARING_VIOLATION || code == ERROR_ACCESS_DENIED ||
                       code == ERROR_LOCK_VIOLATION;
    if (inUse && !SafeToRemoveAtRestart(path)) {
        // Kept rather than left to a restart anyone could redirect.
        outcome.Fail(path, code);
        return;
    }
    if (inUse && RemoveAtRestart(path, false)) {
        outcome.Wait(path);
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
        // Its last files may go at the restart: it waits for them, after
        // them, the deepest first as the walk comes up.
        if (outcome.restart && RemoveAtRestart(path, true)) outcome.Wait(path);
        return;
    }
    outcome.Fail(path, code);
}

// The files the installation wrote into the product folder: its list, read,
// checked and indexed once, in memory of its own size; empty where there is
// none.
struct FileList {
    char* text = nullptr;
    mivox::FileListIndex index;

    FileList() = default;
    FileList(const FileList&) = delete;
    FileList& operator=(const FileList&) = delete;
    ~FileList() {
        if (text) HeapFree(GetProcessHeap(), 0, text);
        if (index.slots) HeapFree(GetProcessHeap(), 0, index.slots);
    }
};

bool IsShortcut(const char* name) {
    const int length = lstrlenA(name);
    return length > 4 && mivox::EqualsUpper(name + length - 4, 4, ".LNK");
}

// A file of the product tree the installation did not write, or that was
// changed since, is the user's.
// Size and time are compared as the file system keeps them, in UTC: a
// summer installation and a winter uninstall see the same times.
bool IsUsersFile(const char* path, const WIN32_FIND_DATAA& found, const LogEntry& product,
                 const FileList& list) {
    const char* below = path + lstrlenA(product.path) + 1;
    const unsigned long long size =
        (static_cast<unsigned long long>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
    const unsigned long long written =
        (static_cast<unsigned long long>(found.ftLastWriteTime.dwHighDateTime) << 32) |
        found.ftLastWriteTime.dwLowDateTime;
    mivox::ListedFile listed;
    return !mivox::FindListedFile(list.index, below, listed) ||
           !mivox::IsInstalledFile(listed, size, written);
}

bool LeadsElsewhere(const char* name) {
    for (const char* c = name; *c; ++c) {
        if (*c == '\\' || *c == '/' || *c == ':' || *c == '*' || *c == '?' || *c == '"' ||
            *c == '<' || *c == '>' || *c == '|') {
            return true;
        }
    }
    return false;
}

// Empties folder, depth first, and removes what is left empty. In the
// product's tree the user's own files stay; in a folder of shortcuts only
// the shortcuts go. The product folder itself, its log and its list stay
// for the end.
void RemoveTree(const char* folder, const LogEntry& entry, const FileList& list, bool top,
                Outcome& outcome) {
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
        if (LeadsElsewhere(name)) {
            // A name the code page's conversion gave a separator, a drive or
            // a wildcard (a full-width backslash comes back as "\\"): it
            // would lead out of the tree. It stays, and is named.
            outcome.Fail(path.c_str(), ERROR_INVALID_NAME);
        } else if (!path.Whole()) {
            outcome.Fail(path.c_str(), ERROR_FILENAME_EXCED_RANGE);
        } else if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            // A junction is removed, never followed: its target is not ours.
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
                RemoveTree(path.c_str(), entry, list, false, outcome);
            }
            RemoveFolder(path.c_str(), outcome);
        } else if (entry.productTree && top && mivox::IsInstallationRecord(name)) {
            // The log and its list go last, when nothing stays; the
            // registration form now.
            if (!mivox::EqualsUpper(name, lstrlenA(name), "INSTALL.LOG") &&
                !mivox::EqualsUpper(name, lstrlenA(name), "INSTALL.LST")) {
                RemoveFile(path.c_str(), outcome);
            }
        } else if (entry.productTree ? IsUsersFile(path.c_str(), found, entry, list)
                                     : !IsShortcut(name)) {
            outcome.Keep(path.c_str());
        } else {
            RemoveFile(path.c_str(), outcome);
        }
    } while (FindNextFileA(find.get(), &found));
    // The product folder goes at the end, with its log.
    if (top && !entry.productTree) RemoveFolder(folder, outcome);
}

// NtDeleteKey: deletes the key a handle stands for, so that a key opened as
// a link goes as the link it is. Windows 95/98 have neither the call nor
// links.
using DeleteByHandle = LONG(WINAPI*)(HANDLE);

DeleteByHandle KeyDeleter() {
    const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll ? reinterpret_cast<DeleteByHandle>(
                       reinterpret_cast<void*>(GetProcAddress(ntdll, "NtDeleteKey")))
                 : nullptr;
}

// Deletes key and every key below it (Windows 95/98 lack a call for it).
// Every key is opened as a link (REG_OPTION_OPEN_LINK): a link that anyone
// may make below the product key is removed itself, never followed into
// the key it points at.
LONG DeleteKeyTree(HKEY parent, const char* name, int depth = 0) {
    constexpr DWORD kOpenLink = 0x00000008;  // REG_OPTION_OPEN_LINK
    constexpr DWORD kLinkType = 6;           // REG_LINK
    if (depth > 32) return ERROR_CANTOPEN;
    static const DeleteByHandle deleteKey = KeyDeleter();
    HKEY opened = nullptr;
    LONG result = RegOpenKeyExA(parent, name, deleteKey ? kOpenLink : 0,
                                KEY_ENUMERATE_SUB_KEYS | KEY_QUERY_VALUE | DELETE, &opened);
    if (result == ERROR_FILE_NOT_FOUND) return ERROR_SUCCESS;
    if (result != ERROR_SUCCESS) return result;
    mivox::win32::RegKey key(opened);
    DWORD type = 0;
    const bool link = RegQueryValueExA(key.get(), "SymbolicLinkValue", nullptr, &type, nullptr,
                                       nullptr) == ERROR_SUCCESS &&
                      type == kLinkType;
    for (DWORD skipped = 0; !link;) {
        char sub[256];
        DWORD length = sizeof(sub);
        result =
            RegEnumKeyExA(key.get(), skipped, sub, &length, nullptr, nullptr, nullptr, nullptr);
        if (result == ERROR_NO_MORE_ITEMS) break;
        if (result != ERROR_SUCCESS) return result;
        // One that stays is passed over, so the walk always ends.
        if (DeleteKeyTree(key.get(), sub, depth + 1) != ERROR_SUCCESS) ++skipped;
    }
    if (deleteKey) return deleteKey(key.get()) == 0 ? ERROR_SUCCESS : ERROR_ACCESS_DENIED;
    key.reset();
    return RegDeleteKeyA(parent, name);
}

// Takes the product's item out of the NT list of virtual device drivers,
// leaving the others as they are.
LONG RemoveVddEntry() {
    HKEY opened = nullptr;
    LONG result = RegOpenKeyExA(HKEY_LOCAL_MACHINE, mivox::kVddListKey, 0,
                                KEY_QUERY_VALUE | KEY_SET_VALUE, &opened);
    if (result == ERROR_FILE_NOT_FOUND) return ERROR_SUCCESS;
    if (result != ERROR_SUCCESS) return result;
    mivox::win32::RegKey key(opened);
    char list[8192], kept[8192];
    DWORD type = 0, size = sizeof(list) - 2;
    result =
        RegQueryValueExA(key.get(), "VDD", nullptr, &type, reinterpret_cast<BYTE*>(list), &size);
    if (result == ERROR_FILE_NOT_FOUND) return ERROR_SUCCESS;
    if (result != ERROR_SUCCESS) return result;
    if (type != REG_MULTI_SZ) return ERROR_SUCCESS;
    list[size] = list[size + 1] = '\0';
    DWORD keptSize = 0;
    bool found = false;
    for (DWORD at = 0; at < size && list[at];) {
        const int length = lstrlenA(list + at);
        if (mivox::EqualsUpper(list + at, static_cast<size_t>(length), "MIVOX_VM.DLL")) {
            found = true;
        } else {
            lstrcpyA(kept + keptSize, list + at);
            keptSize += static_cast<DWORD>(length) + 1;
        }
        at += static_cast<DWORD>(length) + 1;
    }
    if (!found) return ERROR_SUCCESS;
    if (keptSize == 0) kept[keptSize++] = '\0';
    kept[keptSize++] = '\0';
    return RegSetValueExA(key.get(), "VDD", 0, REG_MULTI_SZ, reinterpret_cast<BYTE*>(kept),
                          keptSize);
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

// Reads, checks and indexes the list; a problem, or nothing (also where
// there is no list to read).
const char* ReadFileList(const char* path, FileList& list) {
    mivox::win32::FileHandle file(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr,
                                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return nullptr;
    DWORD high = 0;
    const DWORD length = GetFileSize(file.get(), &high);
    if (length == INVALID_FILE_SIZE || high != 0 || length > mivox::kMaxFileListBytes) {
        return "The list of installed files beside it is too large.";
    }
    list.text = static_cast<char*>(HeapAlloc(GetProcessHeap(), 0, length + 1));
    DWORD read = 0;
    if (!list.text) return "There is not enough memory to read the list of installed files.";
    if (!ReadFile(file.get(), list.text, length, &read, nullptr) || read != length) {
        return "The list of installed files beside it cannot be read.";
    }
    size_t files = 0;
    if (const char* problem = mivox::CheckFileList(list.text, length, files)) return problem;
    list.index.text = list.text;
    list.index.size = length;
    list.index.slotCount = mivox::FileListSlots(files);
    list.index.slots = static_cast<unsigned*>(
        HeapAlloc(GetProcessHeap(), 0, list.index.slotCount * sizeof(unsigned)));
    if (!list.index.slots) {
        list.index.slotCount = 0;
        return "There is not enough memory to read the list of installed files.";
    }
    mivox::BuildFileListIndex(list.index);
    return nullptr;
}

// A folder as the file system knows it, whatever its spelling (8.3 names,
// case, a second path to it): its volume and its index there.
struct FolderId {
    DWORD volume = 0, high = 0, low = 0;
    bool known = false;
    bool operator==(const FolderId& other) const {
        return known && other.known && volume == other.volume && high == other.high &&
               low == other.low;
    }
};

FolderId IdOf(const char* folder) {
    FolderId id;
    if (!folder || !*folder) return id;
    // Windows 95/98 cannot open a folder: there, only the spelling compares.
    mivox::win32::FileHandle handle(
        CreateFileA(folder, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    BY_HANDLE_FILE_INFORMATION info;
    if (handle && GetFileInformationByHandle(handle.get(), &info)) {
        id = {info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow, true};
    }
    return id;
}

// True when a folder of the tree is, or lies in, a junction or link.
bool InJunction(const char* path) {
    char folder[kLogPathSize];
    lstrcpynA(folder, path, kLogPathSize);
    for (int end = lstrlenA(folder); end > 2; --end) {
        if (folder[end] != '\0' && folder[end] != '\\') continue;
        folder[end] = '\0';
        const DWORD attributes = GetFileAttributesA(folder);
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
            return true;
        }
    }
    return false;
}

// The ids of a folder and of every folder above it, below the drive's root.
struct Covering {
    static constexpr int kMost = 24;
    FolderId ids[kMost];
    int count = 0;

    void Add(const char* path) {
        if (!path || !*path) return;
        char folder[MAX_PATH];
        lstrcpynA(folder, path, MAX_PATH);
        for (int end = lstrlenA(folder); end > 2 && count < kMost; --end) {
            if (folder[end] != '\0' && folder[end] != '\\') continue;
            folder[end] = '\0';
            ids[count++] = IdOf(folder);
        }
    }
    bool Holds(const FolderId& id) const {
        for (int i = 0; i < count; ++i) {
            if (ids[i] == id) return true;
        }
        return false;
    }
};

// The checks of the log that need the disk: no product folder that is or
// lies in a junction or link, a log that lies in its product folder, and no
// folder that is the Windows or system folder or one above them (for the
// product folder also a shell folder) by another spelling: an 8.3 name, a
// junction, a second path to it.
const char* CheckFoldersOnDisk(const char* logPath, const mivox::UninstallPlan& plan,
                               const mivox::KnownFolders& known) {
    Covering system, shell;
    system.Add(known.windowsDir);
    system.Add(known.systemDir);
    for (int i = 0; i < 2; ++i) {
        shell.Add(known.programsDirs[i]);
        shell.Add(known.desktopDirs[i]);
    }
    char logFolder[MAX_PATH];
    lstrcpynA(logFolder, logPath, MAX_PATH);
    for (int end = lstrlenA(logFolder); end > 0; --end) {
        if (logFolder[end - 1] != '\\') continue;
        logFolder[end - 1] = '\0';
        break;
    }
    const FolderId product = IdOf(plan.entries[0].path);
    if (product.known && !(IdOf(logFolder) == product)) {
        return "It does not lie in the product folder it names.";
    }
    if (InJunction(plan.entries[0].path)) {
        return "Its product folder is, or lies in, a junction or link: the files there are not "
               "where the log says.";
    }
    for (int i = 0; i < plan.count; ++i) {
        const LogEntry& entry = plan.entries[i];
        if (entry.kind != LogEntry::kFileTree && entry.kind != LogEntry::kMadeDir) continue;
        const FolderId id = IdOf(entry.path);
        if (system.Holds(id)) {
            return "It names the Windows folder, the system folder or a folder above them.";
        }
        if (entry.productTree && shell.Holds(id)) {
            return "Its product folder is a folder of the Start menu or the desktop, or one above "
                   "them.";
        }
    }
    return nullptr;
}

// Reads and checks the whole log into plan, and the list of installed files
// beside it; a problem, or nothing.
const char* ReadLog(const char* logPath, mivox::UninstallPlan& plan, FileList& list,
                    char (&startLine)[64]) {
    // On the stack: a zeroed array in the image would take its size on disk.
    char text[mivox::kMaxLogBytes];
    DWORD size = 0;
    if (const char* problem = ReadWholeFile(logPath, text, sizeof(text), size)) return problem;
    if (size > sizeof(text)) return "It is far larger than an installation's log.";
    DWORD length = 0;
    while (length < size && length + 1 < sizeof(startLine) && text[length] != '\r' &&
           text[length] != '\n') {
        startLine[length] = text[length];
        ++length;
    }
    startLine[length] = '\0';

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
    if (const char* problem = CheckFoldersOnDisk(logPath, plan, folders)) return problem;

    // Without its list no file of the product folder is known as the
    // installation's: every one stays.
    FixedText<kLogPathSize + 16> listPath(plan.entries[0].path);
    listPath.Add("\\").Add(mivox::kFileListName);
    return ReadFileList(listPath.c_str(), list);
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
        } else if (entry.kind == LogEntry::kVddEntry) {
            text.Add("\nVirtual device driver: ").Add(entry.path);
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
    FixedText<sizeof(outcome.kept) + sizeof(outcome.failed) + sizeof(outcome.waiting) + 600> text;
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
    if (outcome.failedCount) {
        text.Add(
            "\n\nThe log and the Uninstall entry now name what is left: run the uninstaller "
            "again to remove it.");
    }
    if (outcome.restart) {
        text.Add("\n\nThese are in use: they will be removed when Windows restarts:")
            .Add(outcome.waiting.c_str());
        if (outcome.waitingCount > Outcome::kShown) {
            text.Add("\n... and ").AddNumber(outcome.waitingCount - Outcome::kShown).Add(" more");
        }
    }
    Say(kCaption, text.c_str(),
        MB_OK | (outcome.failedCount ? MB_ICONWARNING : MB_ICONINFORMATION));
    if (outcome.failedCount) return kNotAllRemoved;
    return outcome.restart ? kRestartNeeded : kRemoved;
}

// Writes size bytes to path under a temporary name first and renames it
// into place, so that a log or list is always whole.
bool WriteReplacing(const char* path, const char* data, DWORD size) {
    FixedText<kLogPathSize + 4> temporary(path);
    temporary.Add("~");
    {
        mivox::win32::FileHandle file(CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr,
                                                  CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        DWORD written = 0;
        if (!file || !WriteFile(file.get(), data, size, &written, nullptr) || written != size) {
            DeleteFileA(temporary.c_str());
            return false;
        }
    }
    if (MoveFileExA(temporary.c_str(), path, MOVEFILE_REPLACE_EXISTING)) return true;
    // Windows 95/98 have no MoveFileEx: the old file goes first.
    if (GetLastError() == ERROR_CALL_NOT_IMPLEMENTED) {
        DeleteFileA(path);
        if (MoveFileA(temporary.c_str(), path)) return true;
    }
    DeleteFileA(temporary.c_str());
    return false;
}

// What stays, for the next run: a log naming only the product folder and
// the entries that stay (and the Uninstall entry, which stays with them),
// and a list naming only the installation's files still there unchanged.
bool KeepRecords(const char* logPath, const char* startLine, const mivox::UninstallPlan& plan,
                 const bool (&stays)[mivox::kMaxLogEntries], const FileList& list) {
    FixedText<(mivox::kMaxLogEntries + 4) * (kLogPathSize + 32)> log(startLine);
    log.Add("\r\nTitle: Mivox\r\n");
    for (int i = 0; i < plan.count; ++i) {
        const LogEntry& entry = plan.entries[i];
        if (i > 0 && !stays[i]) continue;
        switch (entry.kind) {
            case LogEntry::kFileTree:
                log.Add("File Tree: ").Add(entry.path).Add("\\*.*\r\n");
                break;
            case LogEntry::kMadeDir:
                log.Add("Made Dir: ").Add(entry.path).Add("\r\n");
                break;
            case LogEntry::kRegistryTree:
                log.Add("RegDB Root: 2\r\nRegDB TREE: ").Add(entry.path).Add("\r\n");
                break;
            case LogEntry::kVddEntry:
                log.Add("VDD Entry: ").Add(entry.path).Add("\r\n");
                break;
        }
    }
    if (!log.Whole() || !WriteReplacing(logPath, log.c_str(), static_cast<DWORD>(log.size()))) {
        return false;
    }
    FixedText<kLogPathSize + 16> listPath(plan.entries[0].path);
    listPath.Add("\\").Add(mivox::kFileListName);
    const DWORD header = sizeof(mivox::kFileListHeader) + 1;
    char* kept = static_cast<char*>(HeapAlloc(GetProcessHeap(), 0, list.index.size + header));
    if (!kept) return false;
    lstrcpyA(kept, mivox::kFileListHeader);
    lstrcatA(kept, "\r\n");
    DWORD size = header;
    const char* at = list.index.text;
    mivox::ListedFile listed;
    while (list.index.text && NextListedFile(list.index.text, list.index.size, at, listed)) {
        FixedText<kLogPathSize> path(plan.entries[0].path);
        path.Add("\\").Add(listed.path, listed.pathSize);
        WIN32_FIND_DATAA found;
        mivox::win32::FindHandle find(FindFirstFileA(path.c_str(), &found));
        if (!find || !path.Whole() || IsUsersFile(path.c_str(), found, plan.entries[0], list)) {
            continue;
        }
        // The whole line as it was: from its size to its end.
        const char* line = listed.path;
        while (line > list.index.text && line[-1] != '\n') --line;
        const DWORD length = static_cast<DWORD>(at - line);
        for (DWORD i = 0; i < length; ++i) kept[size + i] = line[i];
        size += length;
    }
    const bool written = WriteReplacing(listPath.c_str(), kept, size);
    HeapFree(GetProcessHeap(), 0, kept);
    return written;
}

bool IsUninstallEntry(const LogEntry& entry) {
    return entry.kind == LogEntry::kRegistryTree &&
           mivox::EqualsUpper(entry.path, static_cast<size_t>(lstrlenA(entry.path)),
                              "SOFTWARE\\MICROSOFT\\WINDOWS\\CURRENTVERSION\\UNINSTALL\\MIVOX");
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
    char startLine[64] = {};
    if (const char* problem = ReadLog(logPath, plan, list, startLine)) {
        return Refuse(logPath, problem);
    }
    if (!Confirm(plan)) return kDeclined;

    Outcome outcome;
    bool stays[mivox::kMaxLogEntries] = {};
    bool anything = false;
    for (int i = plan.count - 1; i >= 0; --i) {
        const LogEntry& entry = plan.entries[i];
        const int failedBefore = outcome.failedCount;
        switch (entry.kind) {
            case LogEntry::kRegistryTree:
                // The Uninstall entry goes last, and only when nothing stays.
                if (IsUninstallEntry(entry)) break;
                if (const LONG result = DeleteKeyTree(HKEY_LOCAL_MACHINE, entry.path)) {
                    FixedText<kLogPathSize + 24> key("HKEY_LOCAL_MACHINE\\");
                    outcome.Fail(key.Add(entry.path).c_str(), static_cast<DWORD>(result));
                }
                break;
            case LogEntry::kVddEntry:
                if (const LONG result = RemoveVddEntry()) {
                    FixedText<kLogPathSize + 80> item("Mivox_VM.DLL in HKEY_LOCAL_MACHINE\\");
                    outcome.Fail(item.Add(mivox::kVddListKey).c_str(), static_cast<DWORD>(result));
                }
                break;
            case LogEntry::kMadeDir:
                // Only when empty: other products of the maker may share it.
                // The folders above the product folder go after it.
                if (entry.unchecked) {
                    outcome.Leave(entry.path, kUnchecked);
                } else if (!entry.aboveProduct) {
                    RemoveDirectoryA(entry.path);
                }
                stays[i] = true;
                break;
            case LogEntry::kFileTree:
                // A group moved into a junction since: its target is not ours.
                if (entry.unchecked) {
                    outcome.Leave(entry.path, kUnchecked);
                } else if (!entry.productTree && InJunction(entry.path)) {
                    outcome.Fail(entry.path, ERROR_CANT_ACCESS_FILE);
                } else {
                    RemoveTree(entry.path, entry, list, true, outcome);
                }
                break;
        }
        if (outcome.failedCount != failedBefore) {
            stays[i] = true;
            anything = true;
        }
    }
    if (anything) {
        // The next run finds what stays, and only that.
        for (int i = 0; i < plan.count; ++i)
            stays[i] = stays[i] || IsUninstallEntry(plan.entries[i]);
        if (!KeepRecords(logPath, startLine, plan, stays, list)) {
            outcome.Fail(logPath, GetLastError());
        }
        return Report(outcome);
    }
    FixedText<kLogPathSize + 16> listPath(plan.entries[0].path);
    listPath.Add("\\").Add(mivox::kFileListName);
    RemoveFile(listPath.c_str(), outcome);
    RemoveFile(logPath, outcome);
    RemoveFolder(plan.entries[0].path, outcome);
    for (int i = 0; i < plan.count; ++i) {
        if (!IsUninstallEntry(plan.entries[i])) continue;
        if (const LONG result = DeleteKeyTree(HKEY_LOCAL_MACHINE, plan.entries[i].path)) {
            FixedText<kLogPathSize + 24> key("HKEY_LOCAL_MACHINE\\");
            outcome.Fail(key.Add(plan.entries[i].path).c_str(), static_cast<DWORD>(result));
        }
    }
    // Written from the drive's root down: removed from the deepest up, at
    // the restart after the product folder where that waits.
    for (int i = plan.count - 1; i >= 0; --i) {
        if (plan.entries[i].aboveProduct) RemoveFolder(plan.entries[i].path, outcome);
    }
    return Report(outcome);
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    mivox::win32::RestrictLibrarySearch();
    return Run();
}
