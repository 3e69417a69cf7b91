// What keeps the program to one running copy: a named lock, held by the first copy for its whole
// life (a lock file under flock, released by the system even when the process dies), and a
// notification channel on which that copy hears from a later one (a Unix-domain socket beside the
// lock). Both live in a folder the caller names, so that tests keep them in their own folders.
#pragma once

#include "platform/MessagePump.h"

#include <memory>
#include <string>
#include <vector>

namespace Platform {

class NamedLock
{
public:
    // Opens the lock "<folder><name>.lock", creating the folder and the file when missing, and takes it
    // when nobody holds it. Null when the file cannot be made at all.
    static std::unique_ptr<NamedLock> Create(const std::string& folder, const std::string& name);
    ~NamedLock();
    NamedLock(const NamedLock&) = delete;
    NamedLock& operator=(const NamedLock&) = delete;

    // True when another holder had it already; this object then holds nothing.
    bool AlreadyHeld() const { return alreadyHeld; }

private:
    NamedLock(int descriptor, bool alreadyHeld) : descriptor(descriptor), alreadyHeld(alreadyHeld) {}

    int descriptor;
    bool alreadyHeld;
};

class NotificationChannel : public NotificationSource
{
public:
    // Listens on "<folder><name>.socket", replacing a stale socket file. Only the holder of the lock may
    // listen. Null when the socket cannot be made (a folder path too long for a socket name, say).
    static std::unique_ptr<NotificationChannel> Listen(const std::string& folder, const std::string& name);
    // Sends one notification to the listener in that folder; false when nobody listens, or when the
    // listener takes nothing within two seconds.
    static bool Send(const std::string& folder, const std::string& name, WParam wParam, LParam lParam);

    ~NotificationChannel() override;
    NotificationChannel(const NotificationChannel&) = delete;
    NotificationChannel& operator=(const NotificationChannel&) = delete;

    // Never blocks: a sender whose bytes have not all arrived yet is looked at again next time.
    bool Poll(WParam& wParam, LParam& lParam) override;

private:
    struct Sender
    {
        int descriptor;
        std::vector<unsigned char> received;
    };

    NotificationChannel(int descriptor, std::string path) : descriptor(descriptor), path(std::move(path)) {}
    void AcceptWaitingSenders();

    int descriptor;
    std::string path;
    std::vector<Sender> senders;
};

} // namespace Platform
