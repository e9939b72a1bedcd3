// Install.Exe, the joining program of the floppy disk set: reads Install.Ini
// from disk 1 in drive A:, asks for each disk in turn, puts the archive
// program back together in a folder the user confirms, checks it against the
// size and CRC-32 of Install.Ini, and starts it.
#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include "floppy/DiskSetJoiner.h"
#include "floppy/InstallIni.h"
#include "platform/win32/Win32Platform.h"

namespace {

constexpr char kCaption[] = "Mivox Disk Set";
constexpr char kIniPath[] = "A:\\Install.Ini";

int Say(const std::string& text, UINT style) {
    return MessageBoxA(nullptr, text.c_str(), kCaption, style | MB_TASKMODAL);
}

std::string SystemErrorText(DWORD code) {
    char text[256] = {};
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
                   text, sizeof(text) - 1, nullptr);
    return text;
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

std::string ChooseFolder(const std::string& archive, const std::string& proposal) {
    const int answer = Say(archive + " will be put together in the folder\n\n" + proposal +
                               "\n\nYes: use this folder.\nNo: choose another folder.",
                           MB_YESNOCANCEL | MB_ICONQUESTION);
    if (answer == IDYES) return proposal;
    if (answer != IDNO) return {};
    char path[MAX_PATH] = {};
    BROWSEINFOA browse{};
    browse.lpszTitle = "Put the archive program together in:";
    browse.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
    PIDLIST_ABSOLUTE picked = SHBrowseForFolderA(&browse);
    if (!picked) return {};
    const BOOL ok = SHGetPathFromIDListA(picked, path);
    CoTaskMemFree(picked);
    return ok ? path : std::string();
}

int Run() {
    mivox::win32::Win32Platform system;
    // A drive without a disk must answer "not ready" rather than ask itself.
    SetErrorMode(SEM_FAILCRITICALERRORS);

    std::string text;
    while (!system.files.ReadAll(kIniPath, text)) {
        if (Say("Insert disk 1 of the Mivox disk set into drive A:, then press OK.\n\n(" +
                    std::string(kIniPath) + ": " + SystemErrorText(GetLastError()) + ")",
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
    folder = ChooseFolder(ini->fileExeName, folder);
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
                    Say(result.path + " cannot be started: " + SystemErrorText(GetLastError()),
                        MB_OK | MB_ICONERROR);
                    return 1;
                }
                return 0;
            case mivox::JoinResult::kCancelled:
                return 1;
            case mivox::JoinResult::kWriteFailed:
                Say(result.path + " cannot be written: " + SystemErrorText(GetLastError()),
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
