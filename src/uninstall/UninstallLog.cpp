#include "uninstall/UninstallLog.h"

#include "util/FixedText.h"

namespace mivox {

namespace {

// One line of the text, without its end.
struct Line {
    const char* text;
    size_t size;
};

bool StartsWith(const Line& line, const char* prefix, Line& rest) {
    size_t i = 0;
    for (; prefix[i]; ++i) {
        if (i >= line.size || line.text[i] != prefix[i]) return false;
    }
    rest = {line.text + i, line.size - i};
    return true;
}

bool Is(const Line& line, const char* whole) {
    Line rest{};
    return StartsWith(line, whole, rest) && rest.size == 0;
}

bool Digit(char c) {
    return c >= '0' && c <= '9';
}

// Right-aligned number of width places (leading blanks allowed).
bool ReadNumber(const char* text, size_t width, int& value) {
    value = 0;
    size_t i = 0;
    while (i + 1 < width && text[i] == ' ') ++i;
    if (i == width) return false;
    for (; i < width; ++i) {
        if (!Digit(text[i])) return false;
        value = value * 10 + (text[i] - '0');
    }
    return true;
}

bool ReadName(const char* text, const char* const (&names)[12], int count, int& index) {
    for (int i = 0; i < count; ++i) {
        if (text[0] == names[i][0] && text[1] == names[i][1] && text[2] == names[i][2]) {
            index = i;
            return true;
        }
    }
    return false;
}

// "Jan  7, 2001  Sun  9:05 am ***" after the start line's keyword.
bool ReadStamp(const Line& line, LogStamp& stamp) {
    static const char* const kMonths[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                            "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    static const char* const kDays[12] = {"Sun", "Mon", "Tue", "Wed", "Thr", "Fri", "Sat"};
    constexpr char kShape[] = "Mmm dd, yyyy  Ddd hh:mm am ***";
    if (line.size != sizeof(kShape) - 1) return false;
    const char* t = line.text;
    int month = 0, weekday = 0;
    if (!ReadName(t, kMonths, 12, month) || t[3] != ' ' || !ReadNumber(t + 4, 2, stamp.day) ||
        t[6] != ',' || t[7] != ' ' || !ReadNumber(t + 8, 4, stamp.year) || t[8] == ' ' ||
        t[12] != ' ' || t[13] != ' ' || !ReadName(t + 14, kDays, 7, weekday) || t[17] != ' ' ||
        !ReadNumber(t + 18, 2, stamp.hour) || t[20] != ':' || !Digit(t[21]) ||
        !ReadNumber(t + 21, 2, stamp.minute) || t[23] != ' ' || t[25] != 'm' || t[26] != ' ' ||
        t[27] != '*' || t[28] != '*' || t[29] != '*') {
        return false;
    }
    stamp.month = month + 1;
    if (stamp.day < 1 || stamp.day > 31 || stamp.hour < 1 || stamp.hour > 12 || stamp.minute > 59 ||
        (t[24] != 'a' && t[24] != 'p')) {
        return false;
    }
    stamp.hour = stamp.hour % 12 + (t[24] == 'p' ? 12 : 0);
    return true;
}

// Case-blind: is folder the same as protectedDir, or above it?
bool Covers(const char* folder, size_t size, const char* protectedDir) {
    if (!protectedDir || !*protectedDir) return false;
    size_t i = 0;
    for (; i < size; ++i) {
        if (!protectedDir[i] || AsciiUpper(folder[i]) != AsciiUpper(protectedDir[i])) return false;
    }
    return !protectedDir[i] || protectedDir[i] == '\\';
}

// Case-blind: is folder strictly above below?
bool Above(const char* folder, size_t size, const char* below) {
    return Covers(folder, size, below) && below[size] == '\\';
}

// Case-blind: is folder base + tail, for a base that is known?
bool IsBelow(const Line& folder, const char* base, const char* tail) {
    if (!base || !*base) return false;
    size_t i = 0;
    for (; base[i]; ++i) {
        if (i >= folder.size || AsciiUpper(folder.text[i]) != AsciiUpper(base[i])) return false;
    }
    return EqualsUpper(folder.text + i, folder.size - i, tail);
}

// A folder of a local drive: "X:\name[\name...]", each name plain (no
// "." or "..", no trailing dot or blank, no wildcard, no second stream),
// below the root.
const char* CheckFolder(const Line& value, const KnownFolders& folders) {
    const char* t = value.text;
    if (value.size >= kLogPathSize) return "A path in it is longer than Windows allows.";
    if (value.size == 2 && t[1] == ':') return "It names the root folder of a drive.";
    if (value.size < 3 || AsciiUpper(t[0]) < 'A' || AsciiUpper(t[0]) > 'Z' || t[1] != ':' ||
        t[2] != '\\') {
        return "A path in it is not a full path on a drive.";
    }
    if (value.size == 3) return "It names the root folder of a drive.";
    size_t nameStart = 3;
    for (size_t i = 3; i <= value.size; ++i) {
        const char c = i < value.size ? t[i] : '\\';
        if (c == '\\') {
            const size_t length = i - nameStart;
            if (length == 0 || (length == 1 && t[nameStart] == '.') ||
                (length == 2 && t[nameStart] == '.' && t[nameStart + 1] == '.')) {
                return "A path in it has an empty, \".\" or \"..\" folder name.";
            }
            // Windows drops them: "C:\WINDOWS." is the Windows folder, and
            // "..." would climb like "..".
            if (t[i - 1] == '.' || t[i - 1] == ' ') {
                return "A path in it has a folder name ending in a dot or a blank, which Windows "
                       "reads as another name.";
            }
            nameStart = i + 1;
        } else if (static_cast<unsigned char>(c) < 32 || c == '*' || c == '?' || c == '"' ||
                   c == '<' || c == '>' || c == '|' || c == '/' || c == ':') {
            return "A path in it holds a character no folder name has.";
        }
    }
    if (Covers(t, value.size, folders.windowsDir) || Covers(t, value.size, folders.systemDir)) {
        return "It names the Windows folder, the system folder or a folder above them.";
    }
    return nullptr;
}

// The product folder: where the product's record names one, that one; never
// a shell folder of programs or of the desktop, nor one above them.
const char* CheckProductFolder(const Line& value, const KnownFolders& folders) {
    if (folders.productDir && *folders.productDir && !IsBelow(value, folders.productDir, "")) {
        return "Its product folder is not the one the product's registry record names.";
    }
    for (int i = 0; i < 2; ++i) {
        if (Covers(value.text, value.size, folders.programsDirs[i]) ||
            Covers(value.text, value.size, folders.desktopDirs[i])) {
            return "Its product folder is a folder of the Start menu or the desktop, or one above "
                   "them.";
        }
    }
    return nullptr;
}

// A folder of shortcuts: the product's group in a program menu, or its copy
// on a desktop.
bool IsShortcutFolder(const Line& value, const KnownFolders& folders) {
    for (int i = 0; i < 2; ++i) {
        if (IsBelow(value, folders.programsDirs[i], "\\VEXLOR\\MIVOX") ||
            IsBelow(value, folders.desktopDirs[i], "\\MIVOX")) {
            return true;
        }
    }
    return false;
}

// The keys an installation of the product makes under HKEY_LOCAL_MACHINE, by
// their whole names. Nothing else is ever removed, whatever a log says.
const char* CheckKey(const Line& value) {
    static const char* const kOwned[] = {
        "SOFTWARE\\VEXLOR\\MIVOX",
        "SOFTWARE\\MICROSOFT\\WINDOWS\\CURRENTVERSION\\APP PATHS\\MIVOX.EXE",
        "SOFTWARE\\MICROSOFT\\WINDOWS\\CURRENTVERSION\\UNINSTALL\\MIVOX",
        "SYSTEM\\CURRENTCONTROLSET\\SERVICES\\MIVOX_NT",
    };
    for (const char* owned : kOwned) {
        if (EqualsUpper(value.text, value.size, owned)) return nullptr;
    }
    return "It names a registry key the product does not own.";
}

// Case-blind: is one of the two folders the other, or inside it?
bool Nested(const Line& folder, const char* other) {
    size_t i = 0;
    for (; i < folder.size && other[i]; ++i) {
        if (AsciiUpper(folder.text[i]) != AsciiUpper(other[i])) return false;
    }
    if (i == folder.size) return !other[i] || other[i] == '\\';
    return folder.text[i] == '\\';
}

// Case-blind: does value end with the upper-case tail?
bool EndsWith(const Line& value, const char* tail) {
    size_t size = 0;
    while (tail[size]) ++size;
    return value.size > size && EqualsUpper(value.text + value.size - size, size, tail);
}

bool Add(UninstallPlan& plan, LogEntry::Kind kind, const Line& value) {
    if (plan.count == kMaxLogEntries) return false;
    LogEntry& entry = plan.entries[plan.count++];
    entry.kind = kind;
    entry.productTree = false;
    entry.aboveProduct = false;
    entry.unchecked = false;
    for (size_t i = 0; i < value.size; ++i) entry.path[i] = value.text[i];
    entry.path[value.size] = '\0';
    return true;
}

}  // namespace

const char* ReadUninstallLog(const char* text, size_t size, const KnownFolders& folders,
                             UninstallPlan& plan) {
    plan = UninstallPlan();
    if (size == 0) return "It is empty.";
    if (size > kMaxLogBytes) return "It is far larger than an installation's log.";
    const char* end = text + size;
    if (end[-1] != '\n' && end[-1] != '\r') return "It ends in the middle of a line.";

    int number = 0;
    bool rootSeen = false;
    for (const char* at = text; at < end; ++number) {
        Line line{at, 0};
        while (at < end && *at != '\r' && *at != '\n') {
            if (*at == '\0') return "It is not a text file.";
            ++at;
            ++line.size;
        }
        // CR LF as written, but also a lone LF or CR after an editor.
        if (at < end && *at == '\r') ++at;
        if (at < end && *at == '\n') ++at;

        Line value{};
        if (number == 0) {
            if (!StartsWith(line, "*** Installation Started: ", value) ||
                !ReadStamp(value, plan.started)) {
                return "It does not begin with the line that starts an installation's log.";
            }
        } else if (number == 1) {
            if (!Is(line, "Title: Mivox")) return "It is the log of another product.";
        } else if (StartsWith(line, "File Tree: ", value)) {
            if (value.size < 4 || !Is({value.text + value.size - 4, 4}, "\\*.*")) {
                return "A \"File Tree\" line does not end with \\*.*.";
            }
            value.size -= 4;
            if (const char* problem = CheckFolder(value, folders)) return problem;
            if (number == 2) {
                if (const char* problem = CheckProductFolder(value, folders)) return problem;
            }
            const bool unchecked = number != 2 && !IsShortcutFolder(value, folders);
            // Left, never removed; yet never the product folder again, nor a
            // folder above or below it.
            const char* product = number == 2 ? nullptr : plan.entries[0].path;
            const bool nearProduct = product && Nested(value, product);
            if (unchecked && (nearProduct || (!EndsWith(value, "\\VEXLOR\\MIVOX") &&
                                              !EndsWith(value, "\\MIVOX")))) {
                return "It names a folder that is neither the product folder nor its group of "
                       "shortcuts.";
            }
            if (!Add(plan, LogEntry::kFileTree, value)) return "It has too many lines.";
            plan.entries[plan.count - 1].productTree = number == 2;
            plan.entries[plan.count - 1].unchecked = unchecked;
        } else if (number == 2) {
            return "Its third line does not name the product's folder.";
        } else if (StartsWith(line, "Made Dir: ", value)) {
            if (const char* problem = CheckFolder(value, folders)) return problem;
            // The folders the product folder was made in, and the maker's
            // group in a program menu.
            const bool aboveProduct = Above(value.text, value.size, plan.entries[0].path);
            const bool unchecked = !aboveProduct &&
                                   !IsBelow(value, folders.programsDirs[0], "\\VEXLOR") &&
                                   !IsBelow(value, folders.programsDirs[1], "\\VEXLOR");
            if (unchecked && !EndsWith(value, "\\VEXLOR")) {
                return "It names a made folder that is neither above the product folder nor the "
                       "maker's program group.";
            }
            if (!Add(plan, LogEntry::kMadeDir, value)) return "It has too many lines.";
            plan.entries[plan.count - 1].aboveProduct = aboveProduct;
            plan.entries[plan.count - 1].unchecked = unchecked;
        } else if (StartsWith(line, "VDD Entry: ", value)) {
            if (!EqualsUpper(value.text, value.size, "MIVOX_VM.DLL")) {
                return "It names a virtual device driver the product does not own.";
            }
            if (!Add(plan, LogEntry::kVddEntry, value)) return "It has too many lines.";
        } else if (Is(line, "RegDB Root: 0") || Is(line, "RegDB Root: 2")) {
            rootSeen = true;
        } else if (StartsWith(line, "RegDB TREE: ", value)) {
            if (!rootSeen) return "A \"RegDB TREE\" line comes before its \"RegDB Root\" line.";
            if (const char* problem = CheckKey(value)) return problem;
            if (!Add(plan, LogEntry::kRegistryTree, value)) return "It has too many lines.";
        } else {
            return "It holds a line that an installation does not write.";
        }
    }
    if (number < 3) return "It ends before it names the product's folder.";
    return nullptr;
}

bool IsInstallationRecord(const char* fileName) {
    size_t size = 0;
    while (fileName[size]) ++size;
    return EqualsUpper(fileName, size, "INSTALL.LOG") ||
           EqualsUpper(fileName, size, "INSTALL.LST") ||
           EqualsUpper(fileName, size, "INSTALL.LS~") ||
           EqualsUpper(fileName, size, "REGISTER.TXT");
}

namespace {

bool ReadDecimal(const char*& at, const char* end, unsigned long long& value) {
    value = 0;
    const char* digits = at;
    for (; at < end && Digit(*at); ++at) {
        if (value > (~0ULL - 9) / 10) return false;
        value = value * 10 + static_cast<unsigned>(*at - '0');
    }
    return at != digits && !(at - digits > 1 && *digits == '0');
}

// One line of the list: "size time path" and its end.
bool ReadListLine(const char*& at, const char* end, ListedFile& file) {
    if (!ReadDecimal(at, end, file.size) || at == end || *at++ != ' ' ||
        !ReadDecimal(at, end, file.writeTime) || at == end || *at++ != ' ') {
        return false;
    }
    file.path = at;
    while (at < end && *at != '\r' && *at != '\n') ++at;
    file.pathSize = static_cast<size_t>(at - file.path);
    if (end - at < 2 || at[0] != '\r' || at[1] != '\n') return false;
    at += 2;
    return true;
}

// Where the files of a list with times begin; null for an older list.
const char* FirstLine(const char* text, size_t size) {
    Line header{};
    if (!StartsWith({text, size}, kFileListHeader, header) || header.size < 2 ||
        header.text[0] != '\r' || header.text[1] != '\n') {
        return nullptr;
    }
    return header.text + 2;
}

unsigned HashPath(const char* path, size_t size) {
    unsigned hash = 2166136261u;
    for (size_t i = 0; i < size; ++i) {
        hash = (hash ^ static_cast<unsigned char>(AsciiUpper(path[i]))) * 16777619u;
    }
    return hash;
}

bool SamePath(const char* a, size_t aSize, const char* b, size_t bSize) {
    if (aSize != bSize) return false;
    for (size_t i = 0; i < aSize; ++i) {
        if (AsciiUpper(a[i]) != AsciiUpper(b[i])) return false;
    }
    return true;
}

}  // namespace

const char* CheckFileList(const char* text, size_t size, size_t& files) {
    files = 0;
    if (size > kMaxFileListBytes) return "The list of installed files beside it is too large.";
    const char* at = FirstLine(text, size);
    if (!at) return nullptr;
    const char* end = text + size;
    while (at < end) {
        ListedFile file;
        if (!ReadListLine(at, end, file)) {
            return "The list of installed files beside it is damaged.";
        }
        // A relative path of plain names, as the product folder holds them.
        if (file.pathSize == 0 || file.pathSize >= kLogPathSize - 3) {
            return "The list of installed files beside it names no file or too long a path.";
        }
        char folder[kLogPathSize] = "C:\\";
        for (size_t i = 0; i < file.pathSize; ++i) folder[3 + i] = file.path[i];
        const KnownFolders none{};
        if (CheckFolder({folder, file.pathSize + 3}, none)) {
            return "The list of installed files beside it names a path outside the product "
                   "folder.";
        }
        ++files;
    }
    return nullptr;
}

bool NextListedFile(const char* text, size_t size, const char*& at, ListedFile& file) {
    if (at == text) at = FirstLine(text, size);
    const char* end = text + size;
    return at && at < end && ReadListLine(at, end, file);
}

size_t FileListSlots(size_t files) {
    size_t slots = 16;
    while (slots < 2 * files + 1) slots *= 2;
    return slots;
}

void BuildFileListIndex(FileListIndex& index) {
    for (size_t i = 0; i < index.slotCount; ++i) index.slots[i] = 0;
    const char* at = index.text;
    for (;;) {
        const char* line = at == index.text ? FirstLine(index.text, index.size) : at;
        ListedFile file;
        if (!NextListedFile(index.text, index.size, at, file)) return;
        size_t slot = HashPath(file.path, file.pathSize) & (index.slotCount - 1);
        while (index.slots[slot]) slot = (slot + 1) & (index.slotCount - 1);
        // Offset + 1: zero marks a free slot.
        index.slots[slot] = static_cast<unsigned>(line - index.text) + 1;
    }
}

bool FindListedFile(const FileListIndex& index, const char* path, ListedFile& file) {
    size_t length = 0;
    while (path[length]) ++length;
    if (index.slotCount == 0) return false;
    for (size_t slot = HashPath(path, length) & (index.slotCount - 1); index.slots[slot];
         slot = (slot + 1) & (index.slotCount - 1)) {
        const char* at = index.text + index.slots[slot] - 1;
        if (ReadListLine(at, index.text + index.size, file) &&
            SamePath(file.path, file.pathSize, path, length)) {
            return true;
        }
    }
    return false;
}

bool IsInstalledFile(const ListedFile& listed, unsigned long long size,
                     unsigned long long writeTime) {
    constexpr unsigned long long kTwoSeconds = 2ULL * 10 * 1000 * 1000;
    const unsigned long long apart =
        writeTime > listed.writeTime ? writeTime - listed.writeTime : listed.writeTime - writeTime;
    return listed.writeTime != 0 && size == listed.size && apart <= kTwoSeconds;
}

}  // namespace mivox
