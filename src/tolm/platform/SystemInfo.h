// What a crash report says about the system the program ran on: the kernel, and the SDL library with
// the drivers its video and sound run on. Written into the caller's buffers, so that a crash can ask
// with the heap unusable.
#pragma once

#include <cstddef>

namespace Platform {

// "<system> <release> <version> <machine>", as uname gives them, cut to the buffer.
void KernelVersionText(char* text, size_t length);
// The SDL library the program runs with, "2.26.5", cut to the buffer.
void SdlVersionText(char* text, size_t length);
// The driver of SDL's video or audio subsystem; empty when that subsystem is not running. The text is
// SDL's own and stays valid while the subsystem runs.
const char* VideoDriverName();
const char* AudioDriverName();

} // namespace Platform
