// Non-blocking TCP over POSIX sockets. Depends on platform/Socket.h.
#include "platform/Socket.h"

#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace platform
{

namespace
{

bool MakeAddress(const std::string& address, std::uint16_t port, sockaddr_in& out)
{
    out = sockaddr_in{};
    out.sin_family = AF_INET;
    out.sin_port = htons(port);
    return inet_pton(AF_INET, address.c_str(), &out.sin_addr) == 1;
}

bool MakeNonBlocking(int fd)
{
    const int flags = fcntl(fd, F_GETFL, 0);
    return flags >= 0 && fcntl(fd, F_SETFL, flags | O_NONBLOCK) == 0;
}

// A non-blocking socket and the address it is for, or -1.
int NewSocket(const std::string& address, std::uint16_t port, sockaddr_in& at)
{
    if (!MakeAddress(address, port, at))
    {
        return -1;
    }
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    if (fd >= 0 && !MakeNonBlocking(fd))
    {
        close(fd);
        return -1;
    }
    return fd;
}

bool WouldBlock()
{
    return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR;
}

} // namespace

SocketHandle ConnectSocket(const std::string& address, std::uint16_t port)
{
    sockaddr_in to{};
    const int fd = NewSocket(address, port, to);
    if (fd < 0)
    {
        return kNoSocket;
    }
    if (connect(fd, reinterpret_cast<const sockaddr*>(&to), sizeof to) != 0 && errno != EINPROGRESS)
    {
        close(fd);
        return kNoSocket;
    }
    return fd;
}

SocketState CheckSocket(SocketHandle socket)
{
    pollfd p{static_cast<int>(socket), POLLOUT, 0};
    const int ready = poll(&p, 1, 0);
    if (ready < 0)
    {
        return SocketState::kFailed;
    }
    if (ready == 0)
    {
        return SocketState::kConnecting;
    }
    int error = 0;
    socklen_t length = sizeof error;
    if (getsockopt(static_cast<int>(socket), SOL_SOCKET, SO_ERROR, &error, &length) != 0 ||
        error != 0)
    {
        return SocketState::kFailed;
    }
    return SocketState::kOpen;
}

long SendSocket(SocketHandle socket, const void* data, std::size_t size)
{
    // No SIGPIPE when the peer is gone: the caller hears -1 instead.
    const ssize_t sent = send(static_cast<int>(socket), data, size, MSG_NOSIGNAL);
    if (sent < 0)
    {
        return WouldBlock() ? 0 : -1;
    }
    return static_cast<long>(sent);
}

long ReceiveSocket(SocketHandle socket, void* data, std::size_t size)
{
    const ssize_t got = recv(static_cast<int>(socket), data, size, 0);
    if (got < 0)
    {
        return WouldBlock() ? 0 : -1;
    }
    return got == 0 ? -1 : static_cast<long>(got);
}

void CloseSocket(SocketHandle socket)
{
    if (socket != kNoSocket)
    {
        close(static_cast<int>(socket));
    }
}

SocketHandle ListenSocket(const std::string& address, std::uint16_t& port)
{
    sockaddr_in at{};
    const int fd = NewSocket(address, port, at);
    if (fd < 0)
    {
        return kNoSocket;
    }
    const int on = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    socklen_t length = sizeof at;
    if (bind(fd, reinterpret_cast<const sockaddr*>(&at), sizeof at) != 0 || listen(fd, 4) != 0 ||
        getsockname(fd, reinterpret_cast<sockaddr*>(&at), &length) != 0)
    {
        close(fd);
        return kNoSocket;
    }
    port = ntohs(at.sin_port);
    return fd;
}

SocketHandle AcceptSocket(SocketHandle listener)
{
    const int fd = accept(static_cast<int>(listener), nullptr, nullptr);
    if (fd < 0)
    {
        return kNoSocket;
    }
    if (!MakeNonBlocking(fd))
    {
        close(fd);
        return kNoSocket;
    }
    return fd;
}

} // namespace platform
