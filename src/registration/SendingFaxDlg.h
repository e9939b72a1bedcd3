// TSendingFaxDlg: faxes the registration form to the maker through a fax
// modem. The user checks the number, may add a dialling prefix and pick
// another modem, and presses Start; the library's figures are shown while
// it sends. A fax delivered closes the dialog; after a failure the user may
// change the settings and start again.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "components/fax/ComPort.h"
#include "components/fax/FaxConverter.h"
#include "components/fax/SendFax.h"
#include "platform/DialogPeer.h"
#include "platform/Platform.h"
#include "registration/RegistrationDialogs.h"

namespace mivox {

// What the status fields show for the sender's figures, `elapsedMs` after
// the start.
struct FaxStatusFields {
    std::string pages, attempt, baud, id, bytes, time, msg;
    int done = 0;  // per cent of the current page sent
};
FaxStatusFields StatusFields(const FaxFigures& figures, uint32_t elapsedMs);

// The maker's fax number as the dialog proposes it: country, area and
// local number joined by dashes.
std::string MakerFaxNumber();

class TSendingFaxDlg final : public DialogEvents {
public:
    TSendingFaxDlg(DialogPeer& dialog, Platform& platform, RegistrationDialogs& dialogs);
    // Deletes the two temporary files.
    ~TSendingFaxDlg() override;

    // Shows the dialog until the fax is delivered or the user closes it;
    // then FaxSent tells the outcome.
    void ShowModal() { dialog_.ShowModal(); }

    void FormShow() override;
    void Command(int controlId, int code) override;

    const std::vector<std::string>* FaxLines = nullptr;  // the caller's, never changed
    std::string FaxTextPath;
    std::string FaxImagePath;
    uint32_t StartTicks = 0;
    bool FaxSent = false;

    // The library's parts, for a test or the caller to look at.
    TApdTapiDevice& TapiDevice() { return TheTapiDev; }
    TApdSendFax& SendFax() { return TheSendFax; }

private:
    void BtnDevClick();
    void BtnStartClick();
    void MakeFaxFile();
    void ClearStatus();
    void ShowFaxStatus();
    void SetButtons(bool enabled);
    void TheSendFaxFaxError(int errorCode);
    void TheSendFaxFaxFinish(int errorCode);
    // Runs one of the sender's events; what it raises is shown, never lost.
    void Event(const std::function<void()>& handler);

    DialogPeer& dialog_;
    Platform& platform_;
    RegistrationDialogs& dialogs_;

    ControlPeer& EditFaxPrefix;
    ControlPeer& EditFaxNumber;
    ControlPeer& TextDev;
    ControlPeer& BtnDev;
    ControlPeer& BtnStart;
    ControlPeer& TextPages;
    ControlPeer& TextAttempt;
    ControlPeer& TextBaud;
    ControlPeer& TextID;
    ControlPeer& TextBytes;
    ControlPeer& TextTime;
    ControlPeer& TextMsg;
    ProgressPeer& BarDone;

    TApdComPort TheComPort;
    TApdTapiDevice TheTapiDev;
    TApdFaxConverter TheFaxConv;
    // Declared after the port, so that a transmission still running ends
    // before the port goes.
    TApdSendFax TheSendFax;
};

}  // namespace mivox
