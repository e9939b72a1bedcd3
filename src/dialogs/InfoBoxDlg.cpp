#include "dialogs/InfoBoxDlg.h"

#include "InfoBoxDlgRes.h"

namespace mivox {

namespace {
constexpr int kLastFrame = 8;
}

TInfoBoxDlg::TInfoBoxDlg(DialogPeer& dialog, MessageLoop& loop)
    : dialog_(dialog),
      loop_(loop),
      AniWork(dialog.Animation(IDA_INFOBOX_WORK)),
      TextTop(dialog.Control(IDT_INFOBOX_TOP)),
      TextBot(dialog.Control(IDT_INFOBOX_BOT)) {}

void TInfoBoxDlg::FormCreate() {
    AniWork.Open(CommonAvi::kFindComputer);
}

void TInfoBoxDlg::FormShow() {
    AniWork.Play(kLastFrame);
    TextTop.SetText("");
    TextBot.SetText("");
    loop_.ProcessMessages();
}

void TInfoBoxDlg::FormHide() {
    AniWork.Stop();
}

void TInfoBoxDlg::SetTopText(const std::string& text) {
    TextTop.SetText(text);
    loop_.ProcessMessages();
}

void TInfoBoxDlg::SetBottomText(const std::string& text) {
    TextBot.SetText(text);
    loop_.ProcessMessages();
}

}  // namespace mivox
