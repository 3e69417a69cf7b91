// A one-connection-at-a-time TCP server on 127.0.0.1 for the transfer tests: it keeps the raw request
// it receives, answers with bytes given as they stand (malformed ones included), and then closes the
// connection or holds it open until the server goes, sending on a held connection whatever bytes
// a test adds later. Nothing leaves the machine.
#pragma once

#include <arpa/inet.h>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <netinet/in.h>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <utility>

class LoopbackServer
{
public:
    enum class End
    {
        kClose,
        kHoldOpen
    };

    explicit LoopbackServer(std::string reply, End end = End::kClose) : reply(std::move(reply)), end(end)
    {
        listener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address = LoopbackAddress(0);
        bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address);
        listen(listener, 4);
        socklen_t length = sizeof address;
        getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length);
        port = ntohs(address.sin_port);
        thread = std::thread(&LoopbackServer::Serve, this);
    }
    ~LoopbackServer()
    {
        stop = true;
        thread.join();
        close(listener);
    }
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    // The host text a transfer connects with.
    std::string Host() const { return "127.0.0.1:" + std::to_string(port); }

    // Waits until a whole request (headers and the body its Content-Length announces) has arrived, or
    // the connection that brought part of it has closed; empty when none comes in half a minute.
    std::string Request()
    {
        std::unique_lock lock(mutex);
        requestDone.wait_for(lock, std::chrono::seconds(30), [this] { return requestComplete; });
        return request;
    }

    // Bytes sent on the held-open connection after the reply.
    void SendMore(const std::string& bytes)
    {
        std::lock_guard lock(mutex);
        more += bytes;
    }

    // A port on which nothing listens: taken from the system, then given back.
    static int UnusedPort()
    {
        int probe = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address = LoopbackAddress(0);
        bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof address);
        socklen_t length = sizeof address;
        getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length);
        close(probe);
        return ntohs(address.sin_port);
    }

private:
    static sockaddr_in LoopbackAddress(int port)
    {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(uint16_t(port));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        return address;
    }

    // Polls in short steps so that the server notices when it is to go.
    bool WaitReadable(int descriptor)
    {
        pollfd entry{descriptor, POLLIN, 0};
        while (!stop) {
            if (poll(&entry, 1, 10) > 0) {
                return true;
            }
        }
        return false;
    }

    void Serve()
    {
        while (WaitReadable(listener)) {
            int connection = accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
            if (connection < 0) {
                continue;
            }
            ReadRequest(connection);
            SendAll(connection, reply);
            if (end == End::kHoldOpen) {
                while (!stop) {
                    SendAll(connection, TakeMore());
                    usleep(10000);
                }
            }
            close(connection);
        }
    }

    void ReadRequest(int connection)
    {
        std::string received;
        char block[4096];
        while (!RequestComplete(received) && WaitReadable(connection)) {
            ssize_t count = recv(connection, block, sizeof block, 0);
            if (count <= 0) {
                break;
            }
            received.append(block, size_t(count));
        }
        std::lock_guard lock(mutex);
        request = received;
        requestComplete = true;
        requestDone.notify_all();
    }

    static bool RequestComplete(const std::string& received)
    {
        size_t headersEnd = received.find("\r\n\r\n");
        if (headersEnd == std::string::npos) {
            return false;
        }
        size_t length = received.find("Content-Length: ");
        size_t bodyLength = length < headersEnd ? size_t(std::atoll(received.c_str() + length + 16)) : 0;
        return received.size() >= headersEnd + 4 + bodyLength;
    }

    std::string TakeMore()
    {
        std::lock_guard lock(mutex);
        return std::exchange(more, std::string());
    }

    // A client that stops reading part way (a response too long for it) ends the reply.
    void SendAll(int connection, const std::string& bytes)
    {
        size_t sent = 0;
        while (sent < bytes.size() && !stop) {
            ssize_t count = send(connection, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
            if (count <= 0) {
                return;
            }
            sent += size_t(count);
        }
    }

    const std::string reply;
    const End end;
    int listener = -1;
    int port = 0;
    std::atomic<bool> stop{false};
    std::thread thread;
    std::mutex mutex;
    std::condition_variable requestDone;
    std::string request;
    bool requestComplete = false;
    std::string more;
};
