// TYesNoDlg: a question of two lines answered with Yes or No.
#pragma once

#include <string>

#include "platform/DialogPeer.h"

namespace mivox {

class TYesNoDlg final : public DialogEvents {
public:
    explicit TYesNoDlg(DialogPeer& dialog);

    // Shows TopText and BottomText modally: Yes (6), No (7), or Cancel (2)
    // when the window's close box ends the question.
    int ShowModal() { return dialog_.ShowModal(); }
    // Asks the question; only Yes counts as yes, so the close box means no.
    bool Ask(const std::string& top, const std::string& bottom);

    void FormShow() override;
    void Command(int controlId, int code) override;

    std::string TopText;
    std::string BottomText;

private:
    DialogPeer& dialog_;
    ControlPeer& TextTop;
    ControlPeer& TextBot;
    ControlPeer& BtnYes;
};

}  // namespace mivox
