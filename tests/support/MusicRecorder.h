// A silent music interface that notes every call the game makes to it, for tests and the harness.
#pragma once

#include "sound/MusicInterface.h"

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

class MusicRecorder : public Tolm::MusicInterface
{
public:
    bool LoadMusic(int songId, const std::string& file) override
    {
        Note("LoadMusic " + std::to_string(songId) + " " + file);
        return true;
    }
    void PlayMusic(int songId, int offset, bool noLoop) override { Note("PlayMusic", songId, offset, noLoop); }
    void StopMusic(int songId) override { Note("StopMusic " + std::to_string(songId)); }
    void PauseMusic(int songId) override { Note("PauseMusic " + std::to_string(songId)); }
    void ResumeMusic(int songId) override { Note("ResumeMusic " + std::to_string(songId)); }
    void StopAllMusic() override { Note("StopAllMusic"); }
    void UnloadMusic(int songId) override { Note("UnloadMusic " + std::to_string(songId)); }
    void UnloadAllMusic() override { Note("UnloadAllMusic"); }
    void PauseAllMusic() override { Note("PauseAllMusic"); }
    void ResumeAllMusic() override { Note("ResumeAllMusic"); }
    void FadeIn(int songId, int offset, double speed, bool noLoop) override
    {
        Note("FadeIn " + std::to_string(songId) + " " + std::to_string(offset) + " " + Number(speed) + " " +
             (noLoop ? "1" : "0"));
    }
    void FadeOut(int songId, bool stopWhenSilent, double speed) override
    {
        Note("FadeOut " + std::to_string(songId) + " " + (stopWhenSilent ? "1" : "0") + " " + Number(speed));
    }
    void FadeOutAll(bool stopWhenSilent, double speed) override
    {
        Note(std::string("FadeOutAll ") + (stopWhenSilent ? "1" : "0") + " " + Number(speed));
    }
    void SetSongVolume(int songId, double volume) override
    {
        Note("SetSongVolume " + std::to_string(songId) + " " + Number(volume));
    }
    void SetSongMaxVolume(int songId, double maxVolume) override
    {
        Note("SetSongMaxVolume " + std::to_string(songId) + " " + Number(maxVolume));
    }
    void SetVolume(double volume) override { Note("SetVolume " + Number(volume)); }
    void SetSongAmplification(int songId, double value) override
    {
        Note("SetSongAmplification " + std::to_string(songId) + " " + Number(value));
    }

    // Everything called since the last call, one line each.
    std::vector<std::string> Take() { return std::exchange(calls, {}); }

private:
    static std::string Number(double value)
    {
        char text[32];
        std::snprintf(text, sizeof text, "%g", value);
        return text;
    }
    void Note(const std::string& call) { calls.push_back(call); }
    void Note(const char* name, int songId, int offset, bool noLoop)
    {
        Note(std::string(name) + " " + std::to_string(songId) + " " + std::to_string(offset) + " " +
             (noLoop ? "1" : "0"));
    }

    std::vector<std::string> calls;
};
