#include "TownFixture.h"

#include "core/StringUtils.h"
#include "effects/ParticleConfigManager.h"
#include "platform/FileSystem.h"
#include "support/TestResources.h"
#include "town/BuildingsFactory.h"
#include "town/Town.h"
#include "town/TownManFactory.h"

#include <gtest/gtest.h>

RecordingScreen::RecordingScreen()
{
    width = 800;
    height = 600;
}

void RecordingScreen::Blit(Image* source, int x, int y, const Tolm::Rect& part, const Tolm::Color& color, int drawMode)
{
    BlitF(source, float(x), float(y), part, Tolm::Rect(), color, drawMode);
}

void RecordingScreen::BlitF(Image* source, float x, float y, const Tolm::Rect& part, const Tolm::Rect&,
                            const Tolm::Color& color, int)
{
    draws.push_back(source->name + Tolm::FormatString(" at %.2f,%.2f part %dx%d alpha %d", x, y, part.width,
                                                      part.height, color.alpha));
}

void RecordingScreen::BlitTexturedTriangles(Image* source, const Tolm::TexVertex*, int triangleCount, const Tolm::Rect&,
                                            const Tolm::Color&, int, float offsetX, float offsetY, bool)
{
    draws.push_back(source->name + Tolm::FormatString(" triangles %d at %.2f,%.2f", triangleCount, offsetX, offsetY));
}

TownFixture::TownFixture()
{
    previousFolder = Platform::CurrentFolder();
    EXPECT_TRUE(Platform::SetCurrentFolder(temp.Path()));
    resources = &InstallTestResources(app, nullptr);
    Platform::SetMessageBoxSink(&boxes);
    Platform::SetDebugOutputSink(&warnings);
}

TownFixture::~TownFixture()
{
    delete Town::RegisteredInstance();
    delete BuildingsFactory::RegisteredInstance();
    delete TownManFactory::RegisteredInstance();
    delete ParticleConfigManager::RegisteredInstance();
    Close();
    Platform::SetDebugOutputSink(nullptr);
    Platform::SetMessageBoxSink(nullptr);
    Platform::SetCurrentFolder(previousFolder);
}

Tolm::MemoryImage* TownFixture::Picture(const std::string& id, int w, int h, int cols, uint32_t alpha)
{
    auto picture = std::make_unique<Tolm::MemoryImage>();
    picture->Create(w, h);
    uint32_t* bits = picture->GetBits();
    std::fill(bits, bits + std::size_t(w * h), alpha << 24 | 0x808080);
    picture->NoteBitsChanged();
    picture->name = id;
    picture->numCols = cols;
    picture->numFrames = cols;
    resources->DeclareImage(id, picture.get());
    pictures.push_back(std::move(picture));
    return pictures.back().get();
}

void TownFixture::WriteTown(const std::string& elements)
{
    temp.Write("properties/town.xml", "<?xml version=\"1.0\"?>\n<Town>\n" + elements + "</Town>\n");
}

void TownFixture::LoadParticles(const std::string& name, const std::string& lifetime)
{
    temp.Write("particles/" + name + ".xml", "<particles><emission value=\"100\"/><lifetime value=\"" + lifetime +
                                                 "\"/><particle_life_min value=\"2\"/><particle_life_max value=\"2\"/>"
                                                 "<size_start value=\"1\"/><size_end value=\"1\"/></particles>");
    ASSERT_TRUE(ParticleConfigManager::Instance()->LoadConfig("particles/" + name + ".xml", name));
}

void TownFixture::MakeTown()
{
    Open();
    Town::Instance();
}

std::string BuildingElement(const std::string& id, int x, int y, const std::string& more)
{
    return "<Building id=\"" + id + "\"><Description>The " + id + ".</Description>" +
           "<Cost gold=\"10\" food=\"0\" supplies=\"0\"/><ImageBuilding id=\"B_" + id + "\" x=\"" + std::to_string(x) +
           "\" y=\"" + std::to_string(y) + "\"/>" + more + "</Building>\n";
}
