#include "dialogs/TxtViewerDlg.h"

#include "TxtViewerDlgRes.h"
#include "platform/MessageBoxes.h"
#include "util/Errors.h"

namespace mivox {

TTxtViewerDlg::TTxtViewerDlg(DialogPeer& dialog, Platform& platform)
    : dialog_(dialog),
      platform_(platform),
      GroupBoxFile(dialog.Control(IDG_TXTVIEWER_FILE)),
      MemoFile(dialog.Control(IDE_TXTVIEWER_FILE)) {}

std::vector<std::string> TTxtViewerDlg::SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = text.find_first_of("\r\n", start);
        if (end == std::string::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
    }
    return lines;
}

void TTxtViewerDlg::FormCreate() {
    MemoFile.SetFont("Courier", 10);
    MemoFile.SetTextColour(kColourNavy);
}

void TTxtViewerDlg::FormShow() {
    if (FileName.empty() || !platform_.files.FileExists(FileName)) {
        BtnOkClick();
        return;
    }
    GroupBoxFile.SetText(FileName);
    MemoFile.SetText("");
    std::string contents;
    if (const IoResult read = platform_.files.ReadAll(FileName, contents); !read) {
        // An empty viewer would follow the error report: it closes first.
        BtnOkClick();
        throw IoError("I/O error " + std::to_string(read.Error()) + " reading " + FileName);
    }
    const std::vector<std::string> lines = SplitLines(contents);
    std::string text;
    for (size_t i = 0; i < lines.size(); ++i) {
        text += i ? "\r\n" : "";
        text += lines[i];
    }
    MemoFile.SetText(text);
}

void TTxtViewerDlg::Command(int controlId, int code) {
    if (controlId == IDB_TXTVIEWER_OK && code == kButtonClicked) BtnOkClick();
}

void TTxtViewerDlg::BtnOkClick() {
    dialog_.Close(kIdOk);
}

}  // namespace mivox
