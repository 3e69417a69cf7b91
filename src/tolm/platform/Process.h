// What the process knows about itself: its command line as Windows hands it over (one text, the
// program's path first), the system's number for the calling thread, and a deliberate fault that
// tests the crash catcher.
#pragma once

#include <cstdint>
#include <string>

namespace Platform {

// Rebuilds the Windows-style line from the arguments main() received: the program in double quotes,
// then each argument after a space, in double quotes when it holds a space. Arguments arrive in UTF-8
// and are kept as Windows-1252 bytes.
void SetCommandLineArguments(int argc, const char* const* argv);
// Sets the line as it stands, unquoted program path and all.
void SetCommandLine(const std::string& line);
// The line last set; empty before any.
std::string GetCommandLine();

// The kernel's id of the calling thread.
uint32_t CurrentThreadId();

// An access violation, raised at once as if the program had touched an unmapped page.
[[noreturn]] void RaiseAccessViolation();

} // namespace Platform
