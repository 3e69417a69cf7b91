// The music back end on the FMOD library: a song is a tracker module, or a sample decoded whole (kept
// decoded in the "cached" folder as a WAVE file) that plays on the FMOD channel numbered as the song,
// possibly an intro followed by a looping part. Volumes fade by a step on every update.
#pragma once

#include "platform/FmodLibrary.h"
#include "platform/WindowMessages.h"
#include "sound/MusicFade.h"
#include "sound/MusicInterface.h"

#include <map>

namespace Tolm {

struct FMOD_INSTANCE;

class FModMusicInterface : public MusicInterface
{
public:
    // Takes over a reference to the table (LoadFmodLibrary); the sound manager starts FMOD itself.
    FModMusicInterface(FMOD_INSTANCE* fmod, Platform::WindowHandle window);
    ~FModMusicInterface() override;

    bool LoadMusic(int songId, const std::string& file) override;
    void PlayMusic(int songId, int offset, bool noLoop) override;
    void StopMusic(int songId) override;
    void PauseMusic(int songId) override;
    void ResumeMusic(int songId) override;
    void StopAllMusic() override;
    void FadeIn(int songId, int offset, double speed, bool noLoop) override;
    void FadeOut(int songId, bool stopWhenSilent, double speed) override;
    void FadeOutAll(bool stopWhenSilent, double speed) override;
    void SetSongVolume(int songId, double volume) override;
    bool IsPlaying(int songId) override;
    void SetVolume(double volume) override;
    void Update() override;

    // An intro and a part that loops after it, made one sample; both files decode to the same layout.
    virtual bool LoadTwoPartSong(int songId, const std::string& introFile, const std::string& loopFile, bool loop);
    // The file with ".ogg" added, decoded whole.
    virtual bool LoadSampleSong(int songId, const std::string& file, bool loop);

private:
    struct FModMusicInfo : MusicFade
    {
        Platform::FmodSong* module = nullptr;
        Platform::FmodSample* sample = nullptr;
        bool loop = false;
    };

    FModMusicInfo* Find(int songId);
    // The sample decoded from "cached\<name>.wav", or from the file with ".ogg" added, which is then
    // written to that cache file; null when neither loads.
    Platform::FmodSample* LoadCachedSample(const std::string& file);
    void WriteCacheFile(const std::string& name, Platform::FmodSample* sample);
    bool CopySamples(Platform::FmodSample* from, Platform::FmodSample* to, int offset, int bytes);
    void ApplyVolume(int songId, const FModMusicInfo& song);
    void StartSample(int songId, const FModMusicInfo& song);
    void Stop(int songId, FModMusicInfo& song);

    std::map<int, FModMusicInfo> songs;
    FMOD_INSTANCE* fmod;
    double interfaceVolume = 1.0;
    int moduleVolumeScale = 100;
    int sampleVolumeScale = 100;
};

} // namespace Tolm
