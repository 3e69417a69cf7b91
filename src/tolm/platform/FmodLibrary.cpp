// The FMOD stand-in: samples decoded whole into the sample's own layout, channels and songs streaming
// through one StreamPlayer. The loading thread loads samples while the main thread plays, so a lock
// guards the library's state; files are read and decoded outside it.
#include "platform/FmodLibrary.h"

#include "platform/DirectSound.h"
#include "platform/FileSystem.h"
#include "platform/ModuleSource.h"
#include "platform/StreamDecoders.h"
#include "platform/StreamPlayer.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>

namespace Platform {

class FmodSample
{
public:
    FmodSample(std::vector<uint8_t> data, int channels, int bits, int rate, uint32_t loopMode)
        : bytes(std::make_shared<std::vector<uint8_t>>(std::move(data))), channels(channels), bits(bits), rate(rate),
          loopMode(loopMode), loopEnd(Frames() > 0 ? Frames() - 1 : 0)
    {}

    uint32_t FrameBytes() const { return uint32_t(channels * bits / 8); }
    uint32_t Frames() const { return uint32_t(bytes->size() / FrameBytes()); }

    // Shared with the channels playing it, which may outlive it.
    std::shared_ptr<std::vector<uint8_t>> bytes;
    int channels;
    int bits;
    int rate;
    uint32_t loopMode;
    uint32_t loopStart = 0;
    uint32_t loopEnd;
};

class FmodSong
{
public:
    StreamChannel* channel = nullptr;
};

namespace {

// More decoded audio than any sample needs (about 25 minutes of stereo at 44.1 kHz): a file that claims
// more is refused instead of filling memory.
constexpr size_t kMaxDecodedBytes = size_t(256) << 20;
constexpr uint32_t kDefaultBufferMilliseconds = 200;

// A sample played from its start, round its loop points while it loops.
class SampleSource : public PcmSource
{
public:
    explicit SampleSource(const FmodSample& sample)
        : bytes(sample.bytes), channels(sample.channels), bits(sample.bits), rate(sample.rate), frames(sample.Frames()),
          loopStart(sample.loopStart), loopEnd(std::min(sample.loopEnd + 1, frames)),
          looping((sample.loopMode & FSOUND_LOOP_NORMAL) != 0)
    {}

    int Channels() const override { return channels; }
    int Rate() const override { return rate; }
    void SetLooping(bool value) override { looping = value; }

    bool Seek(uint64_t frame) override
    {
        if (frame > frames) {
            return false;
        }
        position = uint32_t(frame);
        return true;
    }

    size_t Read(int16_t* out, size_t count) override
    {
        const bool loops = looping && loopStart < loopEnd;
        size_t done = 0;
        while (done < count) {
            const uint32_t end = loops && position < loopEnd ? loopEnd : frames;
            if (position >= end) {
                if (!loops) {
                    break;
                }
                position = loopStart;
                continue;
            }
            const auto run = uint32_t(std::min<size_t>(count - done, end - position));
            Convert(out + done * size_t(channels), run);
            position += run;
            done += run;
        }
        return done;
    }

private:
    void Convert(int16_t* out, uint32_t run) const
    {
        const size_t samples = size_t(run) * size_t(channels);
        const uint8_t* in = bytes->data() + size_t(position) * size_t(channels) * size_t(bits / 8);
        if (bits == 8) {
            for (size_t i = 0; i < samples; ++i) {
                out[i] = int16_t((in[i] - 128) * 256);
            }
        } else {
            std::memcpy(out, in, samples * 2);
        }
    }

    std::shared_ptr<std::vector<uint8_t>> bytes;
    int channels;
    int bits;
    int rate;
    uint32_t frames;
    uint32_t loopStart;
    uint32_t loopEnd;
    bool looping;
    uint32_t position = 0;
};

struct FmodState
{
    std::mutex lock;
    std::unique_ptr<StreamPlayer> player;
    int outputRate = 44100;
    uint32_t bufferMilliseconds = kDefaultBufferMilliseconds;
    // By channel number; null where nothing plays.
    std::vector<StreamChannel*> channels;
    std::map<FmodSample*, std::unique_ptr<FmodSample>> samples;
    std::map<FmodSong*, std::unique_ptr<FmodSong>> songs;
};

FmodState& State()
{
    static FmodState state;
    return state;
}

std::unique_ptr<DirectSoundDevice> OpenOutput()
{
    std::unique_ptr<DirectSoundDevice> output;
    Library* dsound = LoadLibrary("dsound.dll");
    auto create = reinterpret_cast<DirectSoundCreateProc>(GetProcAddress(dsound, "DirectSoundCreate"));
    if (create && create(&output) != DS_OK) {
        output.reset();
    }
    FreeLibrary(dsound);
    return output;
}

FmodSample* Register(std::unique_ptr<FmodSample> sample)
{
    FmodState& state = State();
    std::lock_guard<std::mutex> guard(state.lock);
    FmodSample* registered = sample.get();
    state.samples[registered] = std::move(sample);
    return registered;
}

// The sample, or null when the library does not know it; the state is locked.
FmodSample* Find(FmodState& state, FmodSample* sample)
{
    return state.samples.count(sample) ? sample : nullptr;
}

FmodSong* Find(FmodState& state, FmodSong* song)
{
    return state.songs.count(song) ? song : nullptr;
}

StreamChannel* Find(FmodState& state, int channel)
{
    return channel >= 0 && size_t(channel) < state.channels.size() ? state.channels[size_t(channel)] : nullptr;
}

signed char SetBufferSize(int milliseconds)
{
    FmodState& state = State();
    std::lock_guard<std::mutex> guard(state.lock);
    state.bufferMilliseconds = uint32_t(std::clamp(milliseconds, 25, 2000));
    return 1;
}

signed char SetHWND(void*)
{
    return 1;
}

signed char Init(int, int maxChannels, uint32_t)
{
    FmodState& state = State();
    std::lock_guard<std::mutex> guard(state.lock);
    if (state.player || maxChannels < 1) {
        return 0;
    }
    std::unique_ptr<DirectSoundDevice> output = OpenOutput();
    if (!output) {
        return 0;
    }
    state.outputRate = output->Mixer().OutputRate();
    state.player = std::make_unique<StreamPlayer>(std::move(output));
    state.channels.assign(size_t(maxChannels), nullptr);
    return 1;
}

void Close()
{
    FmodState& state = State();
    std::lock_guard<std::mutex> guard(state.lock);
    state.channels.clear();
    state.songs.clear();
    state.player.reset();
    state.samples.clear();
}

void Update()
{
    FmodState& state = State();
    std::lock_guard<std::mutex> guard(state.lock);
    if (state.player) {
        state.player->Update();
    }
}

FmodSample* SampleLoad(int, const char* name, uint32_t, int)
{
    std::vector<uint8_t> file;
    if (!name || !ReadWholeFile(DiskPath(name), file)) {
        return nullptr;
    }
    std::unique_ptr<PcmSource> source = OpenStreamSource(file);
    if (!source) {
        return nullptr;
    }
    std::vector<int16_t> pcm;
    const size_t frameBytes = 2 * size_t(source->Channels());
    if (!DecodeToEnd(*source, kMaxDecodedBytes / frameBytes, pcm) || pcm.empty()) {
        return nullptr;
    }
    std::vector<uint8_t> bytes(pcm.size() * 2);
    std::memcpy(bytes.data(), pcm.data(), bytes.size());
    return Register(
        std::make_unique<FmodSample>(std::move(bytes), source->Channels(), 16, source->Rate(), FSOUND_LOOP_OFF));
}

FmodSample* SampleAlloc(int, int length, uint32_t mode, int frequency, int, int, int)
{
    const int channels = (mode & FSOUND_STEREO) ? 2 : 1;
    const int bits = (mode & FSOUND_8BITS) ? 8 : 16;
    const size_t bytes = size_t(std::max(length, 0)) * size_t(channels * bits / 8);
    if (length <= 0 || bytes > kMaxDecodedBytes || frequency < 100 || frequency > 100000) {
        return nullptr;
    }
    std::vector<uint8_t> silence(bytes, bits == 8 ? 0x80 : 0);
    return Register(std::make_unique<FmodSample>(std::move(silence), channels, bits, frequency,
                                                 mode & (FSOUND_LOOP_OFF | FSOUND_LOOP_NORMAL)));
}

void SampleFree(FmodSample* sample)
{
    FmodState& state = State();
    std::lock_guard<std::mutex> guard(state.lock);
    state.samples.erase(sample);
}

uint32_t SampleGetMode(FmodSample* sample)
{
    FmodState& state = State();
    std::lock_guard<std::mutex> guard(state.lock);
    if (!Find(state, sample)) {
        return 0;
    }
    return (sample->bits == 8 ? FSOUND_8BITS : FSOUND_16BITS) | (sample->channels == 1 ? FSOUND_MONO : FSOUND_STEREO) |
           sample->loopMode;
}

signed char SampleGetDefaults(FmodSample* sample, int* frequency, int* volume, int* pan, int* priority)
{
    FmodState& state = State();
    std::lock_guard<std::mutex> guard(state.lock);
    if (!Find(state, sample)) {
        return 0;
    }
    for (auto [value, given] : {std::pair{frequency, sample->rate}, {volume, 255}, {pan, 128}, {priority, 128}}) {
        if (value) {
            *value = given;
        }
    }
    return 1;
}

uint32_t SampleGetLength(FmodSample* sample)
{
    FmodState& state = State();
    std::lock_guard<std::mutex> guard(state.lock);
    return Find(state, sample) ? sample->Frames() : 0;
}

signed char SampleSetLoopPoints(FmodSample* sample, int start, int end)
{
    FmodState& state = State();
    std::lock_guard<std::mutex> guard(state.lock);
    if (!Find(state, sample) || start < 0 || end < start || uint32_t(end) >= sample->Frames()) {
        return 0;
    }
    sample->loopStart = uint32_t(start);
    sample->loopEnd = uint32_t(end);
    return 1;
}

signed char SampleLock(FmodSample* sample, int offset, int length, void** first, void** second, uint32_t* firstBytes,
                       uint32_t* secondBytes)
{
    FmodState& state = State();
    std::lock_guard<std::mutex> guard(state.lock);
    if (!Find(state, sample) || offset < 0 || length < 0 || size_t(offset) > sample->bytes->size()) {
        return 0;
    }
    *first = sample->bytes->data() + offset;
    *firstBytes = uint32_t(std::min(size_t(length), sample->bytes->size() - size_t(offset)));
    *second = nullptr;
    *secondBytes = 0;
    return 1;
}

signed char SampleUnlock(FmodSample* sample, void*, void*, uint32_t, uint32_t)
{
    FmodState& state = State();
    std::lock_guard<std::mutex> guard(state.lock);
    return Find(state, sample) ? 1 : 0;
}

void StopChannel(FmodState& state, int channel)
{
    if (StreamChannel* playing = Find(state, channel)) {
        state.player->DeleteChannel(playing);
        state.channels[size_t(channel)] = nullptr;
    }
}

int PlaySound(int channel, FmodSample* sample)
{
    FmodState& state = State();
    std::lock_guard<std::mutex> guard(state.lock);
    if (!state.player || !Find(state, sample)) {
        return -1;
    }
    if (channel == FSOUND_FREE) {
        auto idle = std::find_if(state.channels.begin(), state.channels.end(), [](StreamChannel* playing) {
            return !playing || playing->GetState() == StreamChannel::State::Stopped;
        });
        channel = int(idle - state.channels.begin());
    }
    if (channel < 0 || size_t(channel) >= state.channels.size()) {
        return -1;
    }
    StopChannel(state, channel);
    StreamChannel* playing =
        state.player->CreateChannel(std::make_unique<SampleSource>(*sample), state.bufferMilliseconds);
    if (!playing) {
        return -1;
    }
    state.channels[size_t(channel)] = playing;
    playing->Play(true);
    return channel;
}

signed char StopSound(int channel)
{
    FmodState& state = State();
    std::lock_guard<std::mutex> guard(state.lock);
    if (!Find(state, channel)) {
        return 0;
    }
    StopChannel(state, channel);
    return 1;
}

signed char SetVolume(int channel, int volume)
{
    FmodState& state = State();
    std::lock_guard<std::mutex> guard(state.lock);
    StreamChannel* playing = Find(state, channel);
    if (!playing) {
        return 0;
    }
    playing->SetGain(std::clamp(volume, 0, 255) / 255.0);
    return 1;
}

void SetPaused(StreamChannel& channel, bool paused)
{
    if (paused) {
        channel.Pause();
    } else if (channel.GetState() == StreamChannel::State::Paused) {
        channel.Play(false);
    }
}

signed char SetChannelPaused(int channel, signed char paused)
{
    FmodState& state = State();
    std::lock_guard<std::mutex> guard(state.lock);
    StreamChannel* playing = Find(state, channel);
    if (!playing) {
        return 0;
    }
    SetPaused(*playing, paused != 0);
    return 1;
}

signed char SetLoopMode(int channel, uint32_t mode)
{
    FmodState& state = State();
    std::lock_guard<std::mutex> guard(state.lock);
    StreamChannel* playing = Find(state, channel);
    if (!playing) {
        return 0;
    }
    playing->SetLooping((mode & FSOUND_LOOP_NORMAL) != 0);
    return 1;
}

bool IsPlaying(StreamChannel& channel)
{
    return channel.GetState() != StreamChannel::State::Stopped;
}

signed char IsChannelPlaying(int channel)
{
    FmodState& state = State();
    std::lock_guard<std::mutex> guard(state.lock);
    StreamChannel* playing = Find(state, channel);
    return playing && IsPlaying(*playing) ? 1 : 0;
}

FmodSong* LoadSong(const char* name)
{
    std::vector<uint8_t> file;
    if (!name || !ReadWholeFile(DiskPath(name), file)) {
        return nullptr;
    }
    FmodState& state = State();
    std::lock_guard<std::mutex> guard(state.lock);
    if (!state.player) {
        return nullptr;
    }
    std::unique_ptr<ModuleSource> module = ModuleSource::Open(file, state.outputRate);
    if (!module) {
        return nullptr;
    }
    module->SetLooping(true);
    auto song = std::make_unique<FmodSong>();
    song->channel = state.player->CreateChannel(std::move(module), state.bufferMilliseconds);
    if (!song->channel) {
        return nullptr;
    }
    FmodSong* loaded = song.get();
    state.songs[loaded] = std::move(song);
    return loaded;
}

// Runs action on the song's channel with the state locked; false when the library does not know the song.
template <typename Action>
signed char WithSong(FmodSong* song, Action action)
{
    FmodState& state = State();
    std::lock_guard<std::mutex> guard(state.lock);
    if (!Find(state, song)) {
        return 0;
    }
    return action(*song->channel) ? 1 : 0;
}

signed char PlaySong(FmodSong* song)
{
    return WithSong(song, [](StreamChannel& channel) {
        channel.Play(true);
        return true;
    });
}

signed char StopSong(FmodSong* song)
{
    return WithSong(song, [](StreamChannel& channel) {
        channel.Stop();
        return true;
    });
}

signed char SetLooping(FmodSong* song, uint32_t mode)
{
    return WithSong(song, [mode](StreamChannel& channel) {
        channel.SetLooping((mode & FSOUND_LOOP_NORMAL) != 0);
        return true;
    });
}

signed char SetOrder(FmodSong* song, int order)
{
    return WithSong(song, [order](StreamChannel& channel) {
        return channel.Reposition(
            [order](PcmSource& source) { return static_cast<ModuleSource&>(source).SeekOrder(order, 0); });
    });
}

signed char SetSongPaused(FmodSong* song, signed char paused)
{
    return WithSong(song, [paused](StreamChannel& channel) {
        SetPaused(channel, paused != 0);
        return true;
    });
}

signed char SetMasterVolume(FmodSong* song, int volume)
{
    return WithSong(song, [volume](StreamChannel& channel) {
        channel.SetGain(std::clamp(volume, 0, 256) / 256.0);
        return true;
    });
}

signed char IsSongPlaying(FmodSong* song)
{
    return WithSong(song, [](StreamChannel& channel) { return IsPlaying(channel); });
}

void* StreamOpenFile(const char*, uint32_t, int)
{
    return nullptr;
}

signed char StreamClose(void*)
{
    return 0;
}

int StreamPlay(int, void*)
{
    return -1;
}

template <typename Proc>
LibraryProc Export(Proc proc)
{
    return reinterpret_cast<LibraryProc>(proc);
}

} // namespace

std::vector<LibraryExport> FmodExports()
{
    return {
        {"_FSOUND_SetBufferSize@4", Export<FSOUND_SetBufferSizeProc>(SetBufferSize)},
        {"_FSOUND_SetHWND@4", Export<FSOUND_SetHWNDProc>(SetHWND)},
        {"_FSOUND_Init@12", Export<FSOUND_InitProc>(Init)},
        {"_FSOUND_Close@0", Export<FSOUND_CloseProc>(Close)},
        {"_FSOUND_Update@0", Export<FSOUND_UpdateProc>(Update)},
        {"_FSOUND_Sample_Load@16", Export<FSOUND_Sample_LoadProc>(SampleLoad)},
        {"_FSOUND_Sample_Alloc@28", Export<FSOUND_Sample_AllocProc>(SampleAlloc)},
        {"_FSOUND_Sample_Free@4", Export<FSOUND_Sample_FreeProc>(SampleFree)},
        {"_FSOUND_Sample_Lock@28", Export<FSOUND_Sample_LockProc>(SampleLock)},
        {"_FSOUND_Sample_Unlock@20", Export<FSOUND_Sample_UnlockProc>(SampleUnlock)},
        {"_FSOUND_Sample_SetLoopPoints@12", Export<FSOUND_Sample_SetLoopPointsProc>(SampleSetLoopPoints)},
        {"_FSOUND_Sample_GetLength@4", Export<FSOUND_Sample_GetLengthProc>(SampleGetLength)},
        {"_FSOUND_Sample_GetDefaults@20", Export<FSOUND_Sample_GetDefaultsProc>(SampleGetDefaults)},
        {"_FSOUND_Sample_GetMode@4", Export<FSOUND_Sample_GetModeProc>(SampleGetMode)},
        {"_FSOUND_PlaySound@8", Export<FSOUND_PlaySoundProc>(PlaySound)},
        {"_FSOUND_StopSound@4", Export<FSOUND_StopSoundProc>(StopSound)},
        {"_FSOUND_SetVolume@8", Export<FSOUND_SetVolumeProc>(SetVolume)},
        {"_FSOUND_SetPaused@8", Export<FSOUND_SetPausedProc>(SetChannelPaused)},
        {"_FSOUND_SetLoopMode@8", Export<FSOUND_SetLoopModeProc>(SetLoopMode)},
        {"_FSOUND_IsPlaying@4", Export<FSOUND_IsPlayingProc>(IsChannelPlaying)},
        {"_FSOUND_Stream_OpenFile@12", Export<FSOUND_Stream_OpenFileProc>(StreamOpenFile)},
        {"_FSOUND_Stream_Close@4", Export<FSOUND_Stream_CloseProc>(StreamClose)},
        {"_FSOUND_Stream_Play@8", Export<FSOUND_Stream_PlayProc>(StreamPlay)},
        {"_FMUSIC_LoadSong@4", Export<FMUSIC_LoadSongProc>(LoadSong)},
        {"_FMUSIC_PlaySong@4", Export<FMUSIC_PlaySongProc>(PlaySong)},
        {"_FMUSIC_StopSong@4", Export<FMUSIC_StopSongProc>(StopSong)},
        {"_FMUSIC_SetLooping@8", Export<FMUSIC_SetLoopingProc>(SetLooping)},
        {"_FMUSIC_SetOrder@8", Export<FMUSIC_SetOrderProc>(SetOrder)},
        {"_FMUSIC_SetPaused@8", Export<FMUSIC_SetPausedProc>(SetSongPaused)},
        {"_FMUSIC_SetMasterVolume@8", Export<FMUSIC_SetMasterVolumeProc>(SetMasterVolume)},
        {"_FMUSIC_IsPlaying@4", Export<FMUSIC_IsPlayingProc>(IsSongPlaying)},
    };
}

} // namespace Platform
