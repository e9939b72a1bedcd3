#include "registration/SendingEMailDlg.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "SendingEMailDlgRes.h"
#include "registration/SmtpServers.h"
#include "util/Messages.h"
#include "util/TextUtil.h"
#include "util/WinVersion.h"

namespace mivox {

namespace {

// The dial-up records in the layouts of the system's headers: a phonebook
// entry, an active connection, a connection's status.
struct RasEntryName {
    uint32_t dwSize;
    char szEntryName[257];
};
struct RasConnRecord {
    uint32_t dwSize;
    HRasConn hrasconn;
    char szEntryName[257];
    char szDeviceType[17];
    char szDeviceName[129];
};
struct RasConnStatus {
    uint32_t dwSize;
    uint32_t rasconnstate;
    uint32_t dwError;
    char szDeviceType[17];
    char szDeviceName[129];
};
static_assert(sizeof(RasEntryName) == kRasEntryNameSize);
static_assert(sizeof(RasConnStatus) == kRasConnStatusSize);
static_assert(sizeof(void*) != 4 || sizeof(RasConnRecord) == kRasConnSize);

constexpr uint32_t kMaxRasEntries = 101;
constexpr uint32_t kMaxRasConns = 11;
constexpr size_t kMaxDialCommand = 255;
constexpr uint32_t kDialPollMs = 2000;

// A line shorter than this goes out whole; a longer one is cut to the
// client's line buffer.
constexpr size_t kWholeLineLimit = 133;

std::string EntryName(const char* field, size_t size) {
    return std::string(field, strnlen(field, size));
}

}  // namespace

class TSendingEMailDlg::Busy {
public:
    explicit Busy(TSendingEMailDlg& dialog) : dialog_(dialog) { ++dialog_.busy_; }
    ~Busy() { --dialog_.busy_; }
    Busy(const Busy&) = delete;
    Busy& operator=(const Busy&) = delete;

private:
    TSendingEMailDlg& dialog_;
};

TSendingEMailDlg::TSendingEMailDlg(DialogPeer& dialog, Platform& platform)
    : dialog_(dialog),
      platform_(platform),
      desktop_(platform.desktop),
      MemoMsg(dialog.Control(IDE_SENDINGEMAIL_LOG)),
      ComboBoxRAS(platform.desktop.DropDown(dialog, IDC_SENDINGEMAIL_RAS)),
      BtnDial(dialog.Control(IDB_SENDINGEMAIL_DIAL)),
      window_(platform.network.CreateMessageWindow(
          [this](uint32_t message, intptr_t) { HandleMessage(message); })),
      sockClient_(platform.network.CreateSocket()),
      timerRasConnected_(platform.timers.CreateTimer()),
      ras_(platform.libraries, platform.boxes),
      rasConns_(kMaxRasConns * sizeof(RasConnRecord)) {
    CreateSmtpClient();
    sockClient_->SetEvents(this);
    timerRasConnected_->SetInterval(kDialPollMs);
    timerRasConnected_->OnTimer = [this] { TimerRasConnectedTimer(); };
}

// The timer goes first, so that no tick reaches a dialog half destroyed;
// the dial-up library is freed by its owner.
TSendingEMailDlg::~TSendingEMailDlg() {
    timerRasConnected_.reset();
}

void TSendingEMailDlg::CreateSmtpClient() {
    smtpClient_ = std::make_unique<TSmtpCli>(
        SmtpEnvironment{platform_.network, platform_.clock, platform_.zone});
    smtpClient_->Port = "smtp";
    smtpClient_->CharSet = "iso-8859-1";
    smtpClient_->ContentType = smtpPlainText;
    smtpClient_->OnDisplay = [this](TCustomSmtpClient&, const std::string& msg) {
        SmtpClientDisplay(msg);
    };
    smtpClient_->OnGetData = [this](TCustomSmtpClient&, int lineNum, char* msgLine, int maxLen,
                                    bool& more) {
        SmtpClientGetData(lineNum, msgLine, maxLen, more);
    };
    smtpClient_->OnHeaderLine = [this](TCustomSmtpClient&, char* msg, int size) {
        SmtpClientHeaderLine(msg, size);
    };
    smtpClient_->OnCommand = [this](TCustomSmtpClient&, const std::string& command) {
        if (command == ".") messageEndSent_ = true;  // body lines are no commands
    };
    smtpClient_->OnRequestDone = [this](TCustomSmtpClient&, TSmtpRequest rqType, uint16_t error) {
        SmtpClientRequestDone(rqType, error);
    };
}

void TSendingEMailDlg::FormCreate() {
    MemoMsg.SetTextColour(kColourNavy);
}

void TSendingEMailDlg::FormShow() {
    Busy busy(*this);
    rasAvailable_ = ras_.LoadRasApi();
    dialog_.SetResult(0);
    sendDone_ = false;
    MailSent = false;
    closeRequested_ = false;
    currentServer_.clear();
    rasConnCount_ = 0;
    rasConn_ = nullptr;
    dialled_ = false;
    MemoMsg.SetText("");
    GetSmtpServers(smtpServers_);
    LoadRasEntries();
    BtnDial.SetEnabled(false);
    if (smtpServers_.empty()) {
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
    HangUpDialled();
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

void TSendingEMailDlg::GetSmtpServers(std::vector<std::string>& list) {
    CollectSmtpServers({platform_.registry, platform_.files}, list,
                       [this](const std::string& line) { ShowMsg(line); });
}

void TSendingEMailDlg::DnsLookupDone(int error) {
    dnsResult_ = error;
}

bool TSendingEMailDlg::ServerActive() {
    Busy busy(*this);
    dnsResult_.reset();
    const uint32_t start = platform_.clock.TickCount();
    sockClient_->DnsLookup(currentServer_);
    for (uint32_t waited = 0; !dnsResult_ && waited <= kLookupLimitMs;
         waited = platform_.clock.TickCount() - start)
        platform_.loop.WaitForMessages(kLookupLimitMs + 1 - waited);
    // A late result is never heard; the socket keeps what the system may
    // still write into until the lookup has really ended.
    if (!dnsResult_) sockClient_->Close();
    const bool active = dnsResult_ == 0;
    if (active) ShowMsg(currentServer_ + " Active");
    return active;
}

bool TSendingEMailDlg::FindActiveServer() {
    if (!currentServer_.empty()) return true;
    const size_t count = smtpServers_.size();
    for (size_t i = 0; i < count && i < smtpServers_.size(); ++i) {
        currentServer_ = smtpServers_[i];
        ShowMsg("Trying SMTP Server: " + currentServer_);
        if (ServerActive()) return true;
    }
    currentServer_.clear();
    return false;
}

void TSendingEMailDlg::HandleMessage(uint32_t message) {
    {
        Busy busy(*this);
        try {
            switch (message) {
                case UM_START:
                    Start();
                    break;
                case UM_SENDMAIL:
                    SendMail();
                    break;
                case UM_SENDDONE:
                    sendDone_ = true;
                    break;
                case UM_DIAL:
                    Dial();
                    break;
                default:
                    break;
            }
        } catch (const std::exception& error) {
            // Nothing escapes into the message loop; the user sees why, and
            // the next try starts from a closed client.
            smtpClient_->Abort();
            ShowMsg(error.what());
            sendDone_ = true;
        }
    }
    CloseWhenIdle();
}

void TSendingEMailDlg::WaitForSendDone() {
    Post(UM_SENDMAIL);
    while (!sendDone_) platform_.loop.WaitForMessages(MessageLoop::kInfinite);
}

void TSendingEMailDlg::Start() {
    if (FindActiveServer()) {
        WaitForSendDone();
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

void TSendingEMailDlg::SendMail() {
    for (;;) {
        ShowMsg("Initializing SMTP: " + currentServer_);
        TSmtpCli& client = *smtpClient_;
        client.Host = currentServer_;
        client.Port = "smtp";
        client.EmailFiles.clear();
        client.RcptName.assign(1, ToAddr);
        client.FromName = FromAddr;
        client.SignOn = "Installer";
        client.HdrFrom = FromAddr;
        client.HdrTo = ToAddr;
        client.HdrSubject = MailSubject;
        client.HdrReturnPath = FromAddr;
        client.HdrReplyTo = FromAddr;

        const bool mayTryAnother = Converse();
        EndConversation();
        if (MailSent || !mayTryAnother || smtpServers_.size() <= 1) break;
        const std::string failed = currentServer_;
        smtpServers_.erase(std::remove(smtpServers_.begin(), smtpServers_.end(), failed),
                           smtpServers_.end());
        currentServer_.clear();
        if (smtpServers_.empty() || !FindActiveServer()) break;
    }
    Post(UM_SENDDONE);
}

bool TSendingEMailDlg::Converse() {
    messageEndSent_ = false;
    if (DoRequest(smtpConnect) != 0 || !smtpClient_->Connected() || DoRequest(smtpHelo) != 0)
        return true;
    ShowMsg("Sending Mail...");
    if (DoRequest(smtpMailFrom) != 0 || DoRequest(smtpRcptTo) != 0) return true;
    const uint16_t data = DoRequest(smtpData);
    if (data != 0) {
        // The whole message went out and no answer came: the server may
        // have taken it, and another one would deliver it twice.
        const bool unanswered = data == kRequestTimedOut || data == kWsaInterrupted;
        if (!messageEndSent_ || !unanswered) return true;
        ShowMsg("No answer to the end of the message: no other server is tried");
        return false;
    }
    // The server took the message when it accepted its end: whatever QUIT
    // brings, it is delivered, and another server would deliver it twice.
    MailSent = true;
    DoRequest(smtpQuit);
    return false;
}

void TSendingEMailDlg::EndConversation() {
    // After a delivery QUIT has been sent already.
    if (!MailSent && smtpClient_->Connected()) DoRequest(smtpQuit);
    // A server that refused or ignored QUIT keeps no connection of ours.
    if (smtpClient_->Connected()) smtpClient_->Abort();
}

uint16_t TSendingEMailDlg::DoRequest(TSmtpRequest request) {
    Busy busy(*this);
    requestResult_.reset();
    TSmtpCli& client = *smtpClient_;
    switch (request) {
        case smtpConnect:
            client.Connect();
            break;
        case smtpHelo:
            client.Helo();
            break;
        case smtpMailFrom:
            client.MailFrom();
            break;
        case smtpRcptTo:
            client.RcptTo();
            break;
        case smtpData:
            client.Data();
            break;
        case smtpQuit:
            client.Quit();
            break;
        default:
            throw SmtpException(std::string("Request not supported: ") + SmtpRequestName(request));
    }
    const uint32_t start = platform_.clock.TickCount();
    while (!requestResult_) {
        const uint32_t waited = platform_.clock.TickCount() - start;
        if (waited > kRequestLimitMs) {
            // A server that has stopped answering: the connection goes, and
            // the request ends as failed.
            smtpClient_->Abort();
            SmtpClientRequestDone(request, kRequestTimedOut);
            break;
        }
        platform_.loop.WaitForMessages(kRequestLimitMs + 1 - waited);
    }
    return *requestResult_;
}

void TSendingEMailDlg::SmtpClientRequestDone(TSmtpRequest rqType, uint16_t error) {
    if (rqType == smtpQuit && error == kWsaInterrupted) error = 0;
    ShowMsg(std::string("Request Finished: ") + SmtpRequestName(rqType) +
            " Error=" + std::to_string(error));
    requestResult_ = error;
}

void TSendingEMailDlg::SmtpClientDisplay(const std::string& msg) {
    if (!msg.empty() && msg[0] == '>') return;
    ShowMsg(msg);
}

void TSendingEMailDlg::SmtpClientGetData(int lineNum, char* msgLine, int maxLen, bool& more) {
    if (!MsgLines || lineNum < 1 || static_cast<size_t>(lineNum) > MsgLines->size()) {
        more = false;
        return;
    }
    if (maxLen <= 0) return;
    const std::string& line = (*MsgLines)[lineNum - 1];
    size_t length = line.size();
    if (length >= kWholeLineLimit || length >= static_cast<size_t>(maxLen))
        length = std::min(length, static_cast<size_t>(maxLen - 1));
    std::memcpy(msgLine, line.data(), length);
    msgLine[length] = '\0';
}

void TSendingEMailDlg::SmtpClientHeaderLine(char* msg, int size) {
    static const char kComment[] = "\r\nComments: This is a test";
    if (size <= 0 || UpperText(std::string(msg, strnlen(msg, 5))) != "FROM:") return;
    const size_t length = strnlen(msg, size);
    if (length + sizeof kComment > static_cast<size_t>(size)) return;  // no room: left as is
    std::memcpy(msg + length, kComment, sizeof kComment);
}

// Dial-up.

void TSendingEMailDlg::LoadRasEntries() {
    ComboBoxRAS.Clear();
    if (!rasAvailable_) return;
    std::vector<RasEntryName> entries(kMaxRasEntries);
    entries[0].dwSize = kRasEntryNameSize;
    uint32_t size = static_cast<uint32_t>(entries.size() * sizeof(RasEntryName));
    uint32_t count = 0;
    const uint32_t result = ras_.RasEnumEntriesA(nullptr, nullptr, entries.data(), &size, &count);
    if (result != 0) {
        char text[128] = {};
        ras_.RasGetErrorStringA(result, text, sizeof text);  // not shown
        count = 0;
    }
    ComboBoxRAS.Clear();
    for (uint32_t i = 0; i < std::min(count, kMaxRasEntries); ++i)
        ComboBoxRAS.AddItem(EntryName(entries[i].szEntryName, sizeof entries[i].szEntryName));
    if (ComboBoxRAS.Count() > 0) ComboBoxRAS.SetSelected(0);
}

void TSendingEMailDlg::Dial() {
    const std::string entry = ComboBoxRAS.Text();
    std::string command;
    if (IsWinNT(platform_.system)) {
        // The dialler reads its arguments one word at a time.
        const bool quoted = entry.find_first_of(" \t") != std::string::npos;
        command = "RASPHONE.EXE -d " + (quoted ? "\"" + entry + "\"" : entry);
    } else {
        // RnaDial takes the rest of the line, blanks and all, as the name.
        command = "Rundll Rnaui.dll,RnaDial " + entry;
    }
    if (command.size() > kMaxDialCommand) command.resize(kMaxDialCommand);
    dialled_ = true;
    desktop_.StartProgram(command);  // the timer learns whether it connected
}

void TSendingEMailDlg::GetRasConnections() {
    rasConnCount_ = 0;
    std::fill(rasConns_.begin(), rasConns_.end(), 0);
    const uint32_t recordSize = sizeof(RasConnRecord);
    std::memcpy(rasConns_.data(), &recordSize, sizeof recordSize);
    uint32_t size = static_cast<uint32_t>(rasConns_.size());
    const uint32_t result = ras_.RasEnumConnectionsA(rasConns_.data(), &size, &rasConnCount_);
    if (result != 0) {
        char text[256] = {};
        ras_.RasGetErrorStringA(result, text, sizeof text);
        ShowMsg(EntryName(text, sizeof text));
        rasConnCount_ = 0;
        platform_.loop.ProcessMessages();
    }
    rasConnCount_ = std::min(rasConnCount_, kMaxRasConns);
}

void TSendingEMailDlg::FindRasConnection() {
    GetRasConnections();
    const auto* conns = reinterpret_cast<const RasConnRecord*>(rasConns_.data());
    if (rasConnCount_ > 0) {
        ShowMsg(std::to_string(rasConnCount_) + " Active RAS Connection(s)");
        for (uint32_t i = 0; i < rasConnCount_; ++i) {
            const std::string name = EntryName(conns[i].szEntryName, sizeof conns[i].szEntryName);
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
    rasConn_ = ConnectionOf(ComboBoxRAS.Text());
}

// The first active connection of the entry, its name compared without
// regard to case; none when it has none.
HRasConn TSendingEMailDlg::ConnectionOf(const std::string& entry) const {
    const auto* conns = reinterpret_cast<const RasConnRecord*>(rasConns_.data());
    const std::string wanted = UpperText(entry);
    for (uint32_t i = 0; i < rasConnCount_; ++i)
        if (UpperText(EntryName(conns[i].szEntryName, sizeof conns[i].szEntryName)) == wanted)
            return conns[i].hrasconn;
    return nullptr;
}

bool TSendingEMailDlg::IsRasConnected(uint32_t seconds) {
    Busy busy(*this);
    const uint32_t start = platform_.clock.TickCount();
    FindRasConnection();
    RasConnStatus status{};
    for (;;) {
        status = RasConnStatus{};
        status.dwSize = kRasConnStatusSize;
        ras_.RasGetConnectStatusA(rasConn_, &status);
        const uint32_t waitStart = platform_.clock.TickCount();
        for (uint32_t waited = 0; waited < kDialPollMs;
             waited = platform_.clock.TickCount() - waitStart)
            platform_.loop.WaitForMessages(kDialPollMs - waited);
        platform_.loop.ProcessMessages();
        if (status.rasconnstate == kRasConnected ||
            platform_.clock.TickCount() - start >= seconds * 1000)
            break;
    }
    return status.rasconnstate == kRasConnected;
}

void TSendingEMailDlg::TimerRasConnectedTimer() {
    {
        Busy busy(*this);
        if (!dialog_.IsVisible() || !IsRasConnected(0)) return;
        ShowMsg("RAS Connected");
        if (FindActiveServer()) {
            WaitForSendDone();
            HangUpRas();
            closeRequested_ = true;
        } else {
            HangUpDialled();  // no use for a line that reaches no server
        }
        timerRasConnected_->SetEnabled(false);
    }
    CloseWhenIdle();
}

void TSendingEMailDlg::HangUpRas() {
    if (!rasConn_) return;
    const HRasConn line = std::exchange(rasConn_, nullptr);
    dialled_ = false;  // hung up once
    ShowMsg("Hanging Up");
    if (ras_.RasHangUpA(line) != 0) ShowMsg("Error attempting to HangUp");
}

void TSendingEMailDlg::HangUpDialled() {
    if (!dialled_ || !rasAvailable_) return;
    if (!rasConn_) {
        // The line may have come up since the last tick looked.
        GetRasConnections();
        rasConn_ = ConnectionOf(ComboBoxRAS.Text());
    }
    dialled_ = false;
    HangUpRas();
}

}  // namespace mivox
