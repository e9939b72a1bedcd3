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
constexpr char kVddListKey[] = "SYSTEM\\CurrentControlSet\\Control\\VirtualDeviceDrivers";
constexpr char kVddEntryName[] = "Mivox_VM.DLL";
constexpr int kMaxLogEntries = 32;
// A larger file is not a log this installer wrote.
constexpr size_t kMaxLogBytes = 64 * 1024;

// A local date and time to the minute, as the log's first line gives it.
struct LogStamp {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0;
};

struct LogEntry {
    // kVddEntry: the item the installation added to the NT list of virtual
    // device drivers (the value VDD of kVddListKey), always kVddEntryName.
    enum Kind { kFileTree, kMadeDir, kRegistryTree, kVddEntry };
    Kind kind = kFileTree;
    // The product's own folder (the log's first tree) rather than a folder
    // of shortcuts.
    bool productTree = false;
    // A made folder the product folder lies in: it goes, when empty, after
    // the product folder.
    bool aboveProduct = false;
    // A group of shortcuts ("...\Vexlor\Mivox", "...\Mivox") or the maker's
    // group ("...\Vexlor") outside this user's and all users' shell folders
    // (another administrator's, a profile since moved): it cannot be
    // checked, so it is left and named rather than removed.
    bool unchecked = false;
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

// The files the installer itself writes into the product folder after the
// log has started (the log, the list of files and the registration form):
// they go with it.
bool IsInstallationRecord(const char* fileName);

// Install.Lst, beside the log: the files the installation wrote into the
// product folder. A header line, then one line each (CR LF): the size in
// bytes, one blank, the last-write time as UTC file time (100 ns since
// 1601), one blank, and the path below the product folder
// ("1234 126214201060000000 HELP\MIVOX.HLP"). A file it does not name, or
// whose size or time differ, is not the installation's and stays. A list
// of an older installer, without the header and so without times, names
// no file as the installation's: all of them stay.
constexpr char kFileListName[] = "Install.Lst";
// The list being written, before it is renamed into place.
constexpr char kFileListTemporary[] = "Install.Ls~";
constexpr char kFileListHeader[] = "Mivox installed files, size, UTC time, path";
// Far more than any medium holds (over 200,000 files of the longest path):
// a larger file is not a list this installer wrote.
constexpr size_t kMaxFileListBytes = 64u * 1024 * 1024;

struct ListedFile {
    unsigned long long size = 0;
    unsigned long long writeTime = 0;
    const char* path = nullptr;  // not terminated
    size_t pathSize = 0;
};

// Nothing when size bytes of text are a sound list (an older one without
// times included), otherwise what is wrong; files gets the number of files
// it names as the installation's.
const char* CheckFileList(const char* text, size_t size, size_t& files);
// The first file of a checked list at or after at (text at first): false at
// its end. An older list has none.
bool NextListedFile(const char* text, size_t size, const char*& at, ListedFile& file);

// A hash table over a checked list, so that each file found is looked up in
// constant time however long the list: slots (FileListSlots(files) of them,
// from the caller's memory) hold line offsets.
struct FileListIndex {
    const char* text = nullptr;
    size_t size = 0;
    unsigned* slots = nullptr;
    size_t slotCount = 0;
};
size_t FileListSlots(size_t files);
void BuildFileListIndex(FileListIndex& index);
// The listed file at path (below the product folder, case-blind).
bool FindListedFile(const FileListIndex& index, const char* path, ListedFile& file);
// The file found with this size and UTC write time is the one the
// installation wrote: a file system that keeps times to two seconds (FAT)
// may round them.
bool IsInstalledFile(const ListedFile& listed, unsigned long long size,
                     unsigned long long writeTime);

}  // namespace mivox
