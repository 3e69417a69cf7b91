// The music back end on the BASS library: a song is a tracker module or a stream of a sampled file (WAVE,
// Ogg, MP3), played as one of the library's channels, with a volume that fades by a step on every update
// up to the song's cap or down to silence.
#pragma once

#include "platform/BassLibrary.h"
#include "platform/WindowMessages.h"
#include "sound/MusicFade.h"
#include "sound/MusicInterface.h"

#include <cstdint>
#include <map>
#include <vector>

namespace Tolm {

struct BASS_INSTANCE;

class BassMusicInterface : public MusicInterface
{
public:
    // Takes over a reference to the table (LoadBassLibrary) and starts the library's output for the window.
    BassMusicInterface(BASS_INSTANCE* bass, Platform::WindowHandle window);
    ~BassMusicInterface() override;

    bool LoadMusic(int songId, const std::string& file) override;
    void PlayMusic(int songId, int offset, bool noLoop) override;
    void StopMusic(int songId) override;
    void PauseMusic(int songId) override;
    void ResumeMusic(int songId) override;
    void StopAllMusic() override;
    void UnloadMusic(int songId) override;
    void UnloadAllMusic() override;
    void PauseAllMusic() override;
    void ResumeAllMusic() override;
    void FadeIn(int songId, int offset, double speed, bool noLoop) override;
    void FadeOut(int songId, bool stopWhenSilent, double speed) override;
    void FadeOutAll(bool stopWhenSilent, double speed) override;
    void SetSongVolume(int songId, double volume) override;
    void SetSongMaxVolume(int songId, double maxVolume) override;
    bool IsPlaying(int songId) override;
    void SetVolume(double volume) override;
    void SetSongAmplification(int songId, double value) override;
    void Update() override;

private:
    struct BassMusicInfo : MusicFade
    {
        Platform::BassHandle module = 0;
        Platform::BassHandle stream = 0;
        // The file a stream reads from, for as long as the stream exists.
        std::vector<uint8_t> streamFile;

        Platform::BassHandle Handle() const { return module ? module : stream; }
    };

    BassMusicInfo* Find(int songId);
    void ApplyVolume(const BassMusicInfo& song);
    // Stops the channel, then starts it from the offset as a fade-in or play asks.
    void StartModule(const BassMusicInfo& song, int offset, bool noLoop, uint32_t moduleFlags);
    void StartStream(const BassMusicInfo& song, int offset, bool noLoop);
    void Stop(BassMusicInfo& song);
    void Free(const BassMusicInfo& song);

    std::map<int, BassMusicInfo> songs;
    BASS_INSTANCE* bass;
    int globalVolumeScale = 40;
    uint32_t moduleLoadFlags = 0;
};

} // namespace Tolm
