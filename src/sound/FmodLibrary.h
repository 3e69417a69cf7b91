// The FMOD library's shared function table: loaded by name the first time a user asks for it, shared
// through a reference count, unloaded with its last user. A missing library or entry point ends the
// program with its message. The sound manager uses the sample functions to decode MP3 effects.
#pragma once

#include "platform/FmodLibrary.h"

namespace Tolm {

struct FMOD_INSTANCE
{
    Platform::Library* module = nullptr;
    Platform::FSOUND_SetBufferSizeProc FSOUND_SetBufferSize = nullptr;
    Platform::FSOUND_SetHWNDProc FSOUND_SetHWND = nullptr;
    Platform::FSOUND_InitProc FSOUND_Init = nullptr;
    Platform::FSOUND_CloseProc FSOUND_Close = nullptr;
    Platform::FSOUND_Sample_LoadProc FSOUND_Sample_Load = nullptr;
    Platform::FSOUND_Sample_FreeProc FSOUND_Sample_Free = nullptr;
    Platform::FSOUND_Sample_LockProc FSOUND_Sample_Lock = nullptr;
    Platform::FSOUND_Sample_UnlockProc FSOUND_Sample_Unlock = nullptr;
    Platform::FSOUND_Sample_GetLengthProc FSOUND_Sample_GetLength = nullptr;
    Platform::FSOUND_Sample_GetDefaultsProc FSOUND_Sample_GetDefaults = nullptr;
    Platform::FSOUND_Sample_GetModeProc FSOUND_Sample_GetMode = nullptr;
    int referenceCount = 0;
};

// Adds a reference, loading the library first when no table exists.
FMOD_INSTANCE* LoadFmodLibrary();
// Drops a reference; the last one unloads the library.
void FreeFmodLibrary();

} // namespace Tolm
