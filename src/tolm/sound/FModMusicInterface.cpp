// The FMOD back end. Volumes reach the library as whole numbers, truncated: 100 x the interface volume
// x the song's, on FMOD's channel scale of 255 and module scale of 256.
#include "sound/FModMusicInterface.h"

#include "platform/FileSystem.h"
#include "sound/FmodLibrary.h"

#include <cstdio>
#include <cstring>
#include <vector>

namespace Tolm {

namespace {

constexpr const char* kCacheFolder = "cached";

uint32_t LoopMode(bool loop)
{
    return loop ? Platform::FSOUND_LOOP_NORMAL : Platform::FSOUND_LOOP_OFF;
}

// The file name without its folders and its extension.
std::string BaseName(const std::string& file)
{
    const size_t slash = file.find_last_of("\\/");
    std::string name = slash == std::string::npos ? file : file.substr(slash + 1);
    const size_t dot = name.rfind('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

void PutLe(std::vector<uint8_t>& out, uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i) {
        out.push_back(uint8_t(value >> (8 * i)));
    }
}

// The 44 bytes before a PCM WAVE file's samples.
std::vector<uint8_t> WaveHeader(int channels, int rate, int bits, uint32_t dataBytes)
{
    const auto align = uint32_t(channels * bits / 8);
    std::vector<uint8_t> header{'R', 'I', 'F', 'F'};
    PutLe(header, dataBytes + 36, 4);
    header.insert(header.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    PutLe(header, 16, 4);
    PutLe(header, 1, 2);
    PutLe(header, uint32_t(channels), 2);
    PutLe(header, uint32_t(rate), 4);
    PutLe(header, uint32_t(rate) * align, 4);
    PutLe(header, align, 2);
    PutLe(header, uint32_t(bits), 2);
    header.insert(header.end(), {'d', 'a', 't', 'a'});
    PutLe(header, dataBytes, 4);
    return header;
}

} // namespace

FModMusicInterface::FModMusicInterface(FMOD_INSTANCE* fmod, Platform::WindowHandle) : fmod(fmod) {}

FModMusicInterface::~FModMusicInterface()
{
    FreeFmodLibrary();
    songs.clear();
}

FModMusicInterface::FModMusicInfo* FModMusicInterface::Find(int songId)
{
    auto found = songs.find(songId);
    return found == songs.end() ? nullptr : &found->second;
}

bool FModMusicInterface::LoadMusic(int songId, const std::string& file)
{
    // A second load under the id would only leave its module behind: the first song stays.
    if (songs.count(songId)) {
        return false;
    }
    Platform::FmodSong* module = fmod->FMUSIC_LoadSong(file.c_str());
    if (!module) {
        return false;
    }
    songs[songId].module = module;
    return true;
}

void FModMusicInterface::ApplyVolume(int songId, const FModMusicInfo& song)
{
    if (song.module) {
        fmod->FMUSIC_SetMasterVolume(song.module, int(moduleVolumeScale * interfaceVolume * song.volume));
    } else {
        fmod->FSOUND_SetVolume(songId, int(sampleVolumeScale * interfaceVolume * song.volume));
    }
}

void FModMusicInterface::StartSample(int songId, const FModMusicInfo& song)
{
    fmod->FSOUND_PlaySound(songId, song.sample);
    fmod->FSOUND_SetLoopMode(songId, LoopMode(song.loop));
}

void FModMusicInterface::PlayMusic(int songId, int offset, bool noLoop)
{
    FModMusicInfo* song = Find(songId);
    if (!song) {
        return;
    }
    song->StartAtCap();
    if (song->module) {
        ApplyVolume(songId, *song);
        fmod->FMUSIC_SetLooping(song->module, LoopMode(!noLoop));
        fmod->FMUSIC_PlaySong(song->module);
        fmod->FMUSIC_SetOrder(song->module, offset);
    } else {
        StartSample(songId, *song);
        ApplyVolume(songId, *song);
    }
}

void FModMusicInterface::FadeIn(int songId, int offset, double speed, bool noLoop)
{
    FModMusicInfo* song = Find(songId);
    if (!song) {
        return;
    }
    song->fadeStep = speed;
    if (song->module) {
        ApplyVolume(songId, *song);
        fmod->FMUSIC_SetLooping(song->module, LoopMode(!noLoop));
        if (!fmod->FMUSIC_IsPlaying(song->module)) {
            fmod->FMUSIC_PlaySong(song->module);
        }
        if (offset != -1) {
            fmod->FMUSIC_SetOrder(song->module, offset);
        }
        return;
    }
    if (!fmod->FSOUND_IsPlaying(songId)) {
        StartSample(songId, *song);
    }
    ApplyVolume(songId, *song);
}

void FModMusicInterface::FadeOut(int songId, bool stopWhenSilent, double speed)
{
    if (FModMusicInfo* song = Find(songId)) {
        song->fadeStep = -speed;
        song->stopWhenSilent = stopWhenSilent;
    }
}

void FModMusicInterface::FadeOutAll(bool stopWhenSilent, double speed)
{
    for (auto& [songId, song] : songs) {
        FadeOut(songId, stopWhenSilent, speed);
    }
}

void FModMusicInterface::Update()
{
    for (auto& [songId, song] : songs) {
        bool stopNow = false;
        if (!song.Step(stopNow)) {
            continue;
        }
        if (stopNow) {
            song.module ? void(fmod->FMUSIC_StopSong(song.module)) : void(fmod->FSOUND_StopSound(songId));
        }
        ApplyVolume(songId, song);
    }
}

void FModMusicInterface::Stop(int songId, FModMusicInfo& song)
{
    song.volume = 0.0;
    if (song.module) {
        fmod->FMUSIC_StopSong(song.module);
    } else {
        fmod->FSOUND_StopSound(songId);
    }
}

void FModMusicInterface::StopMusic(int songId)
{
    if (FModMusicInfo* song = Find(songId)) {
        Stop(songId, *song);
    }
}

void FModMusicInterface::StopAllMusic()
{
    for (auto& [songId, song] : songs) {
        Stop(songId, song);
    }
}

void FModMusicInterface::PauseMusic(int songId)
{
    if (FModMusicInfo* song = Find(songId)) {
        song->module ? void(fmod->FMUSIC_SetPaused(song->module, 1)) : void(fmod->FSOUND_SetPaused(songId, 1));
    }
}

void FModMusicInterface::ResumeMusic(int songId)
{
    if (FModMusicInfo* song = Find(songId)) {
        song->module ? void(fmod->FMUSIC_SetPaused(song->module, 0)) : void(fmod->FSOUND_SetPaused(songId, 0));
    }
}

void FModMusicInterface::SetSongVolume(int songId, double volume)
{
    if (FModMusicInfo* song = Find(songId)) {
        song->volume = volume;
        ApplyVolume(songId, *song);
    }
}

bool FModMusicInterface::IsPlaying(int songId)
{
    FModMusicInfo* song = Find(songId);
    return song && song->module && fmod->FMUSIC_IsPlaying(song->module);
}

void FModMusicInterface::SetVolume(double volume)
{
    interfaceVolume = volume;
    for (const auto& [songId, song] : songs) {
        ApplyVolume(songId, song);
    }
}

bool FModMusicInterface::LoadSampleSong(int songId, const std::string& file, bool loop)
{
    if (songs.count(songId)) {
        return false;
    }
    Platform::FmodSample* sample = LoadCachedSample(file);
    if (!sample) {
        return false;
    }
    FModMusicInfo& song = songs[songId];
    song.sample = sample;
    song.loop = loop;
    return true;
}

bool FModMusicInterface::LoadTwoPartSong(int songId, const std::string& introFile, const std::string& loopFile,
                                         bool loop)
{
    if (songs.count(songId)) {
        return false;
    }
    Platform::FmodSample* intro = LoadCachedSample(introFile);
    Platform::FmodSample* loopPart = LoadCachedSample(loopFile);
    int introRate = 0;
    int loopRate = 0;
    const bool matching =
        intro && loopPart && fmod->FSOUND_Sample_GetDefaults(intro, &introRate, nullptr, nullptr, nullptr) &&
        fmod->FSOUND_Sample_GetDefaults(loopPart, &loopRate, nullptr, nullptr, nullptr) && introRate == loopRate &&
        fmod->FSOUND_Sample_GetMode(intro) == fmod->FSOUND_Sample_GetMode(loopPart);
    Platform::FmodSample* whole = nullptr;
    if (matching) {
        const uint32_t mode = fmod->FSOUND_Sample_GetMode(intro);
        const int frameBytes = ((mode & Platform::FSOUND_MONO) ? 1 : 2) * ((mode & Platform::FSOUND_8BITS) ? 1 : 2);
        const auto introFrames = int(fmod->FSOUND_Sample_GetLength(intro));
        const auto loopFrames = int(fmod->FSOUND_Sample_GetLength(loopPart));
        whole = fmod->FSOUND_Sample_Alloc(-1, introFrames + loopFrames, mode | Platform::FSOUND_LOOP_NORMAL, introRate,
                                          255, 128, 0);
        if (whole && CopySamples(intro, whole, 0, introFrames * frameBytes) &&
            CopySamples(loopPart, whole, introFrames * frameBytes, loopFrames * frameBytes)) {
            fmod->FSOUND_Sample_SetLoopPoints(whole, introFrames, introFrames + loopFrames - 1);
        }
    }
    for (Platform::FmodSample* part : {intro, loopPart}) {
        if (part) {
            fmod->FSOUND_Sample_Free(part);
        }
    }
    if (!whole) {
        return false;
    }
    FModMusicInfo& song = songs[songId];
    song.sample = whole;
    song.loop = loop;
    return true;
}

bool FModMusicInterface::CopySamples(Platform::FmodSample* from, Platform::FmodSample* to, int offset, int bytes)
{
    void* source = nullptr;
    void* sourceRest = nullptr;
    void* target = nullptr;
    void* targetRest = nullptr;
    uint32_t sourceBytes = 0;
    uint32_t sourceRestBytes = 0;
    uint32_t targetBytes = 0;
    uint32_t targetRestBytes = 0;
    if (!fmod->FSOUND_Sample_Lock(from, 0, bytes, &source, &sourceRest, &sourceBytes, &sourceRestBytes)) {
        return false;
    }
    const bool locked =
        fmod->FSOUND_Sample_Lock(to, offset, bytes, &target, &targetRest, &targetBytes, &targetRestBytes) != 0;
    if (locked) {
        std::memcpy(target, source, std::min(sourceBytes, targetBytes));
        fmod->FSOUND_Sample_Unlock(to, target, targetRest, targetBytes, targetRestBytes);
    }
    fmod->FSOUND_Sample_Unlock(from, source, sourceRest, sourceBytes, sourceRestBytes);
    return locked;
}

Platform::FmodSample* FModMusicInterface::LoadCachedSample(const std::string& file)
{
    const std::string cacheName = std::string(kCacheFolder) + "\\" + BaseName(file) + ".wav";
    if (!Platform::IsDirectory(kCacheFolder)) {
        Platform::MakeDirectory(kCacheFolder);
    }
    if (Platform::FmodSample* cached = fmod->FSOUND_Sample_Load(-1, cacheName.c_str(), 0, 0)) {
        return cached;
    }
    Platform::FmodSample* sample = fmod->FSOUND_Sample_Load(-1, (file + ".ogg").c_str(), 0, 0);
    if (sample) {
        WriteCacheFile(cacheName, sample);
    }
    return sample;
}

void FModMusicInterface::WriteCacheFile(const std::string& name, Platform::FmodSample* sample)
{
    const uint32_t mode = fmod->FSOUND_Sample_GetMode(sample);
    const int channels = (mode & Platform::FSOUND_MONO) ? 1 : 2;
    const int bits = (mode & Platform::FSOUND_8BITS) ? 8 : 16;
    int rate = 0;
    fmod->FSOUND_Sample_GetDefaults(sample, &rate, nullptr, nullptr, nullptr);
    const uint32_t bytes = fmod->FSOUND_Sample_GetLength(sample) * uint32_t(channels * bits / 8);
    void* data = nullptr;
    void* rest = nullptr;
    uint32_t dataBytes = 0;
    uint32_t restBytes = 0;
    if (!fmod->FSOUND_Sample_Lock(sample, 0, int(bytes), &data, &rest, &dataBytes, &restBytes)) {
        return;
    }
    if (std::FILE* out = Platform::OpenFile(name, "wb")) {
        const std::vector<uint8_t> header = WaveHeader(channels, rate, bits, dataBytes);
        std::fwrite(header.data(), 1, header.size(), out);
        std::fwrite(data, 1, dataBytes, out);
        std::fclose(out);
    }
    fmod->FSOUND_Sample_Unlock(sample, data, rest, dataBytes, restBytes);
}

} // namespace Tolm
