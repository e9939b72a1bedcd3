// TNTrightsDlg: tells a Windows NT user without administrator rights that
// the installation needs them.
#pragma once

#include "platform/DialogPeer.h"
#include "platform/Platform.h"

namespace mivox {

class TNTrightsDlg final : public DialogEvents {
public:
    TNTrightsDlg(DialogPeer& dialog, Platform& platform);

    void ShowModal() { dialog_.ShowModal(); }

    void FormCreate() override;
    void FormShow() override;
    void Command(int controlId, int code) override;

    // The notice, its lines separated by CR LF.
    static const char kNotice[];

private:
    DialogPeer& dialog_;
    Platform& platform_;
    ControlPeer& MemoMessage;
};

}  // namespace mivox
