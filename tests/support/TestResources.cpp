#include "TestResources.h"

#include "SoundRecorder.h"
#include "app/TolmAppBase.h"
#include "graphics/Font.h"
#include "sound/SoundManager.h"

void TestResourceManager::DeclareImage(const std::string& id, Tolm::MemoryImage* image)
{
    auto record = std::make_unique<ImageRes>();
    record->id = id;
    record->image.AssignPrivate(image);
    imageMap[id] = std::move(record);
}

void TestResourceManager::DeclareFont(const std::string& id, Tolm::Font& font)
{
    auto record = std::make_unique<FontRes>();
    record->id = id;
    record->font = font.Clone();
    fontMap[id] = std::move(record);
}

void TestResourceManager::DeclareSound(const std::string& id)
{
    auto record = std::make_unique<SoundRes>(app);
    record->id = id;
    record->soundId = app->soundManager->GetFreeSoundId();
    app->soundManager->LoadSound(record->soundId, id);
    OnResourceLoaded(record.get());
    soundMap[id] = std::move(record);
}

void TestResourceManager::OnResourceLoaded(BaseRes* record)
{
    if (recorder && record->kind == KindSound) {
        recorder->Name(static_cast<SoundRes*>(record)->soundId, record->id);
    }
}

TestResourceManager& InstallTestResources(Tolm::TolmAppBase& app, SoundRecorder* recorder)
{
    auto resources = std::make_unique<TestResourceManager>(&app, recorder);
    TestResourceManager& installed = *resources;
    app.resourceManager = std::move(resources);
    return installed;
}
