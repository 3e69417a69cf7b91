// What the music libraries play through: channels that stream a source into a looping DirectSound
// buffer, refilled behind its play cursor as a DirectSound program streams. A thread of the player's
// own refills every channel every few milliseconds; Update does the same at once for a caller that
// renders the mixer itself (tests). A buffer holds a fixed length of the source's audio, so decoding
// runs well ahead of what is heard, while volume, pause and stop act on the buffer and are heard at once.
//
// Threads: one lock guards the player and its channels; the refill holds it while it decodes a few
// milliseconds of audio, and every channel operation takes it.
#pragma once

#include "platform/DirectSound.h"
#include "platform/PcmSource.h"

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace Platform {

class StreamChannel
{
public:
    enum class State
    {
        Stopped,
        Playing,
        Paused,
    };

    ~StreamChannel();
    StreamChannel(const StreamChannel&) = delete;
    StreamChannel& operator=(const StreamChannel&) = delete;

    // From the start with restart, a source that has ended, or one never played; otherwise from where
    // it stopped or paused.
    void Play(bool restart);
    void Pause();
    // Keeps the place, so that playing on goes on from it.
    void Stop();
    // A source that plays to its end stops there by itself.
    State GetState();
    // Linear: 1 plays the source as it is, 0 silences it.
    void SetGain(double gain);
    void SetLooping(bool looping);
    // Runs move on the source; when it moved it (true), what the buffer holds is dropped and the channel
    // goes on from the source's new place.
    bool Reposition(const std::function<bool(PcmSource&)>& move);
    // Runs change on the source, under the lock the refill takes.
    void Adjust(const std::function<void(PcmSource&)>& change);

private:
    friend class StreamPlayer;
    StreamChannel(std::mutex& lock, std::unique_ptr<PcmSource> source, std::unique_ptr<DirectSoundBuffer> buffer,
                  uint32_t bufferFrames, const bool& outputPaused);

    // The rest run with the lock held.
    void Restart();
    void Refill(uint32_t maxFrames);
    void Write(uint8_t* to, uint32_t frames);
    void StartVoice();

    std::mutex& lock;
    std::unique_ptr<PcmSource> source;
    std::unique_ptr<DirectSoundBuffer> buffer;
    const bool& outputPaused;
    uint32_t bufferFrames;
    uint32_t frameBytes;
    State state = State::Stopped;
    // The buffer holds the source's audio from its place on.
    bool primed = false;
    bool sourceEnded = false;
    // Frames written into the buffer and frames the play cursor passed since the last restart; between
    // them lies what is still to be heard.
    uint64_t written = 0;
    uint64_t played = 0;
    // Where the source's audio ends, in written frames; silence follows it.
    uint64_t audioEnd = 0;
    uint32_t writeFrame = 0;
    uint32_t lastPlayFrame = 0;
};

class StreamPlayer
{
public:
    explicit StreamPlayer(std::unique_ptr<DirectSoundDevice> device);
    ~StreamPlayer();
    StreamPlayer(const StreamPlayer&) = delete;
    StreamPlayer& operator=(const StreamPlayer&) = delete;

    // A stopped channel on the source, owned by the player, with a buffer of that many milliseconds; null
    // when the device takes no buffer of the source's layout.
    StreamChannel* CreateChannel(std::unique_ptr<PcmSource> source, uint32_t bufferMilliseconds);
    void DeleteChannel(StreamChannel* channel);
    // Silences every channel, keeping their states, until the output runs again.
    void SetOutputPaused(bool paused);
    // Refills every playing channel's buffer now.
    void Update();

private:
    void Feed();

    std::mutex lock;
    std::condition_variable wake;
    bool quitting = false;
    bool outputPaused = false;
    std::unique_ptr<DirectSoundDevice> device;
    std::vector<std::unique_ptr<StreamChannel>> channels;
    std::thread feeder;
};

} // namespace Platform
