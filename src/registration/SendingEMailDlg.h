// TSendingEMailDlg: delivers the registration by SMTP without asking the
// user anything, through a server named in the mail programs' settings;
// when none answers it offers the dial-up phonebook and sends as soon as
// the line is up. Every step is one line of its log box. It closes itself
// when a send ends and tells the outcome in a box. The delivery and the
// dial-up line are the work of EmailDelivery and DialUp; the dialog shows
// their progress and drives them from its buttons and its timer.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/Desktop.h"
#include "platform/DialogPeer.h"
#include "platform/Platform.h"
#include "registration/DialUp.h"
#include "registration/EmailDelivery.h"

namespace mivox {

class TSendingEMailDlg final : public DialogEvents {
public:
    // The dialog's own messages, posted to itself.
    static constexpr uint32_t UM_START = 0x0400 + 4;
    static constexpr uint32_t UM_DIAL = 0x0400 + 6;

    TSendingEMailDlg(DialogPeer& dialog, Platform& platform);
    ~TSendingEMailDlg() override;

    // Shows the dialog until a send has ended or the user closes it; then
    // MailSent tells the outcome.
    void ShowModal() { dialog_.ShowModal(); }

    void FormCreate() override;
    void FormShow() override;
    void Command(int controlId, int code) override;
    bool FormCloseQuery() override;

    std::string FromAddr;
    std::string ToAddr;
    std::string MailSubject;
    const std::vector<std::string>* MsgLines = nullptr;  // the caller's, never changed
    bool MailSent = false;

    // The state a test or the caller may look at.
    const std::vector<std::string>& SmtpServers() const { return delivery_.Servers(); }
    bool TimerEnabled() const { return timerRasConnected_->Enabled(); }

private:
    void ShowMsg(const std::string& text);
    void HandleMessage(uint32_t message);
    void Start();
    // Delivers the message; false when no server answered.
    bool Deliver();
    void LoadRasEntries();
    // Looks for the lines that are up, selects the entry of one and watches
    // the selected entry's line.
    void FindRasConnection();
    void TimerRasConnectedTimer();
    void Post(uint32_t message) { window_->Post(message, 0); }

    // Counts the handlers under way: a close asked for meanwhile waits until
    // the last of them has ended, so that no request keeps running behind a
    // closed dialog and the outcome box tells the truth.
    // Busy until the guard it gives is gone.
    auto MarkBusy();
    void CloseWhenIdle();

    DialogPeer& dialog_;
    Platform& platform_;
    ControlPeer& MemoMsg;
    DropDownPeer& ComboBoxRAS;
    ControlPeer& BtnDial;

    std::unique_ptr<MessageWindow> window_;
    EmailDelivery delivery_;
    std::unique_ptr<Timer> timerRasConnected_;
    DialUp dialUp_;

    int busy_ = 0;
    bool closeRequested_ = false;
};

}  // namespace mivox
