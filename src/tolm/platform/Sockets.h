// TCP connections over IPv4 for the HTTP transfer client, on POSIX sockets. Every socket is
// non-blocking and closed across exec; a send to a peer that has gone fails instead of raising
// SIGPIPE; calls interrupted by a signal are retried. "No socket" is -1: descriptor 0 is standard input.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace Platform {

using Socket = int;
constexpr Socket kNoSocket = -1;

// A non-blocking stream socket; kNoSocket when the system has none to give.
Socket OpenStreamSocket();
void CloseSocket(Socket socket);

// The IPv4 address, in network byte order, of a dotted address or of a host name. False when the text
// names no host, or names the broadcast address, which no connection can reach.
bool LookUpHostAddress(const std::string& host, uint32_t& address);

enum class ConnectStart
{
    kConnected,
    // The socket becomes writable when the attempt is settled; ConnectionMade then tells how.
    kInProgress,
    kFailed
};
ConnectStart StartConnect(Socket socket, uint32_t address, int port);
// Whether the attempt a writable socket reports on made a connection: a refused one looks writable too.
bool ConnectionMade(Socket socket);

enum class SocketWait
{
    kReady,
    kTimedOut,
    // The wait itself failed, or the socket reports an error while not ready for what was asked.
    kFailed
};
// Waits up to the time-out for the socket to become readable (a closed connection counts, as receiving
// then tells) or writable.
SocketWait WaitForSocketReady(Socket socket, bool readable, bool writable, int timeoutMilliseconds);

// Results of SendBytes and ReceiveBytes besides a count of bytes moved.
constexpr long kSocketFailed = -1;
// Nothing can move now; wait for the socket again.
constexpr long kSocketWouldBlock = -2;
// The bytes sent (at least 1), kSocketWouldBlock or kSocketFailed.
long SendBytes(Socket socket, const char* bytes, size_t count);
// The bytes received (at least 1), 0 when the peer closed the connection, kSocketWouldBlock or kSocketFailed.
long ReceiveBytes(Socket socket, char* bytes, size_t capacity);

} // namespace Platform
