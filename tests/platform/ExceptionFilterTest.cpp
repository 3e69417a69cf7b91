// The fault filter's platform side: which code each signal is reported under (the system's own
// exception codes), and the signal stack every thread started through StartThread runs with.
#include "platform/ExceptionFilter.h"

#include <csignal>
#include <gtest/gtest.h>

TEST(ExceptionFilter, EachSignalIsReportedUnderTheSystemsCode)
{
    struct Case
    {
        int signal;
        int signalCode;
        bool inStackGuard;
        uint32_t code;
    };
    const Case cases[] = {
        {SIGSEGV, SEGV_MAPERR, false, 0xC0000005}, {SIGSEGV, SEGV_ACCERR, false, 0xC0000005},
        {SIGSEGV, SEGV_MAPERR, true, 0xC00000FD},  {SIGFPE, FPE_INTDIV, false, 0xC0000094},
        {SIGFPE, FPE_INTOVF, false, 0xC0000095},   {SIGFPE, FPE_FLTDIV, false, 0xC000008E},
        {SIGFPE, FPE_FLTRES, false, 0xC000008F},   {SIGFPE, FPE_FLTINV, false, 0xC0000090},
        {SIGFPE, FPE_FLTOVF, false, 0xC0000091},   {SIGFPE, FPE_FLTUND, false, 0xC0000093},
        {SIGFPE, FPE_FLTSUB, false, 0xC000008C},   {SIGILL, ILL_ILLOPN, false, 0xC000001D},
        {SIGILL, ILL_PRVOPC, false, 0xC0000096},   {SIGBUS, BUS_ADRALN, false, 0x80000002},
        {SIGBUS, BUS_ADRERR, false, 0xC0000006},   {SIGSYS, 1, false, 0xC000001C},
        {SIGABRT, SI_TKILL, false, 0x40000015},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Platform::ExceptionCodeOf(c.signal, c.signalCode, c.inStackGuard), c.code)
            << "signal " << c.signal << " code " << c.signalCode;
    }
}

namespace {

// AddressSanitizer's runtime gives every thread a signal stack, a plain one too.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kEveryThreadHasASignalStack = true;
#else
constexpr bool kEveryThreadHasASignalStack = false;
#endif

} // namespace

TEST(ExceptionFilter, AStartedThreadRunsWithASignalStackOfItsOwn)
{
    stack_t inThread = {};
    Platform::StartThread([&inThread] { sigaltstack(nullptr, &inThread); }).join();
    EXPECT_EQ(inThread.ss_flags & SS_DISABLE, 0);
    EXPECT_GE(inThread.ss_size, size_t(MINSIGSTKSZ));
    stack_t plain = {};
    std::thread([&plain] { sigaltstack(nullptr, &plain); }).join();
    EXPECT_EQ((plain.ss_flags & SS_DISABLE) == 0, kEveryThreadHasASignalStack) << "a thread of no one's";
}

TEST(ExceptionFilter, NoFaultIsHandledOutsideAFault)
{
    EXPECT_FALSE(Platform::FaultInProgress());
    EXPECT_FALSE(Platform::IsFaultingThread());
}
