// The DirectSound stand-in's buffers and device, and the device's output: SDL's audio device in
// 16-bit stereo at 44100 Hz, whose callback thread renders the mixer.
#include "platform/DirectSound.h"

#include "platform/ExceptionFilter.h"

#include <SDL.h>
#include <algorithm>
#include <atomic>
#include <cstring>
#include <mutex>
#include <new>

namespace Platform {

namespace {

constexpr int kOutputRate = 44100;
constexpr uint16_t kOutputFrames = 1024;
// Sizes DirectSound takes for a secondary buffer.
constexpr uint32_t kMinBufferBytes = 4;
constexpr uint32_t kMaxBufferBytes = 0x0FFFFFFF;

bool IsPlayableFormat(const WaveFormat& format)
{
    return format.formatTag == WAVE_FORMAT_PCM && (format.channels == 1 || format.channels == 2) &&
           (format.bitsPerSample == 8 || format.bitsPerSample == 16) &&
           format.blockAlign == format.channels * format.bitsPerSample / 8 &&
           format.samplesPerSecond >= DSBFREQUENCY_MIN && format.samplesPerSecond <= DSBFREQUENCY_MAX;
}

std::atomic<bool> outputSilenced{false};

PcmLayout LayoutOf(const WaveFormat& format)
{
    return PcmLayout{format.channels, format.bitsPerSample};
}

} // namespace

class DirectSoundDevice::Output
{
public:
    // Null when SDL has no audio driver that plays somewhere, or the device cannot be opened.
    static std::unique_ptr<Output> Open(SoundMixer* mixer)
    {
        // SDL picks the dummy driver only when asked for it: then audio is not even started.
        const char* requested = SDL_getenv("SDL_AUDIODRIVER");
        if ((requested && std::strcmp(requested, "dummy") == 0) || SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
            return nullptr;
        }
        const char* driver = SDL_GetCurrentAudioDriver();
        if (!driver || std::strcmp(driver, "dummy") == 0) {
            SDL_QuitSubSystem(SDL_INIT_AUDIO);
            return nullptr;
        }
        SDL_AudioSpec wanted{};
        wanted.freq = kOutputRate;
        wanted.format = AUDIO_S16SYS;
        wanted.channels = 2;
        wanted.samples = kOutputFrames;
        wanted.callback = &Output::Callback;
        wanted.userdata = mixer;
        SDL_AudioDeviceID id = SDL_OpenAudioDevice(nullptr, 0, &wanted, nullptr, 0);
        if (id == 0) {
            SDL_QuitSubSystem(SDL_INIT_AUDIO);
            return nullptr;
        }
        SDL_PauseAudioDevice(id, 0);
        return std::unique_ptr<Output>(new Output(id));
    }

    ~Output()
    {
        SDL_CloseAudioDevice(id);
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }

    Output(const Output&) = delete;
    Output& operator=(const Output&) = delete;

private:
    explicit Output(SDL_AudioDeviceID id) : id(id) {}

    static void Callback(void* mixer, Uint8* stream, int bytes)
    {
        // SDL's audio thread is started by SDL: it gets its signal stack here, on its first callback.
        PrepareThreadForFaults();
        if (outputSilenced) {
            std::memset(stream, 0, size_t(bytes));
            return;
        }
        static_cast<SoundMixer*>(mixer)->Render(reinterpret_cast<int16_t*>(stream), bytes / 4);
    }

    SDL_AudioDeviceID id;
};

// The one output every default device plays through, as the system mixes all the programs' sound: it
// closes with the last device.
struct DirectSoundDevice::SystemOutput
{
    std::shared_ptr<SoundMixer> mixer;
    std::unique_ptr<Output> output;
};

DirectSoundBuffer::DirectSoundBuffer(std::shared_ptr<SoundMixer> mixer, uint32_t flags, const WaveFormat& format,
                                     SampleStore samples)
    : mixer(std::move(mixer)), flags(flags), format(format), samples(std::move(samples)),
      frequency(format.samplesPerSecond)
{
    if (this->samples) {
        voice = this->mixer->AddVoice(this->samples, LayoutOf(format), frequency);
    }
}

DirectSoundBuffer::~DirectSoundBuffer()
{
    if (voice) {
        mixer->RemoveVoice(voice);
    }
}

int32_t DirectSoundBuffer::Lock(uint32_t offset, uint32_t bytes, void** first, uint32_t* firstBytes, void** second,
                                uint32_t* secondBytes, uint32_t lockFlags)
{
    if (!voice) {
        return DSERR_INVALIDCALL;
    }
    const uint32_t size = uint32_t(samples->size());
    if (lockFlags & DSBLOCK_ENTIREBUFFER) {
        bytes = size;
    }
    if (!first || !firstBytes || offset >= size || bytes == 0 || bytes > size) {
        return DSERR_INVALIDPARAM;
    }
    mixer->SynchronizeSamples();
    const uint32_t head = std::min(bytes, size - offset);
    *first = samples->data() + offset;
    *firstBytes = head;
    if (second) {
        *second = head < bytes ? samples->data() : nullptr;
    }
    if (secondBytes) {
        *secondBytes = bytes - head;
    }
    return DS_OK;
}

int32_t DirectSoundBuffer::Unlock(void* first, uint32_t, void*, uint32_t)
{
    if (!voice || !first) {
        return DSERR_INVALIDPARAM;
    }
    mixer->SynchronizeSamples();
    return DS_OK;
}

int32_t DirectSoundBuffer::Play(uint32_t playFlags)
{
    if (voice) {
        mixer->Play(voice, (playFlags & DSBPLAY_LOOPING) != 0);
    }
    return DS_OK;
}

int32_t DirectSoundBuffer::Stop()
{
    if (voice) {
        mixer->Stop(voice);
    }
    return DS_OK;
}

int32_t DirectSoundBuffer::GetCurrentPosition(uint32_t* play, uint32_t* write)
{
    if (!voice) {
        return DSERR_INVALIDCALL;
    }
    uint32_t playFrame = 0;
    uint32_t writeFrame = 0;
    mixer->GetCursors(voice, playFrame, writeFrame);
    if (play) {
        *play = playFrame * format.blockAlign;
    }
    if (write) {
        *write = writeFrame * format.blockAlign;
    }
    return DS_OK;
}

int32_t DirectSoundBuffer::SetCurrentPosition(uint32_t offset)
{
    if (!voice) {
        return DSERR_INVALIDCALL;
    }
    if (offset > samples->size()) {
        return DSERR_INVALIDPARAM;
    }
    mixer->SetPosition(voice, offset / format.blockAlign);
    return DS_OK;
}

int32_t DirectSoundBuffer::GetStatus(uint32_t* status)
{
    if (!status) {
        return DSERR_INVALIDPARAM;
    }
    *status = 0;
    if (voice && mixer->IsPlaying(voice)) {
        *status = DSBSTATUS_PLAYING | (mixer->IsLooping(voice) ? DSBSTATUS_LOOPING : 0);
    }
    return DS_OK;
}

int32_t DirectSoundBuffer::SetVolume(int32_t newVolume)
{
    if (!(flags & DSBCAPS_CTRLVOLUME)) {
        return DSERR_CONTROLUNAVAIL;
    }
    if (newVolume < DSBVOLUME_MIN || newVolume > DSBVOLUME_MAX) {
        return DSERR_INVALIDPARAM;
    }
    volume = newVolume;
    ApplyGains();
    return DS_OK;
}

int32_t DirectSoundBuffer::GetVolume(int32_t* result)
{
    if (!(flags & DSBCAPS_CTRLVOLUME)) {
        return DSERR_CONTROLUNAVAIL;
    }
    *result = volume;
    return DS_OK;
}

int32_t DirectSoundBuffer::SetPan(int32_t newPan)
{
    if (!(flags & DSBCAPS_CTRLPAN)) {
        return DSERR_CONTROLUNAVAIL;
    }
    if (newPan < DSBPAN_LEFT || newPan > DSBPAN_RIGHT) {
        return DSERR_INVALIDPARAM;
    }
    pan = newPan;
    ApplyGains();
    return DS_OK;
}

int32_t DirectSoundBuffer::GetPan(int32_t* result)
{
    if (!(flags & DSBCAPS_CTRLPAN)) {
        return DSERR_CONTROLUNAVAIL;
    }
    *result = pan;
    return DS_OK;
}

int32_t DirectSoundBuffer::SetFrequency(uint32_t newFrequency)
{
    if (!(flags & DSBCAPS_CTRLFREQUENCY) || !voice) {
        return DSERR_CONTROLUNAVAIL;
    }
    if (newFrequency == DSBFREQUENCY_ORIGINAL) {
        newFrequency = format.samplesPerSecond;
    }
    if (newFrequency < DSBFREQUENCY_MIN || newFrequency > DSBFREQUENCY_MAX) {
        return DSERR_INVALIDPARAM;
    }
    frequency = newFrequency;
    mixer->SetFrequency(voice, frequency);
    return DS_OK;
}

int32_t DirectSoundBuffer::GetFrequency(uint32_t* result)
{
    if (!(flags & DSBCAPS_CTRLFREQUENCY) || !voice) {
        return DSERR_CONTROLUNAVAIL;
    }
    *result = frequency;
    return DS_OK;
}

int32_t DirectSoundBuffer::SetFormat(const WaveFormat& newFormat)
{
    if (voice) {
        return DSERR_INVALIDCALL;
    }
    if (!IsPlayableFormat(newFormat)) {
        return DSERR_BADFORMAT;
    }
    format = newFormat;
    return DS_OK;
}

int32_t DirectSoundBuffer::GetFormat(WaveFormat* result)
{
    *result = format;
    return DS_OK;
}

void DirectSoundBuffer::ApplyGains()
{
    if (!voice) {
        return;
    }
    int32_t left = 0;
    int32_t right = 0;
    PanGains(volume, pan, left, right);
    mixer->SetGains(voice, left, right);
}

DirectSoundDevice::DirectSoundDevice(std::shared_ptr<SoundMixer> mixer) : mixer(std::move(mixer)) {}

DirectSoundDevice::~DirectSoundDevice() = default;

std::unique_ptr<DirectSoundDevice> DirectSoundDevice::CreateDefault()
{
    static std::mutex lock;
    static std::weak_ptr<SystemOutput> shared;
    std::lock_guard<std::mutex> guard(lock);
    std::shared_ptr<SystemOutput> output = shared.lock();
    if (!output) {
        auto mixer = std::make_shared<SoundMixer>(kOutputRate);
        std::unique_ptr<Output> opened = Output::Open(mixer.get());
        if (!opened) {
            return nullptr;
        }
        output = std::make_shared<SystemOutput>(SystemOutput{std::move(mixer), std::move(opened)});
        shared = output;
    }
    std::unique_ptr<DirectSoundDevice> device(new DirectSoundDevice(output->mixer));
    device->output = std::move(output);
    return device;
}

std::unique_ptr<DirectSoundDevice> DirectSoundDevice::CreateHeadless(int outputRate)
{
    return CreateOn(std::make_shared<SoundMixer>(outputRate));
}

std::unique_ptr<DirectSoundDevice> DirectSoundDevice::CreateOn(std::shared_ptr<SoundMixer> mixer)
{
    return std::unique_ptr<DirectSoundDevice>(new DirectSoundDevice(std::move(mixer)));
}

int32_t DirectSoundDevice::SetCooperativeLevel(WindowHandle, uint32_t level)
{
    if (level != DSSCL_NORMAL && level != DSSCL_PRIORITY) {
        return DSERR_INVALIDPARAM;
    }
    cooperativeLevel = level;
    return DS_OK;
}

int32_t DirectSoundDevice::CreateSoundBuffer(const BufferDescription& description,
                                             std::unique_ptr<DirectSoundBuffer>& buffer)
{
    if (description.flags & DSBCAPS_PRIMARYBUFFER) {
        if (cooperativeLevel != DSSCL_PRIORITY) {
            return DSERR_PRIOLEVELNEEDED;
        }
        if (description.bufferBytes != 0 || description.format) {
            return DSERR_INVALIDPARAM;
        }
        buffer.reset(new DirectSoundBuffer(mixer, description.flags, WaveFormat(), nullptr));
        return DS_OK;
    }
    if (!description.format || description.bufferBytes < kMinBufferBytes || description.bufferBytes > kMaxBufferBytes) {
        return DSERR_INVALIDPARAM;
    }
    if (!IsPlayableFormat(*description.format)) {
        return DSERR_BADFORMAT;
    }
    SampleStore samples;
    try {
        samples = std::make_shared<std::vector<uint8_t>>(description.bufferBytes);
    } catch (const std::bad_alloc&) {
        return DSERR_OUTOFMEMORY;
    }
    buffer.reset(new DirectSoundBuffer(mixer, description.flags, *description.format, std::move(samples)));
    return DS_OK;
}

int32_t DirectSoundDevice::DuplicateSoundBuffer(const DirectSoundBuffer& source,
                                                std::unique_ptr<DirectSoundBuffer>& duplicate)
{
    if (!source.voice) {
        return DSERR_INVALIDCALL;
    }
    duplicate.reset(new DirectSoundBuffer(mixer, source.flags, source.format, source.samples));
    duplicate->volume = source.volume;
    duplicate->pan = source.pan;
    duplicate->ApplyGains();
    if (source.frequency != source.format.samplesPerSecond) {
        duplicate->SetFrequency(source.frequency);
    }
    return DS_OK;
}

int32_t DirectSoundCreate(std::unique_ptr<DirectSoundDevice>* device)
{
    *device = DirectSoundDevice::CreateDefault();
    return *device ? DS_OK : DSERR_NODRIVER;
}

void SetSoundOutputSilenced(bool silenced)
{
    outputSilenced = silenced;
}

} // namespace Platform
