// The program-menu and desktop folders and the shell links put in them.
#pragma once

#include <string>

#include "platform/Machine.h"

namespace mivox {

inline constexpr const char kShellFoldersKey[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

// The current user's program-menu folder, or with allUsers the common one
// where it can be read; empty when the shell names none.
std::string GetProgramsFolder(const Machine& machine, bool allUsers);
// The same for the desktop folder.
std::string GetDesktopFolder(const Machine& machine, bool allUsers);

// Saves folder\name.lnk pointing at target with these arguments, working in
// the target's folder. The folder must exist. False, with no link and
// nothing shown, when it cannot be made.
bool MakeShortcut(Shell& shell, const std::string& target, const std::string& arguments,
                  const std::string& name, const std::string& folder);

}  // namespace mivox
