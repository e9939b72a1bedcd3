#include "fakes/FakeNetwork.h"

#include <algorithm>
#include <cstring>

namespace mivox::testing {

namespace {

class QueuedWindow : public MessageWindow {
public:
    QueuedWindow(VirtualQueue& queue, Handler handler)
        : queue_(queue), handler_(std::move(handler)) {}
    ~QueuedWindow() override { *alive_ = false; }
    void Post(uint32_t message, intptr_t lParam) override {
        queue_.Post(0, [alive = alive_, this, message, lParam] {
            if (*alive) handler_(message, lParam);
        });
    }

private:
    VirtualQueue& queue_;
    Handler handler_;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

class VirtualTimer : public Timer {
public:
    VirtualTimer(VirtualQueue& queue, int& ticks) : queue_(queue), ticks_(ticks) {}
    ~VirtualTimer() override { *alive_ = false; }
    void SetInterval(uint16_t milliseconds) override { interval_ = milliseconds; }
    void SetEnabled(bool enabled) override {
        if (enabled && !enabled_ && interval_ != 0 && !scheduled_) Schedule(queue_.now + interval_);
        enabled_ = enabled;
    }
    bool Enabled() const override { return enabled_; }

private:
    void Schedule(uint64_t due) {
        scheduled_ = true;
        queue_.Post(static_cast<uint32_t>(due - queue_.now), [alive = alive_, this] {
            if (*alive) Due();
        });
    }
    void Due() {
        scheduled_ = false;
        if (!enabled_) return;  // resumed later, it ticks one interval on
        const uint64_t found = queue_.now;
        ++ticks_;
        if (OnTimer) OnTimer();
        if (!*alive_ || !enabled_ || scheduled_) return;
        const uint64_t due = found + interval_;
        Schedule(queue_.now > due ? queue_.now + interval_ : due);
    }

    VirtualQueue& queue_;
    int& ticks_;
    uint16_t interval_ = 1000;
    bool enabled_ = false;
    bool scheduled_ = false;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace

std::unique_ptr<Timer> FakeTimers::CreateTimer() {
    return std::make_unique<VirtualTimer>(queue_, ticks);
}

std::unique_ptr<MessageWindow> FakeNetwork::CreateMessageWindow(MessageWindow::Handler handler) {
    return std::make_unique<QueuedWindow>(queue, std::move(handler));
}

void ScriptedSocket::Later(uint32_t delayMs, std::function<void()> action) {
    queue_.Post(delayMs, [alive = alive_, this, action = std::move(action)] {
        if (*alive && events_) action();
    });
}

void ScriptedSocket::DnsLookup(const std::string& host) {
    int error = 0;
    const auto failure = network_.lookupErrors.find(host);
    const auto found = network_.hosts.find(host);
    if (failure != network_.lookupErrors.end())
        error = failure->second;
    else if (found == network_.hosts.end())
        error = kWsaHostNotFound;
    else
        dnsResult_ = found->second;
    const auto delay = network_.lookupDelays.find(host);
    Later(delay == network_.lookupDelays.end() ? network_.lookupDelayMs : delay->second,
          [this, error, lookup = ++lookup_] {
              if (lookup == lookup_)
                  events_->DnsLookupDone(error);
              else
                  ++network_.abandonedLookupsAnswered;
          });
}

void ScriptedSocket::Connect(const std::string& toAddress, const std::string& toPort) {
    if (network_.connectThrows) throw SocketException("Cannot convert port '" + toPort + "'");
    if (network_.socketRefused) throw SocketException("socket", network_.socketRefused);
    address = toAddress;
    port = toPort;
    const auto failure = network_.connectErrors.find(toAddress);
    const int error = failure == network_.connectErrors.end() ? 0 : failure->second;
    Later(network_.connectDelayMs, [this, error] {
        connected_ = error == 0;
        events_->SessionConnected(error);
        if (connected_ && network_.onAccept) network_.onAccept(*this);
    });
}

int ScriptedSocket::Receive(void* buffer, int size) {
    if (incoming_.empty() || size <= 0) return 0;
    std::string& chunk = incoming_.front();
    const size_t count = std::min(chunk.size(), static_cast<size_t>(size));
    std::memcpy(buffer, chunk.data(), count);
    chunk.erase(0, count);
    if (chunk.empty()) incoming_.pop_front();
    // As Windows Sockets does, bytes left behind announce themselves again.
    if (!incoming_.empty()) Later(0, [this] { events_->DataAvailable(0); });
    return static_cast<int>(count);
}

void ScriptedSocket::Send(const void* data, int size) {
    const std::string bytes(static_cast<const char*>(data), static_cast<size_t>(size));
    sent += bytes;
    maxInFlight = std::max(maxInFlight, ++inFlight);
    Later(network_.sendDelayMs, [this] {
        --inFlight;
        events_->DataSent(0);
    });
    partialLine_ += bytes;
    size_t end;
    while ((end = partialLine_.find("\r\n")) != std::string::npos) {
        lines.push_back(partialLine_.substr(0, end));
        partialLine_.erase(0, end + 2);
        if (network_.onClientLine) network_.onClientLine(*this, lines.back());
    }
}

void ScriptedSocket::ServerSends(const std::string& bytes, uint32_t delayMs) {
    Later(delayMs, [this, bytes] {
        if (!connected_) return;
        incoming_.push_back(bytes);
        events_->DataAvailable(0);
    });
}

void ScriptedSocket::ServerCloses(uint32_t delayMs) {
    Later(delayMs, [this] {
        if (!connected_) return;
        connected_ = false;
        events_->SessionClosed(0);
    });
}

}  // namespace mivox::testing
