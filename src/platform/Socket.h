// Asynchronous TCP sockets (ws2_32) and the hidden windows that carry their
// events: every call returns at once, and what it started is reported later
// through the user-interface thread's message queue. Error codes are those
// of Windows Sockets.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/Failure.h"

namespace mivox {

// Windows Sockets error codes the logic tells apart.
enum SocketError : int {
    kWsaInterrupted = 10004,  // WSAEINTR: the connection closed under a request
    kWsaWouldBlock = 10035,
    kWsaConnectionRefused = 10061,
    kWsaHostNotFound = 11001,
};

// Raised by a socket operation that cannot even start (a bad address or
// port, no socket to be had). A refusal of the system's socket layer carries
// its error code, which the socket's users put into words.
class SocketException : public Failure {
public:
    explicit SocketException(const std::string& what, int error = 0)
        : Failure(what), error_(error) {}
    int Error() const { return error_; }

private:
    int error_;
};

// What a socket reports; each is called from the message loop, never from
// inside the call that started the work.
class SocketEvents {
public:
    virtual ~SocketEvents() = default;
    virtual void DnsLookupDone(int error) = 0;
    virtual void SessionConnected(int error) = 0;
    virtual void DataAvailable(int error) = 0;
    // The bytes of one Send have left the program's buffer: one report per
    // Send, in order.
    virtual void DataSent(int error) = 0;
    virtual void SessionClosed(int error) = 0;
};

class Socket {
public:
    virtual ~Socket() = default;
    // Receives the events from now on; none before it is set.
    virtual void SetEvents(SocketEvents* events) = 0;
    // Starts resolving a host name or dotted address; DnsLookupDone follows.
    // A lookup still running is abandoned: its result, however late, is
    // never reported, and lands in memory the socket's implementation holds
    // until the system is done with it, even when the socket has gone.
    virtual void DnsLookup(const std::string& host) = 0;
    // The dotted address of the last successful lookup.
    virtual std::string DnsResult() const = 0;
    // Starts a TCP connection to a dotted address and a port given as a
    // service name ("smtp") or a number; SessionConnected follows. Raises
    // SocketException when the address or port cannot be used.
    virtual void Connect(const std::string& address, const std::string& port) = 0;
    virtual bool IsConnected() const = 0;
    // Up to size received bytes into buffer; 0 when none are waiting.
    virtual int Receive(void* buffer, int size) = 0;
    // Queues the bytes for sending; DataSent follows once they are out.
    virtual void Send(const void* data, int size) = 0;
    void SendStr(const std::string& text) { Send(text.data(), static_cast<int>(text.size())); }
    // Closes the connection (or abandons a lookup or connection under way,
    // as DnsLookup does); SessionClosed follows when a connection was open.
    virtual void Close() = 0;
};

// A hidden window that receives messages posted to it and hands each to
// its handler from the message loop.
class MessageWindow {
public:
    using Handler = std::function<void(uint32_t message, intptr_t lParam)>;
    virtual ~MessageWindow() = default;
    // PostMessage: the handler runs later, never inside this call.
    virtual void Post(uint32_t message, intptr_t lParam) = 0;
};

class Network {
public:
    virtual ~Network() = default;
    virtual std::unique_ptr<Socket> CreateSocket() = 0;
    virtual std::unique_ptr<MessageWindow> CreateMessageWindow(MessageWindow::Handler handler) = 0;
    // gethostname
    virtual std::string LocalHostName() const = 0;
};

// The current offset of local time from UTC (GetTimeZoneInformation).
class TimeZone {
public:
    virtual ~TimeZone() = default;
    // Minutes east of UTC in force now, daylight saving included; false when
    // the system reports no zone information.
    virtual bool CurrentUtcOffset(int& minutesEast) const = 0;
};

}  // namespace mivox
