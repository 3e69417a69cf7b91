// What a crash report says about the system the program ran on: the kernel, and the SDL library with
// the drivers its video and sound run on.
#pragma once

#include <string>

namespace Platform {

// "<system> <release> <version> <machine>", as uname gives them.
std::string KernelVersionText();
// The SDL library the program runs with, "2.26.5".
std::string SdlVersionText();
// The driver of SDL's video or audio subsystem; empty when that subsystem is not running.
std::string VideoDriverName();
std::string AudioDriverName();

} // namespace Platform
