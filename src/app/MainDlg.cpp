#include "app/MainDlg.h"

#include "MainDlgRes.h"
#include "app/ProductInfo.h"
#include "util/DateTimeText.h"
#include "util/TextUtil.h"
#include "util/VersionText.h"

namespace mivox {

TMainDlg::TMainDlg(DialogPeer& dialog, Platform& platform)
    : dialog_(dialog),
      platform_(platform),
      TextProduct(dialog.Control(IDT_MAIN_PRODUCT)),
      TextVerNum(dialog.Control(IDT_MAIN_VERNUM)),
      TextVerDate(dialog.Control(IDT_MAIN_VERDATE)),
      MemoLicense(dialog.Control(IDE_MAIN_LICENSE)),
      GroupBoxPath(dialog.Control(IDG_MAIN_PATH)),
      TextPath(dialog.Control(IDT_MAIN_PATH)),
      EditDir(dialog.Control(IDE_MAIN_DIR)),
      TextNeed(dialog.Control(IDT_MAIN_NEED)),
      TextFree(dialog.Control(IDT_MAIN_FREE)) {}

void TMainDlg::FormCreate() {
    for (TLabelNum* figure : {&TextNeed, &TextFree}) {
        figure->SetIntMode(imFixedIntComma);
        figure->SetValueWidthTotal(10);
    }
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
    const std::string program = SetupFolder() + product::kProgramOnMedium;
    TextVerNum.SetText(FileVersionText(platform_, program));
    TextVerDate.SetText(FileDateText(platform_, program));

    const std::string path = product::kDefaultInstallDir;
    const size_t slash = path.rfind('\\');
    TextPath.SetText(slash == std::string::npos ? path : path.substr(0, slash + 1));
    EditDir.SetText(slash == std::string::npos ? std::string() : path.substr(slash + 1));
    InstallDir_ = path;
    ShowGroupCaption();
}

void TMainDlg::Command(int controlId, int code) {
    switch (controlId) {
        case IDE_MAIN_DIR:
            if (code == kEditChanged) EditDirChange();
            break;
        case IDB_MAIN_EXIT:
            if (code == kButtonClicked) BtnExitClick();
            break;
        default:
            break;
    }
}

std::string TMainDlg::SetupFolder() const {
    return RemoveText(platform_.system.ModuleFileName(), "\\SETUP.EXE");
}

void TMainDlg::EditDirChange() {
    InstallDir_ = TextPath.Text() + EditDir.Text();
    ShowGroupCaption();
}

void TMainDlg::BtnExitClick() {
    dialog_.Close(kIdCancel);
}

void TMainDlg::ShowGroupCaption() {
    GroupBoxPath.SetText("Installation: " + InstallDir_);
}

}  // namespace mivox
