// The board's searches against plain references doing the same job in the same run:
// - the move finder's count (Solver::Recount) on its worst boards, beside an explicit-stack flood fill
//   that finds the same-kind areas of three or more bricks;
// - the chain's whole gap fill (PathStorage::Add over a gap, with its graph, radix heap and path) at
//   chain lengths 1, 50 and 150, beside a plain breadth-first search and a std::priority_queue Dijkstra
//   asking the same questions of every slot (the move group, busy, in the chain, links).
// Where the two must agree (whether a move exists, the length of the path), the run checks they do. The
// heap's bytes in use are read before and after 100 000 fills: the gap fill must keep none of them.
#include "app/TolmAppBase.h"
#include "board/BoardFactory.h"
#include "board/FieldActions.h"
#include "board/PathStorage.h"
#include "board/Solver.h"

#include <algorithm>
#include <array>
#include <benchmark/benchmark.h>
#include <functional>
#include <malloc.h>
#include <queue>
#include <random>
#include <vector>

namespace {

// The board's helpers read the application's properties and resources; none are loaded, so bricks have
// no pictures, which no search looks at.
Tolm::TolmAppBase& Application()
{
    static Tolm::TolmAppBase app;
    return app;
}

class BenchBoard : public FieldActions
{};

constexpr int kHole = -1;

// Lays every slot out by its brick type; kHole makes a hole, kBrickLiveBonus the wildcard.
void Lay(BenchBoard& board, const std::function<int(int, int)>& typeAt)
{
    for (int y = 0; y < kFieldHeight; ++y) {
        for (int x = 0; x < kFieldWidth; ++x) {
            const int type = typeAt(x, y);
            board.PutNewCell(x, y, type == kHole ? kCellHole : kCellPlayable);
            board.PutNewBrick(x, y, type == kHole ? kBrickEmpty : type);
        }
    }
}

int Checkerboard(int x, int y)
{
    return 1 + (x + y) % 2;
}

int Uniform(int, int)
{
    return 1;
}

// One corridor winding through the board: the odd rows are walls, open at alternate ends.
int Serpentine(int x, int y)
{
    if (y % 2 == 0) {
        return 1;
    }
    return x == ((y / 2) % 2 == 0 ? kFieldWidth - 1 : 0) ? 1 : kHole;
}

int LiveBonuses(int, int)
{
    return kBrickLiveBonus;
}

// The same-kind areas of three or more bricks, found with an explicit stack; an empty place and a hole
// belong to none. A move exists where such an area does.
int FloodFillAreas(const BenchBoard& board)
{
    std::array<bool, kFieldSlots> seen{};
    std::array<int, kFieldSlots> stack;
    int areas = 0;
    for (int start = 0; start < kFieldSlots; ++start) {
        const int type = board.GetBrickType(start % kFieldWidth, start / kFieldWidth);
        if (seen[std::size_t(start)] || !board.HasBrick(start % kFieldWidth, start / kFieldWidth)) {
            continue;
        }
        int top = 0;
        int size = 0;
        stack[std::size_t(top++)] = start;
        seen[std::size_t(start)] = true;
        while (top > 0) {
            const int slot = stack[std::size_t(--top)];
            ++size;
            const int x = slot % kFieldWidth;
            const int y = slot / kFieldWidth;
            for (const auto& [nx, ny] :
                 {std::pair(x + 1, y), std::pair(x - 1, y), std::pair(x, y + 1), std::pair(x, y - 1)}) {
                const int next = nx + kFieldWidth * ny;
                if (board.HasBrick(nx, ny) && !seen[std::size_t(next)] && board.GetBrickType(nx, ny) == type) {
                    seen[std::size_t(next)] = true;
                    stack[std::size_t(top++)] = next;
                }
            }
        }
        areas += size >= 3 ? 1 : 0;
    }
    return areas;
}

struct RecountCase
{
    const char* name;
    std::function<int(int, int)> typeAt;
};

BenchBoard& RecountBoard(int index, int randomBoard = 0)
{
    static std::vector<std::unique_ptr<BenchBoard>> boards;
    Application();
    if (boards.empty()) {
        for (auto typeAt : {Checkerboard, Uniform, Serpentine, LiveBonuses}) {
            boards.push_back(std::make_unique<BenchBoard>());
            Lay(*boards.back(), typeAt);
        }
        std::mt19937 random(11);
        for (int i = 0; i < 16; ++i) {
            boards.push_back(std::make_unique<BenchBoard>());
            Lay(*boards.back(), [&random](int, int) { return 1 + int(random() % 5); });
        }
    }
    return *boards[std::size_t(index < 4 ? index : 4 + randomBoard % 16)];
}

const char* const kRecountBoards[] = {"checkerboard", "uniform", "serpentine", "live_bonuses", "random_five"};

void Recount(benchmark::State& state)
{
    const int index = int(state.range(0));
    state.SetLabel(kRecountBoards[index]);
    Solver* solver = Solver::Instance();
    int round = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(solver->Recount(RecountBoard(index, round++)));
    }
    // Both find a move, or neither (the flood fill sees no wildcard, so the live bonuses are left out).
    for (int i = 0; i < (index == 4 ? 16 : 1) && index != 3; ++i) {
        if ((solver->Recount(RecountBoard(index, i)) > 0) != (FloodFillAreas(RecountBoard(index, i)) > 0)) {
            state.SkipWithError("the move finder and the flood fill disagree on whether a move exists");
        }
    }
}

void FloodFill(benchmark::State& state)
{
    const int index = int(state.range(0));
    state.SetLabel(kRecountBoards[index]);
    int round = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(FloodFillAreas(RecountBoard(index, round++)));
    }
}

// A gap to fill: a board, a chain laid on it and a target that is neither beside the chain's end nor in
// its row or column, so the shortest path is searched.
struct GapCase
{
    BenchBoard board;
    std::vector<std::pair<int, int>> chain;
    int targetX = 0;
    int targetY = 0;
};

// The uniform board's chain snakes row by row from the top-left corner; the target is the bottom-right
// corner, or the slot left of it when the chain ends in the last column.
void LayUniformGap(GapCase& gap, int length)
{
    Lay(gap.board, Uniform);
    for (int i = 0; i < length; ++i) {
        const int y = i / kFieldWidth;
        const int x = y % 2 == 0 ? i % kFieldWidth : kFieldWidth - 1 - i % kFieldWidth;
        gap.chain.emplace_back(x, y);
    }
    gap.targetX = gap.chain.back().first == kFieldWidth - 1 ? kFieldWidth - 2 : kFieldWidth - 1;
    gap.targetY = kFieldHeight - 1;
}

// A maze of a in walls of b: passages carved from the top-left corner by a depth-first walk over the
// 8 x 6 rooms at even coordinates. The chain follows the way from the corner to the slot farthest from
// it, which is the target.
void LayMazeGap(GapCase& gap, int length)
{
    constexpr int kRoomsX = kFieldWidth / 2;
    constexpr int kRoomsY = kFieldHeight / 2;
    std::array<bool, kFieldSlots> open{};
    std::array<bool, kRoomsX * kRoomsY> visited{};
    std::mt19937 random(5);
    std::vector<std::pair<int, int>> stack{{0, 0}};
    visited[0] = true;
    open[0] = true;
    while (!stack.empty()) {
        const auto [rx, ry] = stack.back();
        std::vector<std::pair<int, int>> next;
        for (const auto& [nx, ny] :
             {std::pair(rx + 1, ry), std::pair(rx - 1, ry), std::pair(rx, ry + 1), std::pair(rx, ry - 1)}) {
            if (nx >= 0 && nx < kRoomsX && ny >= 0 && ny < kRoomsY && !visited[std::size_t(nx + kRoomsX * ny)]) {
                next.emplace_back(nx, ny);
            }
        }
        if (next.empty()) {
            stack.pop_back();
            continue;
        }
        const auto [nx, ny] = next[random() % next.size()];
        visited[std::size_t(nx + kRoomsX * ny)] = true;
        open[std::size_t(rx + nx + kFieldWidth * (ry + ny))] = true;
        open[std::size_t(2 * nx + kFieldWidth * 2 * ny)] = true;
        stack.emplace_back(nx, ny);
    }
    Lay(gap.board, [&open](int x, int y) { return open[std::size_t(x + kFieldWidth * y)] ? 1 : 2; });
    std::array<int, kFieldSlots> from;
    from.fill(-1);
    std::vector<int> queue{0};
    from[0] = 0;
    for (std::size_t head = 0; head < queue.size(); ++head) {
        const int x = queue[head] % kFieldWidth;
        const int y = queue[head] / kFieldWidth;
        for (const auto& [nx, ny] :
             {std::pair(x + 1, y), std::pair(x - 1, y), std::pair(x, y + 1), std::pair(x, y - 1)}) {
            const int slot = nx + kFieldWidth * ny;
            if (nx >= 0 && nx < kFieldWidth && ny >= 0 && ny < kFieldHeight && open[std::size_t(slot)] &&
                from[std::size_t(slot)] < 0) {
                from[std::size_t(slot)] = queue[head];
                queue.push_back(slot);
            }
        }
    }
    std::vector<std::pair<int, int>> way;
    for (int slot = queue.back(); slot != 0; slot = from[std::size_t(slot)]) {
        way.emplace_back(slot % kFieldWidth, slot / kFieldWidth);
    }
    way.emplace_back(0, 0);
    std::reverse(way.begin(), way.end());
    gap.chain.assign(way.begin(), way.begin() + std::min<std::ptrdiff_t>(length, std::ptrdiff_t(way.size()) - 3));
    gap.targetX = way.back().first;
    gap.targetY = way.back().second;
}

GapCase& PrepareGap(int board, int length)
{
    static std::unique_ptr<GapCase> gap;
    Application();
    gap = std::make_unique<GapCase>();
    (board == 0 ? LayUniformGap : LayMazeGap)(*gap, length);
    Solver::Instance()->Recount(gap->board);
    PathStorage* path = PathStorage::Instance();
    path->Clear();
    for (const auto& [x, y] : gap->chain) {
        path->Add(gap->board, x, y, gap->board.GetBrick(x, y));
    }
    return *gap;
}

// The slots a path may enter next, asked as the gap fill asks them.
bool IsOpen(const GapCase& gap, int group, int x, int y)
{
    const PathStorage* path = PathStorage::Instance();
    return x >= 0 && x < kFieldWidth && y >= 0 && y < kFieldHeight && Solver::Instance()->GetLabel(x, y) == group &&
           !gap.board.IsSlotBusy(x, y) && !path->Contains(x, y) && path->Links(gap.board.GetBrick(x, y));
}

// The number of steps from the chain's end to the target, breadth first; -1 when unreachable.
int BreadthFirstSteps(const GapCase& gap)
{
    const auto [sx, sy] = gap.chain.back();
    const int group = Solver::Instance()->GetLabel(sx, sy);
    std::array<int, kFieldSlots> steps;
    steps.fill(-1);
    std::array<int, kFieldSlots> queue;
    int head = 0;
    int tail = 0;
    queue[std::size_t(tail++)] = sx + kFieldWidth * sy;
    steps[std::size_t(queue[0])] = 0;
    while (head < tail) {
        const int slot = queue[std::size_t(head++)];
        const int x = slot % kFieldWidth;
        const int y = slot / kFieldWidth;
        for (const auto& [nx, ny] :
             {std::pair(x + 1, y), std::pair(x - 1, y), std::pair(x, y + 1), std::pair(x, y - 1)}) {
            const int next = nx + kFieldWidth * ny;
            if (IsOpen(gap, group, nx, ny) && steps[std::size_t(next)] < 0) {
                steps[std::size_t(next)] = steps[std::size_t(slot)] + 1;
                queue[std::size_t(tail++)] = next;
            }
        }
    }
    return steps[std::size_t(gap.targetX + kFieldWidth * gap.targetY)];
}

int PriorityQueueSteps(const GapCase& gap)
{
    const auto [sx, sy] = gap.chain.back();
    const int group = Solver::Instance()->GetLabel(sx, sy);
    std::array<int, kFieldSlots> dist;
    dist.fill(1 << 30);
    using Entry = std::pair<int, int>;
    std::priority_queue<Entry, std::vector<Entry>, std::greater<Entry>> frontier;
    dist[std::size_t(sx + kFieldWidth * sy)] = 0;
    frontier.emplace(0, sx + kFieldWidth * sy);
    while (!frontier.empty()) {
        const auto [d, slot] = frontier.top();
        frontier.pop();
        if (d > dist[std::size_t(slot)]) {
            continue;
        }
        const int x = slot % kFieldWidth;
        const int y = slot / kFieldWidth;
        for (const auto& [nx, ny] :
             {std::pair(x + 1, y), std::pair(x - 1, y), std::pair(x, y + 1), std::pair(x, y - 1)}) {
            const int next = nx + kFieldWidth * ny;
            if (IsOpen(gap, group, nx, ny) && d + 1 < dist[std::size_t(next)]) {
                dist[std::size_t(next)] = d + 1;
                frontier.emplace(d + 1, next);
            }
        }
    }
    const int d = dist[std::size_t(gap.targetX + kFieldWidth * gap.targetY)];
    return d == 1 << 30 ? -1 : d;
}

// One fill and the cut back to the laid chain (a cut to one brick empties the chain, which then takes
// that brick again); the number of bricks the fill added.
int FillAndCut(GapCase& gap)
{
    PathStorage* path = PathStorage::Instance();
    const auto [lx, ly] = gap.chain.back();
    path->Add(gap.board, gap.targetX, gap.targetY, gap.board.GetBrick(gap.targetX, gap.targetY));
    const int added = path->GetLength() - int(gap.chain.size());
    path->CutAt(gap.board.GetBrick(lx, ly), true);
    if (path->GetLength() == 0) {
        path->Add(gap.board, lx, ly, gap.board.GetBrick(lx, ly));
    }
    return added;
}

const char* const kGapBoards[] = {"uniform", "maze"};

void GapFill(benchmark::State& state)
{
    GapCase& gap = PrepareGap(int(state.range(0)), int(state.range(1)));
    state.SetLabel(kGapBoards[state.range(0)]);
    const int steps = BreadthFirstSteps(gap);
    if (steps <= 1 || FillAndCut(gap) != steps || PriorityQueueSteps(gap) != steps) {
        state.SkipWithError("the gap fill and the references disagree on the path's length");
        return;
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(FillAndCut(gap));
    }
    state.counters["steps"] = steps;
    const std::size_t before = mallinfo2().uordblks;
    for (int i = 0; i < 100000; ++i) {
        FillAndCut(gap);
    }
    state.counters["bytes_kept_per_1e5"] = double(mallinfo2().uordblks) - double(before);
}

void BreadthFirst(benchmark::State& state)
{
    GapCase& gap = PrepareGap(int(state.range(0)), int(state.range(1)));
    state.SetLabel(kGapBoards[state.range(0)]);
    for (auto _ : state) {
        benchmark::DoNotOptimize(BreadthFirstSteps(gap));
    }
}

void PriorityQueue(benchmark::State& state)
{
    GapCase& gap = PrepareGap(int(state.range(0)), int(state.range(1)));
    state.SetLabel(kGapBoards[state.range(0)]);
    for (auto _ : state) {
        benchmark::DoNotOptimize(PriorityQueueSteps(gap));
    }
}

void GapArguments(benchmark::internal::Benchmark* benchmark)
{
    for (int length : {1, 50, 150}) {
        benchmark->Args({0, length});
    }
    for (int length : {1, 50}) {
        benchmark->Args({1, length});
    }
}

} // namespace

BENCHMARK(Recount)->DenseRange(0, 4);
BENCHMARK(FloodFill)->DenseRange(0, 4);
BENCHMARK(GapFill)->Apply(GapArguments);
BENCHMARK(BreadthFirst)->Apply(GapArguments);
BENCHMARK(PriorityQueue)->Apply(GapArguments);
