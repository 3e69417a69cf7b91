#include "town/BaseTownBuilding.h"

#include "bricks/BrickHelper.h"
#include "graphics/Graphics.h"
#include "graphics/MemoryImage.h"
#include "town/BuildingEffects.h"
#include "town/TownFile.h"

#include <cstring>
#include <tinyxml.h>

namespace {

// A pixel this transparent or more is no part of the building.
constexpr uint32_t kHitAlpha = 20;

} // namespace

BaseTownBuilding::BaseTownBuilding(const TiXmlDocument* document, const std::string& name, int buildingId)
    : id(buildingId)
{
    element = FindTownElement(document, "Building", name);
    if (element) {
        Read(*element, name);
    }
}

BaseTownBuilding::~BaseTownBuilding()
{
    postBuild.reset();
    Clear();
}

void BaseTownBuilding::Read(const TiXmlElement& building, const std::string& name)
{
    const TownElementReader reader(building, name);
    description = reader.RequiredText("Description");
    const TiXmlElement* cost = reader.RequiredChild("Cost");
    costGold = TownElementReader::Integer(cost, "gold");
    costFood = TownElementReader::Integer(cost, "food");
    costSupplies = TownElementReader::Integer(cost, "supplies");
    buildingImage = reader.RequiredImage("ImageBuilding");
    const TiXmlElement* picture = building.FirstChildElement("ImageBuilding");
    x = TownElementReader::Integer(picture, "x");
    y = TownElementReader::Integer(picture, "y");
    previewImage = building.FirstChildElement("ImagePreview") ? reader.OptionalImage("ImagePreview") : buildingImage;
    fallImage = building.FirstChildElement("ImageGfx") ? reader.OptionalImage("ImageGfx") : buildingImage;
    const char* effect = reader.Attribute("Effects", "gfx");
    appear = effect && std::strcmp(effect, "appear") == 0 ? 1 : 0;
    PreparePostBuild();
    const char* bonus = reader.Attribute("Bonus", "type");
    bonusBrickType = bonus ? ParseBrickCode(bonus) : 0;
}

void BaseTownBuilding::PreparePostBuild()
{
    const TiXmlElement* lines = element ? element->FirstChildElement("PostBuildGfx") : nullptr;
    if (lines) {
        postBuild = std::make_unique<GfxBuildingPostBuild>(*lines, x, y);
    }
}

void BaseTownBuilding::Tick(float) {}

void BaseTownBuilding::Step() {}

void BaseTownBuilding::DrawPicture(Tolm::Graphics& g)
{
    g.DrawImage(buildingImage, x, y);
}

void BaseTownBuilding::Draw(Tolm::Graphics& g)
{
    if (ShowsPicture()) {
        DrawPicture(g);
    }
    DrawEffects(g);
}

void BaseTownBuilding::SetBuilt(bool b)
{
    built = b;
    if (!b && !postBuild) {
        PreparePostBuild();
    }
}

bool BaseTownBuilding::HitTest(int px, int py) const
{
    if (!buildingImage || px < x || py < y || px - x >= buildingImage->GetFrameWidth() ||
        py - y >= buildingImage->GetFrameHeight()) {
        return false;
    }
    const uint32_t* pixels = buildingImage->GetBits();
    if (!pixels) {
        return false;
    }
    const std::size_t index = std::size_t(py - y) * std::size_t(buildingImage->GetWidth()) + std::size_t(px - x);
    return pixels[index] >> 24 > kHitAlpha;
}

void BaseTownBuilding::StartBuildEffect(baseCallback* onDone, baseCallback* onPlaced)
{
    if (appear == 1) {
        AddEffect(new GfxBuildigAppear(id, onDone, onPlaced), false);
    } else {
        AddEffect(new GfxBuildingFall(id, onDone, onPlaced), false);
    }
}

void BaseTownBuilding::StartPostBuildEffect()
{
    if (postBuild) {
        AddEffect(postBuild.release(), false);
    }
}
