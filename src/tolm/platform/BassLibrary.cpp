// The BASS stand-in: one output, made by BASS_Init from "dsound.dll", and its channels by handle. The
// library's calls come from the main thread; a lock still guards its state, as the library's own does.
#include "platform/BassLibrary.h"

#include "platform/DirectSound.h"
#include "platform/ModuleSource.h"
#include "platform/StreamDecoders.h"
#include "platform/StreamPlayer.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <mutex>
#include <span>

namespace Platform {

namespace {

constexpr uint32_t kDefaultBufferMilliseconds = 500;
constexpr int32_t kNoFrequencyChange = -1;
constexpr int32_t kNoVolumeChange = -1;
constexpr int32_t kNoPanChange = -101;

struct BassChannel
{
    StreamChannel* channel = nullptr;
    // Set for a module; null for a stream. The source belongs to the channel.
    ModuleSource* module = nullptr;
    int frameBytes = 4;
    uint32_t volume = 100;
};

struct BassState
{
    std::mutex lock;
    std::unique_ptr<StreamPlayer> player;
    int outputRate = 44100;
    std::map<BassHandle, BassChannel> channels;
    BassHandle nextHandle = 1;
    uint32_t bufferMilliseconds = kDefaultBufferMilliseconds;
    uint32_t streamVolume = 100;
    uint32_t musicVolume = 100;
};

BassState& State()
{
    static BassState state;
    return state;
}

thread_local int32_t lastError = kBassOk;

// Every entry point ends through these, so that BASS_ErrorGetCode tells what the last call did.
template <typename Result>
Result Fail(int32_t error, Result result = Result())
{
    lastError = error;
    return result;
}

template <typename Result>
Result Succeed(Result result)
{
    lastError = kBassOk;
    return result;
}

template <typename Result, typename... Arguments>
Result NotAvailable(Arguments...)
{
    return Fail<Result>(kBassErrorNotAvailable);
}

// The failing entry point of a signature, for the entry points this library only has to have.
template <typename Result, typename... Arguments>
LibraryProc Unavailable(Result (*)(Arguments...))
{
    return reinterpret_cast<LibraryProc>(&NotAvailable<Result, Arguments...>);
}

template <typename Proc>
LibraryProc Export(Proc proc)
{
    return reinterpret_cast<LibraryProc>(proc);
}

std::unique_ptr<DirectSoundDevice> OpenOutput(int32_t device)
{
    if (device == 0) {
        return DirectSoundDevice::CreateHeadless(44100);
    }
    std::unique_ptr<DirectSoundDevice> output;
    Library* dsound = LoadLibrary("dsound.dll");
    auto create = reinterpret_cast<DirectSoundCreateProc>(GetProcAddress(dsound, "DirectSoundCreate"));
    if (create && create(&output) != DS_OK) {
        output.reset();
    }
    FreeLibrary(dsound);
    return output;
}

// The channel of a handle, with the state locked; null when there is none (the error is then set).
BassChannel* Find(BassState& state, BassHandle handle)
{
    auto found = state.channels.find(handle);
    return found == state.channels.end() ? Fail<BassChannel*>(kBassErrorHandle) : &found->second;
}

void ApplyGain(const BassState& state, const BassChannel& channel)
{
    const uint32_t global = channel.module ? state.musicVolume : state.streamVolume;
    channel.channel->SetGain(channel.volume / 100.0 * global / 100.0);
}

void ApplyFlags(BassChannel& channel, uint32_t flags)
{
    channel.channel->SetLooping((flags & kBassSampleLoop) != 0);
    if (channel.module) {
        const bool ramping = (flags & (kBassMusicRamp | kBassMusicRampSensitive)) != 0;
        channel.channel->Adjust(
            [ramping](PcmSource& source) { static_cast<ModuleSource&>(source).SetVolumeRamping(ramping); });
    }
}

BassHandle AddChannel(BassState& state, std::unique_ptr<PcmSource> source, ModuleSource* module, uint32_t flags)
{
    const int frameBytes = 2 * source->Channels();
    StreamChannel* channel = state.player->CreateChannel(std::move(source), state.bufferMilliseconds);
    if (!channel) {
        return Fail<BassHandle>(kBassErrorFormat);
    }
    const BassHandle handle = state.nextHandle++;
    BassChannel& added = state.channels[handle];
    added = BassChannel{channel, module, frameBytes, 100};
    ApplyFlags(added, flags);
    ApplyGain(state, added);
    return Succeed(handle);
}

BassBool Init(int32_t device, uint32_t, uint32_t, WindowHandle, const void*)
{
    BassState& state = State();
    std::lock_guard<std::mutex> guard(state.lock);
    if (state.player) {
        return Fail<BassBool>(kBassErrorAlready);
    }
    std::unique_ptr<DirectSoundDevice> output = OpenOutput(device);
    if (!output) {
        return Fail<BassBool>(kBassErrorDriver);
    }
    state.outputRate = output->Mixer().OutputRate();
    state.player = std::make_unique<StreamPlayer>(std::move(output));
    return Succeed<BassBool>(1);
}

BassBool Free()
{
    BassState& state = State();
    std::lock_guard<std::mutex> guard(state.lock);
    if (!state.player) {
        return Fail<BassBool>(kBassErrorInit);
    }
    state.channels.clear();
    state.player.reset();
    return Succeed<BassBool>(1);
}

BassBool PauseOutput(bool paused)
{
    BassState& state = State();
    std::lock_guard<std::mutex> guard(state.lock);
    if (!state.player) {
        return Fail<BassBool>(kBassErrorInit);
    }
    state.player->SetOutputPaused(paused);
    return Succeed<BassBool>(1);
}

BassBool Start()
{
    return PauseOutput(false);
}

BassBool Stop()
{
    return PauseOutput(true);
}

BassBool Update()
{
    BassState& state = State();
    std::lock_guard<std::mutex> guard(state.lock);
    if (!state.player) {
        return Fail<BassBool>(kBassErrorInit);
    }
    state.player->Update();
    return Succeed<BassBool>(1);
}

int32_t ErrorGetCode()
{
    return lastError;
}

BassBool SetConfig(uint32_t option, uint32_t value)
{
    BassState& state = State();
    std::lock_guard<std::mutex> guard(state.lock);
    switch (option) {
    case kBassConfigBuffer:
        state.bufferMilliseconds = std::clamp<uint32_t>(value, 10, 5000);
        break;
    case kBassConfigStreamVolume:
    case kBassConfigMusicVolume:
        (option == kBassConfigStreamVolume ? state.streamVolume : state.musicVolume) = std::min<uint32_t>(value, 100);
        for (const auto& [handle, channel] : state.channels) {
            ApplyGain(state, channel);
        }
        break;
    default:
        return Fail<BassBool>(kBassErrorIllegalParameter);
    }
    return Succeed<BassBool>(1);
}

uint32_t GetConfig(uint32_t option)
{
    BassState& state = State();
    std::lock_guard<std::mutex> guard(state.lock);
    switch (option) {
    case kBassConfigBuffer:
        return Succeed(state.bufferMilliseconds);
    case kBassConfigStreamVolume:
        return Succeed(state.streamVolume);
    case kBassConfigMusicVolume:
        return Succeed(state.musicVolume);
    default:
        return Fail<uint32_t>(kBassErrorIllegalParameter, 0xFFFFFFFF);
    }
}

BassHandle StreamCreateFile(BassBool mem, const void* file, uint64_t offset, uint64_t length, uint32_t flags)
{
    BassState& state = State();
    std::lock_guard<std::mutex> guard(state.lock);
    if (!state.player) {
        return Fail<BassHandle>(kBassErrorInit);
    }
    if (!mem || !file) {
        return Fail<BassHandle>(kBassErrorNotAvailable);
    }
    std::unique_ptr<PcmSource> source =
        OpenStreamSource(std::span(static_cast<const uint8_t*>(file) + offset, size_t(length)));
    if (!source) {
        return Fail<BassHandle>(kBassErrorFileForm);
    }
    return AddChannel(state, std::move(source), nullptr, flags);
}

BassHandle MusicLoad(BassBool mem, const void* file, uint32_t offset, uint32_t length, uint32_t flags,
                     uint32_t frequency)
{
    BassState& state = State();
    std::lock_guard<std::mutex> guard(state.lock);
    if (!state.player) {
        return Fail<BassHandle>(kBassErrorInit);
    }
    if (!mem || !file) {
        return Fail<BassHandle>(kBassErrorNotAvailable);
    }
    // A module in memory cannot say where it ends: without a length the headers could lead anywhere.
    if (length == 0) {
        return Fail<BassHandle>(kBassErrorIllegalParameter);
    }
    std::unique_ptr<ModuleSource> source =
        ModuleSource::Open(std::span(static_cast<const uint8_t*>(file) + offset, length),
                           frequency != 0 ? int(frequency) : state.outputRate);
    if (!source) {
        return Fail<BassHandle>(kBassErrorFileForm);
    }
    ModuleSource* module = source.get();
    return AddChannel(state, std::move(source), module, flags);
}

BassBool FreeChannel(BassHandle handle, bool module)
{
    BassState& state = State();
    std::lock_guard<std::mutex> guard(state.lock);
    BassChannel* channel = Find(state, handle);
    if (!channel || (channel->module != nullptr) != module) {
        return Fail<BassBool>(kBassErrorHandle);
    }
    state.player->DeleteChannel(channel->channel);
    state.channels.erase(handle);
    return Succeed<BassBool>(1);
}

BassBool StreamFree(BassHandle handle)
{
    return FreeChannel(handle, false);
}

BassBool MusicFree(BassHandle handle)
{
    return FreeChannel(handle, true);
}

BassBool ChannelPlay(BassHandle handle, BassBool restart)
{
    BassState& state = State();
    std::lock_guard<std::mutex> guard(state.lock);
    BassChannel* channel = Find(state, handle);
    if (!channel) {
        return 0;
    }
    channel->channel->Play(restart != 0);
    return Succeed<BassBool>(1);
}

BassBool ChannelStop(BassHandle handle)
{
    BassState& state = State();
    std::lock_guard<std::mutex> guard(state.lock);
    BassChannel* channel = Find(state, handle);
    if (!channel) {
        return 0;
    }
    channel->channel->Stop();
    return Succeed<BassBool>(1);
}

BassBool ChannelPause(BassHandle handle)
{
    BassState& state = State();
    std::lock_guard<std::mutex> guard(state.lock);
    BassChannel* channel = Find(state, handle);
    if (!channel) {
        return 0;
    }
    if (channel->channel->GetState() != StreamChannel::State::Playing) {
        return Fail<BassBool>(kBassErrorNotPlaying);
    }
    channel->channel->Pause();
    return Succeed<BassBool>(1);
}

uint32_t ChannelIsActive(BassHandle handle)
{
    BassState& state = State();
    std::lock_guard<std::mutex> guard(state.lock);
    BassChannel* channel = Find(state, handle);
    if (!channel) {
        return kBassActiveStopped;
    }
    switch (channel->channel->GetState()) {
    case StreamChannel::State::Playing:
        return Succeed(kBassActivePlaying);
    case StreamChannel::State::Paused:
        return Succeed(kBassActivePaused);
    case StreamChannel::State::Stopped:
        break;
    }
    return Succeed(kBassActiveStopped);
}

BassBool ChannelSetAttributes(BassHandle handle, int32_t frequency, int32_t volume, int32_t pan)
{
    BassState& state = State();
    std::lock_guard<std::mutex> guard(state.lock);
    BassChannel* channel = Find(state, handle);
    if (!channel) {
        return 0;
    }
    if (frequency != kNoFrequencyChange || pan != kNoPanChange) {
        return Fail<BassBool>(kBassErrorNotAvailable);
    }
    if (volume != kNoVolumeChange) {
        channel->volume = uint32_t(std::clamp(volume, 0, 100));
        ApplyGain(state, *channel);
    }
    return Succeed<BassBool>(1);
}

BassBool ChannelSetFlags(BassHandle handle, uint32_t flags)
{
    BassState& state = State();
    std::lock_guard<std::mutex> guard(state.lock);
    BassChannel* channel = Find(state, handle);
    if (!channel) {
        return 0;
    }
    ApplyFlags(*channel, flags);
    return Succeed<BassBool>(1);
}

BassBool ChannelSetPosition(BassHandle handle, uint64_t position)
{
    BassState& state = State();
    std::lock_guard<std::mutex> guard(state.lock);
    BassChannel* channel = Find(state, handle);
    if (!channel) {
        return 0;
    }
    // A module's order position lies in the low 32 bits, whatever the caller's sign widening put above.
    const auto low = uint32_t(position);
    const bool moved = channel->channel->Reposition([&](PcmSource& source) {
        if (channel->module && (low & kBassMusicPosition)) {
            return static_cast<ModuleSource&>(source).SeekOrder(int(low & 0xFFFF), int((low >> 16) & 0x7FFF));
        }
        return source.Seek(position / uint64_t(channel->frameBytes));
    });
    return moved ? Succeed<BassBool>(1) : Fail<BassBool>(kBassErrorPosition);
}

BassBool MusicSetAttribute(BassHandle handle, uint32_t attribute, uint32_t value)
{
    BassState& state = State();
    std::lock_guard<std::mutex> guard(state.lock);
    BassChannel* channel = Find(state, handle);
    if (!channel) {
        return 0;
    }
    if (!channel->module) {
        return Fail<BassBool>(kBassErrorHandle);
    }
    if (attribute != kBassMusicAttributeAmplify) {
        return Fail<BassBool>(kBassErrorNotAvailable);
    }
    // 50 is the module as written; each halving or doubling is 6 dB, down to silence at 0.
    const double factor = std::max(std::min(value, 100u), 1u) / 50.0;
    const auto millibels = value == 0 ? -10000 : int32_t(std::lround(2000.0 * std::log10(factor)));
    channel->channel->Adjust(
        [millibels](PcmSource& source) { static_cast<ModuleSource&>(source).SetGainMillibels(millibels); });
    return Succeed<BassBool>(1);
}

} // namespace

std::vector<LibraryExport> BassExports()
{
    return {
        {"BASS_Init", Export<BASS_InitProc>(Init)},
        {"BASS_Free", Export<BASS_FreeProc>(Free)},
        {"BASS_Stop", Export<BASS_StopProc>(Stop)},
        {"BASS_Start", Export<BASS_StartProc>(Start)},
        {"BASS_Update", Export<BASS_UpdateProc>(Update)},
        {"BASS_GetVolume", Unavailable(BASS_GetVolumeProc())},
        {"BASS_SetVolume", Unavailable(BASS_SetVolumeProc())},
        {"BASS_GetInfo", Unavailable(BASS_GetInfoProc())},
        {"BASS_GetVersion", Unavailable(BASS_GetVersionProc())},
        {"BASS_ErrorGetCode", Export<BASS_ErrorGetCodeProc>(ErrorGetCode)},
        {"BASS_SetConfig", Export<BASS_SetConfigProc>(SetConfig)},
        {"BASS_GetConfig", Export<BASS_GetConfigProc>(GetConfig)},
        {"BASS_PluginLoad", Unavailable(BASS_PluginLoadProc())},
        {"BASS_ChannelStop", Export<BASS_ChannelStopProc>(ChannelStop)},
        {"BASS_ChannelPlay", Export<BASS_ChannelPlayProc>(ChannelPlay)},
        {"BASS_ChannelPause", Export<BASS_ChannelPauseProc>(ChannelPause)},
        {"BASS_ChannelSetAttributes", Export<BASS_ChannelSetAttributesProc>(ChannelSetAttributes)},
        {"BASS_ChannelGetAttributes", Unavailable(BASS_ChannelGetAttributesProc())},
        {"BASS_ChannelSetPosition", Export<BASS_ChannelSetPositionProc>(ChannelSetPosition)},
        {"BASS_ChannelGetPosition", Unavailable(BASS_ChannelGetPositionProc())},
        {"BASS_ChannelGetLength", Unavailable(BASS_ChannelGetLengthProc())},
        {"BASS_ChannelIsActive", Export<BASS_ChannelIsActiveProc>(ChannelIsActive)},
        {"BASS_ChannelSetFlags", Export<BASS_ChannelSetFlagsProc>(ChannelSetFlags)},
        {"BASS_ChannelSlideAttributes", Unavailable(BASS_ChannelSlideAttributesProc())},
        {"BASS_ChannelIsSliding", Unavailable(BASS_ChannelIsSlidingProc())},
        {"BASS_ChannelGetLevel", Unavailable(BASS_ChannelGetLevelProc())},
        {"BASS_ChannelSetSync", Unavailable(BASS_ChannelSetSyncProc())},
        {"BASS_ChannelRemoveSync", Unavailable(BASS_ChannelRemoveSyncProc())},
        {"BASS_ChannelGetData", Unavailable(BASS_ChannelGetDataProc())},
        {"BASS_ChannelPreBuf", Unavailable(BASS_ChannelPreBufProc())},
        {"BASS_ChannelSetFX", Unavailable(BASS_ChannelSetFXProc())},
        {"BASS_ChannelRemoveFX", Unavailable(BASS_ChannelRemoveFXProc())},
        {"BASS_FXSetParameters", Unavailable(BASS_FXSetParametersProc())},
        {"BASS_FXGetParameters", Unavailable(BASS_FXGetParametersProc())},
        {"BASS_StreamCreateFile", Export<BASS_StreamCreateFileProc>(StreamCreateFile)},
        {"BASS_StreamFree", Export<BASS_StreamFreeProc>(StreamFree)},
        {"BASS_MusicLoad", Export<BASS_MusicLoadProc>(MusicLoad)},
        {"BASS_MusicFree", Export<BASS_MusicFreeProc>(MusicFree)},
        {"BASS_MusicSetAttribute", Export<BASS_MusicSetAttributeProc>(MusicSetAttribute)},
        {"BASS_MusicGetAttribute", Unavailable(BASS_MusicGetAttributeProc())},
        {"BASS_MusicGetOrders", Unavailable(BASS_MusicGetOrdersProc())},
        {"BASS_MusicGetOrderPosition", Unavailable(BASS_MusicGetOrderPositionProc())},
        {"BASS_SampleLoad", Unavailable(BASS_SampleLoadProc())},
        {"BASS_SampleFree", Unavailable(BASS_SampleFreeProc())},
        {"BASS_SampleSetInfo", Unavailable(BASS_SampleSetInfoProc())},
        {"BASS_SampleGetInfo", Unavailable(BASS_SampleGetInfoProc())},
        {"BASS_SampleGetChannel", Unavailable(BASS_SampleGetChannelProc())},
        {"BASS_SampleStop", Unavailable(BASS_SampleStopProc())},
    };
}

} // namespace Platform
