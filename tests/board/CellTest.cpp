// Cells: the tile by lock layers, the frame's pieces from the border bits, the glow and the highlight,
// the line shine, fades and hiding; and the border bits the start of a level gives a small board.
#include "BoardFixture.h"
#include "board/BoardFactory.h"
#include "board/CellBorders.h"
#include "board/CellSimple.h"
#include "graphics/Graphics.h"
#include "graphics/MemoryImage.h"
#include "resources/ResourceLookups.h"

#include <algorithm>
#include <memory>
#include <utility>

namespace {

// Room for a cell and the frame round it: the cell's corner lies at (kMargin, kMargin).
constexpr int kMargin = 12;
constexpr int kCanvas = 36 + 2 * kMargin;

class CellTest : public BoardFixture
{
protected:
    CellTest()
    {
        for (Tolm::MemoryImage* image : {&canvas, &expected}) {
            image->Create(kCanvas, kCanvas);
            image->Clear();
        }
        graphics = std::make_unique<Tolm::Graphics>(&canvas);
        graphics->Translate(kMargin, kMargin);
        reference = std::make_unique<Tolm::Graphics>(&expected);
        reference->Translate(kMargin, kMargin);
    }

    void Clear()
    {
        canvas.Clear();
        expected.Clear();
    }
    uint32_t At(int x, int y) { return canvas.GetBits()[(y + kMargin) * kCanvas + x + kMargin]; }
    uint32_t ExpectedAt(int x, int y) { return expected.GetBits()[(y + kMargin) * kCanvas + x + kMargin]; }
    // What the cell should have drawn: the image's rectangle at (x, y) in cell coordinates.
    void Expect(const char* id, const Tolm::Rect& source, int x, int y)
    {
        reference->DrawImagePart(GetImageById(id), x, y, source);
    }
    bool DrewWhatWasExpected()
    {
        return std::equal(canvas.GetBits(), canvas.GetBits() + kCanvas * kCanvas, expected.GetBits());
    }
    int CoveredPixels()
    {
        return int(std::count_if(canvas.GetBits(), canvas.GetBits() + kCanvas * kCanvas,
                                 [](uint32_t pixel) { return pixel != 0; }));
    }

    Tolm::MemoryImage canvas;
    Tolm::MemoryImage expected;
    std::unique_ptr<Tolm::Graphics> graphics;
    std::unique_ptr<Tolm::Graphics> reference;
};

TEST_F(CellTest, TheTileShowsTheLockLayersLeft)
{
    auto cell = CreateCell(kCellPlayable);
    cell->SetFlag(kCellLock1 | kCellLock2);
    const struct
    {
        uint32_t cleared;
        const char* id;
    } steps[] = {{0, "FIELD_CELL_LOCKED2"}, {kCellLock2, "FIELD_CELL_LOCKED"}, {kCellLock1, "FIELD_CELL_SIMPLE"}};
    for (const auto& step : steps) {
        cell->ClearFlag(step.cleared);
        Clear();
        cell->DrawBack(*graphics);
        Expect(step.id, Tolm::Rect(0, 0, 36, 36), 0, 0);
        EXPECT_TRUE(DrewWhatWasExpected()) << step.id;
    }
}

// The frame is 6 pixels thick round a 36-pixel cell: the side image is 48 square, its corner quarters 24.
TEST_F(CellTest, ALoneCellDrawsFourSidesBehindAndFourOuterCornersInFront)
{
    auto cell = CreateCell(kCellPlayable);
    cell->SetBorderBits(kBorderTop | kBorderRight | kBorderLeft | kBorderBottom | kBorderTopLeft | kBorderTopRight |
                        kBorderBottomLeft | kBorderBottomRight);
    static_cast<CellGfx*>(cell.get())->lineAnimator->finished = true;
    cell->DrawBack(*graphics);
    Expect("FIELD_CELL_BORDER", Tolm::Rect(0, 6, 6, 36), -6, 0);
    Expect("FIELD_CELL_BORDER", Tolm::Rect(42, 6, 6, 36), 36, 0);
    Expect("FIELD_CELL_BORDER", Tolm::Rect(6, 0, 36, 6), 0, -6);
    Expect("FIELD_CELL_BORDER", Tolm::Rect(6, 42, 36, 6), 0, 36);
    Expect("FIELD_CELL_SIMPLE", Tolm::Rect(0, 0, 36, 36), 0, 0);
    EXPECT_TRUE(DrewWhatWasExpected());
    EXPECT_EQ(At(-6, -6), 0u);
    Clear();
    cell->DrawFront(*graphics);
    for (const auto& [sx, sy] : {std::pair{0, 0}, {24, 0}, {0, 24}, {24, 24}}) {
        Expect("FIELD_CELL_BORDER_CORNER", Tolm::Rect(sx, sy, 24, 24), sx - 6, sy - 6);
    }
    EXPECT_TRUE(DrewWhatWasExpected());
}

TEST_F(CellTest, AHoleDrawsOnlyTheInnerCornersItsBitsName)
{
    auto hole = CreateCell(kCellHole);
    hole->SetBorderBits(kInnerTopRight | kInnerBottomLeft);
    hole->DrawBack(*graphics);
    EXPECT_EQ(CoveredPixels(), 0);
    hole->DrawFront(*graphics);
    Expect("FIELD_CELL_BORDER_CORNER_INNER", Tolm::Rect(18, 0, 18, 18), 18, 0);
    Expect("FIELD_CELL_BORDER_CORNER_INNER", Tolm::Rect(0, 18, 18, 18), 0, 18);
    EXPECT_TRUE(DrewWhatWasExpected());
}

TEST_F(CellTest, TheHighlightFillsTheTileAndTheGlowOnePixelLess)
{
    auto cell = CreateCell(kCellPlayable);
    auto* simple = static_cast<CellSimple*>(cell.get());
    simple->lineAnimator->finished = true;
    Expect("FIELD_CELL_SIMPLE", Tolm::Rect(0, 0, 36, 36), 0, 0);
    cell->SetFlag(kCellHighlight);
    cell->DrawBack(*graphics);
    EXPECT_NE(At(0, 0), ExpectedAt(0, 0));
    EXPECT_NE(At(35, 35), ExpectedAt(35, 35));
    EXPECT_EQ(At(36, 36), 0u);

    cell->ClearFlag(kCellHighlight);
    simple->glowOn = true;
    // At a quarter of its phase the glow is at its brightest: 60 - cos(pi) * 60.
    simple->glow = 0.25f;
    canvas.Clear();
    cell->DrawBack(*graphics);
    EXPECT_NE(At(0, 0), ExpectedAt(0, 0));
    EXPECT_NE(At(34, 34), ExpectedAt(34, 34));
    EXPECT_EQ(At(35, 20), ExpectedAt(35, 20));
    EXPECT_EQ(At(20, 35), ExpectedAt(20, 35));
}

TEST_F(CellTest, TheGlowRisesToItsEndInOneSecond)
{
    auto cell = CreateCell(kCellPlayable);
    auto* simple = static_cast<CellSimple*>(cell.get());
    cell->SetVisualState(3);
    EXPECT_TRUE(simple->glowOn);
    EXPECT_TRUE(cell->IsAnimating());
    for (int update = 0; update < 101; ++update) {
        Frame();
        cell->Update(1.0f);
    }
    EXPECT_EQ(simple->glow, 1.0f);
    EXPECT_FALSE(cell->IsAnimating());
}

TEST_F(CellTest, TheLineShinePlaysOnceAtBirthAndAgainOnlyWhenIdle)
{
    auto cell = CreateCell(kCellPlayable);
    auto* simple = static_cast<CellSimple*>(cell.get());
    EXPECT_FALSE(simple->lineAnimator->finished);
    // Twenty cels of ten updates each.
    for (int update = 0; update < 200; ++update) {
        cell->Animate();
    }
    EXPECT_TRUE(simple->lineAnimator->finished);

    cell->StartEffect(4, 0.5f);
    cell->StartEffect(4, 0.01f);
    EXPECT_EQ(simple->lineTimer, 0.5f);
    for (int update = 0; update < 49; ++update) {
        Frame();
        cell->Update(1.0f);
    }
    EXPECT_TRUE(simple->lineAnimator->finished);
    for (int update = 0; update < 2; ++update) {
        Frame();
        cell->Update(1.0f);
    }
    EXPECT_FALSE(simple->lineAnimator->finished);
    EXPECT_EQ(simple->lineTimer, -1.0f);

    auto idle = CreateCell(kCellPlayable);
    auto* fresh = static_cast<CellSimple*>(idle.get());
    for (int update = 0; update < 200; ++update) {
        idle->Animate();
    }
    idle->SetVisualState(4);
    Frame();
    idle->Update(1.0f);
    EXPECT_FALSE(fresh->lineAnimator->finished);
}

TEST_F(CellTest, AHiddenCellDrawsNothingAndRestsOnceItsModulesAreDone)
{
    auto cell = CreateCell(kCellPlayable);
    cell->SetBorderBits(kBorderTop | kBorderTopLeft);
    cell->SetVisualState(5);
    EXPECT_FALSE(cell->IsAnimating());
    cell->DrawBack(*graphics);
    cell->DrawFront(*graphics);
    EXPECT_EQ(CoveredPixels(), 0);

    cell->StartEffect(1, 0.2f);
    EXPECT_TRUE(cell->IsAnimating());
    for (int update = 0; update < 10; ++update) {
        Frame();
        cell->Update(1.0f);
    }
    auto* gfx = static_cast<CellGfx*>(cell.get());
    EXPECT_NEAR(gfx->alpha, 0.5f, 0.03f);
    cell->DrawBack(*graphics);
    Expect("FIELD_CELL_SIMPLE", Tolm::Rect(0, 0, 36, 36), 0, 0);
    EXPECT_LT(At(18, 18) >> 24, ExpectedAt(18, 18) >> 24);
    for (int update = 0; update < 12; ++update) {
        Frame();
        cell->Update(1.0f);
    }
    EXPECT_EQ(gfx->fadeMode, CellGfx::kFadeNone);
    EXPECT_FALSE(cell->IsAnimating());
}

TEST_F(CellTest, UnknownKindsMakeBareCellsThatAreNotPlayableAndDrawNothing)
{
    for (int kind : {2, -1, 100}) {
        auto bare = CreateCell(kind);
        EXPECT_EQ(bare->GetKind(), kCellHole);
        bare->SetBorderBits(kBorderTop | kInnerTopLeft);
        bare->DrawBack(*graphics);
        bare->DrawFront(*graphics);
        EXPECT_EQ(CoveredPixels(), 0);
        EXPECT_EQ(dynamic_cast<CellGfx*>(bare.get()), nullptr);
    }
    EXPECT_NE(dynamic_cast<CellGfx*>(CreateCell(kCellHole).get()), nullptr);
    EXPECT_NE(dynamic_cast<CellSimple*>(CreateCell(kCellPlayable).get()), nullptr);
}

// A 3 x 3 block of playable cells at (1..3, 1..3) with a hole in its middle; the bits worked out by hand.
TEST_F(CellTest, BorderBitsOfABlockWithAHole)
{
    TestBoard board;
    for (int y = 1; y <= 3; ++y) {
        for (int x = 1; x <= 3; ++x) {
            board.PutNewCell(x, y, x == 2 && y == 2 ? kCellHole : kCellPlayable);
        }
    }
    SetCellBorders(board);
    const uint32_t expected[5][5] = {
        {0, 0, 0, 0, 0},
        {0, 1 | 4 | 16, 1 | 8, 1 | 2 | 32, 0},
        {0, 4 | 2, 256 | 512 | 1024 | 2048, 4 | 2, 0},
        {0, 4 | 8 | 64, 1 | 8, 2 | 8 | 128, 0},
        {0, 0, 0, 0, 0},
    };
    for (int y = 0; y < 5; ++y) {
        for (int x = 0; x < 5; ++x) {
            EXPECT_EQ(board.GetCell(x, y)->borderBits, expected[y][x]) << x << "," << y;
        }
    }
}

TEST_F(CellTest, DiagonalNeighboursLeaveTheOuterCornersOut)
{
    TestBoard board;
    board.PutNewCell(0, 0, kCellPlayable);
    board.PutNewCell(1, 1, kCellPlayable);
    SetCellBorders(board);
    // Every side open; each keeps its outer corners but the one toward the other.
    EXPECT_EQ(board.GetCell(0, 0)->borderBits, 255u & ~128u);
    EXPECT_EQ(board.GetCell(1, 1)->borderBits, 255u & ~16u);
    // The two holes between them each turn a frame's corner.
    EXPECT_EQ(board.GetCell(1, 0)->borderBits, 1024u);
    EXPECT_EQ(board.GetCell(0, 1)->borderBits, 512u);
}

} // namespace
