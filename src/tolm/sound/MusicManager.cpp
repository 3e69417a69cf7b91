// The music manager. The fade speeds are single-precision constants widened to double, so a whole fade
// at 0.01 takes 101 updates and one at 0.05 takes 20.
#include "sound/MusicManager.h"

#include "app/TolmAppBase.h"
#include "core/PakXmlDocument.h"
#include "core/StringUtils.h"
#include "platform/DebugOutput.h"
#include "sound/MusicInterface.h"

#include <tinyxml.h>

namespace {

constexpr double kSwitchSpeed = double(0.01f);
constexpr double kFadeOutSpeed = double(0.05f);
constexpr double kFadeInSpeed = double(0.01f);

const char* const kTrackElements[] = {"main_menu_track", "level_track1", "level_track2", "level_track3"};

Tolm::MusicInterface* Music()
{
    return Tolm::gTolmApp ? Tolm::gTolmApp->musicInterface.get() : nullptr;
}

} // namespace

MusicManager::MusicManager()
{
    TiXmlDocument document;
    if (!LoadXmlDocument(document, "properties\\music.xml")) {
        Tolm::gTolmApp->ShowMessageBox(
            Tolm::FormatString("Couldn't open %s. Error returned:\n\"%s\"", "music.xml", document.ErrorDesc()), "Error",
            0);
    } else if (const TiXmlElement* music = document.FirstChildElement("Music")) {
        for (int track = 0; track < int(std::size(kTrackElements)); ++track) {
            const TiXmlElement* element = music->FirstChildElement(kTrackElements[track]);
            const char* file = element ? element->Attribute("file") : nullptr;
            if (file && Music()) {
                Music()->LoadMusic(track, file);
            } else if (element) {
                Platform::DebugOutput(Tolm::FormatString("music.xml: %s has no file\r\n", kTrackElements[track]));
            }
        }
    }
    currentTrack = -1;
}

void MusicManager::SwitchTrack(int track)
{
    Tolm::MusicInterface* music = Music();
    if (track == currentTrack || !music) {
        return;
    }
    music->FadeOut(currentTrack, true, kSwitchSpeed);
    currentTrack = track;
    music->FadeIn(track, 0, kSwitchSpeed, false);
}

void MusicManager::FadeOutCurrent()
{
    if (Tolm::MusicInterface* music = Music()) {
        music->FadeOut(currentTrack, false, kFadeOutSpeed);
    }
}

void MusicManager::FadeInCurrent()
{
    if (Tolm::MusicInterface* music = Music()) {
        music->FadeIn(currentTrack, -1, kFadeInSpeed, false);
    }
}

void PlayMenuMusic()
{
    MusicManager::Instance()->SwitchTrack(0);
}

void PlayLevelMusic(int level)
{
    MusicManager::Instance()->SwitchTrack((level - 1) / 5 % 3 + 1);
}

void FadeOutMusic()
{
    MusicManager::Instance()->FadeOutCurrent();
}

void FadeInMusic()
{
    MusicManager::Instance()->FadeInCurrent();
}
