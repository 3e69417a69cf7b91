// The BASS library's shared function table: loaded from ".\bass.dll" the first time a user asks for it,
// shared through a reference count, unloaded with its last user. A missing required entry point ends
// the program with its message. A library with "BASS_SetConfig" is the newer generation, whose
// "BASS_Init" and "BASS_MusicLoad" take the newer argument lists.
#pragma once

#include "platform/BassLibrary.h"

#include <atomic>

namespace Tolm {

struct BASS_INSTANCE
{
    Platform::Library* module = nullptr;
    // The newer generation's types; the older generation's functions are called through theirs.
    Platform::BASS_InitProc BASS_Init = nullptr;
    Platform::BASS_FreeProc BASS_Free = nullptr;
    Platform::BASS_StopProc BASS_Stop = nullptr;
    Platform::BASS_StartProc BASS_Start = nullptr;
    Platform::BASS_GetVolumeProc BASS_GetVolume = nullptr;
    Platform::BASS_GetInfoProc BASS_GetInfo = nullptr;
    Platform::BASS_GetVersionProc BASS_GetVersion = nullptr;
    Platform::BASS_ChannelStopProc BASS_ChannelStop = nullptr;
    Platform::BASS_ChannelPlayProc BASS_ChannelPlay = nullptr;
    Platform::BASS_ChannelPauseProc BASS_ChannelPause = nullptr;
    Platform::BASS_ChannelSetAttributesProc BASS_ChannelSetAttributes = nullptr;
    Platform::BASS_ChannelGetAttributesProc BASS_ChannelGetAttributes = nullptr;
    Platform::BASS_ChannelSetPositionProc BASS_ChannelSetPosition = nullptr;
    Platform::BASS_ChannelGetPositionProc BASS_ChannelGetPosition = nullptr;
    Platform::BASS_ChannelIsActiveProc BASS_ChannelIsActive = nullptr;
    Platform::BASS_ChannelSetFlagsProc BASS_ChannelSetFlags = nullptr;
    Platform::BASS_ChannelSlideAttributesProc BASS_ChannelSlideAttributes = nullptr;
    Platform::BASS_ChannelIsSlidingProc BASS_ChannelIsSliding = nullptr;
    Platform::BASS_ChannelGetLevelProc BASS_ChannelGetLevel = nullptr;
    Platform::BASS_ChannelSetSyncProc BASS_ChannelSetSync = nullptr;
    Platform::BASS_ChannelRemoveSyncProc BASS_ChannelRemoveSync = nullptr;
    Platform::BASS_ChannelGetDataProc BASS_ChannelGetData = nullptr;
    Platform::BASS_FXSetParametersProc BASS_FXSetParameters = nullptr;
    Platform::BASS_FXGetParametersProc BASS_FXGetParameters = nullptr;
    Platform::BASS_ChannelSetFXProc BASS_ChannelSetFX = nullptr;
    Platform::BASS_ChannelRemoveFXProc BASS_ChannelRemoveFX = nullptr;
    Platform::BASS_MusicLoadProc BASS_MusicLoad = nullptr;
    Platform::BASS_MusicFreeProc BASS_MusicFree = nullptr;
    Platform::BASS_MusicGetAttributeProc BASS_MusicGetAttribute = nullptr;
    Platform::BASS_MusicSetAttributeProc BASS_MusicSetAttribute = nullptr;
    Platform::BASS_StreamCreateFileProc BASS_StreamCreateFile = nullptr;
    Platform::BASS_StreamFreeProc BASS_StreamFree = nullptr;
    Platform::BASS_MusicGetOrdersProc BASS_MusicGetOrders = nullptr;
    Platform::BASS_MusicGetOrderPositionProc BASS_MusicGetOrderPosition = nullptr;
    Platform::BASS_SampleLoadProc BASS_SampleLoad = nullptr;
    Platform::BASS_SampleFreeProc BASS_SampleFree = nullptr;
    Platform::BASS_SampleSetInfoProc BASS_SampleSetInfo = nullptr;
    Platform::BASS_SampleGetInfoProc BASS_SampleGetInfo = nullptr;
    Platform::BASS_SampleGetChannelProc BASS_SampleGetChannel = nullptr;
    Platform::BASS_SampleStopProc BASS_SampleStop = nullptr;
    Platform::BASS_ErrorGetCodeProc BASS_ErrorGetCode = nullptr;
    // At least one of these two.
    Platform::BASS_SetGlobalVolumesProc BASS_SetGlobalVolumes = nullptr;
    Platform::BASS_SetVolumeProc BASS_SetVolume = nullptr;
    // Optional; the last three are looked up only in the newer generation.
    Platform::BASS_SetConfigProc BASS_SetConfig = nullptr;
    Platform::BASS_GetConfigProc BASS_GetConfig = nullptr;
    Platform::BASS_PluginLoadProc BASS_PluginLoad = nullptr;
    Platform::BASS_ChannelGetLengthProc BASS_ChannelGetLength = nullptr;
    Platform::BASS_ChannelPreBufProc BASS_ChannelPreBuf = nullptr;
    std::atomic<int> referenceCount = 0;

    bool IsNewerGeneration() const { return BASS_SetConfig != nullptr; }
};

// Adds a reference, loading the library first when no table exists; null when ".\bass.dll" does not load.
BASS_INSTANCE* LoadBassLibrary();
// Drops a reference; the last one unloads the library.
void FreeBassLibrary();

} // namespace Tolm
