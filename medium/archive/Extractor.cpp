// The product's self-extracting archive program: unpacks the installation
// medium it carries into a folder, starts its Setup.exe and waits until
// Setup has finished (so Setup can find this program running when it cuts it
// onto floppy disks).
#include <windows.h>
#include <shlobj.h>

#include "ArchiveFormat.h"
#include "platform/win32/Handles.h"
#include "platform/win32/Win32Platform.h"

namespace {

constexpr char kCaption[] = "Mivox 4.10 Archive";

int Say(const std::string& text, UINT style) {
    return MessageBoxA(nullptr, text.c_str(), kCaption, style | MB_TASKMODAL);
}

std::string SystemErrorText(DWORD code) {
    char text[256] = {};
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
                   text, sizeof(text) - 1, nullptr);
    return text;
}

// The folder to unpack into: the proposal, or one the user picks instead;
// empty when the user cancels.
std::string ChooseFolder(const std::string& proposal) {
    const int answer = Say("The Mivox installation files will be unpacked into\n\n" + proposal +
                               "\n\nand Setup will be started.\n\nYes: unpack there.\nNo: "
                               "choose another folder.",
                           MB_YESNOCANCEL | MB_ICONQUESTION);
    if (answer == IDYES) return proposal;
    if (answer != IDNO) return {};
    char path[MAX_PATH] = {};
    BROWSEINFOA browse{};
    browse.lpszTitle = "Unpack the Mivox installation files into:";
    browse.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
    PIDLIST_ABSOLUTE picked = SHBrowseForFolderA(&browse);
    if (!picked) return {};
    const BOOL ok = SHGetPathFromIDListA(picked, path);
    CoTaskMemFree(picked);
    return ok ? path : std::string();
}

int Run() {
    mivox::win32::Win32Platform system;
    std::string program;
    if (!system.files.ReadAll(system.system.ModuleFileName(), program)) {
        Say("This archive program cannot read itself: " + SystemErrorText(GetLastError()),
            MB_OK | MB_ICONERROR);
        return 1;
    }
    if (!mivox::archive::ReadIndex(program)) {
        Say("This archive program is damaged: it holds no readable installation files. Copy it "
            "again from the original disks or download.",
            MB_OK | MB_ICONERROR);
        return 1;
    }

    std::string name = system.system.ModuleFileName();
    name = name.substr(name.find_last_of('\\') + 1);
    name = name.substr(0, name.rfind('.'));
    const std::string folder = ChooseFolder(system.files.TempPath() + name);
    if (folder.empty()) return 1;
    if (!system.files.DirectoryExists(folder) && !CreateDirectoryA(folder.c_str(), nullptr)) {
        Say("The folder " + folder + " cannot be created: " + SystemErrorText(GetLastError()),
            MB_OK | MB_ICONERROR);
        return 1;
    }

    const auto result = mivox::archive::Unpack(system.files, program, folder);
    if (result.status == mivox::archive::UnpackResult::kDamaged) {
        Say("This archive program is damaged: " + result.failedPath +
                " does not match its checksum. Nothing more was unpacked.",
            MB_OK | MB_ICONERROR);
        return 1;
    }
    if (result.status == mivox::archive::UnpackResult::kWriteFailed) {
        Say(result.failedPath + " cannot be written: " + SystemErrorText(GetLastError()),
            MB_OK | MB_ICONERROR);
        return 1;
    }

    const std::string setup = folder + "\\Setup.exe";
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    std::string commandLine = "\"" + setup + "\"";
    if (!CreateProcessA(setup.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        folder.c_str(), &startup, &process)) {
        Say("Setup cannot be started from " + folder + ": " + SystemErrorText(GetLastError()),
            MB_OK | MB_ICONERROR);
        return 1;
    }
    mivox::win32::UniqueHandle setupProcess(process.hProcess);
    mivox::win32::UniqueHandle setupThread(process.hThread);
    WaitForSingleObject(setupProcess.get(), INFINITE);
    DWORD exitCode = 0;
    GetExitCodeProcess(setupProcess.get(), &exitCode);
    return static_cast<int>(exitCode);
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
