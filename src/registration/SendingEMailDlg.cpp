#include "registration/SendingEMailDlg.h"

#include <exception>

#include "SendingEMailDlgRes.h"
#include "registration/SmtpServers.h"
#include "util/Messages.h"
#include "util/ScopeExit.h"
#include "util/WaitUntil.h"

namespace mivox {

namespace {

// How often the timer looks at the dial-up line, and how long each look
// lasts.
constexpr uint32_t kDialPollMs = 2000;

}  // namespace

auto TSendingEMailDlg::MarkBusy() {
    ++busy_;
    return ScopeExit([this] { --busy_; });
}

TSendingEMailDlg::TSendingEMailDlg(DialogPeer& dialog, Platform& platform)
    : dialog_(dialog),
      platform_(platform),
      MemoMsg(dialog.Control(IDE_SENDINGEMAIL_LOG)),
      ComboBoxRAS(platform.desktop.DropDown(dialog, IDC_SENDINGEMAIL_RAS)),
      BtnDial(dialog.Control(IDB_SENDINGEMAIL_DIAL)),
      window_(platform.network.CreateMessageWindow(
          [this](uint32_t message, intptr_t) { HandleMessage(message); })),
      delivery_(SmtpEnvironment{platform.network, platform.clock, platform.zone}, platform.loop,
                [this](const std::string& line) { ShowMsg(line); }),
      timerRasConnected_(platform.timers.CreateTimer()),
      dialUp_(platform.libraries, platform.boxes, platform.desktop, platform.system,
              [this](const std::string& line) { ShowMsg(line); }) {
    timerRasConnected_->SetInterval(kDialPollMs);
    timerRasConnected_->OnTimer = [this] { TimerRasConnectedTimer(); };
}

// The timer goes first, so that no tick reaches a dialog half destroyed.
TSendingEMailDlg::~TSendingEMailDlg() {
    timerRasConnected_.reset();
}

void TSendingEMailDlg::FormCreate() {
    MemoMsg.SetTextColour(kColourNavy);
}

void TSendingEMailDlg::FormShow() {
    const auto busy = MarkBusy();
    dialUp_.Begin();
    dialog_.SetResult(0);
    MailSent = false;
    closeRequested_ = false;
    MemoMsg.SetText("");
    std::vector<std::string> servers;
    CollectSmtpServers({platform_.registry, platform_.files}, servers,
                       [this](const std::string& line) { ShowMsg(line); });
    delivery_.SetServers(servers);
    LoadRasEntries();
    BtnDial.SetEnabled(false);
    if (servers.empty()) {
        ShowMsg("No SMTP servers listed in your Registry.");
        ShowMsg("Please use a different registration option.");
        return;
    }
    Post(UM_START);
}

void TSendingEMailDlg::Command(int controlId, int code) {
    if (code != kButtonClicked) return;
    if (controlId == IDB_SENDINGEMAIL_DIAL) Post(UM_DIAL);
    if (controlId == IDB_SENDINGEMAIL_CANCEL) dialog_.Close(kIdCancel);
}

bool TSendingEMailDlg::FormCloseQuery() {
    if (busy_ > 0) {
        closeRequested_ = true;
        return false;
    }
    timerRasConnected_->SetEnabled(false);
    dialUp_.HangUpDialled(ComboBoxRAS.Text());
    if (MailSent)
        ShowWarning(platform_.boxes, "EMail Transaction Successful",
                    "Email Registration Completed");
    else
        ShowWarning(platform_.boxes, "EMail Transaction Failed", "Email was NOT sent");
    return true;
}

void TSendingEMailDlg::CloseWhenIdle() {
    if (busy_ == 0 && closeRequested_ && dialog_.IsVisible()) {
        closeRequested_ = false;
        dialog_.Close(kIdCancel);
    }
}

void TSendingEMailDlg::ShowMsg(const std::string& text) {
    const std::string log = MemoMsg.Text();
    MemoMsg.SetText(log.empty() ? text : log + "\r\n" + text);
    platform_.loop.ProcessMessages();
}

void TSendingEMailDlg::HandleMessage(uint32_t message) {
    {
        const auto busy = MarkBusy();
        try {
            if (message == UM_START) Start();
            if (message == UM_DIAL) dialUp_.Dial(ComboBoxRAS.Text());  // the timer watches
        } catch (const std::exception& error) {
            // Nothing escapes into the message loop; the user sees why, and
            // the next try starts from a closed client.
            delivery_.Abort();
            ShowMsg(error.what());
        }
    }
    CloseWhenIdle();
}

bool TSendingEMailDlg::Deliver() {
    const DeliveryOutcome outcome =
        delivery_.Deliver(EmailMessage{FromAddr, ToAddr, MailSubject, MsgLines});
    if (outcome == DeliveryOutcome::kNoServer) return false;
    MailSent = outcome == DeliveryOutcome::kDelivered;
    return true;
}

void TSendingEMailDlg::Start() {
    if (Deliver()) {
        closeRequested_ = true;  // presses the hidden Cancel once idle
        return;
    }
    if (ComboBoxRAS.Count() == 0) {
        ShowMsg("No RAS Phonebook Entrys to Dial.");
        return;
    }
    BtnDial.SetEnabled(true);
    timerRasConnected_->SetEnabled(true);
}

// Dial-up.

void TSendingEMailDlg::LoadRasEntries() {
    ComboBoxRAS.Clear();
    for (const std::string& entry : dialUp_.PhonebookEntries()) ComboBoxRAS.AddItem(entry);
    if (ComboBoxRAS.Count() > 0) ComboBoxRAS.SetSelected(0);
}

void TSendingEMailDlg::FindRasConnection() {
    const std::vector<std::string> lines = dialUp_.FindConnections();
    if (!lines.empty()) {
        ShowMsg(std::to_string(lines.size()) + " Active RAS Connection(s)");
        for (const std::string& name : lines) {
            ShowMsg(name);
            // The last equal entry wins; with none the selection stays.
            const int previous = ComboBoxRAS.Selected();
            int match = -1;
            for (int item = 0; item < ComboBoxRAS.Count(); ++item) {
                ComboBoxRAS.SetSelected(item);
                if (ComboBoxRAS.Text() == name) match = item;
            }
            ComboBoxRAS.SetSelected(match >= 0 ? match : previous);
        }
    }
    dialUp_.Watch(ComboBoxRAS.Text());
}

void TSendingEMailDlg::TimerRasConnectedTimer() {
    {
        const auto busy = MarkBusy();
        if (!dialog_.IsVisible()) return;
        FindRasConnection();
        const bool connected = dialUp_.WatchedConnected();
        // Each look at the line lasts one poll interval, handling messages.
        WaitUntil(platform_.loop, platform_.clock, kDialPollMs);
        platform_.loop.ProcessMessages();
        if (!connected) return;
        ShowMsg("RAS Connected");
        if (Deliver()) {
            dialUp_.HangUp();
            closeRequested_ = true;
        } else {
            dialUp_.HangUpDialled(ComboBoxRAS.Text());  // no use for a line that reaches no server
        }
        timerRasConnected_->SetEnabled(false);
    }
    CloseWhenIdle();
}

}  // namespace mivox
