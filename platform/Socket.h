// A TCP connection that never blocks: connecting, sending and receiving each
// return at once with what could be done. Enough for talking to a tool on
// this machine (a sync editor) and for the stand-in servers tests put up.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace platform
{

using SocketHandle = std::intptr_t;
constexpr SocketHandle kNoSocket = -1;

enum class SocketState
{
    kConnecting,
    kOpen,
    kFailed,
};

// Starts connecting to an IPv4 address ("127.0.0.1"); kNoSocket when even
// that fails.
SocketHandle ConnectSocket(const std::string& address, std::uint16_t port);
// Whether the connection started by ConnectSocket is there yet.
SocketState CheckSocket(SocketHandle socket);
// Bytes taken (0 when the system's buffer is full), or -1 when the
// connection is gone.
long SendSocket(SocketHandle socket, const void* data, std::size_t size);
// Bytes read (0 when nothing has arrived), or -1 when the peer hung up or
// the connection is gone.
long ReceiveSocket(SocketHandle socket, void* data, std::size_t size);
void CloseSocket(SocketHandle socket);

// Listens on address at port (0 lets the system choose; port then holds the
// one chosen).
SocketHandle ListenSocket(const std::string& address, std::uint16_t& port);
// A waiting connection, already non-blocking, or kNoSocket when none waits.
SocketHandle AcceptSocket(SocketHandle listener);

} // namespace platform
