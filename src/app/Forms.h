// The installer's dialogs: one of each, created at start-up in a fixed order
// and kept until the program ends. The main dialog comes first and is the
// main window; every other one stays hidden until it is used.
//
// Start-up shows the main window as soon as it is made (`mainMade`), before
// the hidden ones: making them takes longer than everything else before the
// window appears, and no input is handled until the message loop runs, by
// which time they all exist. Inside `mainMade` only the main dialog exists.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "app/MainDlg.h"
#include "components/fax/DeviceSelectionDlg.h"
#include "dialogs/CopyMeterDlg.h"
#include "dialogs/DirPickDlg.h"
#include "dialogs/InfoBoxDlg.h"
#include "dialogs/NtRightsDlg.h"
#include "dialogs/TxtViewerDlg.h"
#include "dialogs/YesNoDlg.h"
#include "platform/DialogPeer.h"
#include "platform/Platform.h"
#include "registration/HttpTooLongDlg.h"
#include "registration/ProdRegDlg.h"
#include "registration/RegistrationDialogs.h"
#include "registration/SendingEMailDlg.h"
#include "registration/SendingFaxDlg.h"

namespace mivox {

class Forms final : public RegistrationDialogs {
public:
    Forms(DialogFactory& factory, Platform& platform,
          const std::function<void(Forms&)>& mainMade = nullptr);
    Forms(const Forms&) = delete;
    Forms& operator=(const Forms&) = delete;

    DialogPeer& MainWindow() override { return *windows_.front(); }

    TMainDlg& MainDlg() { return *mainDlg_; }
    TDirPickDlg& DirPickDlg() { return *dirPickDlg_; }
    TCopyMeterDlg& CopyMeterDlg() { return *copyMeterDlg_; }
    TYesNoDlg& YesNoDlg() override { return *yesNoDlg_; }
    TInfoBoxDlg& InfoBoxDlg() { return *infoBoxDlg_; }
    TProdRegDlg& ProdRegDlg() { return *prodRegDlg_; }
    TSendingEMailDlg& SendingEMailDlg() override { return *sendingEMailDlg_; }
    TSendingFaxDlg& SendingFaxDlg() override { return *sendingFaxDlg_; }
    TTxtViewerDlg& TxtViewerDlg() { return *txtViewerDlg_; }
    THttpTooLongDlg& HttpTooLongDlg() override { return *httpTooLongDlg_; }
    TNTrightsDlg& NTrightsDlg() { return *ntRightsDlg_; }
    TDeviceSelectionDlg& DeviceSelectionDlg() override { return *deviceSelectionDlg_; }

private:
    // Makes the window, then its dialog class, and binds them.
    template <typename Dialog, typename... Args>
    std::unique_ptr<Dialog> Create(DialogFactory& factory, int templateId, Args&&... args);

    std::unique_ptr<TMainDlg> mainDlg_;
    std::unique_ptr<TDirPickDlg> dirPickDlg_;
    std::unique_ptr<TCopyMeterDlg> copyMeterDlg_;
    std::unique_ptr<TYesNoDlg> yesNoDlg_;
    std::unique_ptr<TInfoBoxDlg> infoBoxDlg_;
    std::unique_ptr<TProdRegDlg> prodRegDlg_;
    std::unique_ptr<TSendingEMailDlg> sendingEMailDlg_;
    std::unique_ptr<TSendingFaxDlg> sendingFaxDlg_;
    std::unique_ptr<TTxtViewerDlg> txtViewerDlg_;
    std::unique_ptr<THttpTooLongDlg> httpTooLongDlg_;
    std::unique_ptr<TNTrightsDlg> ntRightsDlg_;
    std::unique_ptr<TDeviceSelectionDlg> deviceSelectionDlg_;
    // Declared last, so the windows go before the classes that drive them.
    std::vector<std::unique_ptr<DialogPeer>> windows_;
};

}  // namespace mivox
