// flock and AF_UNIX sockets. A notification is eight bytes: wParam and lParam, little-endian.
#include "platform/SingleInstance.h"

#include "platform/Folders.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <sys/un.h>
#include <unistd.h>
#include <utility>

namespace Platform {

namespace {

constexpr size_t kNotificationSize = 8;
constexpr time_t kSendTimeoutSeconds = 2;

std::string WithSlash(const std::string& folder)
{
    return folder.empty() || folder.back() == '/' ? folder : folder + "/";
}

// False when the path does not fit a socket address.
bool SocketAddress(const std::string& path, sockaddr_un& address)
{
    std::memset(&address, 0, sizeof(address));
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof(address.sun_path)) {
        return false;
    }
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return true;
}

void PutLittleEndian(unsigned char* out, uint32_t value)
{
    for (int i = 0; i < 4; ++i) {
        out[i] = (unsigned char)(value >> (8 * i));
    }
}

uint32_t GetLittleEndian(const unsigned char* in)
{
    return uint32_t(in[0]) | uint32_t(in[1]) << 8 | uint32_t(in[2]) << 16 | uint32_t(in[3]) << 24;
}

} // namespace

std::unique_ptr<NamedLock> NamedLock::Create(const std::string& folder, const std::string& name)
{
    MakeFolders(WithSlash(folder));
    std::string path = WithSlash(folder) + name + ".lock";
    int descriptor = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (descriptor < 0) {
        return nullptr;
    }
    if (flock(descriptor, LOCK_EX | LOCK_NB) != 0) {
        close(descriptor);
        return std::unique_ptr<NamedLock>(new NamedLock(-1, true));
    }
    return std::unique_ptr<NamedLock>(new NamedLock(descriptor, false));
}

NamedLock::~NamedLock()
{
    if (descriptor >= 0) {
        close(descriptor);
    }
}

std::unique_ptr<NotificationChannel> NotificationChannel::Listen(const std::string& folder, const std::string& name)
{
    std::string path = WithSlash(folder) + name + ".socket";
    sockaddr_un address;
    if (!SocketAddress(path, address)) {
        return nullptr;
    }
    int descriptor = socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (descriptor < 0) {
        return nullptr;
    }
    unlink(path.c_str());
    if (bind(descriptor, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 || listen(descriptor, 8) != 0) {
        close(descriptor);
        return nullptr;
    }
    return std::unique_ptr<NotificationChannel>(new NotificationChannel(descriptor, path));
}

bool NotificationChannel::Send(const std::string& folder, const std::string& name, WParam wParam, LParam lParam)
{
    sockaddr_un address;
    if (!SocketAddress(WithSlash(folder) + name + ".socket", address)) {
        return false;
    }
    int descriptor = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (descriptor < 0) {
        return false;
    }
    // A listener that has stopped (frozen, or busy for good) lets its queue of waiting senders fill,
    // and connect then waits for it to take one: the send timeout bounds that wait and the send.
    const timeval timeout{kSendTimeoutSeconds, 0};
    setsockopt(descriptor, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof(timeout));
    unsigned char bytes[kNotificationSize];
    PutLittleEndian(bytes, wParam);
    PutLittleEndian(bytes + 4, uint32_t(lParam));
    bool sent = connect(descriptor, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0 &&
                send(descriptor, bytes, sizeof(bytes), MSG_NOSIGNAL) == ssize_t(sizeof(bytes));
    close(descriptor);
    return sent;
}

NotificationChannel::~NotificationChannel()
{
    for (Sender& sender : senders) {
        close(sender.descriptor);
    }
    close(descriptor);
    unlink(path.c_str());
}

void NotificationChannel::AcceptWaitingSenders()
{
    for (;;) {
        int accepted = accept4(descriptor, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (accepted < 0) {
            return;
        }
        senders.push_back({accepted, {}});
    }
}

bool NotificationChannel::Poll(WParam& wParam, LParam& lParam)
{
    AcceptWaitingSenders();
    for (size_t i = 0; i < senders.size();) {
        Sender& sender = senders[i];
        unsigned char buffer[kNotificationSize];
        ssize_t count = recv(sender.descriptor, buffer, kNotificationSize - sender.received.size(), 0);
        if (count > 0) {
            sender.received.insert(sender.received.end(), buffer, buffer + count);
        }
        bool complete = sender.received.size() == kNotificationSize;
        bool finished = complete || count == 0 || (count < 0 && errno != EAGAIN && errno != EWOULDBLOCK);
        if (!finished) {
            ++i;
            continue;
        }
        if (complete) {
            wParam = GetLittleEndian(sender.received.data());
            lParam = LParam(GetLittleEndian(sender.received.data() + 4));
        }
        close(sender.descriptor);
        senders.erase(senders.begin() + std::ptrdiff_t(i));
        if (complete) {
            return true;
        }
    }
    return false;
}

} // namespace Platform
