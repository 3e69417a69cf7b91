// The FMOD library's shared function table: loaded by name the first time a user asks for it, shared
// through a reference count, unloaded with its last user. Every entry point is looked up by its
// decorated export name, and a missing one ends the program with its message. The sound manager uses
// the sample functions to decode MP3 effects; the FMOD music interface plays songs and samples.
#pragma once

#include "platform/FmodLibrary.h"

#include <atomic>

namespace Tolm {

struct FMOD_INSTANCE
{
    Platform::Library* module = nullptr;
    Platform::FSOUND_SetBufferSizeProc FSOUND_SetBufferSize = nullptr;
    Platform::FSOUND_SetHWNDProc FSOUND_SetHWND = nullptr;
    Platform::FSOUND_InitProc FSOUND_Init = nullptr;
    Platform::FSOUND_CloseProc FSOUND_Close = nullptr;
    Platform::FSOUND_Sample_LoadProc FSOUND_Sample_Load = nullptr;
    Platform::FSOUND_Sample_AllocProc FSOUND_Sample_Alloc = nullptr;
    Platform::FSOUND_Sample_FreeProc FSOUND_Sample_Free = nullptr;
    Platform::FSOUND_Sample_LockProc FSOUND_Sample_Lock = nullptr;
    Platform::FSOUND_Sample_UnlockProc FSOUND_Sample_Unlock = nullptr;
    Platform::FSOUND_Sample_SetLoopPointsProc FSOUND_Sample_SetLoopPoints = nullptr;
    Platform::FSOUND_Sample_GetLengthProc FSOUND_Sample_GetLength = nullptr;
    Platform::FSOUND_Sample_GetDefaultsProc FSOUND_Sample_GetDefaults = nullptr;
    Platform::FSOUND_Sample_GetModeProc FSOUND_Sample_GetMode = nullptr;
    Platform::FSOUND_PlaySoundProc FSOUND_PlaySound = nullptr;
    Platform::FSOUND_StopSoundProc FSOUND_StopSound = nullptr;
    Platform::FSOUND_SetVolumeProc FSOUND_SetVolume = nullptr;
    Platform::FSOUND_SetPausedProc FSOUND_SetPaused = nullptr;
    Platform::FSOUND_SetLoopModeProc FSOUND_SetLoopMode = nullptr;
    Platform::FSOUND_IsPlayingProc FSOUND_IsPlaying = nullptr;
    Platform::FSOUND_Stream_OpenFileProc FSOUND_Stream_OpenFile = nullptr;
    Platform::FSOUND_Stream_CloseProc FSOUND_Stream_Close = nullptr;
    Platform::FSOUND_Stream_PlayProc FSOUND_Stream_Play = nullptr;
    Platform::FMUSIC_LoadSongProc FMUSIC_LoadSong = nullptr;
    Platform::FMUSIC_PlaySongProc FMUSIC_PlaySong = nullptr;
    Platform::FMUSIC_StopSongProc FMUSIC_StopSong = nullptr;
    Platform::FMUSIC_SetLoopingProc FMUSIC_SetLooping = nullptr;
    Platform::FMUSIC_SetOrderProc FMUSIC_SetOrder = nullptr;
    Platform::FMUSIC_SetPausedProc FMUSIC_SetPaused = nullptr;
    Platform::FMUSIC_SetMasterVolumeProc FMUSIC_SetMasterVolume = nullptr;
    Platform::FMUSIC_IsPlayingProc FMUSIC_IsPlaying = nullptr;
    std::atomic<int> referenceCount = 0;
};

// Adds a reference, loading the library first when no table exists; null when "fmod.dll" does not load.
FMOD_INSTANCE* LoadFmodLibrary();
// Drops a reference; the last one unloads the library.
void FreeFmodLibrary();

} // namespace Tolm
