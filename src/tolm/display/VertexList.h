// The vertices of one polygon for the 3D display, with room for 100 inside, and the clipping of a polygon
// against one bound of one vertex component.
#pragma once

#include "platform/Direct3D.h"

#include <cstdint>
#include <memory>

namespace Tolm {

class VertexList
{
public:
    static constexpr int kInnerRoom = 100;

    VertexList() = default;
    VertexList(const VertexList&) = delete;
    VertexList& operator=(const VertexList&) = delete;

    // Appends, doubling the room first when it is full; the new count.
    int Add(const Platform::D3DTLVERTEX& vertex);
    // Room for exactly n when there is less.
    void Reserve(int n);
    void Clear() { count = 0; }
    int Count() const { return count; }
    int Capacity() const { return capacity; }
    bool OnHeap() const { return data != inner; }
    Platform::D3DTLVERTEX* Data() { return data; }
    const Platform::D3DTLVERTEX& operator[](int i) const { return data[i]; }

private:
    void Grow(int newCapacity);

    Platform::D3DTLVERTEX inner[kInnerRoom];
    std::unique_ptr<Platform::D3DTLVERTEX[]> heap;
    Platform::D3DTLVERTEX* data = inner;
    int count = 0;
    int capacity = kInnerRoom;
};

enum class VertexComponent
{
    X,
    Y,
    Z,
    U,
    V,
};

// The point at t along the edge from p to c: position and texture linear, z, rhw and specular from p,
// each colour channel linear and truncated toward zero unless both colours are the same.
Platform::D3DTLVERTEX LerpVertex(const Platform::D3DTLVERTEX& p, const Platform::D3DTLVERTEX& c, float t);

// Keeps the part of the polygon where the component is >= bound (lower) or < bound (upper).
void ClipPolygon(const VertexList& in, VertexList& out, VertexComponent component, float bound, bool lower);

} // namespace Tolm
