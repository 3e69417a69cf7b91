// Saves that fail or are cut short: a writer killed at each step of a save, a full disk, a slot file
// that cannot be replaced. The old file stays loadable and the open profile stays open. The killing and
// the full disk come from the kernel: a child process saves under a system-call filter or a file-size
// limit of its own, so the save runs exactly as in the game.
#include "ProfileFixture.h"
#include "diagnostics/RecordedDebugOutput.h"

#include <cerrno>
#include <cstddef>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <linux/audit.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

#if defined(__x86_64__)
constexpr uint32_t kArchitecture = AUDIT_ARCH_X86_64;
#elif defined(__aarch64__)
constexpr uint32_t kArchitecture = AUDIT_ARCH_AARCH64;
#endif

// What the filter does with the calls it names; every other call goes through.
struct CallFilter
{
    std::vector<long> calls;
    // Only calls whose third argument has these bits (the flags of openat).
    uint32_t flagsArgument = 0;
    uint32_t action = SECCOMP_RET_KILL_PROCESS;
};

std::vector<long> RenameCalls()
{
    std::vector<long> calls = {SYS_renameat, SYS_renameat2};
#ifdef SYS_rename
    calls.push_back(SYS_rename);
#endif
    return calls;
}

bool InstallFilter(const CallFilter& filter)
{
    std::vector<sock_filter> program = {
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, arch)),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, kArchitecture, 1, 0),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
    };
    // Each named call jumps to the end, where the flags are tested (when asked) and the action taken.
    const size_t count = filter.calls.size();
    for (size_t i = 0; i < count; ++i) {
        program.push_back(BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, uint32_t(filter.calls[i]), uint8_t(count - i), 0));
    }
    program.push_back(BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW));
    if (filter.flagsArgument != 0) {
        program.push_back(BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, args[2])));
        program.push_back(BPF_STMT(BPF_ALU | BPF_AND | BPF_K, filter.flagsArgument));
        program.push_back(BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, filter.flagsArgument, 1, 0));
        program.push_back(BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW));
    }
    program.push_back(BPF_STMT(BPF_RET | BPF_K, filter.action));
    const sock_fprog header = {static_cast<unsigned short>(program.size()), program.data()};
    return prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) == 0 && prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &header) == 0;
}

struct Ending
{
    // The signal that ended the child, or 0 when it exited.
    int signal;
    int exitCode;
};

// Runs the step in a child process; its result is the child's exit code.
Ending InChild(const std::function<int()>& step)
{
    const pid_t child = fork();
    if (child == 0) {
        _exit(step());
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFSIGNALED(status) ? Ending{WTERMSIG(status), 0} : Ending{0, WEXITSTATUS(status)};
}

constexpr int kFilterRefused = 100;

} // namespace

class ProfileSaveFailureTest : public ProfileFixture
{
protected:
    // ANNA open in slot 0 with 100 gold more than her file holds, BORIS in slot 1.
    UserProfile* OpenAnnaWithMoreGold()
    {
        PutSlot(0, Anna());
        PutSlot(1, Named("BORIS"));
        Remember(0);
        UserProfile* profile = Open();
        UserProfile::AddGold(100);
        return profile;
    }

    // ANNA open with her 300 gold, nothing switched or replaced.
    static bool AnnaStillOpen(UserProfile* profile)
    {
        return profile->GetActiveSlot() == 0 && UserProfile::GetProfileName() == "ANNA" &&
               UserProfile::GetGold() == 300;
    }

    std::string AnnaWithMoreGold() const { return RecordBytes::WithInt32(Anna(), 32, 300); }
};

TEST_F(ProfileSaveFailureTest, AWriterKilledAtAnyStepLeavesAWholeProfileInTheSlot)
{
    struct Case
    {
        const char* name;
        CallFilter filter;
        // Else the file-size limit, in bytes.
        bool filtered;
        int signal;
        bool replaced;
    };
    const Case cases[] = {
        {"before the first byte", {{SYS_write}}, true, SIGSYS, false},
        {"half way through the bytes", {}, false, SIGXFSZ, false},
        {"before the bytes reach the disk", {{SYS_fsync}}, true, SIGSYS, false},
        {"before the new file takes the name", {RenameCalls()}, true, SIGSYS, false},
        {"before the folder reaches the disk", {{SYS_openat}, O_DIRECTORY}, true, SIGSYS, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Close();
        std::filesystem::remove_all(ProfileFolder());
        UserProfile* profile = OpenAnnaWithMoreGold();
        const Ending ending = InChild([&] {
            if (c.filtered && !InstallFilter(c.filter)) {
                return kFilterRefused;
            }
            if (!c.filtered) {
                const rlimit noCore = {0, 0};
                const rlimit halfAProfile = {500, 500};
                setrlimit(RLIMIT_CORE, &noCore);
                setrlimit(RLIMIT_FSIZE, &halfAProfile);
            }
            profile->SaveSlot(0);
            return 0;
        });
        ASSERT_NE(ending.exitCode, kFilterRefused) << "the system refused the call filter";
        EXPECT_EQ(ending.signal, c.signal);
        EXPECT_EQ(ReadSlot(0), c.replaced ? AnnaWithMoreGold() : Anna());
        UserInfo stored;
        EXPECT_EQ(stored.ReadFromFile(SlotFile(0)), UserInfo::ReadResult::Loaded);
        EXPECT_TRUE(AnnaStillOpen(profile));
        EXPECT_TRUE(profile->SaveSlot(0)) << "a later save mends it";
        EXPECT_EQ(ReadSlot(0), AnnaWithMoreGold());
    }
}

TEST_F(ProfileSaveFailureTest, OnAFullDiskNoSaveSucceedsAndTheOpenProfileStays)
{
    UserProfile* profile = OpenAnnaWithMoreGold();
    const Ending ending = InChild([&] {
        if (!InstallFilter({{SYS_write}, 0, SECCOMP_RET_ERRNO | ENOSPC})) {
            return kFilterRefused;
        }
        int failed = 0;
        const bool steps[] = {
            !profile->SaveSlot(0) && AnnaStillOpen(profile),
            !profile->SwitchToSlot(1) && AnnaStillOpen(profile),
            !profile->CreateProfile("CARL") && AnnaStillOpen(profile),
            !profile->LoadFirstValidSlot() && AnnaStillOpen(profile),
        };
        for (int i = 0; i < 4; ++i) {
            failed |= steps[i] ? 0 : 1 << i;
        }
        return failed;
    });
    ASSERT_NE(ending.exitCode, kFilterRefused) << "the system refused the call filter";
    EXPECT_EQ(ending.signal, 0);
    EXPECT_EQ(ending.exitCode, 0) << "bit n: step n saved or switched";
    EXPECT_EQ(ReadSlot(0), Anna());
    EXPECT_EQ(ReadSlot(1), Named("BORIS"));
    EXPECT_EQ(FolderListing(), "slot0.profile slot1.profile");
}

TEST_F(ProfileSaveFailureTest, ASaveThatFailsIsLoggedAndKeepsTheOpenProfile)
{
    UserProfile* profile = OpenAnnaWithMoreGold();
    // A folder in the file's place: the new file cannot be put there.
    std::filesystem::remove(SlotFile(0));
    std::filesystem::create_directory(SlotFile(0));
    RecordedDebugOutput log;

    EXPECT_FALSE(profile->SwitchToSlot(1));
    EXPECT_TRUE(AnnaStillOpen(profile));
    EXPECT_FALSE(profile->CreateProfile("CARL"));
    EXPECT_TRUE(AnnaStillOpen(profile));
    EXPECT_EQ(profile->FindSlotByName("CARL"), -1);
    EXPECT_FALSE(profile->LoadFirstValidSlot());
    EXPECT_TRUE(AnnaStillOpen(profile));
    EXPECT_EQ(ReadSlot(1), Named("BORIS"));
    ASSERT_FALSE(log.writes.empty());
    EXPECT_EQ(log.writes.front(),
              "Profile: could not save slot 0 to " + temp.Path() + "data/profiles\\slot0.profile\r\n");
}

// A save killed before its new file took the name leaves its temporary file behind; the next save into
// the folder removes it. Temporary files of running processes (this one's too) may be saves under way
// and stay, as do names that are no temporary file of a slot.
TEST_F(ProfileSaveFailureTest, TheNextSaveRemovesWhatAKilledSaveLeftBehind)
{
    UserProfile* profile = OpenAnnaWithMoreGold();
    const Ending ending = InChild([&] {
        if (!InstallFilter({RenameCalls()})) {
            return kFilterRefused;
        }
        profile->SaveSlot(1);
        return 0;
    });
    ASSERT_NE(ending.exitCode, kFilterRefused) << "the system refused the call filter";
    ASSERT_EQ(ending.signal, SIGSYS);
    ASSERT_NE(FolderListing().find("slot1.profile.tmp"), std::string::npos) << FolderListing();
    const std::string running = "slot3.profile.tmp" + std::to_string(getppid());
    const std::string own = "slot4.profile.tmp" + std::to_string(getpid());
    for (const std::string& name : {running, own, std::string("slot2.profile.tmp"), std::string("slot2.profile.tmp12x"),
                                    std::string("slot2.profile.tmp0")}) {
        std::ofstream(ProfileFolder() + name) << "kept";
    }
    EXPECT_TRUE(profile->SaveSlot(0));
    EXPECT_EQ(FolderListing(),
              "slot0.profile slot1.profile slot2.profile.tmp slot2.profile.tmp0 slot2.profile.tmp12x " + running + " " +
                  own);
    EXPECT_EQ(ReadSlot(1), Named("BORIS"));
}
