// The product's self-extracting archive program: unpacks the installation
// medium it carries into a folder, starts its Setup.exe and waits until
// Setup has finished (so Setup can find this program running when it cuts it
// onto floppy disks).
#include <windows.h>
#include <objbase.h>
#include "ArchiveFormat.h"
#include "SimpleUi.h"
#include "platform/win32/Handles.h"
#include "platform/win32/Win32Platform.h"

namespace {

constexpr char kCaption[] = "Mivox 4.10 Archive";

int Say(const std::string& text, UINT style) {
    return mivox::simple_ui::Say(kCaption, text, style);
}

int Run() {
    mivox::win32::Win32Platform system;
    std::string program;
    if (!system.files.ReadAll(system.system.ModuleFileName(), program)) {
        Say("This archive program cannot read itself: " +
                mivox::simple_ui::SystemErrorText(GetLastError()),
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
    const std::string folder = mivox::simple_ui::ChooseFolder(
        kCaption, "The Mivox installation files will be unpacked, and Setup started, in the folder",
        system.files.TempPath() + name, "Unpack the Mivox installation files into:");
    if (folder.empty()) return 1;
    if (!system.files.DirectoryExists(folder) && !CreateDirectoryA(folder.c_str(), nullptr)) {
        Say("The folder " + folder +
                " cannot be created: " + mivox::simple_ui::SystemErrorText(GetLastError()),
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
        Say(result.failedPath +
                " cannot be written: " + mivox::simple_ui::SystemErrorText(GetLastError()),
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
        Say("Setup cannot be started from " + folder + ": " +
                mivox::simple_ui::SystemErrorText(GetLastError()),
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
