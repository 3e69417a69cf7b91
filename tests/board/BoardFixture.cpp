#include "BoardFixture.h"

#include "board/ArrowHelper.h"
#include "board/BrickBase.h"
#include "board/BrickHelper.h"
#include "board/CellBorders.h"
#include "board/Level.h"
#include "core/PakInterface.h"
#include "core/Random.h"
#include "graphics/Graphics.h"
#include "graphics/MemoryImage.h"
#include "platform/FileSystem.h"
#include "resources/ResourceManager.h"
#include "screens/TimerPanel.h"
#include "support/PngFile.h"
#include "town/BuildingsFactory.h"
#include "town/UserProfile.h"

namespace {

template <typename T>
void DeleteSingleton()
{
    delete T::RegisteredInstance();
}

// Into the test's own file layer, which goes with the test.
void AddBuiltArchive()
{
    ASSERT_TRUE(GetSharedPakInterface()->AddPakFile(std::string(QUENDARA_BUILD_DATA) + "/../main.pak"))
        << "the built data set's main.pak is missing";
}

char BrickChar(int type)
{
    if (type >= kBrickGoldFirst && type <= kBrickGoldLast) {
        return char('a' + type - kBrickGoldFirst);
    }
    if (type >= kBrickFoodFirst && type <= kBrickFoodLast) {
        return char('k' + type - kBrickFoodFirst);
    }
    if (type >= kBrickSuppliesFirst && type <= kBrickSuppliesLast) {
        return char('s' + type - kBrickSuppliesFirst);
    }
    if (type >= kBrickHammer && type <= kBrickDestroy) {
        return char('1' + type - kBrickHammer);
    }
    return type == kBrickLiveBonus ? '+' : '.';
}

} // namespace

BoardFixture::BoardFixture() : testsFolder(Platform::CurrentFolder())
{
    Platform::SetCurrentFolder(temp.Path());
    AddBuiltArchive();
    EXPECT_TRUE(app.LoadProperties("properties\\trans.xml", true, false));
    EXPECT_TRUE(app.LoadProperties("properties\\game_sets.xml", true, false));
    for (const char* manifest : {"properties\\field.xml", "properties\\blocks.xml"}) {
        EXPECT_TRUE(app.resourceManager->ParseResourcesFile(manifest)) << app.resourceManager->GetErrorText();
    }
    for (const char* group : {"Field", "Blocks"}) {
        EXPECT_TRUE(app.resourceManager->LoadGroup(group)) << app.resourceManager->GetErrorText();
    }
    SeedRandom(kSeed);
}

BoardFixture::~BoardFixture()
{
    DeleteSingleton<Level>();
    DeleteSingleton<ArrowHelper>();
    DeleteSingleton<BrickHelper>();
    DeleteSingleton<TimerPanel>();
    DeleteSingleton<BuildingsFactory>();
    DeleteSingleton<UserProfile>();
    app.resourceManager->UnloadGroup("");
    Platform::SetCurrentFolder(testsFolder);
}

bool BoardFixture::SetUpLevel(TestBoard& board, int level, bool retry)
{
    UserProfile::Instance();
    while (UserProfile::GetLevel() < level) {
        UserProfile::AdvanceLevel();
    }
    return Level::Instance()->SetUp(board, retry);
}

void BoardFixture::PlaceForShow(TestBoard& board)
{
    for (int y = 0; y < kFieldHeight; ++y) {
        for (int x = 0; x < kFieldWidth; ++x) {
            board.GetBrick(x, y)->SetCell(x, y);
        }
    }
    SetCellBorders(board);
}

std::string BoardFixture::BoardText(const TestBoard& board)
{
    std::string text;
    for (int y = 0; y < kFieldHeight; ++y) {
        for (int x = 0; x < kFieldWidth; ++x) {
            const CellBase* cell = board.GetCell(x, y);
            if (!board.IsPlayable(x, y)) {
                text += "  ";
                continue;
            }
            text += BrickChar(board.GetBrickType(x, y));
            text += cell->HasFlag(kCellLock2) ? '2' : cell->HasFlag(kCellLock1) ? '1' : ' ';
        }
        text += '\n';
    }
    return text;
}

void BoardFixture::RenderBoard(const TestBoard& board, const std::string& name) const
{
    Tolm::MemoryImage screen;
    screen.Create(800, 600);
    Tolm::Graphics g(&screen);
    for (int y = 0; y < 600; y += 4) {
        // A dusky blue backdrop, lighter toward the bottom, standing in for the game screen.
        g.SetColor(Tolm::Color(40 + y / 20, 70 + y / 15, 96 + y / 14));
        g.FillRect(0, y, 800, 4);
    }
    const int size = GetCellSize();
    auto eachCell = [&](bool playableOnly, auto draw) {
        for (int i = 0; i < kFieldSlots; ++i) {
            const int x = i % kFieldWidth;
            const int y = i / kFieldWidth;
            if (playableOnly && !board.IsPlayable(x, y)) {
                continue;
            }
            g.Translate(GetBoardOriginX() + x * size, GetBoardOriginY() + y * size);
            draw(board.GetCell(x, y));
            g.Translate(-(GetBoardOriginX() + x * size), -(GetBoardOriginY() + y * size));
        }
    };
    eachCell(true, [&](CellBase* cell) { cell->DrawBack(g); });
    eachCell(false, [&](CellBase* cell) { cell->DrawFront(g); });
    for (int i = 0; i < kFieldSlots; ++i) {
        BrickBase* brick = board.GetBrick(i % kFieldWidth, i / kFieldWidth);
        if (brick->GetType() != kBrickEmpty) {
            brick->Draw(g);
        }
    }
    EXPECT_TRUE(PngFile::Write(testsFolder + "/" + name, screen.width, screen.height, screen.GetBits()));
}
