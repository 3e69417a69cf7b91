// The BASS back end. Volumes reach the library as whole hundredths, truncated; the older library
// generation takes other argument lists for start-up and module loading, and one call for the global
// volumes. A module in memory is handed over with its length, so that the library never reads past the
// file, whatever a damaged module's headers say.
#include "sound/BassMusicInterface.h"

#include "core/PakFile.h"
#include "core/StringUtils.h"
#include "sound/BassLibrary.h"

namespace Tolm {

namespace {

constexpr int32_t kKeepFrequency = -1;
constexpr int32_t kKeepPan = -101;
// Music files are read whole; anything larger is no music file.
constexpr int64_t kMaxMusicFileBytes = int64_t(256) << 20;

// A module's position: its order number in the low 16 bits with the order flag, widened with its sign
// as the library's 64-bit position.
uint64_t ModulePosition(int offset)
{
    return uint64_t(int64_t(int32_t(Platform::kBassMusicPosition | (uint32_t(offset) & 0xFFFF))));
}

// An older generation's entry point, kept in the table under the newer one's type.
template <typename Older, typename Newer>
Older AsOlder(Newer proc)
{
    return reinterpret_cast<Older>(reinterpret_cast<Platform::LibraryProc>(proc));
}

uint32_t LoopFlag(bool noLoop)
{
    return noLoop ? 0 : Platform::kBassSampleLoop;
}

bool IsStreamFile(const std::string& file)
{
    const size_t dot = file.rfind('.');
    const std::string extension = StringToLower(dot == std::string::npos ? std::string() : file.substr(dot + 1));
    return extension == "wav" || extension == "ogg" || extension == "mp3";
}

// The whole file through the file layer: one read of the size its end gives.
bool ReadMusicFile(const std::string& name, std::vector<uint8_t>& contents)
{
    PakFile file(name);
    if (!file) {
        return false;
    }
    const int64_t size = file.Size();
    if (size < 0 || size > kMaxMusicFileBytes) {
        return false;
    }
    contents.resize(size_t(size));
    return file.Read(contents.data(), uint32_t(size));
}

} // namespace

BassMusicInterface::BassMusicInterface(BASS_INSTANCE* bass, Platform::WindowHandle window) : bass(bass)
{
    if (bass->IsNewerGeneration()) {
        bass->BASS_Init(1, 44100, 0, window, nullptr);
        bass->BASS_SetConfig(Platform::kBassConfigBuffer, 2000);
    } else {
        AsOlder<Platform::BASS_InitOlderProc>(bass->BASS_Init)(-1, 44100, 0, window);
    }
    bass->BASS_Start();
    globalVolumeScale = 40;
    moduleLoadFlags =
        bass->IsNewerGeneration() ? Platform::kBassMusicRamp | Platform::kBassSampleLoop : Platform::kBassSampleLoop;
}

BassMusicInterface::~BassMusicInterface()
{
    bass->BASS_Stop();
    bass->BASS_Free();
    FreeBassLibrary();
    songs.clear();
}

BassMusicInterface::BassMusicInfo* BassMusicInterface::Find(int songId)
{
    auto found = songs.find(songId);
    return found == songs.end() ? nullptr : &found->second;
}

bool BassMusicInterface::LoadMusic(int songId, const std::string& file)
{
    // A second load under the id would only leave its channel behind: the first song stays.
    if (songs.count(songId)) {
        return false;
    }
    std::vector<uint8_t> contents;
    if (!ReadMusicFile(file, contents)) {
        return false;
    }
    BassMusicInfo song;
    if (IsStreamFile(file)) {
        song.stream = bass->BASS_StreamCreateFile(1, contents.data(), 0, contents.size(), 0);
        song.streamFile = std::move(contents);
    } else if (bass->IsNewerGeneration()) {
        song.module = bass->BASS_MusicLoad(1, contents.data(), 0, uint32_t(contents.size()), moduleLoadFlags, 0);
    } else {
        song.module = AsOlder<Platform::BASS_MusicLoadOlderProc>(bass->BASS_MusicLoad)(
            1, contents.data(), 0, uint32_t(contents.size()), moduleLoadFlags);
    }
    if (song.Handle() == 0) {
        return false;
    }
    songs.emplace(songId, std::move(song));
    return true;
}

void BassMusicInterface::ApplyVolume(const BassMusicInfo& song)
{
    bass->BASS_ChannelSetAttributes(song.Handle(), kKeepFrequency, int32_t(song.volume * 100), kKeepPan);
}

void BassMusicInterface::StartModule(const BassMusicInfo& song, int offset, bool noLoop, uint32_t moduleFlags)
{
    bass->BASS_ChannelStop(song.module);
    bass->BASS_ChannelSetPosition(song.module, ModulePosition(offset));
    bass->BASS_ChannelSetFlags(song.module, LoopFlag(noLoop) | moduleFlags);
    bass->BASS_ChannelPlay(song.module, 0);
}

void BassMusicInterface::StartStream(const BassMusicInfo& song, int offset, bool noLoop)
{
    bass->BASS_ChannelSetFlags(song.stream, LoopFlag(noLoop));
    bass->BASS_ChannelPlay(song.stream, offset != -1 ? 1 : 0);
    if (offset > 0) {
        bass->BASS_ChannelSetPosition(song.stream, uint64_t(offset));
    }
}

void BassMusicInterface::PlayMusic(int songId, int offset, bool noLoop)
{
    BassMusicInfo* song = Find(songId);
    if (!song) {
        return;
    }
    song->StartAtCap();
    song->stopWhenSilent = noLoop;
    ApplyVolume(*song);
    bass->BASS_ChannelStop(song->Handle());
    if (song->module) {
        const uint32_t options =
            bass->IsNewerGeneration() ? Platform::kBassMusicPositionReset | Platform::kBassMusicRamp : 0;
        StartModule(*song, offset, noLoop, options);
    } else {
        StartStream(*song, offset, noLoop);
    }
}

void BassMusicInterface::FadeIn(int songId, int offset, double speed, bool noLoop)
{
    BassMusicInfo* song = Find(songId);
    if (!song) {
        return;
    }
    song->fadeStep = speed;
    bass->BASS_ChannelStop(song->Handle());
    ApplyVolume(*song);
    if (song->module && offset == -1) {
        bass->BASS_ChannelPlay(song->module, 1);
    } else if (song->module) {
        StartModule(*song, offset, noLoop, bass->IsNewerGeneration() ? Platform::kBassMusicRamp : 0);
    } else {
        StartStream(*song, offset, noLoop);
    }
}

void BassMusicInterface::FadeOut(int songId, bool stopWhenSilent, double speed)
{
    BassMusicInfo* song = Find(songId);
    if (!song) {
        return;
    }
    if (song->volume != 0.0) {
        song->fadeStep = -speed;
    }
    song->stopWhenSilent = stopWhenSilent;
}

void BassMusicInterface::FadeOutAll(bool stopWhenSilent, double speed)
{
    for (auto& [songId, song] : songs) {
        FadeOut(songId, stopWhenSilent, speed);
    }
}

void BassMusicInterface::Update()
{
    for (auto& [songId, song] : songs) {
        bool stopNow = false;
        if (!song.Step(stopNow)) {
            continue;
        }
        if (stopNow) {
            bass->BASS_ChannelStop(song.Handle());
        }
        ApplyVolume(song);
    }
}

void BassMusicInterface::Stop(BassMusicInfo& song)
{
    song.volume = 0.0;
    bass->BASS_ChannelStop(song.Handle());
}

void BassMusicInterface::StopMusic(int songId)
{
    if (BassMusicInfo* song = Find(songId)) {
        Stop(*song);
    }
}

void BassMusicInterface::StopAllMusic()
{
    for (auto& [songId, song] : songs) {
        Stop(song);
    }
}

void BassMusicInterface::PauseMusic(int songId)
{
    if (BassMusicInfo* song = Find(songId)) {
        bass->BASS_ChannelPause(song->Handle());
    }
}

void BassMusicInterface::ResumeMusic(int songId)
{
    if (BassMusicInfo* song = Find(songId)) {
        bass->BASS_ChannelPlay(song->Handle(), 0);
    }
}

void BassMusicInterface::PauseAllMusic()
{
    for (auto& [songId, song] : songs) {
        if (bass->BASS_ChannelIsActive(song.Handle()) == Platform::kBassActivePlaying) {
            bass->BASS_ChannelPause(song.Handle());
        }
    }
}

void BassMusicInterface::ResumeAllMusic()
{
    for (auto& [songId, song] : songs) {
        if (bass->BASS_ChannelIsActive(song.Handle()) == Platform::kBassActivePaused) {
            bass->BASS_ChannelPlay(song.Handle(), 0);
        }
    }
}

void BassMusicInterface::Free(const BassMusicInfo& song)
{
    if (song.module) {
        bass->BASS_MusicFree(song.module);
    } else {
        bass->BASS_StreamFree(song.stream);
    }
}

void BassMusicInterface::UnloadMusic(int songId)
{
    BassMusicInfo* song = Find(songId);
    if (!song) {
        return;
    }
    Stop(*song);
    Free(*song);
    songs.erase(songId);
}

void BassMusicInterface::UnloadAllMusic()
{
    StopAllMusic();
    for (const auto& [songId, song] : songs) {
        Free(song);
    }
    songs.clear();
}

void BassMusicInterface::SetSongVolume(int songId, double volume)
{
    if (BassMusicInfo* song = Find(songId)) {
        song->volume = volume;
        ApplyVolume(*song);
    }
}

void BassMusicInterface::SetSongMaxVolume(int songId, double maxVolume)
{
    BassMusicInfo* song = Find(songId);
    if (!song) {
        return;
    }
    song->volumeCap = maxVolume;
    if (song->volume > maxVolume) {
        song->volume = maxVolume;
    }
    ApplyVolume(*song);
}

bool BassMusicInterface::IsPlaying(int songId)
{
    BassMusicInfo* song = Find(songId);
    return song && bass->BASS_ChannelIsActive(song->Handle()) == Platform::kBassActivePlaying;
}

void BassMusicInterface::SetVolume(double volume)
{
    if (bass->IsNewerGeneration()) {
        bass->BASS_SetConfig(Platform::kBassConfigMusicVolume, uint32_t(volume * 100));
        bass->BASS_SetConfig(Platform::kBassConfigStreamVolume, uint32_t(volume * 100));
    } else if (bass->BASS_SetGlobalVolumes) {
        const auto level = int32_t(globalVolumeScale * volume);
        bass->BASS_SetGlobalVolumes(level, level, level);
    }
}

void BassMusicInterface::SetSongAmplification(int songId, double value)
{
    if (BassMusicInfo* song = Find(songId)) {
        bass->BASS_MusicSetAttribute(song->Handle(), Platform::kBassMusicAttributeAmplify, uint32_t(value * 100));
    }
}

} // namespace Tolm
