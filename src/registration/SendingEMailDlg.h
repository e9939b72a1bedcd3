// TSendingEMailDlg: delivers the registration by SMTP without asking the
// user anything, through a server named in the mail programs' settings;
// when none answers it offers the dial-up phonebook and sends as soon as
// the line is up. Every step is one line of its log box. It closes itself
// when a send ends and tells the outcome in a box.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "components/smtp/SmtpProt.h"
#include "platform/Desktop.h"
#include "platform/DialogPeer.h"
#include "platform/Platform.h"
#include "registration/Ras.h"

namespace mivox {

class TSendingEMailDlg final : public DialogEvents, private SocketEvents {
public:
    // The dialog's own messages, posted to itself.
    static constexpr uint32_t UM_SENDMAIL = 0x0400 + 1;
    static constexpr uint32_t UM_START = 0x0400 + 4;
    static constexpr uint32_t UM_SENDDONE = 0x0400 + 5;
    static constexpr uint32_t UM_DIAL = 0x0400 + 6;

    // How long a host name lookup may take before the server counts as
    // unreachable.
    static constexpr uint32_t kLookupLimitMs = 10000;
    // How long one SMTP request may wait for its answer. Every step of the
    // conversation is one short command and one reply line (DATA is the
    // form, a few kilobytes): a server that answers at all does so in
    // seconds even over a dial-up line, while the user watches a dialog
    // that has no button. Past this the request fails with kRequestTimedOut
    // and the connection is dropped.
    static constexpr uint32_t kRequestLimitMs = 30000;
    static constexpr uint16_t kRequestTimedOut = 10060;  // WSAETIMEDOUT

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
    const std::vector<std::string>& SmtpServers() const { return smtpServers_; }
    bool TimerEnabled() const { return timerRasConnected_->Enabled(); }
    HRasConn WatchedConnection() const { return rasConn_; }

private:
    void ShowMsg(const std::string& text);
    uint16_t DoRequest(TSmtpRequest request);
    void LoadRasEntries();
    void GetRasConnections();
    void FindRasConnection();
    void HangUpRas();
    // Hangs up the line the user dialled from this dialog, if one is up.
    void HangUpDialled();
    HRasConn ConnectionOf(const std::string& entry) const;
    void GetSmtpServers(std::vector<std::string>& list);
    bool IsRasConnected(uint32_t seconds);
    bool ServerActive();
    bool FindActiveServer();

    void HandleMessage(uint32_t message);
    void Start();
    void SendMail();
    // One conversation with CurrentServer, up to the first failure; false
    // when no other server may be tried (sent, or perhaps sent).
    bool Converse();
    // No connection outlives its conversation, whatever its outcome.
    void EndConversation();
    void Dial();
    void TimerRasConnectedTimer();
    // Processes messages until the send sequence has posted its end.
    void WaitForSendDone();
    void Post(uint32_t message) { window_->Post(message, 0); }

    void CreateSmtpClient();
    void SmtpClientRequestDone(TSmtpRequest rqType, uint16_t error);
    void SmtpClientDisplay(const std::string& msg);
    void SmtpClientGetData(int lineNum, char* msgLine, int maxLen, bool& more);
    void SmtpClientHeaderLine(char* msg, int size);

    void DnsLookupDone(int error) override;
    void SessionConnected(int) override {}
    void DataAvailable(int) override {}
    void DataSent(int) override {}
    void SessionClosed(int) override {}

    // Counts the handlers and waits under way: a close asked for meanwhile
    // waits until the last of them has ended, so that no request keeps
    // running behind a closed dialog and the outcome box tells the truth.
    class Busy;
    void CloseWhenIdle();

    DialogPeer& dialog_;
    Platform& platform_;
    Desktop& desktop_;
    ControlPeer& MemoMsg;
    DropDownPeer& ComboBoxRAS;
    ControlPeer& BtnDial;

    std::unique_ptr<MessageWindow> window_;
    std::unique_ptr<TSmtpCli> smtpClient_;
    std::unique_ptr<Socket> sockClient_;
    std::unique_ptr<Timer> timerRasConnected_;
    RasApi ras_;

    std::vector<std::string> smtpServers_;
    std::string currentServer_;
    bool sendDone_ = false;
    // Empty while a request or a lookup is pending: every code is a result.
    std::optional<uint16_t> requestResult_;
    std::optional<int> dnsResult_;
    bool rasAvailable_ = false;
    std::vector<unsigned char> rasConns_;
    uint32_t rasConnCount_ = 0;
    HRasConn rasConn_ = nullptr;
    bool dialled_ = false;         // the dialler was started from this showing
    bool messageEndSent_ = false;  // the conversation has sent the final "."

    int busy_ = 0;
    bool closeRequested_ = false;
};

}  // namespace mivox
