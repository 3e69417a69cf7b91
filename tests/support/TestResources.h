// A resource manager for tests: resources declared by the test itself (images and fonts the test keeps,
// sounds in free sound ids), as loaded records of a manifest would be, and every loaded sound named to a
// sound recorder. The harness puts one in place of the game's own to name the sounds it hears.
#pragma once

#include "resources/ResourceManager.h"

#include <string>

class SoundRecorder;

namespace Tolm {
class TolmAppBase;
}

class TestResourceManager : public Tolm::ResourceManager
{
public:
    // The recorder may be null: sounds are not named then.
    TestResourceManager(Tolm::TolmAppBase* app, SoundRecorder* recorder) : ResourceManager(app), recorder(recorder) {}

    // The image stays the test's.
    void DeclareImage(const std::string& id, Tolm::MemoryImage* image);
    // A copy of the font.
    void DeclareFont(const std::string& id, Tolm::Font& font);
    // Loaded into the application's sound manager.
    void DeclareSound(const std::string& id);
    void OnResourceLoaded(BaseRes* record) override;

private:
    SoundRecorder* recorder;
};

// Puts a TestResourceManager in place of the application's resource manager and returns it.
TestResourceManager& InstallTestResources(Tolm::TolmAppBase& app, SoundRecorder* recorder);
