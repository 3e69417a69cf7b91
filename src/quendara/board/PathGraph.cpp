#include "board/PathGraph.h"

PathGraph::PathGraph(int n) : firstEdge(std::size_t(n), -1), lastEdge(std::size_t(n), -1)
{
    edges.reserve(std::size_t(n) * 4);
}

void PathGraph::AddEdge(int source, int target, int weight)
{
    const int index = int(edges.size());
    edges.push_back({source, target, weight, -1});
    int& last = lastEdge[std::size_t(source)];
    if (last < 0) {
        firstEdge[std::size_t(source)] = index;
    } else {
        edges[std::size_t(last)].next = index;
    }
    last = index;
}

PathFinder::PathFinder(int n, const HeapDesc& heapDesc) : heap(heapDesc.CreateHeap(n)), vertexCount(n) {}

// A vertex's distance improves only when strictly shorter, so the first predecessor to reach a distance
// keeps it.
void PathFinder::Run(const PathGraph& graph, int* dist, int* pred, int source)
{
    enum State : unsigned char
    {
        Unseen,
        InFrontier,
        Settled
    };
    std::vector<State> state(std::size_t(vertexCount), Unseen);
    for (int v = 0; v < vertexCount; ++v) {
        dist[v] = kUnreached;
        pred[v] = v;
    }
    dist[source] = 0;
    heap->Insert(source, 0);
    state[std::size_t(source)] = InFrontier;
    while (heap->ItemCount() > 0) {
        const int v = heap->DeleteMin();
        state[std::size_t(v)] = Settled;
        for (int e = graph.FirstEdge(v); e >= 0; e = graph.GetEdge(e).next) {
            const PathGraph::Edge& edge = graph.GetEdge(e);
            const int w = edge.target;
            const int d = dist[v] + edge.weight;
            if (state[std::size_t(w)] == Settled || d >= dist[w]) {
                continue;
            }
            dist[w] = d;
            pred[w] = v;
            if (state[std::size_t(w)] == InFrontier) {
                heap->DecreaseKey(w, d);
            } else {
                heap->Insert(w, d);
                state[std::size_t(w)] = InFrontier;
            }
        }
    }
}
