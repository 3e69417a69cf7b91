// The music interface: songs addressed by ids of the caller's choice. This base class is the silent
// interface, whose operations do nothing; the back ends derive from it.
#pragma once

#include <string>

namespace Tolm {

class MusicInterface
{
public:
    MusicInterface() = default;
    virtual ~MusicInterface() = default;
    MusicInterface(const MusicInterface&) = delete;
    MusicInterface& operator=(const MusicInterface&) = delete;

    virtual bool LoadMusic(int /*songId*/, const std::string& /*file*/) { return false; }
    virtual void PlayMusic(int /*songId*/, int /*offset*/, bool /*noLoop*/) {}
    virtual void StopMusic(int /*songId*/) {}
    virtual void PauseMusic(int /*songId*/) {}
    virtual void ResumeMusic(int /*songId*/) {}
    virtual void StopAllMusic() {}
    virtual void UnloadMusic(int /*songId*/) {}
    virtual void UnloadAllMusic() {}
    virtual void PauseAllMusic() {}
    virtual void ResumeAllMusic() {}
    virtual void FadeIn(int /*songId*/, int /*offset*/, double /*speed*/, bool /*noLoop*/) {}
    virtual void FadeOut(int /*songId*/, bool /*stopWhenSilent*/, double /*speed*/) {}
    virtual void FadeOutAll(bool /*stopWhenSilent*/, double /*speed*/) {}
    virtual void SetSongVolume(int /*songId*/, double /*volume*/) {}
    virtual void SetSongMaxVolume(int /*songId*/, double /*maxVolume*/) {}
    virtual bool IsPlaying(int /*songId*/) { return false; }
    virtual void SetVolume(double /*volume*/) {}
    virtual void SetSongAmplification(int /*songId*/, double /*value*/) {}
    // Once per logic update: the fades step on.
    virtual void Update() {}
};

} // namespace Tolm
