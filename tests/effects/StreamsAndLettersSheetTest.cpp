// Draws the fluid streams and the letter effects with the game's own pictures, fonts and particles from
// the built data set over the board's tiles, and writes them to "fluids.png" and "letters.png" in the
// tests' folder, to be looked at: three streams from the lightning's button with their fronts a quarter,
// half and all the way out and with their backs half-way in; "STAGE COMPLETED" fading in, held and
// bursting; a combo text swirling in, resting and swirling out.
#include "EffectFixtures.h"
#include "bricks/BrickHelper.h"
#include "core/PakInterface.h"
#include "core/Random.h"
#include "effects/GfxManager.h"
#include "effects/GlobalParticles.h"
#include "effects/ParticleConfigManager.h"
#include "gameeffects/GfxFluids.h"
#include "gameeffects/GfxParticledText.h"
#include "gameeffects/GfxSwirlText.h"
#include "resources/ResourceLookups.h"

#include <functional>

namespace {

constexpr int kCell = 36;
constexpr int kOriginX = 112;
constexpr int kOriginY = 70;
// Where the lightning's streams come from.
constexpr float kSourceX = 398;
constexpr float kSourceY = 536;

class StreamsAndLettersSheetTest : public testing::Test
{
protected:
    void SetUp() override
    {
        testsFolder = Platform::CurrentFolder();
        ASSERT_TRUE(Platform::SetCurrentFolder(temp.Path()));
        ASSERT_TRUE(GetSharedPakInterface()->AddPakFile(std::string(QUENDARA_BUILD_DATA) + "/../main.pak"));
        for (const char* manifest : {"properties\\resources.xml", "properties\\field.xml", "properties\\blocks.xml",
                                     "properties\\fonts.xml"}) {
            ASSERT_TRUE(app.resourceManager->ParseResourcesFile(manifest)) << app.resourceManager->GetErrorText();
        }
        for (const char* group : {"Common", "Field", "Blocks", "Fonts"}) {
            ASSERT_TRUE(app.resourceManager->LoadGroup(group)) << app.resourceManager->GetErrorText();
        }
        // Loads the game's particle effects.
        GlobalParticles::Instance();
    }
    void TearDown() override
    {
        delete GlobalParticles::RegisteredInstance();
        delete ParticleConfigManager::RegisteredInstance();
        delete BrickHelper::RegisteredInstance();
        app.resourceManager->UnloadGroup("");
        Platform::SetCurrentFolder(testsFolder);
    }

    // The board's tiles with a brick of the three kinds here and there, on the game's dark surround,
    // over the part of the screen from (left, top).
    static void DrawBoard(Tolm::Graphics& g, int left, int top, int width, int height)
    {
        g.SetColor(Tolm::Color(24, 22, 40));
        g.FillRect(0, 0, width, height);
        g.PushState();
        g.Translate(-left, -top);
        for (int y = 0; y < 12; ++y) {
            for (int x = 0; x < 16; ++x) {
                const int px = kOriginX + x * kCell;
                const int py = kOriginY + y * kCell;
                g.DrawImage(GetImageById("FIELD_CELL_SIMPLE"), px, py);
                Tolm::Image* brick = nullptr;
                const int kinds[] = {kBrickGoldFirst, kBrickFoodFirst, kBrickSuppliesFirst + 2, kBrickGoldFirst + 3};
                if (GetBrickImage(kinds[(x * 7 + y * 3) % 4], brick)) {
                    g.DrawImageFrame(brick, px, py, 0);
                }
            }
        }
        g.PopState();
    }

    static std::string Write(Tolm::MemoryImage& sheet, const std::string& path)
    {
        const uint32_t* pixels = sheet.GetBits();
        return pixels && PngFile::Write(path, sheet.width, sheet.height, pixels) ? "" : "cannot write " + path;
    }

    std::string testsFolder;
    TempFolder temp;
    Tolm::TolmAppBase app;
};

// Each panel shows the board's lower middle with three streams in one state of their run.
TEST_F(StreamsAndLettersSheetTest, FluidStreams)
{
    for (const char* id : {"GFX_FLUID1", "GFX_FLUID2", "GFX_FLUID_DOT"}) {
        ASSERT_NE(GetImageById(id), nullptr) << id;
    }
    constexpr int kLeft = 150;
    constexpr int kTop = 130;
    constexpr int kWidth = 500;
    constexpr int kHeight = 440;
    struct Panel
    {
        float tail;
        float head;
    };
    const Panel panels[] = {{0, 0.25f}, {0, 0.5f}, {0, 1}, {0.5f, 1}};
    const std::pair<int, int> cells[] = {{3, 2}, {8, 5}, {13, 1}};
    Tolm::MemoryImage sheet;
    sheet.Create(2 * kWidth, 2 * kHeight);
    Tolm::Graphics g(&sheet);
    g.ResetClip();
    for (int p = 0; p < 4; ++p) {
        g.PushState();
        g.Translate((p % 2) * kWidth, (p / 2) * kHeight);
        g.IntersectClip(0, 0, kWidth, kHeight);
        DrawBoard(g, kLeft, kTop, kWidth, kHeight);
        g.Translate(-kLeft, -kTop);
        SeedRandom(11);
        for (const auto& [x, y] : cells) {
            GfxFluids stream(kSourceX, kSourceY, float(kOriginX + x * kCell + kCell / 2),
                             float(kOriginY + y * kCell + kCell / 2), nullptr);
            stream.tail = panels[p].tail;
            stream.head = panels[p].head;
            stream.Update();
            stream.Draw(g);
        }
        g.PopState();
    }
    EXPECT_EQ(Write(sheet, testsFolder + "/fluids.png"), "");
}

// One row per moment: the particled text after 60, 140 and 230 updates (fading in, held), then 5, 15
// and 30 updates into its burst; the swirl text after 20 and 45 updates (flying in), resting, and 25
// and 45 updates into its flight out.
TEST_F(StreamsAndLettersSheetTest, LetterEffects)
{
    Tolm::Font* font = GetFontById("FONT_BOARD_TEXT");
    ASSERT_NE(font, nullptr);
    ParticleConfig burst;
    ASSERT_TRUE(GetParticleConfig("letter_explode", burst));
    constexpr int kRowHeight = 110;
    struct Row
    {
        bool swirl;
        int frames;
    };
    const Row rows[] = {{false, 60}, {false, 140}, {false, 230}, {false, 256}, {false, 266}, {false, 281},
                        {true, 20},  {true, 45},   {true, 120},  {true, 238},  {true, 258}};
    const int count = int(std::size(rows));
    Tolm::MemoryImage sheet;
    sheet.Create(800, count * kRowHeight);
    Tolm::Graphics g(&sheet);
    g.ResetClip();
    for (int r = 0; r < count; ++r) {
        g.PushState();
        g.Translate(0, r * kRowHeight);
        g.IntersectClip(0, 0, 800, kRowHeight);
        DrawBoard(g, 0, kOriginY + 3 * kCell, 800, kRowHeight);
        SeedRandom(5);
        GfxManager list;
        const int centreY = kRowHeight / 2;
        if (rows[r].swirl) {
            list.AddEffect(new GfxSwirlText("Combo 5", font, 400, centreY), false);
        } else {
            list.AddEffect(new GfxParticledText("STAGE COMPLETED", font, 400, centreY), false);
        }
        for (int k = 0; k < rows[r].frames; ++k) {
            list.UpdateEffects();
            list.TickEffects(1);
        }
        list.DrawEffects(g);
        g.PopState();
    }
    EXPECT_EQ(Write(sheet, testsFolder + "/letters.png"), "");
}

} // namespace
