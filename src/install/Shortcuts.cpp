#include "install/Shortcuts.h"

#include "registry/RegistryEx.h"
#include "util/FileOps.h"

namespace mivox {

namespace {

// The user's value, replaced by the common one when allUsers is set and the
// machine's key opens. That key is opened with full access, so a user who
// may not write it keeps the own folder.
std::string ShellFolder(Platform& platform, bool allUsers, const std::string& userValue,
                        const std::string& commonValue) {
    std::string folder;
    TRegistryEx reg(platform);
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

std::string GetProgramsFolder(Platform& platform, bool allUsers) {
    return ShellFolder(platform, allUsers, "Programs", "Common Programs");
}

std::string GetDesktopFolder(Platform& platform, bool allUsers) {
    return ShellFolder(platform, allUsers, "Desktop", "Common Desktop");
}

void MakeShortcut(Platform& platform, const std::string& target, const std::string& arguments,
                  const std::string& name, const std::string& folder) {
    platform.shell.SaveShellLink(folder + "\\" + name + ".lnk", target, arguments,
                                 DirectoryPart(target));
}

}  // namespace mivox
