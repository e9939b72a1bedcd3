#include "components/fax/ModemPort.h"

#include <algorithm>

#include "components/fax/FaxReports.h"
#include "components/fax/Hdlc.h"

namespace mivox {

namespace {

constexpr uint32_t kReadSlice = 200;       // checks for cancellation this often
constexpr uint32_t kWriteTimeout = 30000;  // a modem holding CTS low this long is gone
constexpr size_t kLongestLine = 4096;      // no modem sends a longer one
constexpr size_t kLongestFrame = 1024;     // nor a longer control frame

}  // namespace

uint32_t ModemPort::Left(uint32_t deadline) const {
    if (endBy_ && static_cast<int32_t>(*endBy_ - deadline) < 0) deadline = *endBy_;
    return static_cast<uint32_t>(std::max<int32_t>(0, static_cast<int32_t>(deadline - Now())));
}

void ModemPort::CheckCancel() const {
    if (cancel_ && !ignoreCancel_) throw FaxFailure{ecCancelled};
}

void ModemPort::Write(const std::string& bytes) {
    CheckCancel();
    const uint32_t left = Left(Now() + kWriteTimeout);
    if (left == 0) throw FaxFailure{ecNoModemResponse};
    if (!port_.Write(bytes, left)) throw FaxFailure{ecPortError};
}

void ModemPort::WriteStuffed(const std::string& data, bool thenEnd) {
    std::string stuffed = DleEncode(data);
    if (!thenEnd) stuffed.resize(stuffed.size() - 2);
    Write(stuffed);
}

void ModemPort::WriteEnd() {
    Write(std::string{kDle, kEtx});
}

bool ModemPort::Fill(uint32_t deadline) {
    while (true) {
        CheckCancel();
        deadline = Now() + Left(deadline);
        const uint32_t now = Now();
        if (static_cast<int32_t>(deadline - now) <= 0) return false;
        const size_t before = in_.size();
        if (!port_.Read(in_, std::min(kReadSlice, deadline - now))) throw FaxFailure{ecPortError};
        if (in_.size() > before) return true;
    }
}

std::string ModemPort::ReadLine(uint32_t timeoutMs, const std::string& skipEcho) {
    const uint32_t deadline = Now() + timeoutMs;
    while (true) {
        const size_t end = in_.find_first_of("\r\n");
        if (end != std::string::npos) {
            std::string line = in_.substr(0, end);
            const bool crlf = in_[end] == '\r' && end + 1 < in_.size() && in_[end + 1] == '\n';
            in_.erase(0, end + (crlf ? 2 : 1));
            if (!line.empty() && line != skipEcho) return line;
            continue;
        }
        if (in_.size() > kLongestLine) in_.clear();
        if (!Fill(deadline)) return "";
    }
}

bool ModemPort::ReadStuffed(std::string& data, uint32_t timeoutMs) {
    const uint32_t deadline = Now() + timeoutMs;
    size_t at = 0;
    while (true) {
        // The end of the CONNECT line may come apart from it.
        if (data.empty() && at == 0) {
            const size_t start = in_.find_first_not_of("\r\n");
            in_.erase(0, start == std::string::npos ? in_.size() : start);
        }
        // A DLE last in the buffer waits for the character it escapes.
        while (at + 1 < in_.size() || (at < in_.size() && in_[at] != kDle)) {
            if (in_[at] != kDle) {
                data.push_back(in_[at++]);
                continue;
            }
            const char next = in_[at + 1];
            at += 2;
            if (next == kEtx) {
                in_.erase(0, at);
                return true;
            }
            if (next == kDle) data.push_back(kDle);
        }
        in_.erase(0, at);
        at = 0;
        if (data.size() > kLongestFrame) return false;
        if (!Fill(deadline)) return false;
    }
}

void ModemPort::Drain(uint32_t ms) {
    const uint32_t deadline = Now() + ms;
    while (Fill(deadline)) {
    }
    in_.clear();
}

void ModemPort::Pause(uint32_t ms) {
    const uint32_t deadline = Now() + ms;
    std::string ignored;
    while (static_cast<int32_t>(deadline - Now()) > 0) {
        if (cancel_) throw FaxFailure{ecCancelled};
        if (!port_.Read(ignored, std::min(kReadSlice, deadline - Now())))
            throw FaxFailure{ecPortError};
    }
}

}  // namespace mivox
