// How a bought building comes in: the fade-in, the fall with its landing, the callbacks, and the dust.
#include "town/BuildingEffects.h"

#include "TownFixture.h"
#include "effects/ParticleManager.h"
#include "graphics/Graphics.h"
#include "support/CountedCallback.h"
#include "town/BuildingsFactory.h"
#include "town/Town.h"

#include <cmath>
#include <tinyxml.h>

namespace {

class BuildingEffectsTest : public TownFixture
{
protected:
    BaseTownBuilding& Building(int id) { return *BuildingsFactory::Instance()->GetById(id); }

    // Emitter positions of the dust of a PostBuildGfx element holding the lines, at building (100, 50).
    std::vector<std::pair<float, float>> Dust(const std::string& lines)
    {
        TiXmlDocument document;
        document.Parse(("<PostBuildGfx>" + lines + "</PostBuildGfx>").c_str());
        GfxBuildingPostBuild dust(*document.RootElement(), 100, 50);
        EXPECT_TRUE(dust.Start());
        std::vector<std::pair<float, float>> places;
        for (int i = 0; i < dust.particles->count; ++i) {
            places.emplace_back(dust.particles->emitters[std::size_t(i)]->currentX,
                                dust.particles->emitters[std::size_t(i)]->currentY);
        }
        return places;
    }

    int doneRuns = 0;
    int doneDeletes = 0;
    int placedRuns = 0;
    int placedDeletes = 0;
    RecordingScreen screen;
    Tolm::Graphics g{&screen};
};

TEST_F(BuildingEffectsTest, FallStartsWithItsBottomEdgeOnTheTopAndLandsExactlyOnItsPlace)
{
    Picture("B_well", 40, 60);
    Picture("F_well", 40, 70);
    WriteTown(BuildingElement("well", 100, 300, "<ImageGfx id=\"F_well\"/>"));
    MakeTown();
    GfxBuildingFall fall(2, new CountedCallback(doneRuns, doneDeletes), new CountedCallback(placedRuns, placedDeletes));
    EXPECT_EQ(fall.y.current, -60);
    EXPECT_EQ(fall.y.target, 300);
    float previous = fall.y.current;
    int ticks = 0;
    while (fall.y.current != 300 && ticks < 1000) {
        EXPECT_EQ(fall.Update(), 0);
        EXPECT_EQ(placedRuns, 0) << "placed before landing";
        fall.Tick(1);
        EXPECT_GE(fall.y.current, previous);
        EXPECT_LE(fall.y.current, 300) << "overshoots";
        previous = fall.y.current;
        ++ticks;
    }
    // Tick k moves by 0.2 (k - 1): after n ticks 0.1 n (n - 1) pixels, 354 after 60 and 366 after 61 of 360.
    EXPECT_EQ(ticks, 61);
    EXPECT_EQ(fall.Update(), 0);
    EXPECT_EQ(placedRuns, 1);
    EXPECT_EQ(placedDeletes, 1);
    // Landed, the building fades in under the fall picture at 0.1 an update.
    fall.Tick(0.5f);
    fall.Draw(g);
    ASSERT_EQ(screen.draws.size(), 2u);
    EXPECT_EQ(screen.draws[0], "B_well at 100.00,300.00 part 40x60 alpha 12");
    EXPECT_EQ(screen.draws[1], "F_well at 100.00,300.00 part 40x60 alpha 255");
    int rest = 0;
    while (fall.Update() == 0 && rest < 100) {
        fall.Tick(1);
        ++rest;
    }
    EXPECT_EQ(doneRuns, 1);
    EXPECT_EQ(placedRuns, 1);
}

TEST_F(BuildingEffectsTest, FallPictureDefaultsToTheBuildingPicture)
{
    Picture("B_well", 40, 60);
    WriteTown(BuildingElement("well", 100, 300));
    MakeTown();
    GfxBuildingFall fall(2, nullptr, nullptr);
    fall.Draw(g);
    ASSERT_EQ(screen.draws.size(), 1u);
    EXPECT_EQ(screen.draws[0], "B_well at 100.00,-60.00 part 40x60 alpha 255");
}

TEST_F(BuildingEffectsTest, AppearIsPlacedAtItsStartAndDoneOnceOpaqueAfterFiftyPeriods)
{
    Picture("B_well", 40, 60);
    WriteTown(BuildingElement("well", 100, 300, "<Effects gfx=\"appear\"/>"));
    MakeTown();
    GfxBuildigAppear appear(2, new CountedCallback(doneRuns, doneDeletes),
                            new CountedCallback(placedRuns, placedDeletes));
    appear.Draw(g);
    EXPECT_TRUE(screen.draws.empty()) << "invisible at alpha 0";
    EXPECT_TRUE(appear.Start());
    EXPECT_EQ(placedRuns, 1);
    // 0.02 an update period: half-way after 25 periods, opaque after 50.
    EXPECT_EQ(appear.Update(), 0);
    appear.Tick(25);
    appear.Draw(g);
    EXPECT_EQ(appear.Update(), 0);
    EXPECT_EQ(doneRuns, 0);
    appear.Tick(25);
    EXPECT_EQ(appear.Update(), -1);
    EXPECT_EQ(doneRuns, 1);
    EXPECT_EQ(doneDeletes, 1);
    EXPECT_EQ(screen.draws, std::vector<std::string>{"B_well at 100.00,300.00 part 40x60 alpha 127"});
}

TEST_F(BuildingEffectsTest, BuildEffectFollowsTheAppearFlagOnTheBuildingsOwnList)
{
    Picture("B_well", 40, 60);
    Picture("B_garden", 40, 60);
    WriteTown(BuildingElement("well", 0, 100) + BuildingElement("garden", 0, 100, "<Effects gfx=\"Appear\"/>"));
    MakeTown();
    Building(1).StartBuildEffect(nullptr, new CountedCallback(placedRuns, placedDeletes));
    Building(1).UpdateEffects();
    EXPECT_EQ(placedRuns, 0) << "\"Appear\" falls, and is placed only on landing";
    Building(1).Draw(g);
    EXPECT_EQ(screen.draws, std::vector<std::string>{"B_garden at 0.00,-60.00 part 40x60 alpha 255"})
        << "an unbuilt building draws its build effect";
}

TEST_F(BuildingEffectsTest, DeletingABuildEffectDeletesItsCallbacksUnrun)
{
    Picture("B_well", 40, 60);
    WriteTown(BuildingElement("well", 0, 100));
    MakeTown();
    delete new GfxBuildingFall(2, new CountedCallback(doneRuns, doneDeletes),
                               new CountedCallback(placedRuns, placedDeletes));
    delete new GfxBuildigAppear(2, new CountedCallback(doneRuns, doneDeletes),
                                new CountedCallback(placedRuns, placedDeletes));
    EXPECT_EQ(doneRuns + placedRuns, 0);
    EXPECT_EQ(doneDeletes, 2);
    EXPECT_EQ(placedDeletes, 2);
}

TEST_F(BuildingEffectsTest, DustRisesEveryTenPixelsOfEachLine)
{
    LoadParticles("building_dust", "-3");
    using Places = std::vector<std::pair<float, float>>;
    struct Case
    {
        const char* name;
        const char* lines;
        Places places;
    };
    const Case cases[] = {
        {"25 pixels: 0, 10, 20", "<line x1='0' y1='0' x2='25' y2='0'/>", {{100, 50}, {110, 50}, {120, 50}}},
        {"exactly 20 pixels: three", "<line x1='0' y1='0' x2='20' y2='0'/>", {{100, 50}, {110, 50}, {120, 50}}},
        {"length 0: one at its start", "<line x1='4' y1='6' x2='4' y2='6'/>", {{104, 56}}},
        {"upwards, relative to the building", "<line x1='2' y1='30' x2='2' y2='15'/>", {{102, 80}, {102, 70}}},
        {"missing attributes count 0", "<line x2='5'/>", {{100, 50}}},
        {"two lines in order",
         "<line x1='0' y1='0' x2='5' y2='0'/><line x1='0' y1='9' x2='0' y2='9'/>",
         {{100, 50}, {100, 59}}},
        {"a line beyond the floats raises none", "<line x1='0' y1='0' x2='1e39' y2='0'/><line x2='3'/>", {{100, 50}}},
        {"nan raises none", "<line x1='nan' y1='0' x2='3' y2='0'/>", {}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Dust(c.lines), c.places) << c.name;
    }
    EXPECT_EQ(Dust("<line x1='0' y1='0' x2='1e30' y2='0'/><line x1='0' y1='0' x2='9' y2='0'/>").size(),
              std::size_t(ParticleManager::kMaxEmitters))
        << "a line too long to walk ends when the manager is full";
}

TEST_F(BuildingEffectsTest, DustEndsWithItsLastEmitterAndIsPreparedAgainWhenUnbuilt)
{
    LoadParticles("building_dust", "-3");
    Picture("B_well", 40, 60);
    WriteTown(BuildingElement("well", 0, 100, "<PostBuildGfx><line x1='0' y1='50' x2='30' y2='50'/></PostBuildGfx>"));
    MakeTown();
    BaseTownBuilding& well = Building(2);
    well.StartPostBuildEffect();
    EXPECT_FALSE(well.IsEmpty());
    int updates = 0;
    while (!well.IsEmpty() && updates < 1000) {
        well.UpdateEffects();
        well.TickEffects(1);
        ++updates;
    }
    EXPECT_TRUE(well.IsEmpty()) << "the dust ends";
    well.StartPostBuildEffect();
    EXPECT_TRUE(well.IsEmpty()) << "the dust runs once a purchase";
    well.SetBuilt(true);
    well.SetBuilt(false);
    well.StartPostBuildEffect();
    EXPECT_FALSE(well.IsEmpty()) << "set unbuilt, it rises again on the next purchase";
}

TEST_F(BuildingEffectsTest, BuildingWithoutPostBuildGfxRaisesNoDust)
{
    LoadParticles("building_dust", "-3");
    Picture("B_well", 40, 60);
    WriteTown(BuildingElement("well", 0, 100));
    MakeTown();
    Building(2).StartPostBuildEffect();
    EXPECT_TRUE(Building(2).IsEmpty());
}

} // namespace
