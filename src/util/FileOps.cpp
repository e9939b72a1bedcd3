#include "util/FileOps.h"

#include <vector>

#include "util/Errors.h"
#include "util/WinVersion.h"

namespace mivox {

namespace {

// Four seconds in the packed form, whose seconds are halved: copies made
// by file systems that round times differently still count as equal.
constexpr int64_t kAgeTolerance = 2;

bool IsDotEntry(const std::string& name) {
    return name == "." || name == "..";
}

// Schedules dest to be replaced by a copy of source at the next restart:
// the copy goes beside dest under a name ending in "_", and the system is
// told to delete dest and rename the copy. False, with temporary set, when
// the copy cannot be made.
bool ReplaceAtRestart(const Machine& machine, const std::string& dest, const std::string& source,
                      std::string& temporary) {
    FileSystem& files = machine.files;
    temporary = dest;
    temporary.back() = '_';
    if (!files.Copy(source, temporary, false)) return false;
    if (IsWinNT(machine.system)) {
        // Only the system can say whether the requests took; they are
        // carried out (or not) when Windows starts again.
        files.MoveFileAtRestart(dest, "");
        files.MoveFileAtRestart(temporary, dest);
    } else {
        const std::string wininit = machine.system.WindowsDirectory() + "\\WININIT.INI";
        files.WriteIniString(wininit, "Rename", "NUL", dest);
        files.WriteIniString(wininit, "Rename", dest, temporary);
    }
    return true;
}

std::string ErrorSuffix(uint32_t code) {
    return " (error " + std::to_string(code) + ")";
}

}  // namespace

std::string DirectoryPart(const std::string& path) {
    const size_t last = path.find_last_of("\\:");
    if (last == std::string::npos) return {};
    size_t length = last + 1;
    if (last > 0 && path[last] == '\\' && path[last - 1] != ':' && path[last - 1] != '\\') {
        --length;
    }
    return path.substr(0, length);
}

bool CopyOneFile(const Machine& machine, Conversation& talk, const std::string& dest,
                 const std::string& source, bool checkNewer) {
    return CopyOneFile(machine, talk, dest, source, checkNewer, KnownFiles{});
}

bool CopyOneFile(const Machine& machine, Conversation& talk, const std::string& dest,
                 const std::string& source, bool checkNewer, const KnownFiles& known) {
    FileSystem& files = machine.files;
    if (checkNewer && known.destMayExist && files.FileExists(dest)) {
        const int64_t destAge = files.FileAge(dest);
        const int64_t sourceAge = files.FileAge(source);
        // A deployment keeps what is newer on the machine.
        if (destAge > sourceAge + kAgeTolerance &&
            !talk.Ask({.caption = dest + " already exists and is newer",
                       .text = "Do you wish to overwrite this file?",
                       .unattendedAnswer = false,
                       .boxStyle = kMbYesNo | kMbIconQuestion | kMbDefButton2})) {
            return false;
        }
    }

    std::string shownPath = dest;
    bool copied = false;
    const IoResult copy = files.Copy(source, dest, false);
    if (copy) {
        // A read-only source must not give a read-only installed file.
        constexpr uint32_t kKept = kAttrReadOnly | kAttrHidden | kAttrSystem;
        copied =
            (known.sourceAttributes != kInvalidAttributes && !(known.sourceAttributes & kKept)) ||
            files.SetAttributes(dest, kAttrNormal);
    } else if (copy.Error() == kErrorSharingViolation && !dest.empty()) {
        copied = ReplaceAtRestart(machine, dest, source, shownPath);
    }
    if (!copied) {
        talk.Tell({OutcomeKind::kFailed, "Error Copying File: " + source, shownPath});
    }
    return copied;
}

bool MakeFileDir(FileSystem& files, Conversation& talk, const std::string& path) {
    const std::string directory = DirectoryPart(path);
    if (files.DirectoryExists(directory)) return true;
    if (files.CreateDir(directory)) return true;
    talk.Tell({OutcomeKind::kFailed, "Error Creating Directory", directory});
    return false;
}

void ClearFileAttrs(FileSystem& files, const std::string& path) {
    const uint32_t attributes = files.GetAttributes(path);
    // Without readable attributes there is nothing sound to write back.
    if (attributes == kInvalidAttributes) return;
    files.SetAttributes(path, attributes & ~kAttrHidden);
    files.SetAttributes(path, attributes & ~(kAttrHidden | kAttrSystem));
    files.SetAttributes(path, attributes & ~(kAttrReadOnly | kAttrHidden | kAttrSystem));
}

void DeleteOneFile(FileSystem& files, Conversation& talk, const std::string& path) {
    if (!files.FileExists(path)) {
        talk.Tell({OutcomeKind::kFailed, "File Not Found, Cannot Delete File", path});
        return;
    }
    ClearFileAttrs(files, path);
    files.Delete(path);
}

void EmptyDrive(FileSystem& files, Conversation& talk, const std::string& root) {
    // Every folder of the drive, breadth first, so that each folder comes
    // after its parent; the root is the first. A junction or a link to a
    // folder is removed as the link it is: what it points at may lie on
    // another drive and is never entered, and its attributes stay.
    std::vector<std::string> dirs{root};
    std::vector<bool> links{false};
    for (size_t k = 0; k < dirs.size(); ++k) {
        if (links[k]) continue;
        for (const FindData& entry : files.FindEntries(dirs[k] + "\\*.*")) {
            if ((entry.attributes & kAttrDirectory) && !IsDotEntry(entry.name)) {
                dirs.push_back(dirs[k] + "\\" + entry.name);
                links.push_back((entry.attributes & kAttrReparsePoint) != 0);
            }
        }
    }
    for (size_t k = dirs.size(); k-- > 0;) {
        if (links[k]) continue;
        for (const FindData& entry : files.FindEntries(dirs[k] + "\\*.*")) {
            if (entry.attributes & kAttrDirectory) continue;
            // A link to a file goes as a file: deleting it leaves its target.
            const std::string file = dirs[k] + "\\" + entry.name;
            if (!(entry.attributes & kAttrReparsePoint)) ClearFileAttrs(files, file);
            DeleteOneFile(files, talk, file);
        }
    }
    for (size_t k = dirs.size(); k-- > 1;) {
        if (!links[k]) ClearFileAttrs(files, dirs[k]);
        if (const IoResult removed = files.RemoveDir(dirs[k]); !removed) {
            throw IoError("Cannot remove the folder " + dirs[k] + ErrorSuffix(removed.Error()));
        }
    }
}

int64_t GetFileByteCount(FileSystem& files, const std::string& path) {
    if (!files.FileExists(path)) return 0;
    int64_t size = 0;
    if (const IoResult sized = files.FileSize(path, size); !sized) {
        throw IoError("Cannot read the size of " + path + ErrorSuffix(sized.Error()));
    }
    return size;
}

}  // namespace mivox
