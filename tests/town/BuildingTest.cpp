// The buildings: the factory's table, the picture drawn only when built, the alpha hit test, the smoke and
// spray, the turning wheel, the bobbing airship with its passenger, and the dust prepared again.
#include "TownFixture.h"
#include "effects/ParticleManager.h"
#include "graphics/Animator.h"
#include "graphics/Graphics.h"
#include "town/BuildingsFactory.h"
#include "town/Town.h"
#include "town/TownAirship.h"
#include "town/TownBuildingWithSmoke.h"
#include "town/TownManFactory.h"

#include <cmath>
#include <numbers>

namespace {

class BuildingTest : public TownFixture
{
protected:
    BaseTownBuilding& Building(int id) { return *BuildingsFactory::Instance()->GetById(id); }

    RecordingScreen screen;
    Tolm::Graphics g{&screen};
};

TEST_F(BuildingTest, FactoryHoldsThirtyBuildingsUnderTheirOwnIds)
{
    MakeTown();
    for (int id = 0; id < BuildingsFactory::kBuildings; ++id) {
        ASSERT_NE(BuildingsFactory::Instance()->GetById(id), nullptr) << id;
        EXPECT_EQ(Building(id).GetId(), id);
    }
    EXPECT_EQ(BuildingsFactory::Instance()->GetById(30), nullptr);
    EXPECT_EQ(BuildingsFactory::Instance()->GetById(-1), nullptr);
    for (int id : {3, 7, 19}) {
        EXPECT_NE(dynamic_cast<TownBuildingWithSmoke*>(&Building(id)), nullptr) << id;
    }
    EXPECT_NE(dynamic_cast<TownAirship*>(&Building(25)), nullptr);
}

TEST_F(BuildingTest, FactoryMadeBeforeTheTownMakesWayForOneThatReadTheFile)
{
    Picture("B_well", 4, 4);
    WriteTown(BuildingElement("well", 0, 0, "<Bonus type=\"S2\"/>"));
    EXPECT_EQ(BuildingsFactory::Instance()->GetById(2)->GetBonusBrickType(), 0);
    MakeTown();
    // S followed by d is type d + 18.
    EXPECT_EQ(BuildingsFactory::Instance()->GetById(2)->GetBonusBrickType(), 20);
}

TEST_F(BuildingTest, TownSetsBuildingsBuiltAsTheProfileSaysAndWhenTheirBuildEnds)
{
    Open();
    UserProfile::SetBuildingBuilt(4);
    MakeTown();
    EXPECT_TRUE(Building(4).IsBuilt());
    EXPECT_FALSE(Building(5).IsBuilt());
    UserProfile::SetBuildingBuilt(5);
    Town::Instance()->RefreshBuilt();
    EXPECT_TRUE(Building(5).IsBuilt());
    Town::Instance()->BuildBuilding(6);
    EXPECT_TRUE(Building(6).IsBuilt());
    Town::Instance()->BuildBuilding(30);
}

TEST_F(BuildingTest, PictureIsDrawnOnlyWhenBuilt)
{
    Picture("B_well", 40, 30);
    WriteTown(BuildingElement("well", 100, 200));
    MakeTown();
    Building(2).Draw(g);
    EXPECT_TRUE(screen.draws.empty());
    Building(2).SetBuilt(true);
    Building(2).Draw(g);
    ASSERT_EQ(screen.draws.size(), 1u);
    EXPECT_EQ(screen.draws[0], "B_well at 100.00,200.00 part 40x30 alpha 255");
}

TEST_F(BuildingTest, HitTestTakesPixelsOfTheFirstFrameWithAlphaAbove20)
{
    Tolm::MemoryImage* picture = Picture("B_well", 20, 10, 2);
    uint32_t* bits = picture->GetBits();
    bits[3 * 20 + 4] = 20u << 24;
    bits[3 * 20 + 5] = 21u << 24;
    picture->NoteBitsChanged();
    WriteTown(BuildingElement("well", 100, 200));
    MakeTown();
    Building(2).SetBuilt(true);
    struct Case
    {
        const char* name;
        int x;
        int y;
        bool hit;
    };
    const Case cases[] = {
        {"alpha 20 is no hit", 104, 203, false},
        {"alpha 21 is a hit", 105, 203, true},
        {"top-left corner", 100, 200, true},
        {"last pixel of the first frame", 109, 209, true},
        {"one pixel right of the first frame", 110, 205, false},
        {"one pixel below", 105, 210, false},
        {"one pixel left", 99, 205, false},
        {"one pixel above", 105, 199, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Building(2).HitTest(c.x, c.y), c.hit) << c.name;
    }
}

TEST_F(BuildingTest, SmokeRunsBehindWhileBuiltAndStopsAtOnceWhenUnbuilt)
{
    LoadParticles("building_smoke");
    LoadParticles("fountain");
    Picture("B_bakehouse", 90, 60);
    Picture("B_fountain", 100, 40);
    WriteTown(BuildingElement("bakehouse", 10, 20) + BuildingElement("fountain", 300, 300));
    MakeTown();
    auto& bakehouse = static_cast<TownBuildingWithSmoke&>(Building(3));
    ASSERT_EQ(bakehouse.GetParticles().count, 1);
    const ParticleEmitter& smoke = *bakehouse.GetParticles().emitters[0];
    EXPECT_EQ(smoke.currentX, 10 + 71);
    EXPECT_EQ(smoke.currentY, 20 + 4);
    EXPECT_EQ(static_cast<TownBuildingWithSmoke&>(Building(19)).GetParticles().emitters[0]->currentX, 300 + 79);
    bakehouse.SetBuilt(true);
    for (int frame = 0; frame < 20; ++frame) {
        bakehouse.Tick(1);
    }
    EXPECT_GT(smoke.liveCount, 0);
    bakehouse.SetBuilt(false);
    EXPECT_EQ(smoke.liveCount, 0);
    EXPECT_TRUE(smoke.IsStopped());
    bakehouse.SetBuilt(true);
    EXPECT_FALSE(smoke.IsStopped());
}

TEST_F(BuildingTest, SmokeBuildingWithoutItsParticleEffectHasNoEmitter)
{
    Picture("B_bakehouse", 90, 60);
    WriteTown(BuildingElement("bakehouse", 10, 20));
    MakeTown();
    auto& bakehouse = static_cast<TownBuildingWithSmoke&>(Building(3));
    EXPECT_EQ(bakehouse.GetParticles().count, 0);
    bakehouse.SetBuilt(true);
    bakehouse.Tick(1);
    bakehouse.Draw(g);
    EXPECT_EQ(screen.draws.size(), 1u);
}

TEST_F(BuildingTest, WatermillTurnsItsWheelOneFrameAStep)
{
    Picture("B_watermill", 60, 20, 3);
    WriteTown(BuildingElement("watermill", 5, 6));
    MakeTown();
    auto& mill = static_cast<TownWatermill&>(Building(7));
    mill.SetBuilt(true);
    mill.Draw(g);
    mill.Step();
    mill.Draw(g);
    ASSERT_EQ(screen.draws.size(), 2u);
    EXPECT_EQ(screen.draws[0], "B_watermill at 5.00,6.00 part 20x20 alpha 255");
    EXPECT_EQ(mill.GetWheel().currentFrame, 1);
}

TEST_F(BuildingTest, AirshipBobsFivePixelsAndCarriesTheStrangerByHisCentre)
{
    Picture("B_airship", 80, 50);
    Picture("M_stranger", 40, 20, 2);
    Picture("M_stranger_face", 16, 16);
    WriteTown(BuildingElement("airship", 200, 100) +
              "<People id=\"stranger\"><Name>Nobody</Name><Comments>...</Comments>"
              "<Image id=\"M_stranger\" x=\"30\" y=\"40\"/><ImagePreview id=\"M_stranger_face\"/>"
              "<LevelCombos val=\"3\"/></People>");
    Open();
    UserProfile::SetPersonArrived(9);
    MakeTown();
    auto& airship = static_cast<TownAirship&>(Building(25));
    airship.Tick(100);
    EXPECT_EQ(airship.angle, 0) << "an unbuilt airship does not bob";
    airship.SetBuilt(true);
    airship.Draw(g);
    // A quarter turn at 0.008 a period.
    airship.Tick(std::numbers::pi_v<float> / 2 / 0.008f);
    airship.Draw(g);
    ASSERT_EQ(screen.draws.size(), 4u);
    EXPECT_EQ(screen.draws[0], "B_airship at 200.00,100.00 part 80x50 alpha 255");
    // The stranger's 20 x 20 frame centred on (200 + 30, 100 + 40).
    EXPECT_EQ(screen.draws[1], "M_stranger at 220.00,130.00 part 20x20 alpha 255");
    EXPECT_EQ(screen.draws[2], "B_airship at 200.00,105.00 part 80x50 alpha 255");
    EXPECT_EQ(screen.draws[3], "M_stranger at 220.00,135.00 part 20x20 alpha 255");
    airship.SetBuilt(false);
    EXPECT_EQ(airship.angle, 0);
}

} // namespace
