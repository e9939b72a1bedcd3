#include "win32/Winsock.h"

#include "platform/Socket.h"
#include "win32/SystemLibrary.h"

namespace mivox::win32 {

namespace {

template <typename Fn>
bool Bind(HMODULE module, Fn& function, const char* name) {
    function = BoundFunction<Fn>(module, name);
    return function != nullptr;
}

}  // namespace

const WinsockApi* Winsock() {
    // Never released: name lookups may still be running when the program
    // ends, and the system ends the session with the process.
    static WinsockApi api;
    static bool started = false;
    if (started) return &api;
    const HMODULE module = LoadSystemLibrary("wsock32.dll");
    if (!module) return nullptr;
    decltype(&::WSAStartup) startup = nullptr;
    WSADATA data;
    // clang-format off
    const bool bound =
        Bind(module, startup, "WSAStartup") &&
        Bind(module, api.WSAAsyncGetHostByName, "WSAAsyncGetHostByName") &&
        Bind(module, api.WSAAsyncSelect, "WSAAsyncSelect") &&
        Bind(module, api.WSACancelAsyncRequest, "WSACancelAsyncRequest") &&
        Bind(module, api.WSAGetLastError, "WSAGetLastError") &&
        Bind(module, api.closesocket, "closesocket") &&
        Bind(module, api.connect, "connect") &&
        Bind(module, api.gethostname, "gethostname") &&
        Bind(module, api.getservbyname, "getservbyname") &&
        Bind(module, api.ioctlsocket, "ioctlsocket") &&
        Bind(module, api.recv, "recv") &&
        Bind(module, api.send, "send") &&
        Bind(module, api.socket, "socket");
    // clang-format on
    started = bound && startup(MAKEWORD(1, 1), &data) == 0;
    if (!started) FreeLibrary(module);
    return started ? &api : nullptr;
}

const WinsockApi& RequireWinsock() {
    if (const WinsockApi* api = Winsock()) return *api;
    throw SocketException(
        "This system has no Windows Sockets (WSOCK32.DLL): install the network components of "
        "Windows (TCP/IP) to register by e-mail");
}

}  // namespace mivox::win32
