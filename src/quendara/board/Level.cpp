#include "board/Level.h"

#include "app/TolmAppBase.h"
#include "board/FieldBase.h"
#include "core/StringUtils.h"
#include "hud/TimerPanel.h"
#include "platform/DebugOutput.h"
#include "profile/ProfileCallsUp.h"
#include "profile/UserProfile.h"
#include "town/BuildingsFactory.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace {

// A level whose files cannot be read is passed over, this many in a row at most.
constexpr int kLoadTries = 10;
constexpr int kBuildings = 30;

} // namespace

Level::Level()
{
    simpleProgress = float(Tolm::gTolmApp->GetDoubleProperty("set_cell_simple"));
    puzzled1Progress = float(Tolm::gTolmApp->GetDoubleProperty("set_cell_puzzled1"));
    puzzled2Progress = float(Tolm::gTolmApp->GetDoubleProperty("set_cell_puzzled2"));
    ComputeAvailable();
}

bool Level::AnyAllowed(int first, int last) const
{
    for (int type = first; type <= last; ++type) {
        if (IsTypeAllowed(type)) {
            return true;
        }
    }
    return false;
}

bool Level::AnyAvailable(int first, int last) const
{
    for (int type = first; type <= last; ++type) {
        if (IsTypeAvailable(type)) {
            return true;
        }
    }
    return false;
}

bool Level::HasAllowedGold() const
{
    return AnyAllowed(kBrickGoldFirst, kBrickGoldLast);
}

bool Level::HasAllowedFood() const
{
    return AnyAllowed(kBrickFoodFirst, kBrickFoodLast);
}

bool Level::HasAllowedSupplies() const
{
    return AnyAllowed(kBrickSuppliesFirst, kBrickSuppliesLast);
}

bool Level::HasAvailableGold() const
{
    return AnyAvailable(kBrickGoldFirst, kBrickGoldLast);
}

bool Level::HasAvailableFood() const
{
    return AnyAvailable(kBrickFoodFirst, kBrickFoodLast);
}

bool Level::HasAvailableSupplies() const
{
    return AnyAvailable(kBrickSuppliesFirst, kBrickSuppliesLast);
}

int Level::CountAvailable() const
{
    int count = 0;
    for (int type = kBrickGoldFirst; type <= kBrickDestroy; ++type) {
        count += IsTypeAvailable(type) ? 1 : 0;
    }
    return count;
}

void Level::ComputeAvailable()
{
    available.reset();
    for (int type = 1; type <= 4; ++type) {
        available.set(std::size_t(type));
    }
    for (int id = 0; id < kBuildings; ++id) {
        if (!UserProfile::IsBuildingBuilt(id)) {
            continue;
        }
        const BaseTownBuilding* building = BuildingsFactory::Instance()->GetById(id);
        if (!building) {
            Platform::DebugOutput(Tolm::FormatString("Level: built building %d is not in the town\r\n", id));
            continue;
        }
        const int type = building->GetBonusBrickType();
        if (IsBrickType(type)) {
            available.set(std::size_t(type));
        } else if (type != 0) {
            Platform::DebugOutput(Tolm::FormatString("Level: building %d unlocks no brick type %d\r\n", id, type));
        }
    }
}

int Level::GetTotalLevels() const
{
    const int total = Tolm::gTolmApp->GetIntProperty("set_total_levels");
    if (total >= 1) {
        return total;
    }
    // Levels are numbered from the total; without one every level plays the first file.
    Platform::DebugOutput(Tolm::FormatString("Level: set_total_levels is %d; taken as 1\r\n", total));
    return 1;
}

int Level::GetLevelIndex() const
{
    const int64_t level = int64_t(std::max(UserProfile::GetLevel(), 1)) + skipped;
    return int((level - 1) % GetTotalLevels() + 1);
}

bool Level::LoadReadableLevel(FieldBase& board)
{
    bool loaded = false;
    for (skipped = 0; skipped < kLoadTries && !loaded; ++skipped) {
        loaded = LoadLevel(board, GetLevelIndex());
    }
    const int passedOver = skipped - 1;
    skipped = 0;
    if (!loaded) {
        return false;
    }
    // The profile moves on only once a level has loaded: files that cannot be read must not carry the
    // player's progress, or a level in progress, away with them.
    for (int level = 0; level < passedOver; ++level) {
        UserProfile::AdvanceLevel();
    }
    return true;
}

bool Level::SetUp(FieldBase& board, bool retry)
{
    ComputeAvailable();
    allowed.reset();
    TimerPanel::Instance()->Reset();

    const bool loaded = LoadReadableLevel(board);

    int playable = 0;
    float goal = 0;
    CountLocks(board, playable, goal);
    if (!UserProfile::HasSavedLevel()) {
        if (allowed.none()) {
            ChooseKinds(playable, retry);
        }
        FillRandom(board);
    }
    TimerPanel::Instance()->SetGoal(goal);
    if (loaded && UserProfile::HasSavedLevel()) {
        RestoreSavedLevel(board);
    }
    return loaded;
}

void Level::CountLocks(const FieldBase& board, int& playable, float& goal)
{
    totalLocks = 0;
    clearedLocks = 0;
    for (int x = 0; x < kFieldWidth; ++x) {
        for (int y = 0; y < kFieldHeight; ++y) {
            const CellBase* cell = board.GetCell(x, y);
            playable += cell->GetKind() != kCellHole ? 1 : 0;
            if (cell->HasFlag(kCellLock1)) {
                ++totalLocks;
                goal += puzzled1Progress;
            }
            if (cell->HasFlag(kCellLock2)) {
                ++totalLocks;
                goal += puzzled2Progress;
            }
        }
    }
}

void Level::RestoreSavedLevel(FieldBase& board)
{
    UserProfile::RestoreLevel(board);
    int layersLeft = 0;
    for (int i = 0; i < kFieldSlots; ++i) {
        const CellBase* cell = board.GetCell(i % kFieldWidth, i / kFieldWidth);
        layersLeft += (cell->HasFlag(kCellLock1) ? 1 : 0) + (cell->HasFlag(kCellLock2) ? 1 : 0);
    }
    // A saved board may hold more locks than its file lays out; the count never runs backwards.
    clearedLocks = std::clamp(totalLocks - layersLeft, 0, totalLocks);
    float progress = 0;
    UserProfile::GetSavedCounters(nullptr, nullptr, nullptr, nullptr, &progress);
    TimerPanel::Instance()->SetProgressFraction(std::isnan(progress) ? 0.0f : std::clamp(progress, 0.0f, 1.0f));
}

void Level::SaveBoard(const FieldBase& board)
{
    for (int x = 0; x < kFieldWidth; ++x) {
        for (int y = 0; y < kFieldHeight; ++y) {
            const auto [brick, cell] = board.GetSlot(x, y);
            const uint32_t word = (uint32_t(uint8_t(cell->GetKind())) << 24) | ((cell->flags & 0xFF) << 16) |
                                  (uint32_t(uint8_t(brick->GetType())) << 8) | (brick->flags & 0xFF);
            UserProfile::SetSavedCell(FieldBase::Index(x, y), word);
        }
    }
    UserProfile::SetSavedAllowedTypes(allowed.to_string());
}

void Level::LoadBoard(FieldBase& board)
{
    for (int x = 0; x < kFieldWidth; ++x) {
        for (int y = 0; y < kFieldHeight; ++y) {
            const uint32_t word = UserProfile::GetSavedCell(FieldBase::Index(x, y));
            CellBase* cell = board.PutNewCell(x, y, int(word >> 24));
            const bool playable = cell->GetKind() != kCellHole;
            BrickBase* brick = board.PutNewBrick(x, y, playable ? int((word >> 8) & 0xFF) : kBrickEmpty);
            if (playable) {
                cell->SetFlag((word >> 16) & (kCellLock1 | kCellLock2));
            }
            // Only the live bonus links with everything, and it sets that flag itself.
            brick->SetFlag(word & 0xFF & ~kBrickWildcard);
        }
    }
    allowed.reset();
    const std::string text = UserProfile::GetSavedAllowedTypes();
    const std::size_t used = std::min<std::size_t>(text.size(), allowed.size());
    for (std::size_t type = 0; type < used; ++type) {
        if (text[text.size() - 1 - type] == '1') {
            allowed.set(type);
        }
    }
}

void SaveBoardToProfile(const FieldBase& board)
{
    Level::Instance()->SaveBoard(board);
}

void LoadBoardFromProfile(FieldBase& board)
{
    Level::Instance()->LoadBoard(board);
}
