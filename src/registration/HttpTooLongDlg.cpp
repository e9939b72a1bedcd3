#include "registration/HttpTooLongDlg.h"

#include "HttpTooLongDlgRes.h"

namespace mivox {

const char THttpTooLongDlg::kNotice[] =
    "Your data is greater then 255 chars, and may be truncated.\r\n"
    "We will insert your data into our web site Registration form,\r\n"
    "and allow you to manually verify/correct it as needed.\r\n"
    "\r\n"
    "When you are finished, click the Submit Info button on the form.\r\n"
    "\r\n"
    "Thank You.";

THttpTooLongDlg::THttpTooLongDlg(DialogPeer& dialog, MessageBoxes& boxes)
    : dialog_(dialog), boxes_(boxes), EditMessage(dialog.Control(IDE_HTTPTOOLONG_MESSAGE)) {}

void THttpTooLongDlg::FormCreate() {
    EditMessage.SetTextColour(kColourMaroon);
    EditMessage.SetText(kNotice);
}

void THttpTooLongDlg::FormShow() {
    boxes_.Beep(0);
}

void THttpTooLongDlg::Command(int controlId, int code) {
    if (controlId == IDB_HTTPTOOLONG_OK && code == kButtonClicked) dialog_.Close(kIdOk);
}

}  // namespace mivox
