// The product's self-extracting archive program: unpacks the installation
// medium it carries into a folder, starts its Setup.exe and waits until
// Setup has finished (so Setup can find this program running when it cuts it
// onto floppy disks). The whole archive is checked before anything is
// written, and files already in the folder are replaced only when the user
// agrees.
#include <windows.h>
#include <objbase.h>
#include "ArchiveFormat.h"
#include "SimpleUi.h"
#include "win32/Handles.h"
#include "win32/SystemLibrary.h"
#include "win32/Win32Platform.h"

namespace {

constexpr char kCaption[] = "Mivox 4.10 Archive";
// Existing files named when asking whether to replace them.
constexpr size_t kFilesNamed = 10;

int Say(const std::string& text, UINT style) {
    return mivox::simple_ui::Say(kCaption, text.c_str(), style);
}

std::string ErrorText(DWORD code) {
    char text[256];
    return mivox::simple_ui::SystemErrorText(code, text);
}

// Asks before files in the chosen folder are replaced; true to go on.
bool MayReplace(const std::vector<std::string>& existing, const std::string& folder) {
    if (existing.empty()) return true;
    std::string text = std::to_string(existing.size()) +
                       " of the files to unpack already exist in " + folder + ":\n";
    const size_t folderSize = folder.size() + (folder.back() == '\\' ? 0 : 1);
    for (size_t i = 0; i < existing.size() && i < kFilesNamed; ++i) {
        text.append("\n").append(existing[i], folderSize);
    }
    if (existing.size() > kFilesNamed) text += "\n...";
    text += "\n\nReplace them?\n\nNo: unpack nothing.";
    return Say(text, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) == IDYES;
}

int Run() {
    // Only the two seams it needs: the rest of the platform would bring the
    // whole Win32 layer into this program.
    struct {
        mivox::win32::Win32FileSystem files;
        mivox::win32::Win32SystemInfo system;
    } system;
    std::string program;
    if (const mivox::IoResult read = system.files.ReadAll(system.system.ModuleFileName(), program);
        !read) {
        Say("This archive program cannot read itself: " + ErrorText(read.Error()),
            MB_OK | MB_ICONERROR);
        return 1;
    }
    std::string problem;
    const auto index = mivox::archive::ReadArchive(program, problem);
    if (!index) {
        Say("This archive program is damaged: " + problem +
                ". Nothing was unpacked. Copy it again from the original disks or download.",
            MB_OK | MB_ICONERROR);
        return 1;
    }

    std::string name = system.system.ModuleFileName();
    name = name.substr(name.find_last_of('\\') + 1);
    name = name.substr(0, name.rfind('.'));
    const std::string proposal = system.files.TempPath() + name;
    char chosen[mivox::simple_ui::kPathSize] = {};
    if (!mivox::simple_ui::ChooseFolder(
            kCaption,
            "The Mivox installation files will be unpacked, and Setup started, in the folder",
            proposal.c_str(), "Unpack the Mivox installation files into:", chosen)) {
        return 1;
    }
    const std::string folder = chosen;
    if (!MayReplace(mivox::archive::ExistingFiles(system.files, *index, folder), folder)) {
        return 1;
    }
    if (!system.files.DirectoryExists(folder) && !CreateDirectoryA(folder.c_str(), nullptr)) {
        Say("The folder " + folder + " cannot be created: " + ErrorText(GetLastError()),
            MB_OK | MB_ICONERROR);
        return 1;
    }

    const auto result = mivox::archive::Unpack(system.files, program, *index, folder);
    if (result.status != mivox::archive::UnpackResult::kUnpacked) {
        Say(result.failedPath + " cannot be written: " + ErrorText(result.error),
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
        Say("Setup cannot be started from " + folder + ": " + ErrorText(GetLastError()),
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
    mivox::win32::RestrictLibrarySearch();
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
