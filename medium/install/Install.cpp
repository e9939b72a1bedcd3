// Install.Exe, the joining program of the floppy disk set: reads Install.Ini
// from disk 1 in drive A:, asks for each disk in turn, puts the archive
// program back together in a folder the user confirms, checks it against the
// size and CRC-32 of Install.Ini, and starts it.
#include <windows.h>
#include <objbase.h>
#include <shellapi.h>

#include "SimpleUi.h"

#include "floppy/DiskSetJoiner.h"
#include "floppy/InstallIni.h"
#include "platform/win32/Win32Platform.h"

namespace {

constexpr char kCaption[] = "Mivox Disk Set";
constexpr char kIniPath[] = "A:\\Install.Ini";

int Say(const std::string& text, UINT style) {
    return mivox::simple_ui::Say(kCaption, text, style);
}

class DiskPrompts : public mivox::JoinPrompts {
public:
    bool InsertDisk(int disk, int count, const std::string& problem) override {
        const std::string ask = "Insert disk " + std::to_string(disk) + " of " +
                                std::to_string(count) + " into drive A:, then press OK.";
        return Say(problem.empty() ? ask : problem + "\n\n" + ask,
                   MB_OKCANCEL | (problem.empty() ? MB_ICONINFORMATION : MB_ICONWARNING)) == IDOK;
    }
};

int Run() {
    mivox::win32::Win32Platform system;
    // A drive without a disk must answer "not ready" rather than ask itself.
    SetErrorMode(SEM_FAILCRITICALERRORS);

    std::string text;
    while (!system.files.ReadAll(kIniPath, text)) {
        if (Say("Insert disk 1 of the Mivox disk set into drive A:, then press OK.\n\n(" +
                    std::string(kIniPath) + ": " +
                    mivox::simple_ui::SystemErrorText(GetLastError()) + ")",
                MB_OKCANCEL | MB_ICONINFORMATION) != IDOK) {
            return 1;
        }
    }
    const auto ini = mivox::ParseInstallIni(text);
    if (!ini) {
        Say(std::string(kIniPath) + " is damaged: it does not describe a disk set.",
            MB_OK | MB_ICONERROR);
        return 1;
    }

    std::string folder = system.files.TempPath();
    if (folder.size() > 3 && folder.back() == '\\') folder.pop_back();
    folder = mivox::simple_ui::ChooseFolder(
        kCaption, ini->fileExeName + " will be put together in the folder", folder,
        "Put the archive program together in:");
    if (folder.empty()) return 1;

    DiskPrompts prompts;
    for (;;) {
        const mivox::JoinResult result = mivox::JoinDiskSet(system.files, prompts, *ini, folder);
        switch (result.status) {
            case mivox::JoinResult::kJoined:
                Say(result.path + " is complete and checked. It will be started now.",
                    MB_OK | MB_ICONINFORMATION);
                if (reinterpret_cast<INT_PTR>(ShellExecuteA(nullptr, "open", result.path.c_str(),
                                                            nullptr, folder.c_str(),
                                                            SW_SHOWNORMAL)) <= 32) {
                    Say(result.path + " cannot be started: " +
                            mivox::simple_ui::SystemErrorText(GetLastError()),
                        MB_OK | MB_ICONERROR);
                    return 1;
                }
                return 0;
            case mivox::JoinResult::kCancelled:
                return 1;
            case mivox::JoinResult::kWriteFailed:
                Say(result.path +
                        " cannot be written: " + mivox::simple_ui::SystemErrorText(GetLastError()),
                    MB_OK | MB_ICONERROR);
                return 1;
            case mivox::JoinResult::kCorrupt:
                if (Say("The joined " + ini->fileExeName +
                            " does not match the size and checksum of the disk set: a disk is "
                            "damaged or belongs to another set.\n\nRetry: read the disks again "
                            "from disk 1.",
                        MB_RETRYCANCEL | MB_ICONERROR) != IDRETRY) {
                    return 1;
                }
                break;
        }
    }
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    const HRESULT com = CoInitialize(nullptr);
    int exitCode = 1;
    try {
        exitCode = Run();
    } catch (const std::exception& error) {
        Say(error.what(), MB_OK | MB_ICONERROR);
    }
    if (SUCCEEDED(com)) CoUninitialize();
    return exitCode;
}
