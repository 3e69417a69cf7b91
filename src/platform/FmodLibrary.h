// Our stand-in for the FMOD library's sample functions, which the sound manager uses to decode MP3
// effects: a sample is a file decoded whole, from the disk by name, with libmpg123 into 16-bit PCM.
// They are exported under FMOD's decorated names as the library "fmod.dll" of the library table; the
// music functions join them with the music back end.
#pragma once

#include "platform/Library.h"

#include <cstdint>
#include <vector>

namespace Platform {

class FmodSample;

// Sample mode bits.
constexpr uint32_t FSOUND_8BITS = 0x8;
constexpr uint32_t FSOUND_16BITS = 0x10;
constexpr uint32_t FSOUND_MONO = 0x20;
constexpr uint32_t FSOUND_STEREO = 0x40;
constexpr int FSOUND_FREE = -1;

using FSOUND_SetBufferSizeProc = signed char (*)(int milliseconds);
using FSOUND_SetHWNDProc = signed char (*)(void* window);
using FSOUND_InitProc = signed char (*)(int mixRate, int maxChannels, uint32_t flags);
using FSOUND_CloseProc = void (*)();
// Null when the file is missing or holds no MP3 audio.
using FSOUND_Sample_LoadProc = FmodSample* (*)(int index, const char* name, uint32_t mode, int length);
using FSOUND_Sample_FreeProc = void (*)(FmodSample* sample);
using FSOUND_Sample_GetModeProc = uint32_t (*)(FmodSample* sample);
using FSOUND_Sample_GetDefaultsProc = signed char (*)(FmodSample* sample, int* frequency, int* volume, int* pan,
                                                      int* priority);
// In frames.
using FSOUND_Sample_GetLengthProc = uint32_t (*)(FmodSample* sample);
// Byte ranges of the samples; the second part is always empty here.
using FSOUND_Sample_LockProc = signed char (*)(FmodSample* sample, int offset, int length, void** first, void** second,
                                               uint32_t* firstBytes, uint32_t* secondBytes);
using FSOUND_Sample_UnlockProc = signed char (*)(FmodSample* sample, void* first, void* second, uint32_t firstBytes,
                                                 uint32_t secondBytes);

std::vector<LibraryExport> FmodExports();

} // namespace Platform
