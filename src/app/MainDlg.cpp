#include "app/MainDlg.h"

#include <utility>

#include "MainDlgRes.h"
#include "app/DialogInstallUi.h"
#include "app/Forms.h"
#include "app/ProductInfo.h"
#include "floppy/FloppyDiskSet.h"
#include "util/AppException.h"
#include "util/DateTimeText.h"
#include "util/Messages.h"
#include "util/ScopeExit.h"
#include "util/TextUtil.h"

namespace mivox {

namespace {

// "C:" of "C:\Setup", "\\server\share" of "\\server\share\Setup", else "".
std::string DrivePart(const std::string& path) {
    if (path.size() >= 2 && path[1] == ':') return path.substr(0, 2);
    if (path.rfind("\\\\", 0) == 0) {
        const size_t share = path.find('\\', 2);
        if (share == std::string::npos) return path;
        const size_t end = path.find('\\', share + 1);
        return end == std::string::npos ? path : path.substr(0, end);
    }
    return {};
}

}  // namespace

TMainDlg::TMainDlg(DialogPeer& dialog, Platform& platform, Forms& forms)
    : dialog_(dialog),
      platform_(platform),
      forms_(forms),
      TextProduct(dialog.Control(IDT_MAIN_PRODUCT)),
      TextVerNum(dialog.Control(IDT_MAIN_VERNUM)),
      TextVerDate(dialog.Control(IDT_MAIN_VERDATE)),
      MemoLicense(dialog.Control(IDE_MAIN_LICENSE)),
      GroupBoxPath(dialog.Control(IDG_MAIN_PATH)),
      TextPath(dialog.Control(IDT_MAIN_PATH)),
      EditDir(dialog.Control(IDE_MAIN_DIR)),
      BtnInstall(dialog.Control(IDB_MAIN_INSTALL)),
      BtnFloppy(dialog.Control(IDB_MAIN_FLOPPY)),
      BtnExit(dialog.Control(IDB_MAIN_EXIT)),
      TextNeed(dialog.Control(IDT_MAIN_NEED)),
      TextFree(dialog.Control(IDT_MAIN_FREE)) {}

void TMainDlg::FormCreate() {
    platform_.loop.SetExceptionHandler(
        [&boxes = platform_.boxes](const std::exception& error) { AppException(boxes, error); });
    const std::string drive = DrivePart(SetupFolder());
    if (!drive.empty() && platform_.files.DriveTypeOf(drive + "\\") == kDriveCdRom) {
        BtnFloppy.SetEnabled(false);
    }

    for (TLabelNum* figure : {&TextNeed, &TextFree}) {
        figure->SetIntMode(imFixedIntComma);
        figure->SetValueWidthTotal(10);
    }
    BtnInstall.SetHint("Install Product");
    BtnFloppy.SetHint("Create Floppy Disk Set");
    BtnExit.SetHint("Abort Setup");
    TextProduct.SetText(product::kName);
    MemoLicense.SetText(product::kLicenseText);
    dialog_.Control(IDT_MAIN_OWNER).SetText(product::kOwnerNotice);
    dialog_.Control(IDT_MAIN_ADDRESS1).SetText(product::kAddressLine1);
    dialog_.Control(IDT_MAIN_ADDRESS2).SetText(product::kAddressLine2);
    dialog_.Control(IDT_MAIN_PHONE).SetText(product::kPhone);
    dialog_.Control(IDT_MAIN_FAX).SetText(product::kFax);
    dialog_.Control(IDT_MAIN_WEB).SetText(product::kWeb);
    dialog_.Control(IDT_MAIN_SUPPORT).SetText(product::kSupportEmail);
}

void TMainDlg::FormShow() {
    BoxConversation talk(platform_.boxes);
    {
        HourglassCursor hourglass(platform_.loop);
        WriteForm(ProposeInstallation(platform_.machine(), platform_.versions, platform_.memory,
                                      talk, PresetInstallDir));
    }
    TextVerDate.SetText(FileDateText(platform_, SetupFolder() + product::kProgramOnMedium));
}

void TMainDlg::WriteForm(InstallProposal proposal) {
    proposal_ = std::move(proposal);
    const InstallRequest& request = proposal_.request;
    TextVerNum.SetText(request.version);
    TextPath.SetText(request.path);
    EditDir.SetText(request.folder);
    InstallDir_ = request.path + request.folder;
    TextFree.SetIntValue(request.freeMegabytes);
    TextNeed.SetIntValue(request.needMegabytes);
    ShowGroupCaption();
}

void TMainDlg::Command(int controlId, int code) {
    // The installation's progress dialogs hand on messages, so clicks reach
    // this dialog while it runs; none may start another step under it.
    if (installing_ && controlId != IDE_MAIN_DIR) return;
    switch (controlId) {
        case IDB_MAIN_INSTALL:
            if (code == kButtonClicked) BtnInstallClick();
            break;
        case IDB_MAIN_PATH:
            if (code == kButtonClicked) BtnPathClick();
            break;
        case IDE_MAIN_DIR:
            if (code == kEditChanged) EditDirChange();
            break;
        case IDB_MAIN_EXIT:
            if (code == kButtonClicked) BtnExitClick();
            break;
        case IDB_MAIN_FLOPPY:
            if (code == kButtonClicked) BtnFloppyClick();
            break;
        default:
            break;
    }
}

std::string TMainDlg::SetupFolder() const {
    return mivox::SetupFolder(platform_.system);
}

void TMainDlg::ShowFreeSpace() {
    TextFree.SetIntValue(mivox::FreeMegabytes(platform_.files, TextPath.Text()));
}

void TMainDlg::BtnInstallClick() {
    bool completed = false;
    {
        // Cleared also when a step raises an error. The folder box and the
        // path button are off meanwhile: the caption must keep naming the
        // folder being installed into.
        installing_ = true;
        ControlPeer& btnPath = dialog_.Control(IDB_MAIN_PATH);
        EditDir.SetEnabled(false);
        btnPath.SetEnabled(false);
        ScopeExit running([&] {
            installing_ = false;
            EditDir.SetEnabled(true);
            btnPath.SetEnabled(true);
        });
        DialogInstallUi ui(platform_, forms_);
        completed = InstallSequence(Request(), platform_.machine(), ui).Run();
    }
    if (completed) dialog_.Close(kIdOk);
}

InstallRequest TMainDlg::Request() const {
    InstallRequest request = proposal_.request;
    request.path = TextPath.Text();
    request.folder = EditDir.Text();
    request.version = TextVerNum.Text();
    request.needMegabytes = NeedMegabytes();
    request.freeMegabytes = FreeMegabytes();
    return request;
}

void TMainDlg::BtnPathClick() {
    TDirPickDlg& picker = forms_.DirPickDlg();
    const std::string start = TextPath.Text();
    picker.PickedPath = platform_.files.DirectoryExists(start) ? start : "C:\\";
    if (picker.ShowModal() != kIdOk) return;
    TextPath.SetText(picker.PickedPath);
    InstallDir_ = TextPath.Text() + EditDir.Text();
    ShowGroupCaption();
    ShowFreeSpace();
}

void TMainDlg::EditDirChange() {
    InstallDir_ = TextPath.Text() + EditDir.Text();
    ShowGroupCaption();
}

void TMainDlg::BtnExitClick() {
    dialog_.Close(kIdCancel);
}

void TMainDlg::BtnFloppyClick() {
    RunFloppyDiskSet(platform_, {SetupFolder(), TextProduct.Text(), TextVerNum.Text()}, dialog_);
}

void TMainDlg::ShowGroupCaption() {
    GroupBoxPath.SetText("Installation: " + InstallDir_);
}

}  // namespace mivox
