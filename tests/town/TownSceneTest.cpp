// The town scene: what it draws and in which order, the frontmost hit, the clouds' copies and wrap, the
// sea's swell counted in frames, and flares only over built buildings.
#include "TownFixture.h"
#include "core/Random.h"
#include "graphics/Graphics.h"
#include "town/BuildingsFactory.h"
#include "town/CloudStrip.h"
#include "town/Town.h"
#include "town/TownSea.h"

namespace {

std::string PersonElement(const std::string& id, int x, int y)
{
    return "<People id=\"" + id + "\"><Name>" + id + "</Name><Comments>...</Comments><Image id=\"M_" + id + "\" x=\"" +
           std::to_string(x) + "\" y=\"" + std::to_string(y) + "\"/><LevelCombos val=\"3\"/></People>\n";
}

class TownSceneTest : public TownFixture
{
protected:
    TownSceneTest()
    {
        Picture("TOWN_SKY_BACK", 800, 600);
        Picture("TOWN_BACKGROUND_FIELD", 800, 600);
        Picture("TOWN_BACKGROUND_WAVES", 90, 45);
    }
    ~TownSceneTest() override { TownSea::waveTime = 0; }

    // Every building's picture at the same place, 20 x 20 at (100, 100).
    void WriteBuildingsAndPeople()
    {
        std::string elements;
        for (const char* name : {"academy", "magic_school", "fountain", "airship", "berth"}) {
            Picture(std::string("B_") + name, 20, 20);
            elements += BuildingElement(name, 100, 100);
        }
        for (const char* name : {"girl", "sharman", "stranger"}) {
            Picture(std::string("M_") + name, 10, 10);
            elements += PersonElement(name, 1, 2);
        }
        WriteTown(elements);
    }

    std::vector<std::string> Drawn()
    {
        screen.draws.clear();
        Town::Instance()->Draw(g);
        return screen.draws;
    }

    RecordingScreen screen;
    Tolm::Graphics g{&screen};
};

TEST_F(TownSceneTest, NewProfileShowsTheBareLandscape)
{
    Picture("TOWN_CLOUDS", 800, 200);
    WriteBuildingsAndPeople();
    MakeTown();
    const std::vector<std::string> expected = {
        "TOWN_SKY_BACK at 0.00,0.00 part 800x600 alpha 255",
        "TOWN_CLOUDS at 0.00,0.00 part 800x200 alpha 255",
        "TOWN_BACKGROUND_FIELD at 0.00,0.00 part 800x600 alpha 255",
        // The waves' 9 x 9 cells sit on the bottom edge of the 600 pixel screen.
        "TOWN_BACKGROUND_WAVES triangles 162 at 0.00,555.00",
    };
    EXPECT_EQ(Drawn(), expected);
    for (int step = 0; step < 3000; ++step) {
        Town::Instance()->Step();
    }
    EXPECT_TRUE(Town::Instance()->IsEmpty()) << "no flare over a town without buildings";
}

TEST_F(TownSceneTest, BuildingsBackToFrontWithTheirPeopleAndTheStrangerDrawnOnceByTheAirship)
{
    WriteBuildingsAndPeople();
    Open();
    for (int id : {12, 17, 19, 20, 25}) {
        UserProfile::SetBuildingBuilt(id);
    }
    for (int person : {4, 6, 9}) {
        UserProfile::SetPersonArrived(person);
    }
    MakeTown();
    std::vector<std::string> scene;
    for (const std::string& draw : Drawn()) {
        if (draw.starts_with("B_") || draw.starts_with("M_")) {
            scene.push_back(draw.substr(0, draw.find(" part")));
        }
    }
    const std::vector<std::string> expected = {
        "B_airship at 100.00,100.00",
        // Centred on the airship's corner plus (1, 2).
        "M_stranger at 96.00,97.00",
        "B_academy at 100.00,100.00",
        "B_magic_school at 100.00,100.00",
        "B_fountain at 100.00,100.00",
        "M_girl at 1.00,2.00",
        "M_sharman at 1.00,2.00",
        "B_berth at 100.00,100.00",
    };
    EXPECT_EQ(scene, expected);
}

TEST_F(TownSceneTest, PeopleOfAnUnbuiltBuildingStayAway)
{
    WriteBuildingsAndPeople();
    Open();
    UserProfile::SetPersonArrived(4);
    MakeTown();
    for (const std::string& draw : Drawn()) {
        EXPECT_FALSE(draw.starts_with("M_")) << draw;
    }
}

TEST_F(TownSceneTest, HitTestGivesTheFrontmostBuiltBuilding)
{
    WriteBuildingsAndPeople();
    MakeTown();
    struct Case
    {
        const char* name;
        std::vector<int> built;
        int x;
        int y;
        int expected;
    };
    // The academy (12) stands behind the magic school (17) in the draw order.
    const Case cases[] = {
        {"nothing built", {}, 110, 110, -1},
        {"one of the two", {12}, 110, 110, 12},
        {"both: the one in front", {12, 17}, 110, 110, 17},
        {"the fountain before both", {12, 17, 19}, 110, 110, 19},
        {"top-left pixel", {12}, 100, 100, 12},
        {"just outside", {12}, 120, 110, -1},
    };
    for (const Case& c : cases) {
        for (int id = 0; id < BuildingsFactory::kBuildings; ++id) {
            BuildingsFactory::Instance()->GetById(id)->SetBuilt(false);
        }
        for (int id : c.built) {
            Town::Instance()->BuildBuilding(id);
        }
        EXPECT_EQ(Town::Instance()->HitTest(c.x, c.y), c.expected) << c.name;
    }
}

TEST_F(TownSceneTest, CloudStripGetsASecondCopyWhereItLeavesAGap)
{
    struct Case
    {
        const char* name;
        int width;
        float x;
        std::vector<int> expected;
    };
    const Case cases[] = {
        {"narrower than the screen", 600, 0, {0, 600}},
        {"wider than the screen", 1000, 0, {0, -1000}},
        {"as wide as the screen", 800, 0, {0}},
        {"as wide, drifted right", 800, 300, {300, -500}},
        {"as wide, drifted left", 800, -300, {-300, 500}},
        {"between two pixels: both copies on whole pixels", 800, 10.5f, {10, -790}},
    };
    MakeTown();
    // Wide enough that no copy is clipped, the screen's left edge 2000 pixels in.
    constexpr int kMargin = 2000;
    screen.width = 800 + 2 * kMargin;
    g.ResetClip();
    g.Translate(kMargin, 0);
    for (const Case& c : cases) {
        Tolm::MemoryImage* picture = Picture("CLOUDS_" + std::to_string(c.width), c.width, 10);
        CloudStrip clouds;
        clouds.image = picture;
        clouds.x = c.x;
        screen.draws.clear();
        clouds.Draw(g);
        std::vector<int> places;
        for (const std::string& draw : screen.draws) {
            places.push_back(std::stoi(draw.substr(draw.find("at ") + 3)) - kMargin);
        }
        EXPECT_EQ(places, c.expected) << c.name;
    }
}

TEST_F(TownSceneTest, CloudStripDriftsAndWrapsRoundTheScreen)
{
    struct Case
    {
        const char* name;
        float speed;
        float x;
        float dt;
        float expected;
    };
    const Case cases[] = {
        {"drifts 0.04 a period", 0.04f, 10, 25, 11},
        {"short of the right edge", 0.04f, 790, 1, 790.04f},
        {"past the right edge: back in from the left", 0.04f, 799.99f, 1, -600},
        {"to the left", -0.04f, 10, 25, 9},
        {"past its own width on the left: back in from the right", -0.04f, -599.99f, 1, 800},
    };
    MakeTown();
    for (const Case& c : cases) {
        CloudStrip clouds;
        clouds.image = Picture("CLOUDS", 600, 10);
        clouds.speed = c.speed;
        clouds.x = c.x;
        clouds.Update(c.dt);
        EXPECT_NEAR(clouds.x, c.expected, 1e-3) << c.name;
    }
}

TEST_F(TownSceneTest, SeaSwellsByTheNumberOfFramesWhateverTheirLength)
{
    struct Vertex
    {
        int column;
        int row;
        float x;
        float y;
    };
    // After three frames the wave time is 0.006; the 90 x 45 waves picture makes cells of 10 x 5. Each inner
    // point circles its grid point at radius 5, at the angle (column + row) / 2 in whole numbers + 0.06.
    const Vertex expected[] = {
        {0, 0, 0, 0},
        {9, 4, 90, 20},
        {1, 1, 12.444f, 9.362f},
        {2, 1, 22.444f, 9.362f},
        {3, 2, 27.650f, 14.414f},
        {8, 8, 78.977f, 44.894f},
    };
    MakeTown();
    for (float dt : {1.0f, 0.25f, 7.5f}) {
        TownSea::waveTime = 0;
        for (int frame = 0; frame < 3; ++frame) {
            Town::Instance()->Tick(dt);
        }
        for (const Vertex& v : expected) {
            const Tolm::TexVertex& vertex = Town::Instance()->GetSea().mesh.Vertex(v.column, v.row);
            EXPECT_NEAR(vertex.x, v.x, 1e-3) << v.column << "," << v.row << " dt " << dt;
            EXPECT_NEAR(vertex.y, v.y, 1e-3) << v.column << "," << v.row << " dt " << dt;
            EXPECT_EQ(vertex.color, 0x64FFFFFFu);
        }
    }
}

TEST_F(TownSceneTest, FlaresLightOnlyTheWindowsOfBuiltBuildings)
{
    Picture("GFX_FLARE", 40, 40);
    WriteBuildingsAndPeople();
    Open();
    UserProfile::SetBuildingBuilt(12);
    MakeTown();
    SeedRandom(7);
    Tolm::MemoryImage picture;
    picture.Create(800, 600);
    Tolm::Graphics onPicture(&picture);
    int framesWithFlare = 0;
    int framesAcademyLit = 0;
    for (int update = 0; update < 3000; ++update) {
        Town::Instance()->Step();
        Town::Instance()->Tick(1);
        if (Town::Instance()->IsEmpty()) {
            continue;
        }
        ++framesWithFlare;
        picture.Clear();
        Town::Instance()->DrawEffects(onPicture);
        const auto lit = [&](int x, int y) { return (picture.GetBits()[y * 800 + x] & 0xFFFFFF) != 0; };
        framesAcademyLit += lit(65, 184);
        // Never the altar's, the magic school's or the three roofs' spot.
        for (auto [x, y] : {std::pair{134, 124}, {318, 262}, {182, 236}}) {
            ASSERT_FALSE(lit(x, y)) << update;
        }
    }
    EXPECT_GT(framesAcademyLit, 0);
    // About one update in 600 starts one at the academy, and each burns for about 40 updates.
    EXPECT_GT(framesWithFlare, 40);
    EXPECT_LT(framesWithFlare, 1000);
}

} // namespace
