// Windows Sockets 1.1, bound at run time by its full path: WSOCK32.DLL,
// which every 32-bit Windows has from Windows 95 on (WS2_32.DLL comes to
// Windows 95 only with its Winsock 2 update). Bound on first use, so the
// installer starts where the system has no sockets at all; only the e-mail
// registration needs them, and says so.
#pragma once

#include <winsock2.h>
#include <windows.h>

namespace mivox::win32 {

// The functions the installer calls, all of Windows Sockets 1.1.
struct WinsockApi {
    decltype(&::WSAAsyncGetHostByName) WSAAsyncGetHostByName;
    decltype(&::WSAAsyncSelect) WSAAsyncSelect;
    decltype(&::WSACancelAsyncRequest) WSACancelAsyncRequest;
    decltype(&::WSAGetLastError) WSAGetLastError;
    decltype(&::closesocket) closesocket;
    decltype(&::connect) connect;
    decltype(&::gethostname) gethostname;
    decltype(&::getservbyname) getservbyname;
    decltype(&::ioctlsocket) ioctlsocket;
    decltype(&::recv) recv;
    decltype(&::send) send;
    decltype(&::socket) socket;
};

// The library, loaded and started (WSAStartup) on first use and kept for
// the rest of the program's life; nullptr where the system has none, lacks
// one of the functions or does not start it (a later call tries again).
const WinsockApi* Winsock();

// Winsock(), or a SocketException that says the system has no sockets.
const WinsockApi& RequireWinsock();

}  // namespace mivox::win32
