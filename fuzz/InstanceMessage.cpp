// The single-instance notification on arbitrary bytes: each part of an input is what one later copy of
// the program writes to the running copy's socket before it closes, while one more copy stays connected
// without writing. The running copy polls until every sender is done with; each sender that wrote at
// least a whole notification must be heard once, with its first eight bytes, and the rest ignored.
#include "QuietApp.h"
#include "ScratchFolder.h"
#include "platform/SingleInstance.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

constexpr size_t kSenders = 4;
constexpr size_t kNotificationSize = 8;

using Notification = std::pair<Platform::WParam, Platform::LParam>;

int Connect(const std::string& path)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof(address.sun_path)) {
        return -1;
    }
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    int descriptor = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (descriptor >= 0 && connect(descriptor, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0) {
        close(descriptor);
        return -1;
    }
    return descriptor;
}

// What a whole notification of these bytes says.
Notification Expected(std::string_view bytes)
{
    uint32_t words[2] = {0, 0};
    for (size_t i = 0; i < kNotificationSize; ++i) {
        words[i / 4] |= uint32_t(uint8_t(bytes[i])) << (8 * (i % 4));
    }
    return {Platform::WParam(words[0]), Platform::LParam(words[1])};
}

QuietApp& App()
{
    static QuietApp* app = new QuietApp;
    return *app;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string folder = ScratchFolder::Path().string();
    std::unique_ptr<Platform::NotificationChannel> channel = Platform::NotificationChannel::Listen(folder, "Notify");
    if (!channel) {
        std::abort();
    }
    const std::string path = ScratchFolder::FilePath("Notify.socket");
    int silent = Connect(path);
    std::vector<Notification> expected;
    for (std::string_view part : ScratchFolder::Split(data, size, kSenders)) {
        int sender = Connect(path);
        if (sender < 0) {
            std::abort();
        }
        ssize_t sent = send(sender, part.data(), part.size(), MSG_DONTWAIT | MSG_NOSIGNAL);
        if (sent >= ssize_t(kNotificationSize)) {
            expected.push_back(Expected(part));
        }
        close(sender);
    }
    std::vector<Notification> heard;
    Platform::WParam wParam = 0;
    Platform::LParam lParam = 0;
    // A sender that wrote part of a notification is seen to close on the next poll.
    for (size_t poll = 0; poll < 2 * (kSenders + 1); ++poll) {
        if (channel->Poll(wParam, lParam)) {
            heard.emplace_back(wParam, lParam);
            App().BringToFront(wParam, lParam);
        }
    }
    close(silent);
    std::sort(expected.begin(), expected.end());
    std::sort(heard.begin(), heard.end());
    if (heard != expected) {
        std::abort();
    }
    return 0;
}
