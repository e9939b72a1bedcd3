// sysops: runs one of the installer's system operations against the real
// system, for the end-to-end tests that need a Wine session of their own
// (a drive mapping, Windows 98 mode, a restart). Message boxes are printed,
// not shown, and answered by --answer.
//   sysops [--answer yes|no] copy DEST SOURCE [check]
//   sysops emptydrive ROOT
//   sysops records PROGRAMDIR VERSION UNINSTALLCOMMAND
//   sysops dacl PATH             (below HKEY_LOCAL_MACHINE, as SDDL)
//   sysops platform | isadmin | reboot
#include <windows.h>
#include <sddl.h>

#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "util/Messages.h"
#include "PlatformWithBoxes.h"
#include "registry/NTuserCheck.h"
#include "registry/RegStuff.h"
#include "util/FileOps.h"
#include "util/Shutdown.h"
#include "util/WinVersion.h"
#include "win32/Win32Platform.h"

namespace {

using namespace mivox;

class PrintedBoxes : public MessageBoxes {
public:
    int ShowOwned(DialogPeer&, const std::string& text, const std::string& caption,
                  unsigned style) override {
        return Show(text, caption, style);
    }
    int Show(const std::string& text, const std::string& caption, unsigned style) override {
        std::printf("box: %s | %s\n", caption.c_str(), text.c_str());
        if ((style & 0xF) == kMbYesNo) return answer;
        return kIdOk;
    }
    void Beep(unsigned) override {}
    int answer = kIdYes;
};

int Dacl(const std::string& path) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, READ_CONTROL, &key) != ERROR_SUCCESS) {
        return 1;
    }
    DWORD size = 0;
    RegGetKeySecurity(key, DACL_SECURITY_INFORMATION, nullptr, &size);
    std::vector<BYTE> descriptor(size);
    const LONG status = RegGetKeySecurity(key, DACL_SECURITY_INFORMATION, descriptor.data(), &size);
    RegCloseKey(key);
    char* sddl = nullptr;
    if (status != ERROR_SUCCESS ||
        !ConvertSecurityDescriptorToStringSecurityDescriptorA(
            descriptor.data(), SDDL_REVISION_1, DACL_SECURITY_INFORMATION, &sddl, nullptr)) {
        return 1;
    }
    std::printf("%s\n", sddl);
    LocalFree(sddl);
    return 0;
}

int Run(std::vector<std::string> args) {
    win32::Win32Platform system;
    PrintedBoxes boxes;
    if (args.size() >= 2 && args[0] == "--answer") {
        boxes.answer = args[1] == "no" ? kIdNo : kIdYes;
        args.erase(args.begin(), args.begin() + 2);
    }
    Platform platform = win32::PlatformWithBoxes(system, boxes);
    BoxConversation talk(boxes);
    const std::string command = args.empty() ? "" : args[0];
    if (command == "copy" && args.size() >= 3) {
        const bool copied =
            CopyOneFile(platform.machine(), talk, args[1], args[2], args.size() > 3);
        std::printf("copied: %d\n", copied ? 1 : 0);
        return copied ? 0 : 1;
    }
    if (command == "emptydrive" && args.size() == 2) {
        EmptyDrive(platform.files, talk, args[1]);
        std::printf("emptied\n");
        return 0;
    }
    if (command == "records" && args.size() == 4) {
        WriteProductRecord(platform.machine(), args[1], args[2]);
        WriteUninstallEntry(platform.machine(), args[3], args[2]);
        if (IsWinNT(system.system)) {
            WriteDriverService(platform.machine());
            WriteVddEntry(platform.machine());
        }
        std::printf("recorded\n");
        return 0;
    }
    if (command == "dacl" && args.size() == 2) return Dacl(args[1]);
    if (command == "platform") {
        std::printf("%s\n", IsWinNT(system.system) ? "nt" : "9x");
        return 0;
    }
    if (command == "reboot") {
        const bool accepted = ShutdownWindows(platform.machine(), kEwxReboot);
        std::printf("accepted: %d\n", accepted ? 1 : 0);
        return accepted ? 0 : 1;
    }
    if (command == "isadmin") {
        std::printf("%d\n", IsAdministrator(platform.security) ? 1 : 0);
        return 0;
    }
    std::fprintf(stderr,
                 "usage: sysops copy|emptydrive|records|dacl|platform|isadmin|reboot ...\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    try {
        return Run(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const std::exception& error) {
        std::printf("error: %s\n", error.what());
        return 3;
    }
}
