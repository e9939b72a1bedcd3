// TInfoBoxDlg: a modeless note of two lines, with a running animation, shown
// while a long step works. Every change hands on pending messages, so the
// program keeps painting meanwhile.
#pragma once

#include <string>

#include "platform/DialogPeer.h"
#include "platform/MessageLoop.h"

namespace mivox {

class TInfoBoxDlg final : public DialogEvents {
public:
    TInfoBoxDlg(DialogPeer& dialog, MessageLoop& loop);

    void Show() { dialog_.Show(); }
    void Hide() { dialog_.Hide(); }
    void SetTopText(const std::string& text);
    void SetBottomText(const std::string& text);

    void FormCreate() override;
    void FormShow() override;
    void FormHide() override;
    void Command(int, int) override {}

private:
    DialogPeer& dialog_;
    MessageLoop& loop_;
    AnimationPeer& AniWork;
    ControlPeer& TextTop;
    ControlPeer& TextBot;
};

}  // namespace mivox
