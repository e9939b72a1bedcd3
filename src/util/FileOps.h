// File-level operations with the installer's rules: a newer file on the
// target is not replaced without asking, a file in use is replaced at the
// next restart, and every failure the user must know about is told at once
// to the conversation the caller gives.
#pragma once

#include <cstdint>
#include <string>

#include "platform/Machine.h"
#include "util/Outcome.h"

namespace mivox {

// Copies source onto dest (destination first). With checkNewer, a dest more
// than four seconds newer than source is replaced only after the user says
// Yes (unattended: kept). A dest in use is replaced at the next restart.
// True when dest now holds the source's content or will at restart.
bool CopyOneFile(const Machine& machine, Conversation& talk, const std::string& dest,
                 const std::string& source, bool checkNewer);

// What a copy loop already knows from searching the two folders, so that
// copying a file asks the system only for the copy itself.
struct KnownFiles {
    // The source's attributes as its search listed them.
    uint32_t sourceAttributes = kInvalidAttributes;
    // False when the destination folder's search did not list dest.
    bool destMayExist = true;
};

// CopyOneFile for such a loop: without a dest there is no age to compare,
// and a source with none of the read-only, hidden or system attributes gives
// a copy without them, whose attributes need no reset.
bool CopyOneFile(const Machine& machine, Conversation& talk, const std::string& dest,
                 const std::string& source, bool checkNewer, const KnownFiles& known);

// Makes the directory part of path exist, creating one level at most; the
// parent must exist. True when the directory exists afterwards.
bool MakeFileDir(FileSystem& files, Conversation& talk, const std::string& path);

// Clears the hidden, system and read-only attributes of a file or folder.
void ClearFileAttrs(FileSystem& files, const std::string& path);

// Deletes a file whatever its attributes; a missing file is reported.
void DeleteOneFile(FileSystem& files, Conversation& talk, const std::string& path);

// Removes every file and folder below a drive root given as "A:", files of
// the deepest folders first, then the folders; the root itself stays. A
// junction or symbolic link is removed itself, never what it points at. A
// folder that cannot be removed raises IoError.
void EmptyDrive(FileSystem& files, Conversation& talk, const std::string& root);

// The size of a file in bytes, 0 when it does not exist. A file that exists
// but cannot be opened for reading raises IoError.
int64_t GetFileByteCount(FileSystem& files, const std::string& path);

// Everything before the last "\" or ":" of path; the final "\" is kept only
// after a ":" or another "\", so "C:\Dir\Sub\" gives "C:\Dir\Sub" and "C:\"
// stays "C:\".
std::string DirectoryPart(const std::string& path);

}  // namespace mivox
