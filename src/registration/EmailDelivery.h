// Delivering one message by SMTP through the servers of a list: the first
// whose name resolves carries it; one that fails is dropped and the next that
// resolves tries again, until one has taken the message or might have. A
// message goes out at most once: once its end has gone out unanswered,
// another server could deliver it a second time. Every step is one line of
// the progress log.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "components/smtp/SmtpProt.h"
#include "platform/MessageLoop.h"
#include "platform/Socket.h"

namespace mivox {

// The message: addresses, subject and the body's lines, which stay the
// caller's and must outlive the delivery.
struct EmailMessage {
    std::string from;
    std::string to;
    std::string subject;
    const std::vector<std::string>* lines = nullptr;
};

enum class DeliveryOutcome {
    kDelivered,    // a server accepted the message's end
    kUnconfirmed,  // its end went out unanswered: perhaps delivered, tried nowhere else
    kFailed,       // no server took it
    kNoServer,     // no server's name resolved: nothing went out
};

class EmailDelivery final : private SocketEvents {
public:
    using ProgressLog = std::function<void(const std::string& line)>;

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

    // The client's events and the waits go through the loop.
    EmailDelivery(const SmtpEnvironment& env, MessageLoop& loop, ProgressLog log);
    ~EmailDelivery() override;
    EmailDelivery(const EmailDelivery&) = delete;
    EmailDelivery& operator=(const EmailDelivery&) = delete;

    // The hosts to try for the next delivery, in order.
    void SetServers(std::vector<std::string> servers) { servers_ = std::move(servers); }
    // The hosts left: a server that failed is dropped, one that never
    // resolved is kept, and so is the last one.
    const std::vector<std::string>& Servers() const { return servers_; }

    // Looks for a server that resolves, then delivers through it and, while
    // no server may have taken the message, through the next ones. Raises
    // what a name lookup raises; a failure of the conversation is logged and
    // ends the delivery.
    DeliveryOutcome Deliver(const EmailMessage& message);
    // Drops whatever the client has under way: for a caller whose own step
    // failed.
    void Abort() { client_->Abort(); }

private:
    bool ServerActive(const std::string& server);
    // The first server of the list that resolves; empty when none.
    std::string FindActiveServer();
    DeliveryOutcome SendThroughServers(std::string server);
    // One conversation up to its first failure.
    DeliveryOutcome Converse(const std::string& server);
    // No connection outlives its conversation, whatever its outcome.
    void EndConversation(bool delivered);
    uint16_t DoRequest(TSmtpRequest request);
    void RequestDone(TSmtpRequest request, uint16_t error);
    void GetData(int lineNum, char* msgLine, int maxLen, bool& more) const;

    void DnsLookupDone(int error) override { lookupResult_ = error; }
    void SessionConnected(int) override {}
    void DataAvailable(int) override {}
    void DataSent(int) override {}
    void SessionClosed(int) override {}

    const Clock& clock_;
    MessageLoop& loop_;
    ProgressLog log_;
    std::unique_ptr<Socket> lookupSocket_;
    std::unique_ptr<TSmtpCli> client_;

    std::vector<std::string> servers_;
    const EmailMessage* message_ = nullptr;  // while Deliver runs
    // Empty while a request or a lookup is pending: every code is a result.
    std::optional<uint16_t> requestResult_;
    std::optional<int> lookupResult_;
    bool messageEndSent_ = false;  // the conversation has sent the final "."
};

}  // namespace mivox
