// Measures the installer's own code against the plain system calls doing the
// same work, under the same conditions, alternating, best of N:
//   install_bench copy    MEDIUM DEST N LABEL   the copy phase of the Install button
//   install_bench scan    MEDIUM N LABEL        the required-space scan
//   install_bench startup SETUP MINIMAL N LABEL start-up to the main window shown
// MEDIUM is a medium folder ("...\APP\", "...\WinNT\" below it). Each prints
// one line "LABEL|installer seconds|plain seconds|ratio|note".
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "MainDlgRes.h"
#include "app/DialogInstallUi.h"
#include "app/Forms.h"
#include "app/InstallProposal.h"
#include "install/InstallSequence.h"
#include "util/Messages.h"
#include "win32/Win32Dialog.h"
#include "win32/Win32Platform.h"

namespace {

using namespace mivox;

double Now() {
    LARGE_INTEGER count, frequency;
    QueryPerformanceCounter(&count);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(count.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double Seconds(const std::function<void()>& work) {
    const double start = Now();
    work();
    return Now() - start;
}

// Every entry of a folder but "." and "..".
void ForEachEntry(const std::string& folder,
                  const std::function<void(const WIN32_FIND_DATAA&)>& visit) {
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA((folder + "*.*").c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        if (strcmp(entry.cFileName, ".") != 0 && strcmp(entry.cFileName, "..") != 0) visit(entry);
    } while (FindNextFileA(find, &entry));
    FindClose(find);
}

bool IsFolder(const WIN32_FIND_DATAA& entry) {
    return (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

void RemoveTree(const std::string& folder) {
    ForEachEntry(folder, [&](const WIN32_FIND_DATAA& entry) {
        const std::string path = folder + entry.cFileName;
        if (IsFolder(entry)) {
            RemoveTree(path + "\\");
        } else {
            SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            DeleteFileA(path.c_str());
        }
    });
    RemoveDirectoryA(folder.c_str());
}

// The plain system doing the copy: the tree walked with FindFirstFile,
// each folder made, each file copied with CopyFileA.
long PlainCopy(const std::string& source, const std::string& dest) {
    CreateDirectoryA(dest.c_str(), nullptr);
    long files = 0;
    ForEachEntry(source, [&](const WIN32_FIND_DATAA& entry) {
        const std::string name = entry.cFileName;
        if (IsFolder(entry)) {
            files += PlainCopy(source + name + "\\", dest + name + "\\");
        } else if (CopyFileA((source + name).c_str(), (dest + name).c_str(), FALSE)) {
            ++files;
        }
    });
    return files;
}

// The plain system measuring the tree: the sizes of every file, walked
// with FindFirstFile.
int64_t PlainScan(const std::string& folder) {
    int64_t bytes = 0;
    ForEachEntry(folder, [&](const WIN32_FIND_DATAA& entry) {
        if (IsFolder(entry)) {
            bytes += PlainScan(folder + entry.cFileName + "\\");
        } else {
            bytes += (static_cast<int64_t>(entry.nFileSizeHigh) << 32) | entry.nFileSizeLow;
        }
    });
    return bytes;
}

// The installer as started from MEDIUM\Setup.exe.
class FromMedium : public win32::Win32SystemInfo {
public:
    explicit FromMedium(std::string medium) : setup_(std::move(medium) + "Setup.exe") {}
    std::string ModuleFileName() const override { return setup_; }

private:
    std::string setup_;
};

// Questions answered Yes, warnings counted: a warning means the run failed.
class AnswerYes : public MessageBoxes {
public:
    int Show(const std::string& text, const std::string& caption, unsigned) override {
        ++shown;
        last = caption + ": " + text;
        return kIdYes;
    }
    int ShowOwned(DialogPeer&, const std::string& text, const std::string& caption,
                  unsigned style) override {
        return Show(text, caption, style);
    }
    void Beep(unsigned) override {}
    int shown = 0;
    std::string last;
};

// The installer's dialogs as Setup.exe makes them, on a medium, with the
// main dialog shown.
struct Installer {
    explicit Installer(const std::string& medium) : system(medium) {
        INITCOMMONCONTROLSEX controls{sizeof(controls),
                                      ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES | ICC_ANIMATE_CLASS};
        InitCommonControlsEx(&controls);
        forms.MainWindow().Show();
    }
    win32::Win32Platform real;
    FromMedium system;
    AnswerYes boxes;
    Platform platform{real.files,         real.clock,    system,       real.locale,
                      real.versions,      real.memory,   boxes,        real.registry,
                      real.shell,         real.security, real.loop,    real.processes,
                      real.commonDialogs, real.desktop,  real.network, real.libraries,
                      real.zone,          real.timers,   real.fax};
    win32::Win32DialogFactory factory;
    Forms forms{factory, platform};
};

void PrintRow(const std::string& label, double installer, double plain, const std::string& note) {
    std::printf("%s|%.3f|%.3f|%.2f|%s\n", label.c_str(), installer, plain, installer / plain,
                note.c_str());
    std::fflush(stdout);
}

int BenchCopy(const std::string& medium, const std::string& dest, int repeat,
              const std::string& label) {
    Installer installer(medium);
    HWND main = win32::WindowOf(installer.forms.MainWindow());
    // The destination typed into the main dialog, as a user would.
    const size_t slash = dest.rfind('\\', dest.size() - 2);
    SetDlgItemTextA(main, IDT_MAIN_PATH, dest.substr(0, slash + 1).c_str());
    SetDlgItemTextA(main, IDE_MAIN_DIR, dest.substr(slash + 1, dest.size() - slash - 2).c_str());
    const std::string plainDest = dest.substr(0, dest.size() - 1) + "-plain\\";
    const std::string source = medium + "APP\\";

    double best = 1e30, bestPlain = 1e30;
    for (int run = 0; run < repeat; ++run) {
        RemoveTree(dest);
        bool copied = false;
        best = std::min(best, Seconds([&] {
                            DialogInstallUi ui(installer.platform, installer.forms);
                            copied = InstallSequence(installer.forms.MainDlg().Request(),
                                                     installer.platform.machine(), ui)
                                         .CopyProductFiles();
                        }));
        RemoveTree(dest);
        if (!copied || installer.boxes.shown) {
            std::fprintf(stderr, "%s: the installer's copy failed (%s)\n", label.c_str(),
                         installer.boxes.last.c_str());
            return 1;
        }
        RemoveTree(plainDest);
        bestPlain = std::min(bestPlain, Seconds([&] { PlainCopy(source, plainDest); }));
        RemoveTree(plainDest);
    }
    PrintRow(label, best, bestPlain, "");
    return 0;
}

int BenchScan(const std::string& medium, int repeat, const std::string& label) {
    Installer installer(medium);
    TMainDlg& main = installer.forms.MainDlg();
    BoxConversation talk(installer.boxes);
    double best = 1e30, bestPlain = 1e30;
    int64_t plainBytes = 0;
    int64_t bytes = 0;
    for (int run = 0; run < repeat; ++run) {
        best = std::min(
            best, Seconds([&] {
                bytes = 0;
                for (const int64_t dir :
                     ScanMedium(installer.platform.machine(), talk, main.InstallDir()).bytes) {
                    bytes += dir;
                }
            }));
        bestPlain = std::min(bestPlain, Seconds([&] { plainBytes = PlainScan(medium + "APP\\"); }));
    }
    if (bytes != plainBytes) {
        std::fprintf(stderr, "%s: the scan found %lld bytes, the plain walk %lld\n", label.c_str(),
                     static_cast<long long>(bytes), static_cast<long long>(plainBytes));
        return 1;
    }
    PrintRow(label, best, bestPlain, std::to_string(plainBytes) + " bytes");
    return 0;
}

// Seconds from CreateProcess until a visible top-level window with this
// caption exists; the program is then closed.
double StartUp(const std::string& program, const char* caption) {
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    std::string commandLine = "\"" + program + "\"";
    const std::string folder = program.substr(0, program.rfind('\\'));
    // A window of the run before, still closing, must not count as this one's.
    for (int wait = 0; wait < 10000 && FindWindowA(nullptr, caption); ++wait) Sleep(1);
    const double start = Now();
    if (!CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        folder.c_str(), &startup, &process)) {
        return -1;
    }
    double shown = -1;
    while (Now() - start < 30) {
        HWND window = FindWindowA(nullptr, caption);
        if (window && IsWindowVisible(window)) {
            shown = Now() - start;
            PostMessageA(window, WM_CLOSE, 0, 0);
            break;
        }
        Sleep(1);
    }
    if (WaitForSingleObject(process.hProcess, 10000) != WAIT_OBJECT_0) {
        TerminateProcess(process.hProcess, 1);
        WaitForSingleObject(process.hProcess, 5000);
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return shown;
}

int BenchStartUp(const std::string& setup, const std::string& minimal, int repeat,
                 const std::string& label) {
    double best = 1e30, bestPlain = 1e30;
    for (int run = 0; run < repeat; ++run) {
        const double setupTime = StartUp(setup, "Mivox Installation");
        const double minimalTime = StartUp(minimal, "Minimal Dialog");
        if (setupTime < 0 || minimalTime < 0) {
            std::fprintf(stderr, "%s: a program did not show its window\n", label.c_str());
            return 1;
        }
        best = std::min(best, setupTime);
        bestPlain = std::min(bestPlain, minimalTime);
    }
    PrintRow(label, best, bestPlain, "");
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    const std::string mode = args.empty() ? "" : args[0];
    if (mode == "copy" && args.size() == 5) {
        return BenchCopy(args[1], args[2], std::atoi(args[3].c_str()), args[4]);
    }
    if (mode == "scan" && args.size() == 4) {
        return BenchScan(args[1], std::atoi(args[2].c_str()), args[3]);
    }
    if (mode == "startup" && args.size() == 5) {
        return BenchStartUp(args[1], args[2], std::atoi(args[3].c_str()), args[4]);
    }
    std::fprintf(stderr,
                 "usage: install_bench copy MEDIUM\\ DEST\\ N LABEL | scan MEDIUM\\ N LABEL |"
                 " startup SETUP MINIMAL N LABEL\n");
    return 2;
}
