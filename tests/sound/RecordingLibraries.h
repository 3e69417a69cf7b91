// Stand-ins for "bass.dll" and "fmod.dll" whose entry points record every call with its arguments and
// answer with a value the test chooses (1 unless told otherwise), for the tests of what the music
// interfaces ask of their libraries. Pointers are recorded as numbers, so a handle the test handed out
// comes back as the same number.
#pragma once

#include "platform/BassLibrary.h"
#include "platform/FmodLibrary.h"
#include "platform/Library.h"

#include <algorithm>
#include <cstdint>
#include <map>
#include <ostream>
#include <string>
#include <type_traits>
#include <vector>

struct LibraryCall
{
    std::string name;
    std::vector<int64_t> arguments;
    bool operator==(const LibraryCall&) const = default;
};

inline void PrintTo(const LibraryCall& call, std::ostream* out)
{
    *out << call.name << "(";
    for (size_t i = 0; i < call.arguments.size(); ++i) {
        *out << (i ? ", " : "") << call.arguments[i];
    }
    *out << ")";
}

struct CallLog
{
    static inline std::vector<LibraryCall> calls;
    // What an entry point answers, by name.
    static inline std::map<std::string, int64_t> answers;

    static void Reset()
    {
        calls.clear();
        answers.clear();
    }
    static std::vector<LibraryCall> Named(const std::string& name)
    {
        std::vector<LibraryCall> named;
        std::copy_if(calls.begin(), calls.end(), std::back_inserter(named),
                     [&](const LibraryCall& call) { return call.name == name; });
        return named;
    }
};

template <size_t N>
struct EntryName
{
    constexpr EntryName(const char (&text)[N]) { std::copy_n(text, N, value); }
    char value[N];
};

template <typename T>
int64_t AsNumber(T value)
{
    if constexpr (std::is_pointer_v<T>) {
        return int64_t(reinterpret_cast<intptr_t>(value));
    } else {
        return int64_t(value);
    }
}

template <EntryName name, typename Result, typename... Arguments>
Result Record(Arguments... arguments)
{
    CallLog::calls.push_back(LibraryCall{name.value, {AsNumber(arguments)...}});
    const auto found = CallLog::answers.find(name.value);
    const int64_t answer = found == CallLog::answers.end() ? 1 : found->second;
    if constexpr (std::is_void_v<Result>) {
        return;
    } else if constexpr (std::is_pointer_v<Result>) {
        return reinterpret_cast<Result>(intptr_t(answer));
    } else {
        return Result(answer);
    }
}

// The recording entry point of the name, with the signature of the given function type.
template <EntryName name, typename Result, typename... Arguments>
Platform::LibraryExport Recorded(Result (*)(Arguments...))
{
    return {name.value, reinterpret_cast<Platform::LibraryProc>(&Record<name, Result, Arguments...>)};
}

// The newer generation: with BASS_SetConfig and its optional entry points, without BASS_SetGlobalVolumes.
inline std::vector<Platform::LibraryExport> RecordingBassExports()
{
    using namespace Platform;
    return {
        Recorded<"BASS_Init">(BASS_InitProc()),
        Recorded<"BASS_Free">(BASS_FreeProc()),
        Recorded<"BASS_Stop">(BASS_StopProc()),
        Recorded<"BASS_Start">(BASS_StartProc()),
        Recorded<"BASS_GetVolume">(BASS_GetVolumeProc()),
        Recorded<"BASS_SetVolume">(BASS_SetVolumeProc()),
        Recorded<"BASS_GetInfo">(BASS_GetInfoProc()),
        Recorded<"BASS_GetVersion">(BASS_GetVersionProc()),
        Recorded<"BASS_ErrorGetCode">(BASS_ErrorGetCodeProc()),
        Recorded<"BASS_SetConfig">(BASS_SetConfigProc()),
        Recorded<"BASS_GetConfig">(BASS_GetConfigProc()),
        Recorded<"BASS_ChannelStop">(BASS_ChannelStopProc()),
        Recorded<"BASS_ChannelPlay">(BASS_ChannelPlayProc()),
        Recorded<"BASS_ChannelPause">(BASS_ChannelPauseProc()),
        Recorded<"BASS_ChannelSetAttributes">(BASS_ChannelSetAttributesProc()),
        Recorded<"BASS_ChannelGetAttributes">(BASS_ChannelGetAttributesProc()),
        Recorded<"BASS_ChannelSetPosition">(BASS_ChannelSetPositionProc()),
        Recorded<"BASS_ChannelGetPosition">(BASS_ChannelGetPositionProc()),
        Recorded<"BASS_ChannelIsActive">(BASS_ChannelIsActiveProc()),
        Recorded<"BASS_ChannelSetFlags">(BASS_ChannelSetFlagsProc()),
        Recorded<"BASS_ChannelSlideAttributes">(BASS_ChannelSlideAttributesProc()),
        Recorded<"BASS_ChannelIsSliding">(BASS_ChannelIsSlidingProc()),
        Recorded<"BASS_ChannelGetLevel">(BASS_ChannelGetLevelProc()),
        Recorded<"BASS_ChannelSetSync">(BASS_ChannelSetSyncProc()),
        Recorded<"BASS_ChannelRemoveSync">(BASS_ChannelRemoveSyncProc()),
        Recorded<"BASS_ChannelGetData">(BASS_ChannelGetDataProc()),
        Recorded<"BASS_FXSetParameters">(BASS_FXSetParametersProc()),
        Recorded<"BASS_FXGetParameters">(BASS_FXGetParametersProc()),
        Recorded<"BASS_ChannelSetFX">(BASS_ChannelSetFXProc()),
        Recorded<"BASS_ChannelRemoveFX">(BASS_ChannelRemoveFXProc()),
        Recorded<"BASS_MusicLoad">(BASS_MusicLoadProc()),
        Recorded<"BASS_MusicFree">(BASS_MusicFreeProc()),
        Recorded<"BASS_MusicGetAttribute">(BASS_MusicGetAttributeProc()),
        Recorded<"BASS_MusicSetAttribute">(BASS_MusicSetAttributeProc()),
        Recorded<"BASS_StreamCreateFile">(BASS_StreamCreateFileProc()),
        Recorded<"BASS_StreamFree">(BASS_StreamFreeProc()),
        Recorded<"BASS_MusicGetOrders">(BASS_MusicGetOrdersProc()),
        Recorded<"BASS_MusicGetOrderPosition">(BASS_MusicGetOrderPositionProc()),
        Recorded<"BASS_SampleLoad">(BASS_SampleLoadProc()),
        Recorded<"BASS_SampleFree">(BASS_SampleFreeProc()),
        Recorded<"BASS_SampleSetInfo">(BASS_SampleSetInfoProc()),
        Recorded<"BASS_SampleGetInfo">(BASS_SampleGetInfoProc()),
        Recorded<"BASS_SampleGetChannel">(BASS_SampleGetChannelProc()),
        Recorded<"BASS_SampleStop">(BASS_SampleStopProc()),
        Recorded<"BASS_PluginLoad">(BASS_PluginLoadProc()),
        Recorded<"BASS_ChannelGetLength">(BASS_ChannelGetLengthProc()),
        Recorded<"BASS_ChannelPreBuf">(BASS_ChannelPreBufProc()),
    };
}

inline std::vector<Platform::LibraryExport> Without(std::vector<Platform::LibraryExport> exports,
                                                    const std::vector<std::string>& names)
{
    std::erase_if(exports, [&](const Platform::LibraryExport& entry) {
        return std::find(names.begin(), names.end(), entry.name) != names.end();
    });
    return exports;
}

// The older generation: no BASS_SetConfig or BASS_GetConfig, BASS_SetGlobalVolumes instead, and the
// older argument lists of BASS_Init and BASS_MusicLoad. The newer generation's optional entry points
// stay, for the test that they are not taken.
inline std::vector<Platform::LibraryExport> RecordingOlderBassExports()
{
    using namespace Platform;
    std::vector<LibraryExport> exports =
        Without(RecordingBassExports(), {"BASS_SetConfig", "BASS_GetConfig", "BASS_Init", "BASS_MusicLoad"});
    exports.push_back(Recorded<"BASS_Init">(BASS_InitOlderProc()));
    exports.push_back(Recorded<"BASS_MusicLoad">(BASS_MusicLoadOlderProc()));
    exports.push_back(Recorded<"BASS_SetGlobalVolumes">(BASS_SetGlobalVolumesProc()));
    return exports;
}

inline std::vector<Platform::LibraryExport> RecordingFmodExports()
{
    using namespace Platform;
    return {
        Recorded<"_FSOUND_SetBufferSize@4">(FSOUND_SetBufferSizeProc()),
        Recorded<"_FSOUND_SetHWND@4">(FSOUND_SetHWNDProc()),
        Recorded<"_FSOUND_Init@12">(FSOUND_InitProc()),
        Recorded<"_FSOUND_Close@0">(FSOUND_CloseProc()),
        Recorded<"_FSOUND_Sample_Load@16">(FSOUND_Sample_LoadProc()),
        Recorded<"_FSOUND_Sample_Alloc@28">(FSOUND_Sample_AllocProc()),
        Recorded<"_FSOUND_Sample_Free@4">(FSOUND_Sample_FreeProc()),
        Recorded<"_FSOUND_Sample_Lock@28">(FSOUND_Sample_LockProc()),
        Recorded<"_FSOUND_Sample_Unlock@20">(FSOUND_Sample_UnlockProc()),
        Recorded<"_FSOUND_Sample_SetLoopPoints@12">(FSOUND_Sample_SetLoopPointsProc()),
        Recorded<"_FSOUND_Sample_GetLength@4">(FSOUND_Sample_GetLengthProc()),
        Recorded<"_FSOUND_Sample_GetDefaults@20">(FSOUND_Sample_GetDefaultsProc()),
        Recorded<"_FSOUND_Sample_GetMode@4">(FSOUND_Sample_GetModeProc()),
        Recorded<"_FSOUND_PlaySound@8">(FSOUND_PlaySoundProc()),
        Recorded<"_FSOUND_StopSound@4">(FSOUND_StopSoundProc()),
        Recorded<"_FSOUND_SetVolume@8">(FSOUND_SetVolumeProc()),
        Recorded<"_FSOUND_SetPaused@8">(FSOUND_SetPausedProc()),
        Recorded<"_FSOUND_SetLoopMode@8">(FSOUND_SetLoopModeProc()),
        Recorded<"_FSOUND_IsPlaying@4">(FSOUND_IsPlayingProc()),
        Recorded<"_FSOUND_Stream_OpenFile@12">(FSOUND_Stream_OpenFileProc()),
        Recorded<"_FSOUND_Stream_Close@4">(FSOUND_Stream_CloseProc()),
        Recorded<"_FSOUND_Stream_Play@8">(FSOUND_Stream_PlayProc()),
        Recorded<"_FMUSIC_LoadSong@4">(FMUSIC_LoadSongProc()),
        Recorded<"_FMUSIC_PlaySong@4">(FMUSIC_PlaySongProc()),
        Recorded<"_FMUSIC_StopSong@4">(FMUSIC_StopSongProc()),
        Recorded<"_FMUSIC_SetLooping@8">(FMUSIC_SetLoopingProc()),
        Recorded<"_FMUSIC_SetOrder@8">(FMUSIC_SetOrderProc()),
        Recorded<"_FMUSIC_SetPaused@8">(FMUSIC_SetPausedProc()),
        Recorded<"_FMUSIC_SetMasterVolume@8">(FMUSIC_SetMasterVolumeProc()),
        Recorded<"_FMUSIC_IsPlaying@4">(FMUSIC_IsPlayingProc()),
    };
}
