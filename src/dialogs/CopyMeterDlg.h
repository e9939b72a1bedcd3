// TCopyMeterDlg: the modeless progress of the file copy, with a Cancel button.
// Its run state is its dialog result: Cancel until shown, OK while the copy
// may go on, Cancel again once the user pressed Cancel (or Enter, or Esc).
// The close box cancels too, deliberately: the window has no close action
// of its own, and one closed while the copy goes on would hide the only
// way to stop it. Every update hands on pending messages: that is how a
// Cancel press reaches the copy loop. The copy loop's own update before each
// file, ShowFile, repaints only a few times a second.
#pragma once

#include <string>

#include "platform/Clock.h"
#include "platform/DialogPeer.h"
#include "platform/MessageLoop.h"

namespace mivox {

class TCopyMeterDlg final : public DialogEvents {
public:
    // The eye reads a meter no faster than this, in milliseconds; a repaint
    // costs the system far more than copying a small file.
    static constexpr uint32_t kRepaintInterval = 250;

    TCopyMeterDlg(DialogPeer& dialog, MessageLoop& loop, const Clock& clock);

    void Show() { dialog_.Show(); }
    // Hides the dialog and keeps its run state.
    void Close() { dialog_.Close(dialog_.Result()); }
    // kIdOk while the copy may go on, kIdCancel otherwise.
    int RunState() const { return dialog_.Result(); }

    // Fractions from 0 to 1 of the whole copy and of the current directory.
    void SetFileProgress(long double fraction);
    void SetDirProgress(long double fraction);
    void SetFileName(const std::string& name);
    void SetDirName(const std::string& name);

    // Before each file of the copy: its folder, its name and the fractions
    // done of that folder and of the whole copy. The window shows them for
    // the first file after Show and then once kRepaintInterval has passed;
    // in between only waiting keys and clicks are handed on, so that Cancel
    // still stops the copy before the next file.
    void ShowFile(const std::string& dirName, long double dirFraction, const std::string& fileName,
                  long double fraction);

    // A fraction as a bar position: a whole percent, halves to the even
    // neighbour, kept within 0 to 100.
    static int BarPosition(long double fraction);

    void FormCreate() override;
    void FormShow() override;
    void FormHide() override;
    void Command(int controlId, int code) override;

private:
    DialogPeer& dialog_;
    MessageLoop& loop_;
    const Clock& clock_;
    bool painted_ = false;  // since the last Show
    uint32_t paintedAt_ = 0;
    AnimationPeer& AniFileCopy;
    ControlPeer& TextDirName;
    ProgressPeer& BarDir;
    ControlPeer& TextFileName;
    ProgressPeer& BarFile;
};

}  // namespace mivox
