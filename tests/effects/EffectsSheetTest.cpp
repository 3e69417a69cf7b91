// Draws every effect that has a picture with the game's own pictures and fonts from the built data set,
// a row each at fixed numbers of updates, on the board's own tiles, and writes the sheet to
// "effects.png" in the tests' folder, to be looked at.
#include "EffectFixtures.h"
#include "bricks/BrickBase.h"
#include "bricks/BrickHelper.h"
#include "bricks/GfxBrickEffects.h"
#include "core/PakInterface.h"
#include "core/Random.h"
#include "effects/GfxManager.h"
#include "gameeffects/GfxCellExplode.h"
#include "gameeffects/GfxFlareFlash.h"
#include "gameeffects/GfxFlyText.h"
#include "gameeffects/GfxFlyingBrick.h"
#include "resources/ResourceLookups.h"

#include <functional>

namespace {

constexpr int kTile = 36;
constexpr int kLabelWidth = 170;
// Three tiles a column and a row; each effect is centred on the middle tile.
constexpr int kColumn = 3 * kTile;
constexpr int kColumns = 9;
constexpr int kRows = 8;

class EffectsSheetTest : public testing::Test
{
protected:
    void SetUp() override
    {
        output = Platform::CurrentFolder() + "/effects.png";
        previousFolder = Platform::CurrentFolder();
        ASSERT_TRUE(Platform::SetCurrentFolder(temp.Path()));
        // Into the test's own file layer, which goes with the test.
        ASSERT_TRUE(GetSharedPakInterface()->AddPakFile(std::string(QUENDARA_BUILD_DATA) + "/../main.pak"));
        for (const char* manifest : {"properties\\field.xml", "properties\\blocks.xml",
                                     "properties\\town_animation.xml", "properties\\fonts.xml"}) {
            ASSERT_TRUE(app.resourceManager->ParseResourcesFile(manifest)) << app.resourceManager->GetErrorText();
        }
        for (const char* group : {"Field", "Blocks", "TownAnimation", "Fonts"}) {
            ASSERT_TRUE(app.resourceManager->LoadGroup(group)) << app.resourceManager->GetErrorText();
        }
        sheet.Create(kLabelWidth + kColumns * kColumn, kRows * kColumn);
        g.ResetClip();
    }
    void TearDown() override
    {
        delete BrickHelper::RegisteredInstance();
        app.resourceManager->UnloadGroup("");
        Platform::SetCurrentFolder(previousFolder);
    }

    static int Middle(int index) { return index * kColumn + kColumn / 2; }

    // The board's plain tiles under the row, the row's name at the left.
    void DrawRowBackground(int row, const std::string& name)
    {
        const int top = row * kColumn;
        g.SetColor(Tolm::Color(24, 22, 40));
        g.FillRect(0, top, kLabelWidth, kColumn);
        for (int y = top; y < top + kColumn; y += kTile) {
            for (int x = kLabelWidth; x < sheet.width; x += kTile) {
                g.DrawImage(GetImageById("FIELD_CELL_SIMPLE"), x, y);
            }
        }
        g.SetFont(GetFontById("FONT_WINDOW_TEXT"));
        g.SetColor(Tolm::Color::White);
        g.DrawString(name, 10, Middle(row) + 6);
    }

    // One effect per entry, made centred on its column's middle tile and drawn after that many frames;
    // `under` is drawn first on that tile.
    void DrawRow(int row, const std::string& name, const std::vector<std::pair<int, int>>& columnsAndFrames,
                 const std::function<gfxBase*(int x, int y)>& make, Tolm::Image* under = nullptr)
    {
        DrawRowBackground(row, name);
        for (const auto& [column, frames] : columnsAndFrames) {
            const int x = kLabelWidth + Middle(column);
            const int y = Middle(row);
            g.DrawImage(under, x - kTile / 2, y - kTile / 2);
            GfxManager list;
            list.AddEffect(make(x, y), false);
            Run(list, frames);
            list.DrawEffects(g);
        }
    }

    static std::vector<std::pair<int, int>> EveryColumn(const std::vector<int>& frames)
    {
        std::vector<std::pair<int, int>> entries;
        for (std::size_t column = 0; column < frames.size(); ++column) {
            entries.emplace_back(int(column), frames[column]);
        }
        return entries;
    }

    static void Run(GfxManager& list, int frames)
    {
        for (int i = 0; i < frames; ++i) {
            list.UpdateEffects();
            list.TickEffects(1.0f);
        }
    }

    std::string output;
    std::string previousFolder;
    TempFolder temp;
    Tolm::TolmAppBase app;
    Tolm::MemoryImage sheet;
    Tolm::Graphics g{&sheet};
};

} // namespace

TEST_F(EffectsSheetTest, EveryEffectWithAPictureInARow)
{
    for (const char* id : {"GFX_FLARE", "GFX_LIGHT_BALL", "FIELD_CELL1_EXPLODE", "FIELD_CELL2_EXPLODE"}) {
        ASSERT_NE(GetImageById(id), nullptr) << id;
    }
    ASSERT_NE(GetFontById("FONT_FLY_SCORE"), nullptr);
    Tolm::Image* gold = nullptr;
    ASSERT_TRUE(GetBrickImage(kBrickGoldFirst + 2, gold));
    const std::vector<int> brickSteps = {1, 5, 10, 15, 20, 25, 30, 35, 40};
    DrawRow(
        0, "GfxBrickExpand", EveryColumn(brickSteps),
        [](int x, int y) { return new GfxBrickExpand(x, y, BrickBase(kBrickGoldFirst + 2)); }, gold);
    DrawRow(1, "GfxBrickExplode", EveryColumn(brickSteps),
            [](int x, int y) { return new GfxBrickExplode(x, y, BrickBase(kBrickFoodFirst + 1)); });
    // Every frame of the bursts, over what each leaves: the plain tile, the single lock.
    const std::vector<int> cellSteps = {0, 4, 8, 12, 16, 20, 24, 28};
    DrawRow(2, "GfxCellExplode 0", EveryColumn(cellSteps), [](int x, int y) { return new GfxCellExplode(0, x, y); });
    DrawRow(
        3, "GfxCellExplode 1", EveryColumn(cellSteps), [](int x, int y) { return new GfxCellExplode(1, x, y); },
        GetImageById("FIELD_CELL_LOCKED"));
    // At the town's scale.
    DrawRow(4, "GfxFlareFlash", EveryColumn({1, 5, 10, 15, 20, 25, 30, 35, 39}), [](int x, int y) {
        SeedRandom(7);
        return new GfxFlareFlash(x, y, 0.3f, Tolm::Color(255, 236, 190));
    });
    // One flight across the row, seen every 15 updates.
    DrawRowBackground(5, "GfxFlyingBrick");
    Tolm::Image* supplies = nullptr;
    ASSERT_TRUE(GetBrickImage(kBrickSuppliesFirst, supplies));
    const float flightY = float(Middle(5) - kTile / 2);
    for (int frames = 0; frames <= 120; frames += 15) {
        GfxManager list;
        SeedRandom(7);
        list.AddEffect(new GfxFlyingBrick(supplies, float(kLabelWidth + Middle(0) - kTile / 2), flightY,
                                          float(kLabelWidth + Middle(kColumns - 1) - kTile / 2), flightY, nullptr),
                       false);
        Run(list, frames);
        list.DrawEffects(g);
    }
    const std::vector<std::pair<int, int>> textSteps = {{0, 1}, {2, 40}, {4, 80}, {6, 120}, {8, 160}};
    DrawRow(6, "GfxFlyText", textSteps, [](int x, int y) {
        return new GfxFlyText("Great chain!", float(x), float(y + 22), GetFontById("FONT_BOARD_TEXT"));
    });
    DrawRow(7, "GfxFlyScore", textSteps, [](int x, int y) { return new GfxFlyScore(250, float(x), float(y + 22)); });
    const uint32_t* pixels = sheet.GetBits();
    ASSERT_NE(pixels, nullptr);
    EXPECT_TRUE(PngFile::Write(output, sheet.width, sheet.height, pixels));
}
