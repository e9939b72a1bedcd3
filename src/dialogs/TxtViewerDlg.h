// TTxtViewerDlg: shows a text file, such as the release notes, in a memo.
#pragma once

#include <string>
#include <vector>

#include "platform/DialogPeer.h"
#include "platform/Platform.h"

namespace mivox {

class TTxtViewerDlg final : public DialogEvents {
public:
    TTxtViewerDlg(DialogPeer& dialog, Platform& platform);

    // Shows FileName modally; with no such file it closes at once.
    void ShowModal() { dialog_.ShowModal(); }

    // The lines of a text: each ends at CR LF, LF or CR, deliberately, so
    // that notes saved on any system show their lines.
    static std::vector<std::string> SplitLines(const std::string& text);

    void FormCreate() override;
    void FormShow() override;
    void Command(int controlId, int code) override;

    std::string FileName;

private:
    void BtnOkClick();

    DialogPeer& dialog_;
    Platform& platform_;
    ControlPeer& GroupBoxFile;
    ControlPeer& MemoFile;
};

}  // namespace mivox
