// The installer's main dialog: the licence, the product's version and date,
// the destination folder and the drive space, and the three buttons.
#pragma once

#include <string>

#include "controls/LabelNum.h"
#include "platform/DialogPeer.h"
#include "platform/Platform.h"

namespace mivox {

class TMainDlg final : public DialogEvents {
public:
    TMainDlg(DialogPeer& dialog, Platform& platform);

    void FormCreate() override;
    void FormShow() override;
    void Command(int controlId, int code) override;

    // The folder of the running program when it runs as SETUP.EXE (in any
    // letter case); under another name, the program's full path.
    std::string SetupFolder() const;

    const std::string& InstallDir() const { return InstallDir_; }

private:
    void EditDirChange();
    void BtnExitClick();
    void ShowGroupCaption();

    DialogPeer& dialog_;
    Platform& platform_;

    ControlPeer& TextProduct;
    ControlPeer& TextVerNum;
    ControlPeer& TextVerDate;
    ControlPeer& MemoLicense;
    ControlPeer& GroupBoxPath;
    ControlPeer& TextPath;
    ControlPeer& EditDir;
    TLabelNum TextNeed;
    TLabelNum TextFree;

    std::string InstallDir_;
};

}  // namespace mivox
