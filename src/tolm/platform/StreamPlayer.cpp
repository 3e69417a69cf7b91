// The stream player's refill. Counting in frames: the play cursor's steps since the last pass are
// what was heard, the frames from the write position up to the play cursor are free, and the source
// fills them, then silence once it has ended.
#include "platform/StreamPlayer.h"

#include "platform/ExceptionFilter.h"

#include <algorithm>
#include <chrono>
#include <cstring>

namespace Platform {

namespace {

// How often the player's thread refills, and at most how much audio it decodes per channel and pass,
// which bounds how long it holds the lock.
constexpr auto kRefillPeriod = std::chrono::milliseconds(10);
constexpr uint32_t kRefillDivisor = 10;
// What a (re)started channel decodes before it plays: enough to bridge the thread's late passes.
constexpr uint32_t kPrimeDivisor = 4;

constexpr uint32_t kChannelBufferFlags = DSBCAPS_LOCSOFTWARE | DSBCAPS_CTRLVOLUME | DSBCAPS_GETCURRENTPOSITION2;

} // namespace

StreamChannel::StreamChannel(std::mutex& lock, std::unique_ptr<PcmSource> source,
                             std::unique_ptr<DirectSoundBuffer> buffer, uint32_t bufferFrames, const bool& outputPaused)
    : lock(lock), source(std::move(source)), buffer(std::move(buffer)), outputPaused(outputPaused),
      bufferFrames(bufferFrames), frameBytes(uint32_t(2 * this->source->Channels()))
{}

StreamChannel::~StreamChannel() = default;

void StreamChannel::Play(bool restart)
{
    std::lock_guard<std::mutex> guard(lock);
    if (restart || sourceEnded) {
        source->Seek(0);
        primed = false;
    }
    if (!primed) {
        Restart();
    }
    state = State::Playing;
    StartVoice();
}

void StreamChannel::Pause()
{
    std::lock_guard<std::mutex> guard(lock);
    if (state == State::Playing) {
        buffer->Stop();
        state = State::Paused;
    }
}

void StreamChannel::Stop()
{
    std::lock_guard<std::mutex> guard(lock);
    buffer->Stop();
    state = State::Stopped;
}

StreamChannel::State StreamChannel::GetState()
{
    std::lock_guard<std::mutex> guard(lock);
    return state;
}

void StreamChannel::SetGain(double gain)
{
    std::lock_guard<std::mutex> guard(lock);
    buffer->SetVolume(AttenuationFromGain(gain));
}

void StreamChannel::SetLooping(bool looping)
{
    std::lock_guard<std::mutex> guard(lock);
    source->SetLooping(looping);
}

bool StreamChannel::Reposition(const std::function<bool(PcmSource&)>& move)
{
    std::lock_guard<std::mutex> guard(lock);
    if (!move(*source)) {
        return false;
    }
    Restart();
    if (state == State::Playing) {
        StartVoice();
    }
    return true;
}

void StreamChannel::Adjust(const std::function<void(PcmSource&)>& change)
{
    std::lock_guard<std::mutex> guard(lock);
    change(*source);
}

void StreamChannel::Restart()
{
    buffer->Stop();
    buffer->SetCurrentPosition(0);
    written = 0;
    played = 0;
    writeFrame = 0;
    lastPlayFrame = 0;
    sourceEnded = false;
    primed = true;
    Refill(std::max<uint32_t>(1, source->Rate() / kPrimeDivisor));
}

void StreamChannel::StartVoice()
{
    if (!outputPaused) {
        buffer->Play(DSBPLAY_LOOPING);
    }
}

void StreamChannel::Refill(uint32_t maxFrames)
{
    uint32_t playByte = 0;
    uint32_t writeByte = 0;
    buffer->GetCurrentPosition(&playByte, &writeByte);
    const uint32_t playFrame = playByte / frameBytes;
    played += (playFrame + bufferFrames - lastPlayFrame) % bufferFrames;
    lastPlayFrame = playFrame;
    if (played > written) {
        // The refill fell behind and the mixer read old audio: go on right where it reads now.
        writeFrame = writeByte / frameBytes;
        written = played + (writeFrame + bufferFrames - playFrame) % bufferFrames;
    }
    if (sourceEnded && played >= audioEnd) {
        buffer->Stop();
        state = State::Stopped;
        return;
    }
    const uint32_t frames = std::min(uint32_t(bufferFrames - (written - played)), maxFrames);
    if (frames == 0) {
        return;
    }
    void* first = nullptr;
    void* second = nullptr;
    uint32_t firstBytes = 0;
    uint32_t secondBytes = 0;
    if (buffer->Lock(writeFrame * frameBytes, frames * frameBytes, &first, &firstBytes, &second, &secondBytes, 0) !=
        DS_OK) {
        return;
    }
    Write(static_cast<uint8_t*>(first), firstBytes / frameBytes);
    if (second) {
        Write(static_cast<uint8_t*>(second), secondBytes / frameBytes);
    }
    buffer->Unlock(first, firstBytes, second, secondBytes);
    writeFrame = (writeFrame + frames) % bufferFrames;
}

void StreamChannel::Write(uint8_t* to, uint32_t frames)
{
    size_t decoded = 0;
    if (!sourceEnded) {
        // The buffer's 16-bit samples are in the machine's order, as the decoders give them.
        decoded = source->Read(reinterpret_cast<int16_t*>(to), frames);
        if (decoded < frames) {
            sourceEnded = true;
            audioEnd = written + decoded;
        }
    }
    std::memset(to + decoded * frameBytes, 0, (frames - decoded) * frameBytes);
    written += frames;
}

StreamPlayer::StreamPlayer(std::unique_ptr<DirectSoundDevice> device)
    : device(std::move(device)), feeder(StartThread([this] { Feed(); }))
{}

StreamPlayer::~StreamPlayer()
{
    {
        std::lock_guard<std::mutex> guard(lock);
        quitting = true;
    }
    wake.notify_all();
    feeder.join();
    channels.clear();
}

StreamChannel* StreamPlayer::CreateChannel(std::unique_ptr<PcmSource> source, uint32_t bufferMilliseconds)
{
    const uint32_t rate = uint32_t(source->Rate());
    const auto channelCount = uint16_t(source->Channels());
    const auto align = uint16_t(2 * channelCount);
    const WaveFormat format{WAVE_FORMAT_PCM, channelCount, rate, rate * align, align, 16};
    const uint32_t frames = std::max<uint32_t>(2, uint32_t(uint64_t(rate) * bufferMilliseconds / 1000));
    std::unique_ptr<DirectSoundBuffer> buffer;
    if (device->CreateSoundBuffer(BufferDescription{kChannelBufferFlags, frames * align, &format}, buffer) != DS_OK) {
        return nullptr;
    }
    std::lock_guard<std::mutex> guard(lock);
    channels.push_back(std::unique_ptr<StreamChannel>(
        new StreamChannel(lock, std::move(source), std::move(buffer), frames, outputPaused)));
    return channels.back().get();
}

void StreamPlayer::DeleteChannel(StreamChannel* channel)
{
    std::unique_ptr<StreamChannel> deleted;
    std::lock_guard<std::mutex> guard(lock);
    auto found =
        std::find_if(channels.begin(), channels.end(), [channel](const auto& c) { return c.get() == channel; });
    if (found != channels.end()) {
        deleted = std::move(*found);
        channels.erase(found);
    }
}

void StreamPlayer::SetOutputPaused(bool paused)
{
    std::lock_guard<std::mutex> guard(lock);
    outputPaused = paused;
    for (const auto& channel : channels) {
        if (paused) {
            channel->buffer->Stop();
        } else if (channel->state == StreamChannel::State::Playing) {
            channel->StartVoice();
        }
    }
}

void StreamPlayer::Update()
{
    std::lock_guard<std::mutex> guard(lock);
    for (const auto& channel : channels) {
        if (channel->state == StreamChannel::State::Playing) {
            channel->Refill(std::max<uint32_t>(1, channel->source->Rate() / kRefillDivisor));
        }
    }
}

void StreamPlayer::Feed()
{
    std::unique_lock<std::mutex> guard(lock);
    while (!wake.wait_for(guard, kRefillPeriod, [this] { return quitting; })) {
        guard.unlock();
        Update();
        guard.lock();
    }
}

} // namespace Platform
