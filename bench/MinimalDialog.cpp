// The yardstick of the start-up benchmark: the least a dialog program does
// to show one window, started the same way as Setup.exe.
#include <windows.h>

#include "MinimalDialog.h"

namespace {

INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM, LPARAM) {
    if (message == WM_CLOSE) {
        EndDialog(window, 0);
        return TRUE;
    }
    return message == WM_INITDIALOG;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    return static_cast<int>(
        DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_MINIMAL), nullptr, DialogProc, 0));
}
