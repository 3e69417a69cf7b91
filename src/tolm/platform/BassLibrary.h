// Our stand-in for the BASS audio library, the library "bass.dll" of the library table: tracker
// modules (libopenmpt) and streams of WAVE, Ogg Vorbis (Tremor) and MPEG audio (libmpg123) files held
// in the caller's memory, played through the DirectSound stand-in of "dsound.dll" by a StreamPlayer.
// It is the newer library generation (it has BASS_SetConfig), and it does what the music interface
// asks of it: initialise and free the output, load, free, play, pause, stop and position channels,
// their volumes, loop flags and module options, the global volumes and the buffer length. The other
// entry points exist, as the music interface looks them up, and fail with kBassErrorNotAvailable.
//
// Values: channel volumes and global volumes 0..100, linear; module positions are 0x80000000 | row << 16
// | order; stream positions are bytes of the decoded 16-bit PCM. BASS_Update (not one of the music
// interface's entry points) refills every playing channel's buffer at once, for tests that render the
// mixer themselves.
#pragma once

#include "platform/Library.h"
#include "platform/WindowMessages.h"

#include <cstdint>
#include <vector>

namespace Platform {

using BassBool = int32_t;
using BassHandle = uint32_t;

constexpr int32_t kBassOk = 0;
constexpr int32_t kBassErrorDriver = 3;
constexpr int32_t kBassErrorHandle = 5;
constexpr int32_t kBassErrorFormat = 6;
constexpr int32_t kBassErrorPosition = 7;
constexpr int32_t kBassErrorInit = 8;
constexpr int32_t kBassErrorAlready = 14;
constexpr int32_t kBassErrorIllegalParameter = 20;
constexpr int32_t kBassErrorNotPlaying = 24;
constexpr int32_t kBassErrorNotAvailable = 37;
constexpr int32_t kBassErrorFileForm = 41;

constexpr uint32_t kBassSampleLoop = 0x4;
constexpr uint32_t kBassMusicRamp = 0x200;
constexpr uint32_t kBassMusicRampSensitive = 0x400;
constexpr uint32_t kBassMusicPositionReset = 0x8000;
constexpr uint32_t kBassMusicPosition = 0x80000000;

constexpr uint32_t kBassConfigBuffer = 0;
constexpr uint32_t kBassConfigStreamVolume = 5;
constexpr uint32_t kBassConfigMusicVolume = 6;
constexpr uint32_t kBassMusicAttributeAmplify = 0;

constexpr uint32_t kBassActiveStopped = 0;
constexpr uint32_t kBassActivePlaying = 1;
constexpr uint32_t kBassActivePaused = 3;

// Device -1 is the default output, 0 none (channels play where nobody hears them), 1 the first output.
using BASS_InitProc = BassBool (*)(int32_t device, uint32_t frequency, uint32_t flags, WindowHandle window,
                                   const void* driverClass);
using BASS_InitOlderProc = BassBool (*)(int32_t device, uint32_t frequency, uint32_t flags, WindowHandle window);
using BASS_FreeProc = BassBool (*)();
using BASS_StopProc = BassBool (*)();
using BASS_StartProc = BassBool (*)();
using BASS_UpdateProc = BassBool (*)();
using BASS_GetVolumeProc = uint32_t (*)();
using BASS_SetVolumeProc = BassBool (*)(uint32_t volume);
using BASS_GetInfoProc = BassBool (*)(void* info);
using BASS_GetVersionProc = uint32_t (*)();
using BASS_ErrorGetCodeProc = int32_t (*)();
using BASS_SetConfigProc = BassBool (*)(uint32_t option, uint32_t value);
// 0xFFFFFFFF for an option it does not know.
using BASS_GetConfigProc = uint32_t (*)(uint32_t option);
using BASS_SetGlobalVolumesProc = BassBool (*)(int32_t music, int32_t sample, int32_t stream);
using BASS_PluginLoadProc = uint32_t (*)(const char* file, uint32_t flags);

using BASS_ChannelStopProc = BassBool (*)(BassHandle handle);
using BASS_ChannelPlayProc = BassBool (*)(BassHandle handle, BassBool restart);
using BASS_ChannelPauseProc = BassBool (*)(BassHandle handle);
// -1 keeps the frequency or the volume, -101 the pan; only the volume changes here.
using BASS_ChannelSetAttributesProc = BassBool (*)(BassHandle handle, int32_t frequency, int32_t volume, int32_t pan);
using BASS_ChannelGetAttributesProc = BassBool (*)(BassHandle handle, uint32_t* frequency, uint32_t* volume,
                                                   int32_t* pan);
using BASS_ChannelSetPositionProc = BassBool (*)(BassHandle handle, uint64_t position);
using BASS_ChannelGetPositionProc = uint64_t (*)(BassHandle handle);
using BASS_ChannelGetLengthProc = uint64_t (*)(BassHandle handle);
using BASS_ChannelIsActiveProc = uint32_t (*)(BassHandle handle);
using BASS_ChannelSetFlagsProc = BassBool (*)(BassHandle handle, uint32_t flags);
using BASS_ChannelSlideAttributesProc = BassBool (*)(BassHandle handle, int32_t frequency, int32_t volume, int32_t pan,
                                                     uint32_t milliseconds);
using BASS_ChannelIsSlidingProc = uint32_t (*)(BassHandle handle);
using BASS_ChannelGetLevelProc = uint32_t (*)(BassHandle handle);
using BASS_ChannelSetSyncProc = uint32_t (*)(BassHandle handle, uint32_t type, uint64_t parameter, void* callback,
                                             void* user);
using BASS_ChannelRemoveSyncProc = BassBool (*)(BassHandle handle, uint32_t sync);
using BASS_ChannelGetDataProc = uint32_t (*)(BassHandle handle, void* buffer, uint32_t length);
using BASS_ChannelPreBufProc = BassBool (*)(BassHandle handle);
using BASS_ChannelSetFXProc = uint32_t (*)(BassHandle handle, uint32_t type, int32_t priority);
using BASS_ChannelRemoveFXProc = BassBool (*)(BassHandle handle, uint32_t effect);
using BASS_FXSetParametersProc = BassBool (*)(uint32_t effect, const void* parameters);
using BASS_FXGetParametersProc = BassBool (*)(uint32_t effect, void* parameters);

// From memory (mem true) only: file points at the file's bytes, which stay the caller's and must live
// as long as the stream. Loops with kBassSampleLoop in flags.
using BASS_StreamCreateFileProc = BassHandle (*)(BassBool mem, const void* file, uint64_t offset, uint64_t length,
                                                 uint32_t flags);
using BASS_StreamFreeProc = BassBool (*)(BassHandle handle);
// From memory only, with its length; the module is copied, so the bytes may be freed after the call.
// The frequency is the rendering rate, 0 for the output's.
using BASS_MusicLoadProc = BassHandle (*)(BassBool mem, const void* file, uint32_t offset, uint32_t length,
                                          uint32_t flags, uint32_t frequency);
using BASS_MusicLoadOlderProc = BassHandle (*)(BassBool mem, const void* file, uint32_t offset, uint32_t length,
                                               uint32_t flags);
using BASS_MusicFreeProc = BassBool (*)(BassHandle handle);
// Amplification 0..100, 50 plays the module as written.
using BASS_MusicSetAttributeProc = BassBool (*)(BassHandle handle, uint32_t attribute, uint32_t value);
using BASS_MusicGetAttributeProc = uint32_t (*)(BassHandle handle, uint32_t attribute);
using BASS_MusicGetOrdersProc = uint32_t (*)(BassHandle handle);
using BASS_MusicGetOrderPositionProc = uint32_t (*)(BassHandle handle);

using BASS_SampleLoadProc = uint32_t (*)(BassBool mem, const void* file, uint64_t offset, uint32_t length,
                                         uint32_t maximum, uint32_t flags);
using BASS_SampleFreeProc = BassBool (*)(uint32_t sample);
using BASS_SampleSetInfoProc = BassBool (*)(uint32_t sample, const void* info);
using BASS_SampleGetInfoProc = BassBool (*)(uint32_t sample, void* info);
using BASS_SampleGetChannelProc = uint32_t (*)(uint32_t sample, BassBool onlyNew);
using BASS_SampleStopProc = BassBool (*)(uint32_t sample);

std::vector<LibraryExport> BassExports();

} // namespace Platform
