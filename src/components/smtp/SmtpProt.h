// An asynchronous SMTP client: each operation sends one command (or opens
// the connection) and returns at once; the reply is evaluated when it
// arrives, and the end of every request is reported by exactly one
// OnRequestDone, posted to the client's hidden window and so never raised
// inside the call that started the request.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/Clock.h"
#include "platform/Failure.h"
#include "platform/Socket.h"

namespace mivox {

enum TSmtpState {
    smtpReady,
    smtpDnsLookup,
    smtpConnecting,
    smtpConnected,
    smtpInternalReady,
    smtpWaitingBanner,
    smtpWaitingResponse,
    smtpAbort,
};

enum TSmtpContentType { smtpHTML, smtpPlainText };

enum TSmtpRequest {
    smtpConnect,
    smtpHelo,
    smtpMailFrom,
    smtpVrfy,
    smtpRcptTo,
    smtpData,
    smtpQuit,
    smtpRset,
    smtpOpen,
    smtpMail,
    smtpCustom,
};

// The request's name as a log shows it ("smtpConnect").
const char* SmtpRequestName(TSmtpRequest request);

// An operation called when the client cannot start it.
class SmtpException : public Failure {
public:
    using Failure::Failure;
};

// What the client needs from the system.
struct SmtpEnvironment {
    Network& network;
    const Clock& clock;
    const TimeZone& zone;
};

class TCustomSmtpClient : private SocketEvents {
public:
    // The hidden window's one message: a request's completion code in LParam.
    static constexpr uint32_t kMsgRequestDone = 0x0400 + 1;  // WM_USER + 1
    static constexpr int kRcvBufSize = 4096;
    static constexpr int kLineBufSize = 1024;

    explicit TCustomSmtpClient(const SmtpEnvironment& env);
    ~TCustomSmtpClient() override;
    TCustomSmtpClient(const TCustomSmtpClient&) = delete;
    TCustomSmtpClient& operator=(const TCustomSmtpClient&) = delete;

    std::string Host;
    std::string Port = "smtp";
    std::string SignOn;
    std::string FromName;
    std::vector<std::string> RcptName;
    std::string HdrFrom, HdrTo, HdrReplyTo, HdrReturnPath, HdrSubject;
    std::string CharSet = "iso-8859-1";
    TSmtpContentType ContentType = smtpPlainText;

    TSmtpState State() const { return state_; }
    bool Connected() const { return connected_; }
    const std::string& ErrorMessage() const { return errorMessage_; }
    const std::string& LastResponse() const { return lastResponse_; }
    int StatusCode() const { return statusCode_; }
    int LastResult() const { return lastResult_; }

    std::function<void(TCustomSmtpClient& sender, const std::string& msg)> OnDisplay;
    std::function<void(TCustomSmtpClient& sender, const std::string& msg)> OnCommand;
    std::function<void(TCustomSmtpClient& sender, const std::string& msg)> OnResponse;
    std::function<void(TCustomSmtpClient& sender, int lineNum, char* msgLine, int maxLen,
                       bool& more)>
        OnGetData;
    std::function<void(TCustomSmtpClient& sender, char* msg, int size)> OnHeaderLine;
    std::function<void(TCustomSmtpClient& sender, TSmtpRequest rqType, uint16_t error)>
        OnRequestDone;
    std::function<void(TCustomSmtpClient& sender, int error)> OnSessionConnected;
    std::function<void(TCustomSmtpClient& sender, int error)> OnSessionClosed;

    void Connect();
    void Helo();
    void MailFrom();
    void RcptTo();
    void Data();
    void Quit();
    // Ends the request under way without its OnRequestDone, abandons a
    // lookup or connection still starting and closes the connection: the
    // client is ready for the next Connect. For a caller that has given up
    // waiting.
    void Abort();

    // The Date header's value for a local time and its offset east of UTC
    // in minutes (none: "+0000").
    static std::string DateText(const SystemTime& local, const int* minutesEast);

private:
    // Forgets the bytes received and the sends in flight of the last
    // conversation.
    void ClearTransfer();
    using Continuation = void (TCustomSmtpClient::*)();

    void DnsLookupDone(int error) override;
    void SessionConnected(int error) override;
    void DataAvailable(int error) override;
    void DataSent(int error) override;
    void SessionClosed(int error) override;

    void ReadyCheck() const;
    void CommandCheck() const;
    void ExecAsync(TSmtpRequest request, const std::string& command,
                   std::initializer_list<int> okResponses, Continuation doneAsync);
    void HandleLine(const std::string& line);
    void EvaluateReply(const std::string& line);
    void SocketFailure(int error);
    void RecordError();
    void TriggerRequestDone(int code);
    void Display(const std::string& msg);
    void SendLine(const std::string& text);
    void RcptToNext();
    void DataStart();
    void DataNext();
    void BuildHeaderLines();
    bool RefuseLineBreak(TSmtpRequest request, const char* what,
                         std::initializer_list<const std::string*> values);

    const SmtpEnvironment env_;
    std::unique_ptr<Socket> socket_;
    std::unique_ptr<MessageWindow> window_;

    TSmtpState state_ = smtpReady;
    bool connected_ = false;
    std::string errorMessage_;
    std::string lastResponse_;

    TSmtpRequest requestType_ = smtpConnect;
    bool requestDoneFlag_ = true;
    uint16_t requestSerial_ = 0;  // tells a completion posted before an Abort
    char rcvBuf_[kRcvBufSize] = {};
    int rcvLen_ = 0;
    int statusCode_ = 0;
    int lastResult_ = 0;
    std::vector<int> okResponses_;
    Continuation doneAsync_ = nullptr;
    bool dataSentAttached_ = false;
    int sendsPending_ = 0;  // Sends not yet reported sent
    std::vector<std::string> hdrLines_;
    int itemCount_ = 0;
    int lineNum_ = 0;
    bool moreLines_ = false;
};

// The client as the e-mail sender uses it, with the attachment list it
// always leaves empty.
class TSmtpCli : public TCustomSmtpClient {
public:
    using TCustomSmtpClient::TCustomSmtpClient;
    std::vector<std::string> EmailFiles;
};

}  // namespace mivox
