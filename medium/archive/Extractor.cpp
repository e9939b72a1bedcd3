// The product's self-extracting archive program: unpacks the installation
// medium it carries into a folder, starts its Setup.exe and waits until
// Setup has finished (so Setup can find this program running when it cuts it
// onto floppy disks). The whole archive is checked before anything is
// written.
//
// Setup runs with an administrator's rights from the folder it is unpacked
// into, and would load a library another program left there: so the folder
// is a new one this program makes under the temporary folder (and removes
// again when Setup has ended), or one the user picks that holds nothing but
// the archive's own files (replaced only when the user agrees).
#include <windows.h>
#include <objbase.h>
#include "ArchiveFormat.h"
#include "SimpleUi.h"
#include "win32/Handles.h"
#include "win32/SystemLibrary.h"
#include "win32/Win32Platform.h"

namespace {

constexpr char kCaption[] = "Mivox 4.10 Archive";
// Existing files named when asking whether to replace them, or when
// refusing a folder that holds others.
constexpr size_t kFilesNamed = 10;

int Say(const std::string& text, UINT style) {
    return mivox::simple_ui::Say(kCaption, text.c_str(), style);
}

std::string ErrorText(DWORD code) {
    char text[256];
    return mivox::simple_ui::SystemErrorText(code, text);
}

// Up to kFilesNamed of paths, each without folder's part, one a line.
std::string Named(const std::vector<std::string>& paths, const std::string& folder) {
    std::string text;
    const size_t folderSize = folder.size() + (folder.back() == '\\' ? 0 : 1);
    for (size_t i = 0; i < paths.size() && i < kFilesNamed; ++i) {
        text.append("\n").append(paths[i], folderSize);
    }
    if (paths.size() > kFilesNamed) text += "\n...";
    return text;
}

// Asks before files in the chosen folder are replaced; true to go on.
bool MayReplace(const std::vector<std::string>& existing, const std::string& folder) {
    if (existing.empty()) return true;
    const std::string text = std::to_string(existing.size()) +
                             " of the files to unpack already exist in " + folder + ":\n" +
                             Named(existing, folder) + "\n\nReplace them?\n\nNo: unpack nothing.";
    return Say(text, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) == IDYES;
}

// Makes a new folder of a name no one has used under the temporary folder;
// empty when none can be made.
std::string MakeOwnFolder(const std::string& temp, const std::string& name) {
    DWORD unique = GetTickCount() ^ (GetCurrentProcessId() << 16);
    for (int tries = 0; tries < 100; ++tries, ++unique) {
        std::string folder = temp + name + ".";
        for (int shift = 28; shift >= 0; shift -= 4)
            folder += "0123456789ABCDEF"[unique >> shift & 15];
        // Fails on a folder or file that is already there: only a folder
        // made here is used.
        if (CreateDirectoryA(folder.c_str(), nullptr)) return folder;
        if (GetLastError() != ERROR_ALREADY_EXISTS) break;
    }
    return {};
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
    const std::string temp = system.files.TempPath();
    const std::string own = MakeOwnFolder(temp, name);
    if (own.empty()) {
        const DWORD error = GetLastError();
        Say("No folder can be made in " + temp + ": " + ErrorText(error), MB_OK | MB_ICONERROR);
        return 1;
    }
    char chosen[mivox::simple_ui::kPathSize] = {};
    const bool picked = mivox::simple_ui::ChooseFolder(
        kCaption, "The Mivox installation files will be unpacked, and Setup started, in the folder",
        own.c_str(), "Unpack the Mivox installation files into:", chosen);
    const std::string folder = chosen;
    const bool inOwn = picked && lstrcmpiA(chosen, own.c_str()) == 0;
    // Removed again however this ends, once Setup has.
    struct OwnFolder {
        mivox::FileSystem& files;
        const std::string& path;
        ~OwnFolder() { mivox::archive::RemoveTree(files, path); }
    } ownFolder{system.files, own};
    if (!picked) return 1;
    if (!inOwn) {
        if (!system.files.DirectoryExists(folder) && !CreateDirectoryA(folder.c_str(), nullptr)) {
            Say("The folder " + folder + " cannot be created: " + ErrorText(GetLastError()),
                MB_OK | MB_ICONERROR);
            return 1;
        }
        const auto others = mivox::archive::ForeignEntries(system.files, *index, folder);
        if (!others.empty()) {
            Say("The folder " + folder + " holds other files than the Mivox installation's:\n" +
                    Named(others, folder) +
                    "\n\nSetup would start among them. Nothing was unpacked: choose an empty "
                    "folder.",
                MB_OK | MB_ICONERROR);
            return 1;
        }
        if (!MayReplace(mivox::archive::ExistingFiles(system.files, *index, folder), folder)) {
            return 1;
        }
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
