// THttpTooLongDlg: the notice that the registration is too long for the
// direct web script and goes to the site's form instead.
#pragma once

#include "platform/DialogPeer.h"
#include "platform/MessageBoxes.h"

namespace mivox {

class THttpTooLongDlg final : public DialogEvents {
public:
    THttpTooLongDlg(DialogPeer& dialog, MessageBoxes& boxes);

    // Shows the notice until Ok or the close box ends it.
    void ShowModal() { dialog_.ShowModal(); }

    void FormCreate() override;
    void FormShow() override;
    void Command(int controlId, int code) override;

    static const char kNotice[];

private:
    DialogPeer& dialog_;
    MessageBoxes& boxes_;
    ControlPeer& EditMessage;
};

}  // namespace mivox
