#include "win32/Win32Socket.h"

#include <cctype>
#include <cstring>
#include <map>
#include <memory>
#include <utility>

#include "platform/Failure.h"
#include "util/Ipv4Address.h"
#include "win32/Win32Dialog.h"

namespace mivox::win32 {

namespace {

constexpr UINT kMsgLookupDone = WM_USER + 10;
constexpr UINT kMsgSocket = WM_USER + 11;
constexpr UINT kMsgClosed = WM_USER + 12;
constexpr UINT kMsgSent = WM_USER + 13;
constexpr UINT kMsgLiteral = WM_USER + 14;

constexpr char kWindowClass[] = "MivoxMessageOnly";

// htons and ntohs, which are the same swap.
u_short NetworkOrder(u_short value) {
    return static_cast<u_short>(value >> 8 | value << 8);
}

void RegisterWindowClass(WNDPROC procedure) {
    static const bool registered = [procedure] {
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = procedure;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = kWindowClass;
        return RegisterClassA(&windowClass) != 0;
    }();
    if (!registered) throw Failure("Cannot register the socket window class");
}

class Win32MessageWindow : public MessageWindow {
public:
    explicit Win32MessageWindow(Handler handler)
        : handler_(std::move(handler)),
          window_([this](UINT message, WPARAM, LPARAM lParam) { handler_(message, lParam); }) {}
    void Post(uint32_t message, intptr_t lParam) override {
        PostMessageA(window_.Window(), message, 0, lParam);
    }

private:
    Handler handler_;
    MessageOnlyWindow window_;
};

}  // namespace

// The asynchronous name lookups of every socket. Windows writes a lookup's
// result into the buffer it was given at any moment up to posting its
// message, and a cancellation may come too late for it (or, on some
// systems, not cancel at all). So each buffer is held here, not by its
// socket, until its message has arrived; a socket that has gone or lost
// interest is simply not told. Made at first use and never destroyed:
// a lookup may still be running when the program ends.
class HostLookups {
public:
    static HostLookups& Instance() {
        static HostLookups* const lookups = new HostLookups;
        return *lookups;
    }

    // Starts a lookup whose result goes to owner; null when none started.
    HANDLE Start(TWSocket* owner, const std::string& host) {
        auto lookup = std::make_unique<Lookup>();
        lookup->owner = owner;
        HANDLE task =
            RequireWinsock().WSAAsyncGetHostByName(window_.Window(), kMsgLookupDone, host.c_str(),
                                                   lookup->hostEntry, sizeof lookup->hostEntry);
        if (task) lookups_[task] = std::move(lookup);
        return task;
    }

    // The owner hears no more of it; its buffer waits for the message.
    void Abandon(HANDLE task) {
        const auto found = lookups_.find(task);
        if (found == lookups_.end()) return;
        found->second->owner = nullptr;
        Winsock()->WSACancelAsyncRequest(task);  // bound: the lookup started
    }

    size_t InFlight() const { return lookups_.size(); }

private:
    struct Lookup {
        TWSocket* owner = nullptr;
        char hostEntry[MAXGETHOSTSTRUCT] = {};
    };

    HostLookups()
        : window_([this](UINT message, WPARAM wParam, LPARAM lParam) {
              if (message == kMsgLookupDone) Arrived(reinterpret_cast<HANDLE>(wParam), lParam);
          }) {}

    void Arrived(HANDLE task, LPARAM reply) {
        const auto found = lookups_.find(task);
        if (found == lookups_.end()) return;
        const std::unique_ptr<Lookup> lookup = std::move(found->second);
        lookups_.erase(found);
        if (lookup->owner) lookup->owner->LookupDone(lookup->hostEntry, WSAGETASYNCERROR(reply));
    }

    MessageOnlyWindow window_;
    std::map<HANDLE, std::unique_ptr<Lookup>> lookups_;
};

MessageOnlyWindow::MessageOnlyWindow(Handler handler) : handler_(std::move(handler)) {
    RegisterWindowClass(WindowProc);
    window_.reset(CreateWindowExA(0, kWindowClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  GetModuleHandleA(nullptr), nullptr));
    if (!window_) throw Failure("Cannot create the socket window");
    SetWindowLongPtrA(window_.get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

LRESULT CALLBACK MessageOnlyWindow::WindowProc(HWND window, UINT message, WPARAM wParam,
                                               LPARAM lParam) {
    auto* self = reinterpret_cast<MessageOnlyWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (!self || message < WM_USER || message > 0x7FFF)
        return DefWindowProcA(window, message, wParam, lParam);
    Win32Dialog::Guarded([&] { self->handler_(message, wParam, lParam); });
    return 0;
}

TWSocket::TWSocket()
    : window_([this](UINT message, WPARAM wParam, LPARAM lParam) {
          Handle(message, wParam, lParam);
      }) {}

TWSocket::~TWSocket() {
    events_ = nullptr;
    AbandonLookup();
    socket_.reset();
}

size_t TWSocket::LookupsInFlight() {
    return HostLookups::Instance().InFlight();
}

void TWSocket::AbandonLookup() {
    if (lookup_) HostLookups::Instance().Abandon(std::exchange(lookup_, nullptr));
}

void TWSocket::Post(UINT message, WPARAM wParam, LPARAM lParam) {
    PostMessageA(window_.Window(), message, wParam, lParam);
}

void TWSocket::DnsLookup(const std::string& host) {
    AbandonLookup();
    literalLookup_ = false;
    dnsResult_.clear();
    ++generation_;
    Ipv4Address literal;
    if (ParseIpv4Address(host, literal)) {
        // A dotted address needs no lookup, but is still reported later.
        dnsResult_ = host;
        literalLookup_ = true;
        Post(kMsgLiteral, generation_, 0);
        return;
    }
    lookup_ = host.empty() ? nullptr : HostLookups::Instance().Start(this, host);
    if (!lookup_) {
        literalLookup_ = true;
        Post(kMsgLiteral, generation_, WSAHOST_NOT_FOUND);
    }
}

void TWSocket::LookupDone(const char* hostEntry, int error) {
    lookup_ = nullptr;
    if (error == 0) {
        const auto* entry = reinterpret_cast<const hostent*>(hostEntry);
        if (entry->h_addrtype != AF_INET || entry->h_length != 4 || !entry->h_addr_list ||
            !entry->h_addr_list[0]) {
            error = WSANO_DATA;
        } else {
            Ipv4Address found;
            std::memcpy(found.data(), entry->h_addr_list[0], found.size());
            dnsResult_ = Ipv4AddressText(found);
        }
    }
    if (events_) events_->DnsLookupDone(error);
}

u_short TWSocket::PortNumber(const std::string& port) {
    if (!port.empty() && port.size() <= 5 &&
        port.find_first_not_of("0123456789") == std::string::npos) {
        const long number = std::stol(port);
        return number > 0 && number <= 65535 ? static_cast<u_short>(number) : 0;
    }
    if (const WinsockApi* winsock = Winsock()) {
        if (const servent* service = winsock->getservbyname(port.c_str(), "tcp"))
            return NetworkOrder(static_cast<u_short>(service->s_port));
    }
    return _stricmp(port.c_str(), "smtp") == 0 ? 25 : 0;
}

void TWSocket::Connect(const std::string& address, const std::string& port) {
    const u_short portNumber = PortNumber(port);
    if (portNumber == 0) throw SocketException("Cannot convert port '" + port + "'");
    sockaddr_in peer = {};
    peer.sin_family = AF_INET;
    peer.sin_port = NetworkOrder(portNumber);
    Ipv4Address peerAddress;
    if (!ParseIpv4Address(address, peerAddress))
        throw SocketException("Cannot convert address '" + address + "'");
    std::memcpy(&peer.sin_addr, peerAddress.data(), peerAddress.size());

    const WinsockApi& winsock = RequireWinsock();
    Close();
    ++generation_;
    UniqueSocket fresh(winsock.socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
    if (!fresh) throw SocketException("socket", winsock.WSAGetLastError());
    if (winsock.WSAAsyncSelect(fresh.get(), window_.Window(), kMsgSocket,
                               FD_CONNECT | FD_READ | FD_WRITE | FD_CLOSE) != 0)
        throw SocketException("WSAAsyncSelect", winsock.WSAGetLastError());
    socket_ = std::move(fresh);
    if (winsock.connect(socket_.get(), reinterpret_cast<const sockaddr*>(&peer), sizeof peer) !=
        0) {
        const int error = winsock.WSAGetLastError();
        // The usual answer of a non-blocking connect; anything else fails now,
        // and is reported the same way, later.
        if (error != WSAEWOULDBLOCK)
            Post(kMsgSocket, socket_.get(), WSAMAKESELECTREPLY(FD_CONNECT, error));
    }
}

int TWSocket::Receive(void* buffer, int size) {
    if (!socket_ || size <= 0) return 0;
    const int count = Winsock()->recv(socket_.get(), static_cast<char*>(buffer), size, 0);
    return count > 0 ? count : 0;
}

void TWSocket::Send(const void* data, int size) {
    if (!connected_ || size <= 0) return;
    pending_.append(static_cast<const char*>(data), static_cast<size_t>(size));
    sendSizes_.push_back(static_cast<size_t>(size));
    TrySend();
}

void TWSocket::TrySend() {
    while (!pending_.empty() && socket_) {
        const int count =
            Winsock()->send(socket_.get(), pending_.data(), static_cast<int>(pending_.size()), 0);
        if (count == SOCKET_ERROR) return;  // FD_WRITE or FD_CLOSE follows
        pending_.erase(0, static_cast<size_t>(count));
        // Each Send whose last byte has gone is reported, later.
        size_t taken = static_cast<size_t>(count);
        while (!sendSizes_.empty() && taken >= sendSizes_.front()) {
            taken -= sendSizes_.front();
            sendSizes_.pop_front();
            Post(kMsgSent, generation_, 0);
        }
        if (!sendSizes_.empty()) sendSizes_.front() -= taken;
    }
}

void TWSocket::Close() {
    AbandonLookup();
    literalLookup_ = false;
    const bool wasConnected = connected_;
    connected_ = false;
    pending_.clear();
    sendSizes_.clear();
    socket_.reset();
    if (wasConnected) Post(kMsgClosed, generation_, 0);
}

void TWSocket::SocketEvent(SOCKET socket, LPARAM reply) {
    if (!socket_ || socket != socket_.get()) return;  // a socket closed since
    const int error = WSAGETSELECTERROR(reply);
    switch (WSAGETSELECTEVENT(reply)) {
        case FD_CONNECT:
            if (error != 0) socket_.reset();
            connected_ = error == 0;
            if (events_) events_->SessionConnected(error);
            break;
        case FD_READ:
            if (events_) events_->DataAvailable(error);
            break;
        case FD_WRITE:
            TrySend();
            break;
        case FD_CLOSE: {
            // Whatever arrived before the close is still handed on, as long as
            // the reader takes some of it.
            for (int rounds = 0; rounds < 64 && socket_; ++rounds) {
                u_long waiting = 0;
                if (Winsock()->ioctlsocket(socket_.get(), FIONREAD, &waiting) != 0 || waiting == 0)
                    break;
                if (events_) events_->DataAvailable(0);
            }
            const bool wasConnected = connected_;
            connected_ = false;
            pending_.clear();
            sendSizes_.clear();
            socket_.reset();
            if (wasConnected && events_) events_->SessionClosed(error);
            break;
        }
        default:
            break;
    }
}

void TWSocket::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case kMsgLiteral:
            if (wParam != generation_ || !literalLookup_) break;
            literalLookup_ = false;
            if (events_) events_->DnsLookupDone(static_cast<int>(lParam));
            break;
        case kMsgSocket:
            SocketEvent(static_cast<SOCKET>(wParam), lParam);
            break;
        case kMsgClosed:
            if (wParam == generation_ && events_) events_->SessionClosed(0);
            break;
        case kMsgSent:
            if (wParam == generation_ && connected_ && events_) events_->DataSent(0);
            break;
        default:
            break;
    }
}

std::unique_ptr<Socket> Win32Network::CreateSocket() {
    return std::make_unique<TWSocket>();
}

std::unique_ptr<MessageWindow> Win32Network::CreateMessageWindow(MessageWindow::Handler handler) {
    return std::make_unique<Win32MessageWindow>(std::move(handler));
}

std::string Win32Network::LocalHostName() const {
    char name[256] = {};
    const WinsockApi* winsock = Winsock();
    if (!winsock || winsock->gethostname(name, sizeof name - 1) != 0) return "localhost";
    return name;
}

bool Win32TimeZone::CurrentUtcOffset(int& minutesEast) const {
    TIME_ZONE_INFORMATION zone;
    switch (GetTimeZoneInformation(&zone)) {
        case TIME_ZONE_ID_STANDARD:
            minutesEast = -static_cast<int>(zone.Bias + zone.StandardBias);
            return true;
        case TIME_ZONE_ID_DAYLIGHT:
            minutesEast = -static_cast<int>(zone.Bias + zone.DaylightBias);
            return true;
        case TIME_ZONE_ID_UNKNOWN:  // a zone without daylight saving
            minutesEast = -static_cast<int>(zone.Bias);
            return true;
        default:
            return false;
    }
}

}  // namespace mivox::win32
