#include "components/smtp/SmtpProt.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "components/wsocket/WSocketErrors.h"

namespace mivox {

namespace {

// Status code given to failures the client detects itself.
constexpr int kClientFailure = 500;
// A reply line that does not begin with a number.
constexpr int kNoCode = INT_MIN;

const char* const kRequestNames[] = {"smtpConnect", "smtpHelo", "smtpMailFrom", "smtpVrfy",
                                     "smtpRcptTo",  "smtpData", "smtpQuit",     "smtpRset",
                                     "smtpOpen",    "smtpMail", "smtpCustom"};

std::string Trim(const std::string& text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// The reply code at the start of a line, and whether the line is followed
// by more lines of the same reply. A line without digits has no code, nor
// has code 0, which a completion would carry as success; codes are kept
// within the 16 bits a completion carries.
int ParseReplyCode(const std::string& line, bool& continuation) {
    size_t i = 0;
    while (i < line.size() && std::strchr(" \t\r\n", line[i]) && line[i] != '\0') ++i;
    bool negative = false;
    if (i < line.size() && (line[i] == '-' || line[i] == '+')) negative = line[i++] == '-';
    const size_t digits = i;
    long code = 0;
    while (i < line.size() && line[i] >= '0' && line[i] <= '9') {
        code = std::min(code * 10 + (line[i] - '0'), 65535L);
        ++i;
    }
    continuation = i < line.size() && line[i] == '-';
    if (i == digits || code == 0) return kNoCode;
    return static_cast<int>(negative ? -code : code);
}

// A line as it goes on the wire: a bare CR or LF inside it splits it into
// separate lines, and each line that begins with "." gets one more in front,
// so that no piece can end the message early.
std::vector<std::string> WireLines(const std::string& line) {
    std::vector<std::string> pieces;
    size_t start = 0;
    while (true) {
        const size_t end = line.find_first_of("\r\n", start);
        pieces.push_back(line.substr(start, end == std::string::npos ? end : end - start));
        if (end == std::string::npos) break;
        start = end + (line.compare(end, 2, "\r\n") == 0 ? 2 : 1);
    }
    for (auto& piece : pieces)
        if (!piece.empty() && piece[0] == '.') piece = "." + piece;
    return pieces;
}

}  // namespace

const char* SmtpRequestName(TSmtpRequest request) {
    const auto index = static_cast<size_t>(request);
    return index < std::size(kRequestNames) ? kRequestNames[index] : "smtpUnknown";
}

TCustomSmtpClient::TCustomSmtpClient(const SmtpEnvironment& env)
    : env_(env), socket_(env.network.CreateSocket()) {
    socket_->SetEvents(this);
    window_ = env.network.CreateMessageWindow([this](uint32_t message, intptr_t lParam) {
        // A completion posted before an Abort belongs to a request given up.
        const auto serial = static_cast<uint16_t>(static_cast<uintptr_t>(lParam) >> 16);
        if (message != kMsgRequestDone || serial != requestSerial_ || !OnRequestDone) return;
        OnRequestDone(*this, requestType_, static_cast<uint16_t>(lParam & 0xFFFF));
    });
}

TCustomSmtpClient::~TCustomSmtpClient() {
    // The socket goes first, so that no event reaches a half-destroyed client.
    socket_->SetEvents(nullptr);
    socket_.reset();
}

void TCustomSmtpClient::ReadyCheck() const {
    if (state_ != smtpReady && state_ != smtpInternalReady)
        throw SmtpException("SMTP component not ready");
}

void TCustomSmtpClient::CommandCheck() const {
    ReadyCheck();
    if (!connected_) throw SmtpException("SMTP component not connected");
}

void TCustomSmtpClient::Display(const std::string& msg) {
    if (OnDisplay) OnDisplay(*this, msg);
}

void TCustomSmtpClient::RecordError() {
    if (errorMessage_.empty()) errorMessage_ = lastResponse_;
}

void TCustomSmtpClient::TriggerRequestDone(int code) {
    if (requestDoneFlag_) return;
    requestDoneFlag_ = true;
    state_ = smtpReady;
    const auto serial = static_cast<uintptr_t>(requestSerial_) << 16;
    window_->Post(kMsgRequestDone, static_cast<intptr_t>(serial | static_cast<uint16_t>(code)));
}

bool TCustomSmtpClient::RefuseLineBreak(TSmtpRequest request, const char* what,
                                        std::initializer_list<const std::string*> values) {
    // A CR or LF would end the line early, and what follows it would reach
    // the server as a command or a header line of its own.
    const bool clean = std::none_of(values.begin(), values.end(), [](const std::string* value) {
        return value->find_first_of("\r\n") != std::string::npos;
    });
    if (clean) return false;
    requestType_ = request;
    requestDoneFlag_ = false;
    lastResponse_ = std::string("500 Line break in ") + what + " refused";
    statusCode_ = lastResult_ = kClientFailure;
    RecordError();
    Display(lastResponse_);
    TriggerRequestDone(kClientFailure);
    return true;
}

void TCustomSmtpClient::Abort() {
    ++requestSerial_;
    requestDoneFlag_ = true;
    doneAsync_ = nullptr;
    ClearTransfer();
    connected_ = false;
    state_ = smtpReady;
    socket_->Close();
}

void TCustomSmtpClient::ClearTransfer() {
    rcvLen_ = 0;
    dataSentAttached_ = false;
    sendsPending_ = 0;
}

void TCustomSmtpClient::SocketFailure(int error) {
    lastResponse_ =
        "500 " + WSocketErrorDesc(error) + " (Winsock error #" + std::to_string(error) + ")";
    statusCode_ = kClientFailure;
    RecordError();
}

void TCustomSmtpClient::Connect() {
    ReadyCheck();
    if (connected_) throw SmtpException("SMTP component already connected");
    requestType_ = smtpConnect;
    requestDoneFlag_ = false;
    lastResult_ = 0;
    state_ = smtpDnsLookup;
    ClearTransfer();
    socket_->DnsLookup(Host);
}

void TCustomSmtpClient::DnsLookupDone(int error) {
    if (state_ != smtpDnsLookup) return;
    if (error != 0) {
        SocketFailure(error);
        TriggerRequestDone(error);
        return;
    }
    state_ = smtpConnecting;
    // The report names the exception's class as the socket layer would.
    const auto connectFailed = [this](const char* kind, const char* what) {
        lastResponse_ = std::string("500 ") + kind + ": " + what;
        statusCode_ = lastResult_ = kClientFailure;
        RecordError();
        TriggerRequestDone(kClientFailure);
    };
    try {
        socket_->Connect(socket_->DnsResult(), Port);
    } catch (const SocketException& e) {
        const std::string what =
            e.Error() ? std::string(e.what()) + ": " + WSocketErrorDesc(e.Error()) : e.what();
        connectFailed("ESocketException", what.c_str());
    } catch (const std::exception& e) {
        connectFailed("Exception", e.what());
    }
}

void TCustomSmtpClient::SessionConnected(int error) {
    if (state_ != smtpConnecting) return;
    if (error != 0) {
        SocketFailure(error);
        connected_ = false;
        TriggerRequestDone(error);
        socket_->Close();
        state_ = smtpReady;
        return;
    }
    connected_ = true;
    state_ = smtpWaitingBanner;
}

void TCustomSmtpClient::DataAvailable(int) {
    const int count = socket_->Receive(rcvBuf_ + rcvLen_, kRcvBufSize - rcvLen_);
    if (count > 0) rcvLen_ += std::min(count, kRcvBufSize - rcvLen_);
    while (rcvLen_ > 0) {
        const char* end = rcvBuf_ + rcvLen_;
        const char* crlf = nullptr;
        for (const char* p = rcvBuf_; p + 1 < end; ++p) {
            if (p[0] == '\r' && p[1] == '\n') {
                crlf = p;
                break;
            }
        }
        if (!crlf) {
            if (rcvLen_ < kRcvBufSize) return;
            // A full buffer without a line end can never become a line: give
            // up on the reply rather than wait for ever.
            rcvLen_ = 0;
            lastResponse_ = "500 Reply line longer than " + std::to_string(kRcvBufSize) + " bytes";
            statusCode_ = lastResult_ = kClientFailure;
            RecordError();
            TriggerRequestDone(kClientFailure);
            socket_->Close();
            return;
        }
        const std::string line(static_cast<const char*>(rcvBuf_), crlf);
        const int used = static_cast<int>(line.size()) + 2;
        std::memmove(rcvBuf_, rcvBuf_ + used, static_cast<size_t>(rcvLen_ - used));
        rcvLen_ -= used;
        lastResponse_ = line;
        if (OnResponse) OnResponse(*this, line);
        if (state_ == smtpWaitingBanner) {
            Display("< " + line);
            bool continuation = false;
            const int code = ParseReplyCode(line, continuation);
            if (continuation) continue;
            statusCode_ = code == kNoCode ? kClientFailure : code;
            if (code != 220) {
                RecordError();
                lastResult_ = code == kNoCode ? kClientFailure : code;
                rcvLen_ = 0;
                socket_->Close();
                return;
            }
            state_ = smtpConnected;
            if (OnSessionConnected) OnSessionConnected(*this, 0);
            TriggerRequestDone(0);
        } else if (state_ == smtpWaitingResponse) {
            EvaluateReply(line);
        } else {
            Display("< " + line);
        }
    }
}

void TCustomSmtpClient::ExecAsync(TSmtpRequest request, const std::string& command,
                                  std::initializer_list<int> okResponses, Continuation doneAsync) {
    CommandCheck();
    requestType_ = request;
    okResponses_.assign(okResponses);
    requestDoneFlag_ = false;
    doneAsync_ = doneAsync;
    state_ = smtpWaitingResponse;
    if (OnCommand) OnCommand(*this, command);
    Display("> " + command);
    if (socket_->IsConnected()) {
        ++sendsPending_;
        socket_->SendStr(command + "\r\n");
    }
}

void TCustomSmtpClient::EvaluateReply(const std::string& line) {
    Display("< " + line);
    bool continuation = false;
    const int code = ParseReplyCode(line, continuation);
    if (continuation) return;
    // A line without a code is no answer at all, and never a success.
    statusCode_ = code == kNoCode ? kClientFailure : code;
    if (std::find(okResponses_.begin(), okResponses_.end(), statusCode_) != okResponses_.end()) {
        lastResult_ = 0;
    } else {
        lastResult_ = statusCode_;
        RecordError();
    }
    const Continuation next = std::exchange(doneAsync_, nullptr);
    if (next && (requestType_ != smtpData || lastResult_ == 0)) {
        state_ = smtpInternalReady;
        (this->*next)();
        return;
    }
    TriggerRequestDone(lastResult_);
}

void TCustomSmtpClient::Helo() {
    CommandCheck();
    const std::string name = SignOn.empty() ? env_.network.LocalHostName() : SignOn;
    if (RefuseLineBreak(smtpHelo, "the HELO name", {&name})) return;
    ExecAsync(smtpHelo, "HELO " + name, {250}, nullptr);
}

void TCustomSmtpClient::MailFrom() {
    CommandCheck();
    if (RefuseLineBreak(smtpMailFrom, "the sender address", {&FromName})) return;
    ExecAsync(smtpMailFrom, "MAIL FROM:<" + Trim(FromName) + ">", {250}, nullptr);
}

void TCustomSmtpClient::RcptTo() {
    CommandCheck();
    if (RcptName.empty()) throw SmtpException("RcptName list is empty");
    for (const auto& recipient : RcptName)
        if (RefuseLineBreak(smtpRcptTo, "a recipient address", {&recipient})) return;
    itemCount_ = -1;
    RcptToNext();
}

void TCustomSmtpClient::RcptToNext() {
    ++itemCount_;
    const bool last = static_cast<size_t>(itemCount_) + 1 >= RcptName.size();
    ExecAsync(smtpRcptTo, "RCPT TO:<" + Trim(RcptName[static_cast<size_t>(itemCount_)]) + ">",
              {250, 251}, last ? nullptr : &TCustomSmtpClient::RcptToNext);
}

void TCustomSmtpClient::Quit() {
    ReadyCheck();
    if (!connected_) {
        requestType_ = smtpQuit;
        requestDoneFlag_ = false;
        TriggerRequestDone(0);
        return;
    }
    ExecAsync(smtpQuit, "QUIT", {221}, nullptr);
}

std::string TCustomSmtpClient::DateText(const SystemTime& local, const int* minutesEast) {
    static const char* const kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const int offset = minutesEast ? *minutesEast : 0;
    // Decimal digits, zero-filled to width. By hand rather than by printf,
    // whose formatting engine would be the program's only use of it (20 KB).
    const auto digits = [](unsigned value, size_t width) {
        std::string text = std::to_string(value);
        return text.size() < width ? std::string(width - text.size(), '0') + text : text;
    };
    const unsigned east = static_cast<unsigned>(std::abs(offset));
    return std::string(kDays[local.dayOfWeek % 7]) + ", " + digits(local.day, 1) + " " +
           kMonths[(local.month + 11) % 12] + " " + digits(local.year, 4) + " " +
           digits(local.hour, 2) + ":" + digits(local.minute, 2) + ":" + digits(local.second, 2) +
           " " + (offset < 0 ? '-' : '+') + digits(east / 60 % 100, 2) + digits(east % 60, 2);
}

void TCustomSmtpClient::BuildHeaderLines() {
    hdrLines_.clear();
    if (!Trim(HdrReplyTo).empty()) hdrLines_.push_back("Reply-To: " + HdrReplyTo);
    if (!Trim(HdrReturnPath).empty()) hdrLines_.push_back("Return-Path: " + HdrReturnPath);
    hdrLines_.push_back("From: " + HdrFrom);
    hdrLines_.push_back("To: " + HdrTo);
    hdrLines_.push_back("Subject: " + HdrSubject);
    hdrLines_.push_back("Mime-Version: 1.0");
    hdrLines_.push_back(std::string("Content-Type: ") +
                        (ContentType == smtpHTML ? "text/html" : "text/plain") + "; charset=\"" +
                        CharSet + "\"");
    int offset = 0;
    const bool hasZone = env_.zone.CurrentUtcOffset(offset);
    hdrLines_.push_back("Date: " + DateText(env_.clock.LocalTime(), hasZone ? &offset : nullptr));
    hdrLines_.push_back("");
}

void TCustomSmtpClient::Data() {
    CommandCheck();  // before the message of a request under way is touched
    if (RefuseLineBreak(smtpData, "a header value",
                        {&HdrFrom, &HdrTo, &HdrSubject, &HdrReplyTo, &HdrReturnPath, &CharSet}))
        return;
    lineNum_ = 0;
    moreLines_ = true;
    itemCount_ = -1;
    BuildHeaderLines();
    ExecAsync(smtpData, "DATA", {354}, &TCustomSmtpClient::DataStart);
}

void TCustomSmtpClient::SendLine(const std::string& text) {
    std::string wire;
    for (const auto& piece : WireLines(text)) wire += piece + "\r\n";
    ++sendsPending_;
    socket_->SendStr(wire);
}

void TCustomSmtpClient::DataStart() {
    // The reply can overtake the report that DATA itself has been sent; the
    // message then starts with that report, so that one line is in flight.
    dataSentAttached_ = true;
    if (sendsPending_ == 0) DataNext();
}

void TCustomSmtpClient::DataNext() {
    if (!connected_) {
        dataSentAttached_ = false;
        return;
    }
    dataSentAttached_ = true;
    if (static_cast<size_t>(++itemCount_) < hdrLines_.size()) {
        char buffer[kLineBufSize] = {};
        const std::string& header = hdrLines_[static_cast<size_t>(itemCount_)];
        std::memcpy(buffer, header.data(), std::min(header.size(), sizeof buffer - 1));
        if (OnHeaderLine) OnHeaderLine(*this, buffer, kLineBufSize);
        buffer[kLineBufSize - 1] = '\0';
        SendLine(buffer);
        return;
    }
    if (moreLines_) {
        ++lineNum_;
        char buffer[kLineBufSize] = {};
        try {
            if (OnGetData)
                OnGetData(*this, lineNum_, buffer, kLineBufSize - 1, moreLines_);
            else
                moreLines_ = false;
        } catch (...) {
            moreLines_ = false;
        }
        if (moreLines_) {
            buffer[kLineBufSize - 1] = '\0';
            for (const auto& piece : WireLines(buffer)) Display("> " + piece);
            SendLine(buffer);
            return;
        }
    }
    dataSentAttached_ = false;
    ExecAsync(smtpData, ".", {250}, nullptr);
}

void TCustomSmtpClient::DataSent(int) {
    if (sendsPending_ > 0) --sendsPending_;
    if (!dataSentAttached_ || sendsPending_ > 0) return;
    state_ = smtpInternalReady;
    DataNext();
}

void TCustomSmtpClient::SessionClosed(int error) {
    if (!connected_) return;  // closed by Abort: nothing is waiting for it
    connected_ = false;
    sendsPending_ = 0;
    dataSentAttached_ = false;
    if (OnSessionClosed) OnSessionClosed(*this, error);
    TriggerRequestDone(kWsaInterrupted);
}

}  // namespace mivox
