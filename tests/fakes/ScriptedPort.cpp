#include "fakes/ScriptedPort.h"

#include <algorithm>

namespace mivox::testing {

namespace {

// Control characters as \xNN, so that a failed comparison can be read.
std::string Visible(const std::string& bytes) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : bytes) {
        if (c >= ' ' && c < 0x7F) {
            out += static_cast<char>(c);
        } else {
            out += "\\x";
            out += kHex[c >> 4];
            out += kHex[c & 15];
        }
    }
    return out;
}

}  // namespace

ScriptedPort& ScriptedPort::Arrive(std::vector<std::string> pieces, uint32_t afterMs) {
    uint32_t at = clock_.ticks + afterMs;
    if (!arriving_.empty()) at = std::max(at, arriving_.back().first + afterMs);
    for (std::string& piece : pieces) arriving_.emplace_back(at, std::move(piece));
    return *this;
}

ScriptedPort& ScriptedPort::Expect(std::string bytes, std::vector<std::string> replies,
                                   uint32_t afterMs) {
    steps_.push_back({std::move(bytes), std::move(replies), afterMs});
    return *this;
}

std::string ScriptedPort::Problems() const {
    std::string problems;
    for (const std::string& write : unexpected)
        problems += "unexpected write " + Visible(write) + "\n";
    for (const Step& step : steps_) problems += "missing write " + Visible(step.write) + "\n";
    return problems;
}

bool ScriptedPort::Write(const std::string& bytes, uint32_t timeoutMs) {
    writes.push_back(bytes);
    writeTimeouts.push_back(timeoutMs);
    if (writesFail) return false;
    if (steps_.empty() || steps_.front().write != bytes) {
        unexpected.push_back(bytes);
        return true;
    }
    Step step = std::move(steps_.front());
    steps_.pop_front();
    if (!step.replies.empty()) Arrive(std::move(step.replies), step.afterMs);
    return true;
}

bool ScriptedPort::Read(std::string& bytes, uint32_t timeoutMs) {
    if (readsFail) return false;
    if (!arriving_.empty() && static_cast<int32_t>(clock_.ticks - arriving_.front().first) >= 0) {
        bytes += arriving_.front().second;
        arriving_.pop_front();
        return true;
    }
    uint32_t wait = timeoutMs;
    if (!arriving_.empty()) wait = std::min(wait, arriving_.front().first - clock_.ticks);
    clock_.ticks += wait;
    return true;
}

}  // namespace mivox::testing
