// Setup.exe: creates the installer's dialogs and runs the message loop until
// the main dialog closes.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include "MainDlgRes.h"
#include "app/MainDlg.h"
#include "platform/win32/Win32Dialog.h"
#include "platform/win32/Win32Platform.h"

namespace {

constexpr char kApplicationTitle[] = "Setup.exe";

// The application's standard error report: the event that raised the error
// is abandoned and the dialogs stay open.
void AppException(const std::exception& error) {
    MessageBoxA(nullptr, error.what(), kApplicationTitle, MB_OK | MB_ICONERROR | MB_TASKMODAL);
}

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
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    win32::Win32Dialog::SetExceptionHandler(AppException);

    win32::Win32Platform platform;
    win32::Win32Dialog mainWindow(IDD_MAIN, true);
    TMainDlg mainDlg(mainWindow, platform.platform);
    mainWindow.Bind(mainDlg);

    mainWindow.Show();
    return win32::RunMessageLoop();
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    try {
        return RunSetup();
    } catch (const std::exception& error) {
        AppException(error);
        return 1;
    }
}
