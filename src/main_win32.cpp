// Setup.exe: creates the installer's dialogs in their fixed order and runs
// the message loop until the main dialog closes; with /S, runs the
// installation without showing them.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include "app/CommandLine.h"
#include "app/Forms.h"
#include "app/SilentSetup.h"
#include "util/AppException.h"
#include "win32/SystemLibrary.h"
#include "win32/Win32Dialog.h"
#include "win32/Win32Platform.h"

namespace {

// COM for the user-interface thread, for as long as the program runs.
class ComApartment {
public:
    ComApartment() : initialized_(SUCCEEDED(CoInitialize(nullptr))) {}
    ~ComApartment() {
        if (initialized_) CoUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

private:
    bool initialized_;
};

// The common controls the dialogs use, bound at run time: imported, they
// would start with the program, before its library search is restricted,
// and bring the theme library from the program's folder. InitCommonControlsEx
// comes with the common controls of Internet Explorer 3; the first ones of
// Windows 95 have only InitCommonControls, which registers every class the
// installer uses there.
void InitCommonControlsOfSystem() {
    using mivox::win32::BoundFunction;
    const HMODULE comctl32 = mivox::win32::LoadCommonControls();
    using InitFn = void(WINAPI*)();
    using InitExFn = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
    INITCOMMONCONTROLSEX controls{sizeof(controls),
                                  ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES | ICC_ANIMATE_CLASS};
    if (const auto initEx = BoundFunction<InitExFn>(comctl32, "InitCommonControlsEx"))
        initEx(&controls);
    else if (const auto init = BoundFunction<InitFn>(comctl32, "InitCommonControls"))
        init();
}

int RunSetup(const mivox::SetupOptions& options) {
    using namespace mivox;
    ComApartment com;
    InitCommonControlsOfSystem();

    win32::Win32Platform platform;
    win32::Win32DialogFactory factory;
    if (options.silent) return RunSilentSetup(platform.platform, options);
    Forms forms(factory, platform.platform, [&](Forms& made) {
        made.MainDlg().PresetInstallDir = options.installDir;
        made.MainWindow().Show();
    });
    return platform.loop.Run();
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR arguments, int) {
    mivox::win32::RestrictLibrarySearch();
    mivox::SetupOptions options;
    std::string error;
    if (!mivox::ParseCommandLine(arguments ? arguments : "", options, error)) {
        if (!options.silent) {
            MessageBoxA(nullptr, (error + "\r\n\r\nUsage: " + mivox::kCommandLineUsage).c_str(),
                        mivox::kApplicationTitle, MB_OK | MB_ICONERROR | MB_TASKMODAL);
        }
        return mivox::kExitBadArguments;
    }
    try {
        return RunSetup(options);
    } catch (const std::exception& error) {
        if (options.silent) return mivox::kExitFailed;
        // Nothing is shown yet when the dialogs cannot even be made.
        MessageBoxA(nullptr, error.what(), mivox::kApplicationTitle,
                    MB_OK | MB_ICONERROR | MB_TASKMODAL);
        return 1;
    }
}
