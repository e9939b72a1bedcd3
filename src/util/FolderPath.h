// The installation folder, whether typed in the main window or given as /D=:
// a full path below a drive's root whose every name Windows stores as
// written, so that the files land in the folder the user named and in no
// other.
#pragma once

#include <string>

namespace mivox {

// True when path holds a character Windows refuses in a path (< > " | * ?)
// or a control character.
bool HasForbiddenCharacter(const std::string& path);

// Why folder (without a trailing backslash) cannot be the installation
// folder, in words that follow a colon; empty when it can. It must start
// with a drive's root, hold no further ":" nor any "/" (Windows splits names
// there too, so C:\Mivox/.. is the drive's root), and each of its names must
// be a safe file name: not empty, ".", "..", ending in a dot or blank, nor a
// device such as NUL.
std::string FolderProblem(const std::string& folder);

}  // namespace mivox
