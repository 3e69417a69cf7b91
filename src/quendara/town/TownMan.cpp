#include "town/TownMan.h"

#include "graphics/Animator.h"
#include "graphics/MemoryImage.h"
#include "town/TownFile.h"

#include <tinyxml.h>

TownMan::TownMan() : animation(std::make_unique<Tolm::Animator>()) {}

TownMan::TownMan(const TiXmlDocument* document, const std::string& personName, int personId)
    : animation(std::make_unique<Tolm::Animator>()), id(personId)
{
    element = FindTownElement(document, "People", personName);
    if (element) {
        Read(*element, personName);
    }
    animation->SetImage(image);
}

TownMan::~TownMan() = default;

void TownMan::Read(const TiXmlElement& person, const std::string& key)
{
    const TownElementReader reader(person, key);
    name = reader.RequiredText("Name");
    comments = reader.RequiredText("Comments");
    image = reader.RequiredImage("Image");
    const TiXmlElement* picture = person.FirstChildElement("Image");
    x = TownElementReader::Integer(picture, "x");
    y = TownElementReader::Integer(picture, "y");
    previewImage = reader.RequiredImage("ImagePreview");
    goalChainLength = reader.Goal("ChainLength");
    goalComboLength = reader.Goal("ComboLength");
    goalGold = reader.Goal("LevelGold");
    goalFood = reader.Goal("LevelFood");
    goalSupplies = reader.Goal("LevelSupplies");
    goalCells = reader.Goal("LevelCells");
    goalCombos = reader.Goal("LevelCombos");
}

void TownMan::Step()
{
    animation->Update();
}

void TownMan::Draw(Tolm::Graphics& g)
{
    animation->Draw(g, x, y);
}

void TownMan::DrawCentred(Tolm::Graphics& g, float centreX, float centreY)
{
    if (!image) {
        return;
    }
    animation->DrawAtF(g, centreX - float(image->GetFrameWidth()) / 2, centreY - float(image->GetFrameHeight()) / 2,
                       true);
}
