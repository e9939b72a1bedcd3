// TDirPickDlg: picks a directory with a drive box and a directory list.
#pragma once

#include <string>

#include "platform/DialogPeer.h"

namespace mivox {

class TDirPickDlg final : public DialogEvents {
public:
    explicit TDirPickDlg(DialogPeer& dialog);

    // Starts at PickedPath (an existing directory); on OK, PickedPath is the
    // directory picked, ending with a backslash. Cancel leaves it unchanged.
    int ShowModal() { return dialog_.ShowModal(); }

    void FormShow() override;
    void Command(int controlId, int code) override;
    bool FormCloseQuery() override;

    std::string PickedPath;

private:
    void DrvBoxChange();
    void DirBoxChange();

    DialogPeer& dialog_;
    ControlPeer& TextPath;
    DriveBoxPeer& DrvBox;
    DirListPeer& DirBox;
};

}  // namespace mivox
