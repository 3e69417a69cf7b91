// The game's music: the menu track (song 0) and three level tracks (songs 1 to 3) named in
// "properties\music.xml", loaded into the application's music interface and switched with cross-fades.
#pragma once

#include "core/Singleton.h"

class MusicManager : public Singleton<MusicManager>
{
public:
    MusicManager();

    // Fades the current track out (stopping it once silent) while the new one fades in from its start.
    void SwitchTrack(int track);
    // The current track fades out but goes on playing, silent, until it fades back in where it stands.
    void FadeOutCurrent();
    void FadeInCurrent();

    int GetCurrentTrack() const { return currentTrack; }

private:
    // -1: none yet.
    int currentTrack = -1;
};

void PlayMenuMusic();
// Levels 1-5 play track 1, 6-10 track 2, 11-15 track 3, then round again.
void PlayLevelMusic(int level);
void FadeOutMusic();
void FadeInMusic();
