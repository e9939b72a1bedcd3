// Windows Sockets behind the Network seam: one non-blocking socket per
// TWSocket, whose name lookups and socket events arrive as messages to a
// message-only window of its own, so they run on the thread that made it.
#pragma once

#include <winsock2.h>
#include <windows.h>

#include <deque>
#include <functional>
#include <string>

#include "platform/Socket.h"
#include "win32/Handles.h"
#include "win32/Winsock.h"

namespace mivox::win32 {

struct SocketTraits {
    static SOCKET Invalid() { return INVALID_SOCKET; }
    // A socket exists only once the library is bound.
    static void Close(SOCKET socket) { Winsock()->closesocket(socket); }
};
using UniqueSocket = UniqueResource<SOCKET, SocketTraits>;

// A message-only window that hands its messages to one function; exceptions
// from it are reported like those of any event.
class MessageOnlyWindow {
public:
    using Handler = std::function<void(UINT message, WPARAM wParam, LPARAM lParam)>;
    explicit MessageOnlyWindow(Handler handler);
    // The window keeps a pointer to its owner, which therefore stays put.
    MessageOnlyWindow(const MessageOnlyWindow&) = delete;
    MessageOnlyWindow& operator=(const MessageOnlyWindow&) = delete;
    HWND Window() const { return window_.get(); }

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    Handler handler_;
    UniqueWindow window_;
};

class TWSocket : public Socket {
public:
    TWSocket();
    ~TWSocket() override;

    void SetEvents(SocketEvents* events) override { events_ = events; }
    void DnsLookup(const std::string& host) override;
    std::string DnsResult() const override { return dnsResult_; }
    void Connect(const std::string& address, const std::string& port) override;
    bool IsConnected() const override { return connected_; }
    int Receive(void* buffer, int size) override;
    void Send(const void* data, int size) override;
    void Close() override;

    // The port number of a service name or number; "smtp" is 25 even where
    // the services file lacks it. 0 when the text names no port.
    static u_short PortNumber(const std::string& port);
    // Name lookups whose message has not arrived yet, abandoned ones too.
    static size_t LookupsInFlight();

private:
    friend class HostLookups;
    void Handle(UINT message, WPARAM wParam, LPARAM lParam);
    void LookupDone(const char* hostEntry, int error);
    void AbandonLookup();
    void SocketEvent(SOCKET socket, LPARAM reply);
    void TrySend();
    void Post(UINT message, WPARAM wParam, LPARAM lParam);

    MessageOnlyWindow window_;
    SocketEvents* events_ = nullptr;
    UniqueSocket socket_;
    HANDLE lookup_ = nullptr;  // the lookup this socket awaits, held by HostLookups
    bool literalLookup_ = false;
    std::string dnsResult_;
    bool connected_ = false;
    std::string pending_;           // bytes handed to Send and not yet taken by the system
    std::deque<size_t> sendSizes_;  // bytes of each Send still in pending_
    WPARAM generation_ = 0;         // tells this connection's own posts from older ones
};

class Win32Network : public Network {
public:
    std::unique_ptr<Socket> CreateSocket() override;
    std::unique_ptr<MessageWindow> CreateMessageWindow(MessageWindow::Handler handler) override;
    std::string LocalHostName() const override;
};

class Win32TimeZone : public TimeZone {
public:
    bool CurrentUtcOffset(int& minutesEast) const override;
};

}  // namespace mivox::win32
