// The gap fill's radix heap against a model of its buckets written apart, on random sequences of
// inserts, decreases and deletions (keys never below the last minimum taken, nor above the heap's
// largest key), and Dijkstra's paths over a small graph.
#include "board/RadixHeap.h"

#include "board/PathGraph.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <map>
#include <random>
#include <vector>

namespace {

// The buckets as plain arrays of (item, key) in arrival order. A key goes to the lowest bucket, up to a
// limit, whose upper bound reaches it.
class BucketModel
{
public:
    explicit BucketModel(int n)
    {
        bounds[0] = -1;
        long long power = 1;
        for (int j = 1; j <= 20; ++j) {
            bounds[j] = power - 1;
            power *= 2;
        }
        bounds[21] = 500000LL * n + 1;
    }

    void Insert(int item, int key) { buckets[Bucket(key, 21)].push_back({item, key}); }

    void Decrease(int item, int key)
    {
        for (int j = 0; j <= 21; ++j) {
            auto found =
                std::find_if(buckets[j].begin(), buckets[j].end(), [&](const Entry& e) { return e.item == item; });
            if (found != buckets[j].end()) {
                buckets[j].erase(found);
                buckets[Bucket(key, j)].push_back({item, key});
                return;
            }
        }
    }

    int DeleteMin()
    {
        if (!buckets[1].empty()) {
            const int item = buckets[1].front().item;
            buckets[1].erase(buckets[1].begin());
            return item;
        }
        int i = 2;
        while (buckets[i].empty()) {
            ++i;
        }
        std::vector<Entry> held = buckets[i];
        buckets[i].clear();
        std::size_t best = 0;
        for (std::size_t e = 1; e < held.size(); ++e) {
            if (held[e].key < held[best].key) {
                best = e;
            }
        }
        const Entry taken = held[best];
        held.erase(held.begin() + long(best));
        bounds[0] = taken.key - 1;
        bounds[1] = taken.key;
        for (int j = 2; j < i; ++j) {
            bounds[j] = std::min(bounds[j - 1] + (1LL << (j - 2)), bounds[i]);
        }
        for (const Entry& e : held) {
            buckets[Bucket(e.key, i - 1)].push_back(e);
        }
        return taken.item;
    }

private:
    struct Entry
    {
        int item;
        int key;
    };

    int Bucket(int key, int limit) const
    {
        for (int j = 1; j < limit; ++j) {
            if (key <= bounds[j]) {
                return j;
            }
        }
        return limit;
    }

    std::vector<Entry> buckets[22];
    long long bounds[22];
};

TEST(RadixHeapTest, TakesItemsInTheOrderOfItsBuckets)
{
    const struct
    {
        int items;
        int keySpan;
    } runs[] = {{192, 4}, {192, 200}, {500, 5000}, {64, 400000}};
    std::mt19937 random(7);
    for (const auto& run : runs) {
        RadixHeap heap(run.items);
        BucketModel model(run.items);
        std::map<int, int> keys;
        int floor = 0;
        for (int step = 0; step < 20000; ++step) {
            const int choice = int(random() % 10);
            if (choice < 4 && int(keys.size()) < run.items) {
                int item = int(random() % unsigned(run.items));
                while (keys.count(item)) {
                    item = (item + 1) % run.items;
                }
                const int key = std::min(floor + int(random() % unsigned(run.keySpan)), RadixHeap::MaxKey - 1);
                heap.Insert(item, key);
                model.Insert(item, key);
                keys[item] = key;
            } else if (choice < 6 && !keys.empty()) {
                auto it = std::next(keys.begin(), long(random() % keys.size()));
                const int key = floor + int(random() % unsigned(it->second - floor + 1));
                heap.DecreaseKey(it->first, key);
                model.Decrease(it->first, key);
                it->second = key;
            } else if (!keys.empty()) {
                const int item = heap.DeleteMin();
                ASSERT_EQ(item, model.DeleteMin()) << "step " << step;
                int smallest = keys.begin()->second;
                for (const auto& entry : keys) {
                    smallest = std::min(smallest, entry.second);
                }
                ASSERT_EQ(keys[item], smallest);
                floor = smallest;
                keys.erase(item);
            }
            ASSERT_EQ(heap.ItemCount(), int(keys.size()));
        }
    }
}

// 0 -> 1 -> 3 and 0 -> 2 -> 3 are equally short; 1 was reached first, so it stays 3's predecessor. The
// long edge 0 -> 4 is beaten by 0 -> 2 -> 4.
TEST(RadixHeapTest, DijkstraKeepsTheFirstOfEqualPaths)
{
    PathGraph graph(6);
    graph.AddEdge(0, 1, 1);
    graph.AddEdge(0, 2, 1);
    graph.AddEdge(0, 4, 5);
    graph.AddEdge(1, 3, 1);
    graph.AddEdge(2, 3, 1);
    graph.AddEdge(2, 4, 1);
    int dist[6];
    int pred[6];
    PathFinder(6, HeapD<RadixHeap>()).Run(graph, dist, pred, 0);
    const int expectedDist[6] = {0, 1, 1, 2, 2, PathFinder::kUnreached};
    const int expectedPred[6] = {0, 0, 0, 1, 2, 5};
    for (int v = 0; v < 6; ++v) {
        EXPECT_EQ(dist[v], expectedDist[v]) << v;
        EXPECT_EQ(pred[v], expectedPred[v]) << v;
    }
}

} // namespace
