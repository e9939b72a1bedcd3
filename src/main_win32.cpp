// Setup.exe: creates the installer's dialogs in their fixed order and runs
// the message loop until the main dialog closes.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include "app/AppException.h"
#include "app/Forms.h"
#include "platform/win32/Win32Dialog.h"
#include "platform/win32/Win32Platform.h"

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

int RunSetup() {
    using namespace mivox;
    ComApartment com;
    INITCOMMONCONTROLSEX controls{sizeof(controls),
                                  ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES | ICC_ANIMATE_CLASS};
    InitCommonControlsEx(&controls);

    win32::Win32Platform platform;
    win32::Win32DialogFactory factory;
    Forms forms(factory, platform.platform);
    forms.MainWindow().Show();
    return platform.loop.Run();
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    try {
        return RunSetup();
    } catch (const std::exception& error) {
        // Nothing is shown yet when the dialogs cannot even be made.
        MessageBoxA(nullptr, error.what(), mivox::kApplicationTitle,
                    MB_OK | MB_ICONERROR | MB_TASKMODAL);
        return 1;
    }
}
