// Draws the town's art from the built data set and writes it to the tests' folder, to be looked at:
// "town_sheet.png" (every building standing, its preview and its falling picture; every person's loop and
// portrait) and three stills of the town as its scene draws it, "town_empty.png", "town_group0.png" (the first
// five buildings) and "town_full.png" (every building and every person).
#include "TownFixture.h"
#include "core/PakInterface.h"
#include "graphics/Graphics.h"
#include "resources/ResourceLookups.h"
#include "resources/ResourceManager.h"
#include "support/PngFile.h"
#include "town/BuildingsFactory.h"
#include "town/Town.h"
#include "town/TownManFactory.h"

namespace {

class TownStillsTest : public TownFixture
{
protected:
    TownStillsTest()
    {
        folder = previousFolder;
        EXPECT_TRUE(GetSharedPakInterface()->AddPakFile(std::string(QUENDARA_BUILD_DATA) + "/../main.pak"));
        for (const char* manifest : {"properties\\buildings.xml", "properties\\town_animation.xml"}) {
            EXPECT_TRUE(app.resourceManager->ParseResourcesFile(manifest)) << app.resourceManager->GetErrorText();
        }
        EXPECT_TRUE(app.resourceManager->LoadGroup("Buildings")) << app.resourceManager->GetErrorText();
    }
    ~TownStillsTest() override { app.resourceManager->UnloadGroup(""); }

    void Write(Tolm::MemoryImage& picture, const std::string& name)
    {
        EXPECT_TRUE(PngFile::Write(folder + "/" + name, picture.width, picture.height, picture.GetBits()));
    }

    void Still(const std::string& name)
    {
        Tolm::MemoryImage still;
        still.Create(800, 600);
        still.Clear();
        Tolm::Graphics g(&still);
        Town::Instance()->Draw(g);
        Write(still, name);
    }

    std::string folder;
};

TEST_F(TownStillsTest, SheetOfEveryBuildingAndPerson)
{
    MakeTown();
    Tolm::MemoryImage sheet;
    sheet.Create(1200, 2600);
    sheet.FillRect(Tolm::Rect(0, 0, 1200, 2600), Tolm::Color(120, 170, 90), 0);
    Tolm::Graphics g(&sheet);
    int x = 8;
    int y = 8;
    int rowHeight = 0;
    auto place = [&](Tolm::Image* image, int width, int height) {
        ASSERT_NE(image, nullptr);
        if (x + width > 1192) {
            x = 8;
            y += rowHeight + 8;
            rowHeight = 0;
        }
        g.DrawImagePart(image, x, y, Tolm::Rect(0, 0, width, height));
        x += width + 8;
        rowHeight = std::max(rowHeight, height);
    };
    for (int id = 0; id < BuildingsFactory::kBuildings; ++id) {
        const BaseTownBuilding& building = *BuildingsFactory::Instance()->GetById(id);
        Tolm::MemoryImage* picture = building.GetBuildingImage();
        place(picture, picture->width, picture->height);
        place(building.GetPreviewImage(), 84, 84);
        place(building.GetFallImage(), picture->GetFrameWidth(), picture->GetFrameHeight());
    }
    for (int id = 0; id < TownManFactory::kPeople; ++id) {
        const TownMan& person = *TownManFactory::Instance()->GetById(id);
        place(person.GetImage(), person.GetImage()->width, person.GetImage()->height);
        place(person.GetPreviewImage(), 160, 160);
    }
    Write(sheet, "town_sheet.png");
    EXPECT_EQ(warnings.lines.find("town.xml"), std::string::npos) << warnings.lines;
}

TEST_F(TownStillsTest, StillsEmptyFirstGroupAndComplete)
{
    MakeTown();
    Still("town_empty.png");
    for (int id = 0; id < 5; ++id) {
        UserProfile::SetBuildingBuilt(id);
    }
    Town::Instance()->RefreshBuilt();
    Still("town_group0.png");
    for (int id = 0; id < BuildingsFactory::kBuildings; ++id) {
        UserProfile::SetBuildingBuilt(id);
    }
    for (int id = 0; id < TownManFactory::kPeople; ++id) {
        UserProfile::SetPersonArrived(id);
    }
    Town::Instance()->RefreshBuilt();
    Still("town_full.png");
}

} // namespace
