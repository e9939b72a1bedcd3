// The installer's main dialog: the licence, the product's version and date,
// the destination folder and the drive space, and the three buttons.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "controls/LabelNum.h"
#include "app/InstallProposal.h"
#include "install/CopyLists.h"
#include "install/InstallSequence.h"
#include "platform/DialogPeer.h"
#include "platform/Platform.h"

namespace mivox {

class Forms;

class TMainDlg final : public DialogEvents {
public:
    // At most this many source directories, each with its byte total.
    static constexpr size_t kMaxDirs = CopyLists::kMaxDirs;

    // forms gives the other dialogs, which exist by the time they are used.
    TMainDlg(DialogPeer& dialog, Platform& platform, Forms& forms);

    void FormCreate() override;
    void FormShow() override;
    void Command(int controlId, int code) override;
    // Closing waits while an installation runs: the copy hands on messages,
    // and the dialog must outlive the loop that copies.
    bool FormCloseQuery() override { return !installing_; }

    // A destination given on the command line, shown instead of the
    // recorded or the default one.
    std::string PresetInstallDir;

    // The folder of the running program when it runs as SETUP.EXE (in any
    // letter case); under another name, the program's full path.
    std::string SetupFolder() const;

    // The proposal in the controls, and what they show read back: the
    // destination as shown and typed, with the figures and folders found
    // for it. Request() is what the Install button hands the installation.
    void WriteForm(InstallProposal proposal);
    InstallRequest Request() const;

    const std::string& SourceRoot() const { return proposal_.request.sourceRoot; }
    const std::string& InstallDir() const { return InstallDir_; }
    const std::string& WindowsDir() const { return proposal_.request.windowsDir; }
    const std::vector<std::string>& SourceDirs() const { return proposal_.lists.sources; }
    const std::vector<std::string>& DestDirs() const { return proposal_.lists.dests; }
    const std::vector<int64_t>& DirBytes() const { return proposal_.request.dirBytes; }
    int64_t TotalBytes() const { return proposal_.request.totalBytes; }
    // The required and the available megabytes as shown.
    int64_t NeedMegabytes() const { return TextNeed.GetIntValue(); }
    int64_t FreeMegabytes() const { return TextFree.GetIntValue(); }

private:
    void BtnInstallClick();
    void BtnPathClick();
    void EditDirChange();
    void BtnExitClick();
    void BtnFloppyClick();
    void ShowGroupCaption();
    void ShowFreeSpace();

    DialogPeer& dialog_;
    Platform& platform_;
    Forms& forms_;

    ControlPeer& TextProduct;
    ControlPeer& TextVerNum;
    ControlPeer& TextVerDate;
    ControlPeer& MemoLicense;
    ControlPeer& GroupBoxPath;
    ControlPeer& TextPath;
    ControlPeer& EditDir;
    ControlPeer& BtnInstall;
    ControlPeer& BtnFloppy;
    ControlPeer& BtnExit;
    TLabelNum TextNeed;
    TLabelNum TextFree;

    // The destination as shown, and what FormShow found for the medium.
    std::string InstallDir_;
    InstallProposal proposal_;
    // While set, the buttons and closing are held off.
    bool installing_ = false;
};

}  // namespace mivox
