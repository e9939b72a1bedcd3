#include "dialogs/NtRightsDlg.h"

#include "NtRightsDlgRes.h"
#include "platform/MessageBoxes.h"

namespace mivox {

const char TNTrightsDlg::kNotice[] =
    "It appears that the current User logged into this machine\r\n"
    "does not have Administrator Access Rights.\r\n"
    "This is required to install the product.\r\n"
    "\r\n"
    "Either increase the rights for this user account,\r\n"
    "or log in as a different user that has Admin rights.\r\n"
    "\r\n"
    "Consult your WinNT documentation or IT/IS person.\r\n"
    "\r\n"
    "Thank You.";

TNTrightsDlg::TNTrightsDlg(DialogPeer& dialog, Platform& platform)
    : dialog_(dialog), platform_(platform), MemoMessage(dialog.Control(IDE_NTRIGHTS_MESSAGE)) {}

void TNTrightsDlg::FormCreate() {
    MemoMessage.SetText(kNotice);
    MemoMessage.SetTextColour(kColourMaroon);
}

void TNTrightsDlg::FormShow() {
    dialog_.SetCaption("NT User Account: " + platform_.system.UserName());
    platform_.boxes.Beep(0);
}

void TNTrightsDlg::Command(int controlId, int code) {
    if (controlId == IDB_NTRIGHTS_OK && code == kButtonClicked) dialog_.Close(kIdOk);
}

}  // namespace mivox
