// The command line kept as one text, thread ids from the kernel, and SIGSEGV raised on purpose.
#include "platform/Process.h"

#include "platform/TextEncoding.h"

#include <csignal>
#include <cstdlib>
#include <sys/syscall.h>
#include <unistd.h>

namespace Platform {

namespace {

std::string& StoredCommandLine()
{
    static std::string line;
    return line;
}

std::string Quoted(const std::string& text)
{
    return "\"" + text + "\"";
}

} // namespace

void SetCommandLineArguments(int argc, const char* const* argv)
{
    std::string line = Quoted(argc > 0 && argv[0] ? Utf8ToCp1252(argv[0]) : std::string());
    for (int i = 1; i < argc; ++i) {
        std::string argument = Utf8ToCp1252(argv[i]);
        line += ' ';
        line += argument.find(' ') == std::string::npos ? argument : Quoted(argument);
    }
    StoredCommandLine() = line;
}

void SetCommandLine(const std::string& line)
{
    StoredCommandLine() = line;
}

std::string GetCommandLine()
{
    return StoredCommandLine();
}

uint32_t CurrentThreadId()
{
    return uint32_t(syscall(SYS_gettid));
}

void RaiseAccessViolation()
{
    std::raise(SIGSEGV);
    // A handler that returned leaves nothing sensible to go back to.
    std::abort();
}

} // namespace Platform
