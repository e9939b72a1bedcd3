#include "app/Forms.h"

#include "CopyMeterDlgRes.h"
#include "DeviceSelectionDlgRes.h"
#include "DirPickDlgRes.h"
#include "InfoBoxDlgRes.h"
#include "MainDlgRes.h"
#include "NtRightsDlgRes.h"
#include "HttpTooLongDlgRes.h"
#include "ProdRegDlgRes.h"
#include "SendingEMailDlgRes.h"
#include "SendingFaxDlgRes.h"
#include "TxtViewerDlgRes.h"
#include "YesNoDlgRes.h"

namespace mivox {

template <typename Dialog, typename... Args>
std::unique_ptr<Dialog> Forms::Create(DialogFactory& factory, int templateId, Args&&... args) {
    windows_.push_back(factory.Create(templateId, windows_.empty()));
    DialogPeer& window = *windows_.back();
    auto dialog = std::make_unique<Dialog>(window, std::forward<Args>(args)...);
    window.Bind(*dialog);
    return dialog;
}

Forms::Forms(DialogFactory& factory, Platform& platform,
             const std::function<void(Forms&)>& mainMade) {
    mainDlg_ = Create<TMainDlg>(factory, IDD_MAIN, platform, *this);
    if (mainMade) mainMade(*this);
    dirPickDlg_ = Create<TDirPickDlg>(factory, IDD_DIRPICK);
    copyMeterDlg_ = Create<TCopyMeterDlg>(factory, IDD_COPYMETER, platform.loop, platform.clock);
    yesNoDlg_ = Create<TYesNoDlg>(factory, IDD_YESNO);
    infoBoxDlg_ = Create<TInfoBoxDlg>(factory, IDD_INFOBOX, platform.loop);
    prodRegDlg_ = Create<TProdRegDlg>(factory, IDD_PRODREG, platform, *this);
    sendingEMailDlg_ = Create<TSendingEMailDlg>(factory, IDD_SENDINGEMAIL, platform);
    sendingFaxDlg_ = Create<TSendingFaxDlg>(factory, IDD_SENDINGFAX, platform, *this);
    txtViewerDlg_ = Create<TTxtViewerDlg>(factory, IDD_TXTVIEWER, platform);
    httpTooLongDlg_ = Create<THttpTooLongDlg>(factory, IDD_HTTPTOOLONG, platform.boxes);
    ntRightsDlg_ = Create<TNTrightsDlg>(factory, IDD_NTRIGHTS, platform);
    // The fax library's own dialog comes after the installer's.
    deviceSelectionDlg_ =
        Create<TDeviceSelectionDlg>(factory, IDD_DEVICESELECTION, platform.desktop);
}

}  // namespace mivox
