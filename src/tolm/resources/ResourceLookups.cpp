#include "resources/ResourceLookups.h"

#include "app/TolmAppBase.h"
#include "resources/ResourceManager.h"
#include "widgets/WidgetManager.h"

using Tolm::gTolmApp;

Tolm::MemoryImage* GetImageById(const std::string& id)
{
    // The handle taken here goes at once; the record's own handle keeps the image.
    return gTolmApp->resourceManager->GetImage(id).GetImage();
}

Tolm::Font* GetFontById(const std::string& id)
{
    return gTolmApp->resourceManager->GetFont(id);
}

void PlaySoundById(const std::string& id)
{
    if (gTolmApp->noSound) {
        return;
    }
    const int soundId = gTolmApp->resourceManager->GetSoundId(id);
    if (soundId >= 0) {
        gTolmApp->PlaySample(soundId);
    }
}

bool IsWindowShown(Tolm::Widget* window)
{
    return gTolmApp->widgetManager->HasWidget(window);
}
