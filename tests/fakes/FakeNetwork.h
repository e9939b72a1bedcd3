// A test double of the Network seam on virtual time: posted messages and
// socket events wait in one queue ordered by due time, and a scripted peer
// answers what the client sends, split across reads or several replies in
// one, closing whenever the test says.
#pragma once

#include <algorithm>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/Socket.h"
#include "platform/Timers.h"

namespace mivox::testing {

// Events due at a virtual time in milliseconds; equal times keep their order.
class VirtualQueue {
public:
    void Post(uint32_t delayMs, std::function<void()> action) {
        events_.emplace(std::make_pair(now + delayMs, seq_++), std::move(action));
    }
    // Runs the earliest event, moving the clock to its time; false when none.
    bool RunOne() {
        if (events_.empty()) return false;
        auto node = events_.extract(events_.begin());
        now = node.key().first;
        node.mapped()();
        return true;
    }
    // Runs every event due within the next ms milliseconds. An event that
    // waits on the queue itself may carry the clock further; it never goes
    // back.
    void Advance(uint32_t ms) {
        const uint64_t until = now + ms;
        while (!events_.empty() && events_.begin()->first.first <= until) RunOne();
        now = std::max(now, until);
    }
    void RunUntilIdle(int limit = 100000) {
        while (limit-- > 0 && RunOne()) {
        }
    }
    bool Idle() const { return events_.empty(); }
    // The time of the earliest event; false when none waits.
    bool NextDue(uint64_t& due) const {
        if (events_.empty()) return false;
        due = events_.begin()->first.first;
        return true;
    }

    uint64_t now = 0;

private:
    std::map<std::pair<uint64_t, uint64_t>, std::function<void()>> events_;
    uint64_t seq_ = 0;
};

class FakeNetwork;

// The far end of one connection as the test scripts it.
class ScriptedSocket : public Socket {
public:
    ScriptedSocket(FakeNetwork& network, VirtualQueue& queue) : network_(network), queue_(queue) {}
    ~ScriptedSocket() override { *alive_ = false; }

    void SetEvents(SocketEvents* events) override { events_ = events; }
    void DnsLookup(const std::string& host) override;
    std::string DnsResult() const override { return dnsResult_; }
    void Connect(const std::string& address, const std::string& port) override;
    bool IsConnected() const override { return connected_; }
    int Receive(void* buffer, int size) override;
    void Send(const void* data, int size) override;
    void Close() override {
        ++lookup_;  // a lookup under way is abandoned
        const bool wasConnected = connected_;
        connected_ = false;
        ++closes;
        if (wasConnected) Later(0, [this] { events_->SessionClosed(0); });
    }

    // The server's side: bytes arriving as one read each, after a delay.
    void ServerSends(const std::string& bytes, uint32_t delayMs = 0);
    // The server closes the connection.
    void ServerCloses(uint32_t delayMs = 0);

    std::string address, port;       // where Connect went
    std::string sent;                // every byte the client sent, in order
    std::vector<std::string> lines;  // the same, cut at CR LF
    int closes = 0;
    int inFlight = 0, maxInFlight = 0;  // Sends not yet reported sent

private:
    void Later(uint32_t delayMs, std::function<void()> action);

    FakeNetwork& network_;
    VirtualQueue& queue_;
    SocketEvents* events_ = nullptr;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
    std::string dnsResult_;
    uint64_t lookup_ = 0;  // the lookup whose result is awaited
    bool connected_ = false;
    std::deque<std::string> incoming_;
    std::string partialLine_;
};

class FakeNetwork : public Network {
public:
    std::unique_ptr<Socket> CreateSocket() override {
        auto socket = std::make_unique<ScriptedSocket>(*this, queue);
        sockets.push_back(socket.get());
        return socket;
    }
    std::unique_ptr<MessageWindow> CreateMessageWindow(MessageWindow::Handler handler) override;
    std::string LocalHostName() const override { return localHostName; }

    VirtualQueue queue;
    std::vector<ScriptedSocket*> sockets;  // every socket made, alive or not
    std::string localHostName = "workstation";

    // Name lookups: host to address; a missing host fails with 11001.
    std::map<std::string, std::string> hosts{{"mail.example.com", "192.0.2.25"}};
    std::map<std::string, int> lookupErrors;
    uint32_t lookupDelayMs = 5;
    std::map<std::string, uint32_t> lookupDelays;  // by host, instead of the above
    int abandonedLookupsAnswered = 0;  // results that came after Close or a newer lookup
    // Connections: an error code for an address, or a raised exception.
    std::map<std::string, int> connectErrors;
    bool connectThrows = false;
    int socketRefused = 0;  // no socket to be had: the system's error code
    uint32_t connectDelayMs = 10;
    uint32_t sendDelayMs = 1;
    // The server's script: called with each line the client sends.
    std::function<void(ScriptedSocket& socket, const std::string& line)> onClientLine;
    // Called when a connection has been accepted (the greeting goes here).
    std::function<void(ScriptedSocket& socket)> onAccept;
};

// Timers on the virtual queue: a tick falls due one interval after the
// timer is enabled, the next one interval after the previous was due, or
// after its handler returned if that ran longer.
class FakeTimers : public Timers {
public:
    explicit FakeTimers(VirtualQueue& queue) : queue_(queue) {}
    std::unique_ptr<Timer> CreateTimer() override;
    int ticks = 0;  // handlers run, over all timers

private:
    VirtualQueue& queue_;
};

class FakeTimeZone : public TimeZone {
public:
    bool CurrentUtcOffset(int& minutesEast) const override {
        minutesEast = offset;
        return known;
    }
    int offset = 60;
    bool known = true;
};

}  // namespace mivox::testing
