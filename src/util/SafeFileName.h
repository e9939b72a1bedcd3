// Names read from outside (an archive's index, a disk set's Install.Ini) that
// become files on the user's disk: only plain names that stay where they are
// put and that Windows stores as written.
#pragma once

#include <stddef.h>

namespace mivox {

// One component of a path: not empty, not "." or "..", no control
// characters, none of \ / : * ? " < > |, no trailing dot or blank, and not a
// device name (CON, PRN, AUX, NUL, COM1-COM9, LPT1-LPT9), with or without an
// extension.
bool IsSafeFileName(const char* name, size_t size);

// A relative path of safe components separated by "\" or "/": no drive,
// no root, no empty component.
bool IsSafeRelativePath(const char* path, size_t size);

}  // namespace mivox
