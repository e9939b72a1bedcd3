#include "install/Shortcuts.h"

#include "registry/RegistryEx.h"
#include "util/FileOps.h"

namespace mivox {

namespace {

// The user's value, replaced by the common one when allUsers is set and the
// machine's key opens. That key is opened with full access, so a user who
// may not write it keeps the own folder.
std::string ShellFolder(const Machine& machine, bool allUsers, const std::string& userValue,
                        const std::string& commonValue) {
    std::string folder;
    TRegistryEx reg(machine);
    reg.SetRootKey(kHkeyCurrentUser);
    if (reg.OpenKey(kShellFoldersKey, false)) {
        if (reg.ValueExists(userValue)) folder = reg.ReadString(userValue);
        reg.CloseKey();
    }
    if (allUsers) {
        reg.SetRootKey(kHkeyLocalMachine);
        if (reg.OpenKey(kShellFoldersKey, false)) {
            if (reg.ValueExists(commonValue)) folder = reg.ReadString(commonValue);
            reg.CloseKey();
        }
    }
    return folder;
}

}  // namespace

std::string GetProgramsFolder(const Machine& machine, bool allUsers) {
    return ShellFolder(machine, allUsers, "Programs", "Common Programs");
}

std::string GetDesktopFolder(const Machine& machine, bool allUsers) {
    return ShellFolder(machine, allUsers, "Desktop", "Common Desktop");
}

bool MakeShortcut(Shell& shell, const std::string& target, const std::string& arguments,
                  const std::string& name, const std::string& folder) {
    return shell.SaveShellLink(folder + "\\" + name + ".lnk", target, arguments,
                               DirectoryPart(target));
}

}  // namespace mivox
