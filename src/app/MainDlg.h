// The installer's main dialog: the licence, the product's version and date,
// the destination folder and the drive space, and the three buttons.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "controls/LabelNum.h"
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

    // The source directories of the medium and their destinations, each tree
    // breadth first. More than kMaxDirs directories are refused with a
    // warning: the lists are left empty and the result is false.
    bool BuildDirLists();
    // Byte totals of the source directories; the required megabytes.
    void ComputeRequiredSpace();
    // The free megabytes of the drive of the root path.
    void ShowFreeSpace();

    const std::string& SourceRoot() const { return SourceRoot_; }
    const std::string& InstallDir() const { return InstallDir_; }
    const std::string& WindowsDir() const { return WindowsDir_; }
    const std::vector<std::string>& SourceDirs() const { return lists_.sources; }
    const std::vector<std::string>& DestDirs() const { return lists_.dests; }
    const std::vector<int64_t>& DirBytes() const { return DirBytes_; }
    int64_t TotalBytes() const { return TotalBytes_; }
    // The required and the available megabytes as shown.
    int64_t NeedMegabytes() const { return TextNeed.GetIntValue(); }
    int64_t FreeMegabytes() const { return TextFree.GetIntValue(); }
    // What the Install button hands the installation: the destination as
    // shown and typed, and the figures and folders found for it.
    InstallRequest Request() const;

private:
    void BtnInstallClick();
    void BtnPathClick();
    void EditDirChange();
    void BtnExitClick();
    void BtnFloppyClick();
    void ShowGroupCaption();

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

    std::string SourceRoot_;
    std::string InstallDir_;
    std::string WindowsDir_;
    // The last BuildDirLists's directories and the bytes of their files.
    CopyLists lists_;
    // 64-bit, so that files of 2 GiB and more add up right.
    std::vector<int64_t> DirBytes_;
    int64_t TotalBytes_ = 0;
    // While set, the buttons and closing are held off.
    bool installing_ = false;
};

}  // namespace mivox
