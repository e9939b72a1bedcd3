#include "dialogs/CopyMeterDlg.h"

#include <cmath>

#include "CopyMeterDlgRes.h"
#include "controls/LabelNumText.h"
#include "platform/MessageBoxes.h"

namespace mivox {

namespace {
constexpr int kLastFrame = 34;
}

TCopyMeterDlg::TCopyMeterDlg(DialogPeer& dialog, MessageLoop& loop, const Clock& clock)
    : dialog_(dialog),
      loop_(loop),
      clock_(clock),
      AniFileCopy(dialog.Animation(IDA_COPYMETER_FILECOPY)),
      TextDirName(dialog.Control(IDT_COPYMETER_DIRNAME)),
      BarDir(dialog.Progress(IDP_COPYMETER_DIR)),
      TextFileName(dialog.Control(IDT_COPYMETER_FILENAME)),
      BarFile(dialog.Progress(IDP_COPYMETER_FILE)) {}

int TCopyMeterDlg::BarPosition(long double fraction) {
    const long double percent = fraction * 100;
    // Limited before rounding, so that no huge or undefined value is converted.
    if (std::isnan(percent) || percent <= 0) return 0;
    if (percent >= 100) return 100;
    return static_cast<int>(RoundHalfEven(percent));
}

void TCopyMeterDlg::FormCreate() {
    dialog_.SetResult(kIdCancel);
    AniFileCopy.Open(CommonAvi::kCopyFiles);
}

void TCopyMeterDlg::FormShow() {
    painted_ = false;
    AniFileCopy.Play(kLastFrame);
    SetFileProgress(0);
    SetDirProgress(0);
    dialog_.SetResult(kIdOk);
    loop_.ProcessMessages();
}

void TCopyMeterDlg::FormHide() {
    AniFileCopy.Stop();
}

void TCopyMeterDlg::Command(int controlId, int code) {
    if (controlId == IDB_COPYMETER_CANCEL && code == kButtonClicked) dialog_.Close(kIdCancel);
}

void TCopyMeterDlg::SetFileProgress(long double fraction) {
    BarFile.SetPosition(BarPosition(fraction));
    loop_.ProcessMessages();
}

void TCopyMeterDlg::SetDirProgress(long double fraction) {
    BarDir.SetPosition(BarPosition(fraction));
    loop_.ProcessMessages();
}

void TCopyMeterDlg::SetFileName(const std::string& name) {
    TextFileName.SetText(name);
    loop_.ProcessMessages();
}

void TCopyMeterDlg::SetDirName(const std::string& name) {
    TextDirName.SetText(name);
    loop_.ProcessMessages();
}

void TCopyMeterDlg::ShowFile(const std::string& dirName, long double dirFraction,
                             const std::string& fileName, long double fraction) {
    const uint32_t now = clock_.TickCount();
    // Unsigned difference: right across the tick count's wrap as well.
    if (painted_ && now - paintedAt_ < kRepaintInterval) {
        if (loop_.InputPending()) loop_.ProcessMessages();
        return;
    }
    painted_ = true;
    paintedAt_ = now;
    // Setting a text repaints it even when it stays the same.
    if (TextDirName.Text() != dirName) TextDirName.SetText(dirName);
    BarDir.SetPosition(BarPosition(dirFraction));
    BarFile.SetPosition(BarPosition(fraction));
    TextFileName.SetText(fileName);
    loop_.ProcessMessages();
}

}  // namespace mivox
