#include "dialogs/DirPickDlg.h"

#include "DirPickDlgRes.h"
#include "platform/MessageBoxes.h"

namespace mivox {

namespace {

std::string DriveRoot(char drive) {
    return std::string(1, drive) + ":\\";
}

}  // namespace

TDirPickDlg::TDirPickDlg(DialogPeer& dialog)
    : dialog_(dialog),
      TextPath(dialog.Control(IDT_DIRPICK_PATH)),
      DrvBox(dialog.DriveBox(IDC_DIRPICK_DRIVES)),
      DirBox(dialog.DirList(IDL_DIRPICK_DIRS)) {}

void TDirPickDlg::FormShow() {
    if (!PickedPath.empty()) {
        DrvBox.SetDrive(PickedPath[0]);
        DirBox.SetDirectory(DriveRoot(PickedPath[0]));
        DirBox.SetDirectory(PickedPath);
    }
    TextPath.SetText(PickedPath);
}

void TDirPickDlg::Command(int controlId, int code) {
    switch (controlId) {
        case IDC_DIRPICK_DRIVES:
            if (code == kComboSelChange) DrvBoxChange();
            break;
        case IDL_DIRPICK_DIRS:
            if (code == kListDoubleClick) DirBoxChange();
            break;
        case IDB_DIRPICK_OK:
            if (code == kButtonClicked) dialog_.Close(kIdOk);
            break;
        case IDB_DIRPICK_CANCEL:
            if (code == kButtonClicked) dialog_.Close(kIdCancel);
            break;
        default:
            break;
    }
}

void TDirPickDlg::DrvBoxChange() {
    const char drive = DrvBox.Drive();
    if (!drive) return;
    if (!DirBox.SetDirectory(DriveRoot(drive))) {
        // A drive that cannot be read (no disk in it): stay where the list
        // is, deliberately, rather than show an empty list under that drive.
        const std::string listed = DirBox.Directory();
        if (!listed.empty()) DrvBox.SetDrive(listed[0]);
        return;
    }
    DirBoxChange();
}

void TDirPickDlg::DirBoxChange() {
    std::string path = DirBox.Directory();
    if (path.empty() || path.back() != '\\') path += '\\';
    TextPath.SetText(path);
}

bool TDirPickDlg::FormCloseQuery() {
    if (dialog_.Result() == kIdOk) PickedPath = TextPath.Text();
    return true;
}

}  // namespace mivox
