// What the particle tests share: a folder of their own holding particle files and a manifest with one
// small white dot in group "Particles", an application whose resource manager can load it, and a clean
// configuration manager and particle layer before and after each test.
#pragma once

#include "EffectFixtures.h"
#include "core/Random.h"
#include "effects/GlobalParticles.h"
#include "effects/ParticleConfigManager.h"
#include "resources/ResourceLookups.h"

#include <string>

namespace ParticleFixtures {

// A particle file of the given key elements, each `<key value="..."/>`.
inline std::string ParticleFile(const std::string& elements)
{
    return "<?xml version=\"1.0\"?>\n<particles>\n" + elements + "</particles>\n";
}

inline std::string Key(const std::string& key, const std::string& value)
{
    return "  <" + key + " value=\"" + value + "\"/>\n";
}

class ParticleTest : public testing::Test
{
protected:
    void SetUp() override
    {
        previousFolder = Platform::CurrentFolder();
        ASSERT_TRUE(Platform::SetCurrentFolder(temp.Path()));
        const uint32_t dot[4] = {0x80FFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0x80FFFFFF};
        temp.Write("gfx/dot.png", "");
        ASSERT_TRUE(PngFile::Write(temp.Path() + "gfx/dot.png", 2, 2, dot));
        temp.Write("particles.xml", "<ResourceManifest><Resources id=\"Particles\">\n"
                                    "<Image path=\"gfx/dot.png\" id=\"GFX_TEST_DOT\"/>\n"
                                    "</Resources></ResourceManifest>\n");
        ASSERT_TRUE(app.resourceManager->ParseResourcesFile("particles.xml"));
        SeedRandom(1);
    }
    void TearDown() override
    {
        delete GlobalParticles::RegisteredInstance();
        delete ParticleConfigManager::RegisteredInstance();
        app.resourceManager->UnloadGroup("");
        Platform::SetCurrentFolder(previousFolder);
    }

    void LoadDot() { ASSERT_TRUE(app.resourceManager->LoadGroup("Particles")) << app.resourceManager->GetErrorText(); }

    // Writes the file and loads it under the name.
    bool Load(const std::string& name, const std::string& contents)
    {
        temp.Write("properties/particles/" + name + ".xml", contents);
        return ParticleConfigManager::Instance()->LoadConfig("properties\\particles\\" + name + ".xml", name);
    }

    ParticleConfig Get(const std::string& name)
    {
        ParticleConfig config;
        EXPECT_TRUE(GetParticleConfig(name, config)) << name;
        return config;
    }

    TempFolder temp;
    std::string previousFolder;
    Tolm::TolmAppBase app;
};

} // namespace ParticleFixtures
