// poll in place of select, whose descriptor sets cannot hold descriptors above 1023; getaddrinfo in
// place of gethostbyname, which is not safe to call from two threads.
#include "platform/Sockets.h"

#include <cerrno>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace Platform {

Socket OpenStreamSocket()
{
    int socket = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, IPPROTO_TCP);
    return socket < 0 ? kNoSocket : socket;
}

void CloseSocket(Socket socket)
{
    // Linux frees the descriptor even when close reports EINTR, so it is never retried.
    if (socket != kNoSocket) {
        close(socket);
    }
}

bool LookUpHostAddress(const std::string& host, uint32_t& address)
{
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0 || !found) {
        return false;
    }
    address = reinterpret_cast<const sockaddr_in*>(found->ai_addr)->sin_addr.s_addr;
    freeaddrinfo(found);
    return address != INADDR_NONE;
}

ConnectStart StartConnect(Socket socket, uint32_t address, int port)
{
    sockaddr_in target{};
    target.sin_family = AF_INET;
    target.sin_port = htons(uint16_t(port));
    target.sin_addr.s_addr = address;
    if (connect(socket, reinterpret_cast<const sockaddr*>(&target), sizeof target) == 0) {
        return ConnectStart::kConnected;
    }
    // An interrupted connect goes on in the background, as one in progress does.
    return errno == EINPROGRESS || errno == EINTR ? ConnectStart::kInProgress : ConnectStart::kFailed;
}

bool ConnectionMade(Socket socket)
{
    int error = 0;
    socklen_t length = sizeof error;
    return getsockopt(socket, SOL_SOCKET, SO_ERROR, &error, &length) == 0 && error == 0;
}

SocketWait WaitForSocketReady(Socket socket, bool readable, bool writable, int timeoutMilliseconds)
{
    pollfd entry{};
    entry.fd = socket;
    entry.events = short((readable ? POLLIN : 0) | (writable ? POLLOUT : 0));
    int count = poll(&entry, 1, timeoutMilliseconds);
    if (count < 0) {
        return errno == EINTR ? SocketWait::kTimedOut : SocketWait::kFailed;
    }
    if (count == 0) {
        return SocketWait::kTimedOut;
    }
    // Bytes that arrived before an error are still there to be read, so readiness comes first; a hang-up
    // is ready too, and the receive or send that follows tells what it means.
    if ((readable && (entry.revents & (POLLIN | POLLHUP))) || (writable && (entry.revents & (POLLOUT | POLLHUP)))) {
        return SocketWait::kReady;
    }
    return entry.revents & (POLLERR | POLLNVAL) ? SocketWait::kFailed : SocketWait::kTimedOut;
}

long SendBytes(Socket socket, const char* bytes, size_t count)
{
    for (;;) {
        ssize_t sent = send(socket, bytes, count, MSG_NOSIGNAL);
        if (sent > 0) {
            return long(sent);
        }
        if (sent < 0 && errno == EINTR) {
            continue;
        }
        return sent < 0 && (errno == EAGAIN || errno == EWOULDBLOCK) ? kSocketWouldBlock : kSocketFailed;
    }
}

long ReceiveBytes(Socket socket, char* bytes, size_t capacity)
{
    for (;;) {
        ssize_t received = recv(socket, bytes, capacity, 0);
        if (received >= 0) {
            return long(received);
        }
        if (errno == EINTR) {
            continue;
        }
        return errno == EAGAIN || errno == EWOULDBLOCK ? kSocketWouldBlock : kSocketFailed;
    }
}

} // namespace Platform
