// Non-blocking TCP over Winsock 2, started once on first use. Depends on
// platform/Socket.h.
#include "platform/Socket.h"

// The lean <windows.h> leaves Winsock out, so Winsock 2 comes after it.
#include "platform/win/Native.h"
#include <winsock2.h>
#include <ws2tcpip.h>

namespace platform
{

namespace
{

bool Started()
{
    static const bool started = []
    {
        ::WSADATA data{};
        return ::WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    return started;
}

::SOCKET WinSocket(SocketHandle socket)
{
    return static_cast<::SOCKET>(socket);
}

SocketHandle OurSocket(::SOCKET socket)
{
    return socket == INVALID_SOCKET ? kNoSocket : static_cast<SocketHandle>(socket);
}

bool MakeAddress(const std::string& address, std::uint16_t port, ::sockaddr_in& out)
{
    out = ::sockaddr_in{};
    out.sin_family = AF_INET;
    out.sin_port = ::htons(port);
    return ::inet_pton(AF_INET, address.c_str(), &out.sin_addr) == 1;
}

bool MakeNonBlocking(::SOCKET socket)
{
    u_long on = 1;
    return ::ioctlsocket(socket, FIONBIO, &on) == 0;
}

bool WouldBlock()
{
    const int error = ::WSAGetLastError();
    return error == WSAEWOULDBLOCK || error == WSAEINTR;
}

// A non-blocking socket and the address it is for, or INVALID_SOCKET.
::SOCKET NewSocket(const std::string& address, std::uint16_t port, ::sockaddr_in& at)
{
    if (!MakeAddress(address, port, at) || !Started())
    {
        return INVALID_SOCKET;
    }
    const ::SOCKET s = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (s != INVALID_SOCKET && !MakeNonBlocking(s))
    {
        ::closesocket(s);
        return INVALID_SOCKET;
    }
    return s;
}

} // namespace

SocketHandle ConnectSocket(const std::string& address, std::uint16_t port)
{
    ::sockaddr_in to{};
    const ::SOCKET s = NewSocket(address, port, to);
    if (s == INVALID_SOCKET)
    {
        return kNoSocket;
    }
    if (::connect(s, reinterpret_cast<const ::sockaddr*>(&to), sizeof to) != 0 &&
        ::WSAGetLastError() != WSAEWOULDBLOCK)
    {
        ::closesocket(s);
        return kNoSocket;
    }
    return OurSocket(s);
}

SocketState CheckSocket(SocketHandle socket)
{
    ::WSAPOLLFD p{WinSocket(socket), POLLWRNORM, 0};
    const int ready = ::WSAPoll(&p, 1, 0);
    if (ready < 0 || (p.revents & (POLLERR | POLLHUP)) != 0)
    {
        return SocketState::kFailed;
    }
    if (ready == 0)
    {
        return SocketState::kConnecting;
    }
    int error = 0;
    int length = sizeof error;
    if (::getsockopt(WinSocket(socket), SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error),
                     &length) != 0 ||
        error != 0)
    {
        return SocketState::kFailed;
    }
    return SocketState::kOpen;
}

long SendSocket(SocketHandle socket, const void* data, std::size_t size)
{
    const int sent =
        ::send(WinSocket(socket), static_cast<const char*>(data), static_cast<int>(size), 0);
    if (sent == SOCKET_ERROR)
    {
        return WouldBlock() ? 0 : -1;
    }
    return sent;
}

long ReceiveSocket(SocketHandle socket, void* data, std::size_t size)
{
    const int got = ::recv(WinSocket(socket), static_cast<char*>(data), static_cast<int>(size), 0);
    if (got == SOCKET_ERROR)
    {
        return WouldBlock() ? 0 : -1;
    }
    return got == 0 ? -1 : got;
}

void CloseSocket(SocketHandle socket)
{
    if (socket != kNoSocket)
    {
        ::closesocket(WinSocket(socket));
    }
}

SocketHandle ListenSocket(const std::string& address, std::uint16_t& port)
{
    ::sockaddr_in at{};
    const ::SOCKET s = NewSocket(address, port, at);
    if (s == INVALID_SOCKET)
    {
        return kNoSocket;
    }
    int length = sizeof at;
    if (::bind(s, reinterpret_cast<const ::sockaddr*>(&at), sizeof at) != 0 ||
        ::listen(s, 4) != 0 || ::getsockname(s, reinterpret_cast<::sockaddr*>(&at), &length) != 0)
    {
        ::closesocket(s);
        return kNoSocket;
    }
    port = ::ntohs(at.sin_port);
    return OurSocket(s);
}

SocketHandle AcceptSocket(SocketHandle listener)
{
    const ::SOCKET s = ::accept(WinSocket(listener), nullptr, nullptr);
    if (s == INVALID_SOCKET)
    {
        return kNoSocket;
    }
    if (!MakeNonBlocking(s))
    {
        ::closesocket(s);
        return kNoSocket;
    }
    return OurSocket(s);
}

} // namespace platform
