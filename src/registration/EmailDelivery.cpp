#include "registration/EmailDelivery.h"

#include <algorithm>
#include <cstring>
#include <exception>
#include <utility>

#include "util/TextUtil.h"
#include "util/WaitUntil.h"

namespace mivox {

namespace {

// Marks the message for whoever reads it; the header follows From:.
void AddComment(char* msg, int size) {
    static const char kComment[] = "\r\nComments: This is a test";
    if (size <= 0 || UpperText(std::string(msg, strnlen(msg, 5))) != "FROM:") return;
    const size_t length = strnlen(msg, size);
    if (length + sizeof kComment > static_cast<size_t>(size)) return;  // no room: left as is
    std::memcpy(msg + length, kComment, sizeof kComment);
}

}  // namespace

// The lookup socket is made before the client, whose socket carries the
// conversations.
EmailDelivery::EmailDelivery(const SmtpEnvironment& env, MessageLoop& loop, ProgressLog log)
    : clock_(env.clock),
      loop_(loop),
      log_(std::move(log)),
      lookupSocket_(env.network.CreateSocket()),
      client_(std::make_unique<TSmtpCli>(env)) {
    lookupSocket_->SetEvents(this);
    client_->Port = "smtp";
    client_->CharSet = "iso-8859-1";
    client_->ContentType = smtpPlainText;
    client_->OnDisplay = [this](TCustomSmtpClient&, const std::string& msg) {
        if (msg.empty() || msg[0] != '>') log_(msg);  // commands and body stay out of the log
    };
    client_->OnGetData = [this](TCustomSmtpClient&, int lineNum, char* msgLine, int maxLen,
                                bool& more) { GetData(lineNum, msgLine, maxLen, more); };
    client_->OnHeaderLine = [](TCustomSmtpClient&, char* msg, int size) { AddComment(msg, size); };
    client_->OnCommand = [this](TCustomSmtpClient&, const std::string& command) {
        if (command == ".") messageEndSent_ = true;  // body lines are no commands
    };
    client_->OnRequestDone = [this](TCustomSmtpClient&, TSmtpRequest request, uint16_t error) {
        RequestDone(request, error);
    };
}

EmailDelivery::~EmailDelivery() = default;

DeliveryOutcome EmailDelivery::Deliver(const EmailMessage& message) {
    std::string server = FindActiveServer();
    if (server.empty()) return DeliveryOutcome::kNoServer;
    message_ = &message;
    const DeliveryOutcome outcome = SendThroughServers(std::move(server));
    message_ = nullptr;
    return outcome;
}

bool EmailDelivery::ServerActive(const std::string& server) {
    lookupResult_.reset();
    lookupSocket_->DnsLookup(server);
    WaitUntil(loop_, clock_, kLookupLimitMs, [this] { return lookupResult_.has_value(); });
    // A late result is never heard; the socket keeps what the system may
    // still write into until the lookup has really ended.
    if (!lookupResult_) lookupSocket_->Close();
    const bool active = lookupResult_ == 0;
    if (active) log_(server + " Active");
    return active;
}

std::string EmailDelivery::FindActiveServer() {
    // The log hands on messages, which must not make the loop read past
    // the list's end.
    for (size_t i = 0; i < servers_.size(); ++i) {
        const std::string server = servers_[i];
        log_("Trying SMTP Server: " + server);
        if (ServerActive(server)) return server;
    }
    return {};
}

DeliveryOutcome EmailDelivery::SendThroughServers(std::string server) {
    bool accepted = false;
    try {
        for (;;) {
            const DeliveryOutcome outcome = Converse(server);
            accepted = outcome == DeliveryOutcome::kDelivered;
            EndConversation(accepted);
            if (outcome != DeliveryOutcome::kFailed || servers_.size() <= 1) return outcome;
            servers_.erase(std::remove(servers_.begin(), servers_.end(), server), servers_.end());
            server = FindActiveServer();
            if (server.empty()) return DeliveryOutcome::kFailed;
        }
    } catch (const std::exception& error) {
        // The user sees why, and the next delivery starts from a closed
        // client.
        client_->Abort();
        log_(error.what());
        return accepted ? DeliveryOutcome::kDelivered : DeliveryOutcome::kFailed;
    }
}

DeliveryOutcome EmailDelivery::Converse(const std::string& server) {
    log_("Initializing SMTP: " + server);
    TSmtpCli& client = *client_;
    client.Host = server;
    client.Port = "smtp";
    client.EmailFiles.clear();
    client.RcptName.assign(1, message_->to);
    client.FromName = message_->from;
    client.SignOn = "Installer";
    client.HdrFrom = message_->from;
    client.HdrTo = message_->to;
    client.HdrSubject = message_->subject;
    client.HdrReturnPath = message_->from;
    client.HdrReplyTo = message_->from;

    messageEndSent_ = false;
    if (DoRequest(smtpConnect) != 0 || !client.Connected() || DoRequest(smtpHelo) != 0)
        return DeliveryOutcome::kFailed;
    log_("Sending Mail...");
    if (DoRequest(smtpMailFrom) != 0 || DoRequest(smtpRcptTo) != 0) return DeliveryOutcome::kFailed;
    const uint16_t data = DoRequest(smtpData);
    if (data != 0) {
        // The whole message went out and no answer came: the server may
        // have taken it, and another one would deliver it twice.
        const bool unanswered = data == kRequestTimedOut || data == kWsaInterrupted;
        if (!messageEndSent_ || !unanswered) return DeliveryOutcome::kFailed;
        log_("No answer to the end of the message: no other server is tried");
        return DeliveryOutcome::kUnconfirmed;
    }
    // The server took the message when it accepted its end: whatever QUIT
    // brings, it is delivered, and another server would deliver it twice.
    return DeliveryOutcome::kDelivered;
}

void EmailDelivery::EndConversation(bool delivered) {
    // A delivery says QUIT even when the server has gone meanwhile (the
    // client then ends it at once); a failed conversation only to a server
    // still there.
    if (delivered || client_->Connected()) DoRequest(smtpQuit);
    // A server that refused or ignored QUIT keeps no connection of ours.
    if (client_->Connected()) client_->Abort();
}

uint16_t EmailDelivery::DoRequest(TSmtpRequest request) {
    requestResult_.reset();
    TSmtpCli& client = *client_;
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
    if (!WaitUntil(loop_, clock_, kRequestLimitMs, [this] { return requestResult_.has_value(); })) {
        // A server that has stopped answering: the connection goes, and the
        // request ends as failed.
        client.Abort();
        RequestDone(request, kRequestTimedOut);
    }
    return *requestResult_;
}

void EmailDelivery::RequestDone(TSmtpRequest request, uint16_t error) {
    // A server that closes the connection on QUIT has answered it.
    if (request == smtpQuit && error == kWsaInterrupted) error = 0;
    log_(std::string("Request Finished: ") + SmtpRequestName(request) +
         " Error=" + std::to_string(error));
    requestResult_ = error;
}

void EmailDelivery::GetData(int lineNum, char* msgLine, int maxLen, bool& more) const {
    const std::vector<std::string>* lines = message_ ? message_->lines : nullptr;
    if (!lines || lineNum < 1 || static_cast<size_t>(lineNum) > lines->size()) {
        more = false;
        return;
    }
    if (maxLen <= 0) return;
    // A line longer than the client's buffer is cut to it.
    const std::string& line = (*lines)[lineNum - 1];
    const size_t length = std::min(line.size(), static_cast<size_t>(maxLen - 1));
    std::memcpy(msgLine, line.data(), length);
    msgLine[length] = '\0';
}

}  // namespace mivox
