#include "board/PathStorage.h"

#include "board/ArrowHelper.h"
#include "board/FieldActions.h"
#include "board/PathGraph.h"
#include "board/Solver.h"
#include "bricks/BrickBase.h"
#include "graphics/Graphics.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace {

// How far the arrows wobble along the chain, in pixels, and how their phases trail along it.
constexpr float kWobble = 3.0f;
constexpr float kWobbleTrail = 0.5f;
constexpr float kPhaseStep = 0.1f;

bool IsSideNeighbour(int x1, int y1, int x2, int y2)
{
    return (x1 == x2 && std::abs(y1 - y2) == 1) || (y1 == y2 && std::abs(x1 - x2) == 1);
}

int Sign(int value)
{
    return (value > 0) - (value < 0);
}

bool IsLiveBonus(const BrickBase* brick)
{
    return brick->GetType() == kBrickLiveBonus && brick->HasFlag(kBrickWildcard);
}

} // namespace

class PathStorage::SlotTests
{
public:
    SlotTests(const FieldActions& board, const PathStorage& path) : board(board), path(path)
    {
        busy.fill(kUnknown);
        joins.fill(kUnknown);
    }

    bool IsBusy(int x, int y)
    {
        return Ask(busy, x, y, [&] { return board.IsSlotBusy(x, y); });
    }
    // Not in the chain, and linking.
    bool Joins(int x, int y)
    {
        return Ask(joins, x, y, [&] { return !path.Contains(x, y) && path.Links(board.GetBrick(x, y)); });
    }

private:
    static constexpr signed char kUnknown = -1;

    template <typename Test>
    static bool Ask(std::array<signed char, kFieldSlots>& answers, int x, int y, Test test)
    {
        signed char& answer = answers[Index(x, y)];
        if (answer == kUnknown) {
            answer = test() ? 1 : 0;
        }
        return answer == 1;
    }

    const FieldActions& board;
    const PathStorage& path;
    std::array<signed char, kFieldSlots> busy;
    std::array<signed char, kFieldSlots> joins;
};

void PathStorage::Append(const BrickPosition& position)
{
    chain.push_back(position);
    members.set(Index(position.x, position.y));
    NoteKind(position.brick);
}

void PathStorage::NoteKind(const BrickBase* brick)
{
    if (IsLiveBonus(brick)) {
        kinds.reset();
    } else {
        kinds.set(std::size_t(brick->GetType()));
    }
}

void PathStorage::CollectKinds()
{
    kinds.reset();
    for (const BrickPosition& position : chain) {
        NoteKind(position.brick);
    }
}

void PathStorage::Clear()
{
    chain.clear();
    members.reset();
    kinds.reset();
    tickCount = 0;
    arrowFrame = 0;
    phase = 0;
}

bool PathStorage::IsLast(int x, int y) const
{
    return !chain.empty() && chain.back().x == x && chain.back().y == y;
}

bool PathStorage::CutAt(const BrickBase* brick, bool cut)
{
    auto found = std::find_if(chain.begin(), chain.end(), [brick](const BrickPosition& p) { return p.brick == brick; });
    if (found == chain.end()) {
        return false;
    }
    if (!cut) {
        return true;
    }
    for (auto it = found + 1; it != chain.end(); ++it) {
        members.reset(Index(it->x, it->y));
    }
    chain.erase(found + 1, chain.end());
    if (chain.size() < 2) {
        Clear();
    }
    CollectKinds();
    return true;
}

// After a live bonus any brick may follow, and the bricks after it then decide the chain's kind again:
// walking back from the end, a brick of the type met before any live bonus lets it in.
bool PathStorage::Links(const BrickBase* brick) const
{
    const int type = brick->GetType();
    if (type == kBrickEmpty) {
        return false;
    }
    const BrickBase* last = chain.back().brick;
    if (last->GetType() == type || brick->HasFlag(kBrickWildcard) || IsLiveBonus(last)) {
        return true;
    }
    return type > 0 && type <= kBrickLiveBonus && kinds.test(std::size_t(type));
}

int PathStorage::Add(const FieldActions& board, int x, int y, BrickBase* brick)
{
    if (brick->GetType() == kBrickEmpty) {
        return kNotAdded;
    }
    if (chain.empty()) {
        Append({brick, x, y});
        return kAdded;
    }
    if (CutAt(brick, true)) {
        return kNotAdded;
    }
    if (!Links(brick)) {
        return kDoesNotLink;
    }
    if (IsSideNeighbour(x, y, chain.back().x, chain.back().y)) {
        Append({brick, x, y});
        return kAdded;
    }
    return FillGap(board, x, y, brick) ? kAdded : kNotAdded;
}

bool PathStorage::CanJoin(const FieldActions& board, int x, int y) const
{
    const BrickBase* brick = board.GetBrick(x, y);
    return brick->GetType() != kBrickEmpty && !board.IsSlotBusy(x, y) && Links(brick) && !Contains(x, y);
}

bool PathStorage::FillGap(const FieldActions& board, int tx, int ty, BrickBase* brick)
{
    std::vector<BrickPosition> list;
    if (!FillStraight(board, tx, ty, brick, list)) {
        list.clear();
        if (!FillShortest(board, tx, ty, brick, list)) {
            return false;
        }
    }
    for (const BrickPosition& position : list) {
        Append(position);
    }
    return true;
}

bool PathStorage::FillStraight(const FieldActions& board, int tx, int ty, BrickBase* brick,
                               std::vector<BrickPosition>& list) const
{
    const int lx = chain.back().x;
    const int ly = chain.back().y;
    if (tx != lx && ty != ly) {
        return false;
    }
    const int dx = Sign(tx - lx);
    const int dy = Sign(ty - ly);
    for (int cx = lx + dx, cy = ly + dy; cx != tx || cy != ty; cx += dx, cy += dy) {
        if (!CanJoin(board, cx, cy)) {
            return false;
        }
        list.push_back({board.GetBrick(cx, cy), cx, cy});
    }
    list.push_back({brick, tx, ty});
    return true;
}

// The graph holds the end's move group (from the move finder's last count), entered from the chain's
// end; edges run right, left, down, up from each slot in column order, which with the heap's order
// decides between paths of equal length.
bool PathStorage::FillShortest(const FieldActions& board, int tx, int ty, BrickBase* brick,
                               std::vector<BrickPosition>& list) const
{
    const Solver* solver = Solver::Instance();
    const int lx = chain.back().x;
    const int ly = chain.back().y;
    const int group = solver->GetLabel(lx, ly);
    if (solver->GetLabel(tx, ty) != group) {
        return false;
    }
    PathGraph graph(kFieldSlots);
    SlotTests tests(board, *this);
    for (int x = 0; x < kFieldWidth; ++x) {
        for (int y = 0; y < kFieldHeight; ++y) {
            if (solver->GetLabel(x, y) != group) {
                continue;
            }
            const bool isEnd = x == lx && y == ly;
            if (isEnd ? !Links(board.GetBrick(x, y)) : !tests.Joins(x, y)) {
                continue;
            }
            AddEdgeIfOpen(graph, tests, x, y, x + 1, y);
            AddEdgeIfOpen(graph, tests, x, y, x - 1, y);
            AddEdgeIfOpen(graph, tests, x, y, x, y + 1);
            AddEdgeIfOpen(graph, tests, x, y, x, y - 1);
        }
    }
    std::array<int, kFieldSlots> dist;
    std::array<int, kFieldSlots> pred;
    const int source = int(Index(lx, ly));
    const int target = int(Index(tx, ty));
    PathFinder(kFieldSlots, HeapD<RadixHeap>()).Run(graph, dist.data(), pred.data(), source);
    if (dist[std::size_t(target)] >= PathFinder::kUnreached) {
        return false;
    }
    for (int v = pred[std::size_t(target)]; v != source; v = pred[std::size_t(v)]) {
        const int x = v % kFieldWidth;
        const int y = v / kFieldWidth;
        list.push_back({board.GetBrick(x, y), x, y});
    }
    std::reverse(list.begin(), list.end());
    list.push_back({brick, tx, ty});
    return true;
}

void PathStorage::AddEdgeIfOpen(PathGraph& graph, SlotTests& tests, int x1, int y1, int x2, int y2)
{
    if (!IsInGrid(x2, y2) || !tests.Joins(x2, y2) || tests.IsBusy(x1, y1) || tests.IsBusy(x2, y2)) {
        return;
    }
    graph.AddEdge(int(Index(x1, y1)), int(Index(x2, y2)), 1);
}

int PathStorage::GetChainKind() const
{
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        const int type = it->brick->GetType();
        if (type >= kBrickGoldFirst && type <= kBrickGoldLast) {
            return kKindGold;
        }
        if (type >= kBrickFoodFirst && type <= kBrickFoodLast) {
            return kKindFood;
        }
        if (type >= kBrickSuppliesFirst && type <= kBrickSuppliesLast) {
            return kKindSupplies;
        }
        if (type >= kBrickHammer && type <= kBrickDestroy) {
            return kKindBonus;
        }
    }
    return kKindNone;
}

int PathStorage::GetFirstDirection() const
{
    if (chain.size() < 2) {
        return kDirectionNone;
    }
    const BrickPosition& first = chain[0];
    const BrickPosition& second = chain[1];
    if (second.y == first.y && second.x < first.x) {
        return kDirectionLeft;
    }
    if (second.y == first.y && second.x > first.x) {
        return kDirectionRight;
    }
    if (second.x == first.x && second.y < first.y) {
        return kDirectionUp;
    }
    if (second.x == first.x && second.y > first.y) {
        return kDirectionDown;
    }
    return kDirectionNone;
}

bool PathStorage::Next(int* x, int* y)
{
    if (cursor >= chain.size()) {
        return false;
    }
    if (x) {
        *x = chain[cursor].x;
    }
    if (y) {
        *y = chain[cursor].y;
    }
    ++cursor;
    return true;
}

// An arrow picture without animation data steps every update over its one frame.
void PathStorage::Tick()
{
    const int delay = std::max(ArrowHelper::GetFrameDelay(), 1);
    const int frames = std::max(ArrowHelper::GetFrameCount(), 1);
    if (++tickCount % delay == 0) {
        arrowFrame = (arrowFrame + 1) % frames;
    }
    phase += kPhaseStep;
}

// Each pair's arrow wobbles half a radian behind the one before it, and its frame is two ahead.
void PathStorage::Draw(Tolm::Graphics& g) const
{
    if (chain.size() < 2) {
        return;
    }
    const int frames = std::max(ArrowHelper::GetFrameCount(), 1);
    for (std::size_t c = 0; c + 1 < chain.size(); ++c) {
        const BrickPosition& from = chain[c];
        const BrickPosition& to = chain[c + 1];
        const int frame = (arrowFrame + 2 * int(c)) % frames;
        const float trail = float(c) * kWobbleTrail;
        g.PushState();
        if (to.x > from.x) {
            g.TranslateF(kWobble * std::sin(phase + trail), 0);
            ArrowHelper::DrawRight(g, from.x, from.y, frame);
        } else if (to.x < from.x) {
            g.TranslateF(kWobble * std::sin(phase - trail), 0);
            ArrowHelper::DrawLeft(g, from.x, from.y, frame);
        } else if (to.y < from.y) {
            g.TranslateF(0, kWobble * std::sin(phase - trail));
            ArrowHelper::DrawUp(g, from.x, from.y, frame);
        } else {
            g.TranslateF(0, kWobble * std::sin(phase + trail));
            ArrowHelper::DrawDown(g, from.x, from.y, frame);
        }
        g.PopState();
    }
}
