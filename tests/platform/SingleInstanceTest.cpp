#include "platform/SingleInstance.h"

#include "support/TempFolder.h"

#include <csignal>
#include <cstdio>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace Platform;

TEST(SingleInstanceTest, SecondHolderFindsTheLockTakenUntilTheFirstLetsGo)
{
    TempFolder folder;
    auto first = NamedLock::Create(folder.Path() + "nested/", "QuendaraMutex");
    ASSERT_TRUE(first);
    EXPECT_FALSE(first->AlreadyHeld());
    auto second = NamedLock::Create(folder.Path() + "nested", "QuendaraMutex");
    ASSERT_TRUE(second);
    EXPECT_TRUE(second->AlreadyHeld());
    auto other = NamedLock::Create(folder.Path() + "nested/", "OtherMutex");
    EXPECT_FALSE(other->AlreadyHeld());
    first.reset();
    second.reset();
    auto third = NamedLock::Create(folder.Path() + "nested/", "QuendaraMutex");
    EXPECT_FALSE(third->AlreadyHeld());
}

TEST(SingleInstanceTest, LockHeldByAnotherProcessIsSeenAsHeld)
{
    TempFolder folder;
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    pid_t child = fork();
    if (child == 0) {
        auto lock = NamedLock::Create(folder.Path(), "QuendaraMutex");
        char byte = lock && !lock->AlreadyHeld() ? 'y' : 'n';
        (void)!write(ready[1], &byte, 1);
        pause();
        _exit(0);
    }
    char byte = 0;
    ASSERT_EQ(read(ready[0], &byte, 1), 1);
    EXPECT_EQ(byte, 'y');
    EXPECT_TRUE(NamedLock::Create(folder.Path(), "QuendaraMutex")->AlreadyHeld());
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    // The system lets go of a dead holder's lock.
    EXPECT_FALSE(NamedLock::Create(folder.Path(), "QuendaraMutex")->AlreadyHeld());
    close(ready[0]);
    close(ready[1]);
}

TEST(SingleInstanceTest, NotificationFromAnotherProcessArrivesWithItsParameters)
{
    TempFolder folder;
    auto channel = NotificationChannel::Listen(folder.Path(), "NotifyQuendara");
    ASSERT_TRUE(channel);
    WParam wParam = 99;
    LParam lParam = 99;
    EXPECT_FALSE(channel->Poll(wParam, lParam));

    pid_t child = fork();
    if (child == 0) {
        _exit(NotificationChannel::Send(folder.Path(), "NotifyQuendara", 0, 0) &&
                      NotificationChannel::Send(folder.Path(), "NotifyQuendara", 0x12345678, -2)
                  ? 0
                  : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    ASSERT_TRUE(channel->Poll(wParam, lParam));
    EXPECT_EQ(wParam, 0u);
    EXPECT_EQ(lParam, 0);
    ASSERT_TRUE(channel->Poll(wParam, lParam));
    EXPECT_EQ(wParam, 0x12345678u);
    EXPECT_EQ(lParam, -2);
    EXPECT_FALSE(channel->Poll(wParam, lParam));
}

TEST(SingleInstanceTest, SendingWithNobodyListeningFailsAndAStaleSocketIsReplaced)
{
    TempFolder folder;
    EXPECT_FALSE(NotificationChannel::Send(folder.Path(), "NotifyQuendara", 0, 0));
    folder.Write("NotifyQuendara.socket", "left behind by a crash");
    auto channel = NotificationChannel::Listen(folder.Path(), "NotifyQuendara");
    ASSERT_TRUE(channel);
    EXPECT_TRUE(NotificationChannel::Send(folder.Path(), "NotifyQuendara", 1, 2));
    WParam wParam = 0;
    LParam lParam = 0;
    EXPECT_TRUE(channel->Poll(wParam, lParam));
    EXPECT_EQ(wParam, 1u);
    channel.reset();
    EXPECT_FALSE(NotificationChannel::Send(folder.Path(), "NotifyQuendara", 0, 0));
}

TEST(SingleInstanceTest, SenderThatSendsTooLittleIsDroppedWithoutBlocking)
{
    TempFolder folder;
    auto channel = NotificationChannel::Listen(folder.Path(), "NotifyQuendara");
    ASSERT_TRUE(channel);
    EXPECT_FALSE(NotificationChannel::Listen(std::string(120, 'x'), "NotifyQuendara"));
    int descriptor = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::string path = folder.Path() + "NotifyQuendara.socket";
    std::snprintf(address.sun_path, sizeof(address.sun_path), "%s", path.c_str());
    ASSERT_EQ(connect(descriptor, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
    ASSERT_EQ(write(descriptor, "abc", 3), 3);
    WParam wParam = 0;
    LParam lParam = 0;
    EXPECT_FALSE(channel->Poll(wParam, lParam));
    close(descriptor);
    EXPECT_FALSE(channel->Poll(wParam, lParam));
    EXPECT_TRUE(NotificationChannel::Send(folder.Path(), "NotifyQuendara", 5, 6));
    EXPECT_TRUE(channel->Poll(wParam, lParam));
    EXPECT_EQ(lParam, 6);
}

// A listener that takes nothing (its program frozen) lets the queue of waiting senders fill; a sender
// then gives up rather than wait for it. The senders run in a child that an alarm ends should one hang.
TEST(SingleInstanceTest, ASenderGivesUpOnAListenerThatTakesNothing)
{
    constexpr int kMostSends = 64;
    TempFolder folder;
    auto channel = NotificationChannel::Listen(folder.Path(), "NotifyQuendara");
    ASSERT_TRUE(channel);
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        alarm(60);
        int sent = 0;
        while (sent < kMostSends && NotificationChannel::Send(folder.Path(), "NotifyQuendara", 0, 0)) {
            ++sent;
        }
        _exit(sent > 0 && sent < kMostSends ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status)) << "a sender hung and was ended by signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), 0);
}
