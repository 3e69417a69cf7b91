// The graph the chain's gap fill searches, and Dijkstra's shortest paths over it. Each vertex keeps its
// outgoing edges in the order they were added, and that order, with the heap's, decides between paths
// of equal length.
#pragma once

#include "board/RadixHeap.h"

#include <vector>

class PathGraph
{
public:
    struct Edge
    {
        int source;
        int target;
        int weight;
        // The vertex's next edge, -1 after its last.
        int next;
    };

    explicit PathGraph(int n);

    int GetVertexCount() const { return int(firstEdge.size()); }
    void AddEdge(int source, int target, int weight);
    // The vertex's first edge, -1 when it has none; walk on through Edge::next.
    int FirstEdge(int vertex) const { return firstEdge[std::size_t(vertex)]; }
    const Edge& GetEdge(int index) const { return edges[std::size_t(index)]; }

private:
    std::vector<Edge> edges;
    std::vector<int> firstEdge;
    std::vector<int> lastEdge;
};

class PathFinder
{
public:
    // A vertex no path reaches keeps this distance.
    static constexpr int kUnreached = 100000000;

    PathFinder(int n, const HeapDesc& heapDesc);

    // Distances from the source and each vertex's predecessor on a shortest path (itself where none);
    // both arrays hold one entry per vertex.
    void Run(const PathGraph& graph, int* dist, int* pred, int source);

private:
    std::unique_ptr<Heap> heap;
    int vertexCount;
};
