#include "dialogs/YesNoDlg.h"

#include "YesNoDlgRes.h"
#include "platform/MessageBoxes.h"

namespace mivox {

TYesNoDlg::TYesNoDlg(DialogPeer& dialog)
    : dialog_(dialog),
      TextTop(dialog.Control(IDT_YESNO_TOP)),
      TextBot(dialog.Control(IDT_YESNO_BOT)),
      BtnYes(dialog.Control(IDB_YESNO_YES)) {}

bool TYesNoDlg::Ask(const std::string& top, const std::string& bottom) {
    TopText = top;
    BottomText = bottom;
    return ShowModal() == kIdYes;
}

void TYesNoDlg::FormShow() {
    BtnYes.SetFocus();
    TextTop.SetText(TopText);
    TextBot.SetText(BottomText);
}

void TYesNoDlg::Command(int controlId, int code) {
    if (code != kButtonClicked) return;
    if (controlId == IDB_YESNO_YES) dialog_.Close(kIdYes);
    if (controlId == IDB_YESNO_NO) dialog_.Close(kIdNo);
}

}  // namespace mivox
