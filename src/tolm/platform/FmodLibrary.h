// Our stand-in for the FMOD library, the library "fmod.dll" of the library table, exported under
// FMOD's decorated names ("_FSOUND_Init@12"). Samples are files decoded whole from the disk by name
// (PCM WAVE, Ogg Vorbis or MPEG audio) or allocated empty; they play on numbered channels with volume,
// pause and loop mode, looping between their loop points. Songs are tracker modules read from the disk
// (libopenmpt). Both play through the DirectSound stand-in of "dsound.dll" by a StreamPlayer made by
// FSOUND_Init; FSOUND_Close stops everything and frees every sample and song. The streaming entry
// points exist, as the music interface looks them up, and fail.
//
// Values: channel volumes 0..255, song master volumes 0..256, both linear; loop modes FSOUND_LOOP_OFF
// and FSOUND_LOOP_NORMAL, which FMUSIC_SetLooping takes as well; loop points are frames, the end one
// included. FSOUND_Update (not one of the music interface's entry points) refills every playing
// channel's buffer at once, for tests that render the mixer themselves.
#pragma once

#include "platform/Library.h"

#include <cstdint>
#include <vector>

namespace Platform {

class FmodSample;
class FmodSong;

// Sample mode bits.
constexpr uint32_t FSOUND_LOOP_OFF = 0x1;
constexpr uint32_t FSOUND_LOOP_NORMAL = 0x2;
constexpr uint32_t FSOUND_8BITS = 0x8;
constexpr uint32_t FSOUND_16BITS = 0x10;
constexpr uint32_t FSOUND_MONO = 0x20;
constexpr uint32_t FSOUND_STEREO = 0x40;
constexpr int FSOUND_FREE = -1;

using FSOUND_SetBufferSizeProc = signed char (*)(int milliseconds);
using FSOUND_SetHWNDProc = signed char (*)(void* window);
using FSOUND_InitProc = signed char (*)(int mixRate, int maxChannels, uint32_t flags);
using FSOUND_CloseProc = void (*)();
using FSOUND_UpdateProc = void (*)();
// Null when the file is missing or holds no audio this library reads.
using FSOUND_Sample_LoadProc = FmodSample* (*)(int index, const char* name, uint32_t mode, int length);
// A silent sample of length frames in the mode's layout.
using FSOUND_Sample_AllocProc = FmodSample* (*)(int index, int length, uint32_t mode, int frequency, int volume,
                                                int pan, int priority);
using FSOUND_Sample_FreeProc = void (*)(FmodSample* sample);
using FSOUND_Sample_GetModeProc = uint32_t (*)(FmodSample* sample);
using FSOUND_Sample_GetDefaultsProc = signed char (*)(FmodSample* sample, int* frequency, int* volume, int* pan,
                                                      int* priority);
// In frames.
using FSOUND_Sample_GetLengthProc = uint32_t (*)(FmodSample* sample);
using FSOUND_Sample_SetLoopPointsProc = signed char (*)(FmodSample* sample, int start, int end);
// Byte ranges of the samples; the second part is always empty here.
using FSOUND_Sample_LockProc = signed char (*)(FmodSample* sample, int offset, int length, void** first, void** second,
                                               uint32_t* firstBytes, uint32_t* secondBytes);
using FSOUND_Sample_UnlockProc = signed char (*)(FmodSample* sample, void* first, void* second, uint32_t firstBytes,
                                                 uint32_t secondBytes);
// Plays the sample on the channel (FSOUND_FREE: the first one not playing), replacing what played there;
// the channel's number, or -1.
using FSOUND_PlaySoundProc = int (*)(int channel, FmodSample* sample);
using FSOUND_StopSoundProc = signed char (*)(int channel);
using FSOUND_SetVolumeProc = signed char (*)(int channel, int volume);
using FSOUND_SetPausedProc = signed char (*)(int channel, signed char paused);
using FSOUND_SetLoopModeProc = signed char (*)(int channel, uint32_t mode);
// Paused counts as playing.
using FSOUND_IsPlayingProc = signed char (*)(int channel);
using FSOUND_Stream_OpenFileProc = void* (*)(const char* name, uint32_t mode, int length);
using FSOUND_Stream_CloseProc = signed char (*)(void* stream);
using FSOUND_Stream_PlayProc = int (*)(int channel, void* stream);

// Null before FSOUND_Init, or when the file is no module.
using FMUSIC_LoadSongProc = FmodSong* (*)(const char* name);
// From the start.
using FMUSIC_PlaySongProc = signed char (*)(FmodSong* song);
using FMUSIC_StopSongProc = signed char (*)(FmodSong* song);
using FMUSIC_SetLoopingProc = signed char (*)(FmodSong* song, uint32_t mode);
using FMUSIC_SetOrderProc = signed char (*)(FmodSong* song, int order);
using FMUSIC_SetPausedProc = signed char (*)(FmodSong* song, signed char paused);
using FMUSIC_SetMasterVolumeProc = signed char (*)(FmodSong* song, int volume);
// Paused counts as playing.
using FMUSIC_IsPlayingProc = signed char (*)(FmodSong* song);

std::vector<LibraryExport> FmodExports();

} // namespace Platform
