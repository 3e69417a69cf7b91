#include "display/VertexList.h"

#include <algorithm>

namespace Tolm {

using Platform::D3DTLVERTEX;

int VertexList::Add(const D3DTLVERTEX& vertex)
{
    if (count == capacity) {
        Grow(capacity * 2);
    }
    data[count] = vertex;
    return ++count;
}

void VertexList::Reserve(int n)
{
    if (n > capacity) {
        Grow(n);
    }
}

void VertexList::Grow(int newCapacity)
{
    auto grown = std::make_unique<D3DTLVERTEX[]>(std::size_t(newCapacity));
    std::copy(data, data + count, grown.get());
    heap = std::move(grown);
    data = heap.get();
    capacity = newCapacity;
}

namespace {

float ComponentOf(const D3DTLVERTEX& vertex, VertexComponent component)
{
    switch (component) {
    case VertexComponent::X:
        return vertex.sx;
    case VertexComponent::Y:
        return vertex.sy;
    case VertexComponent::Z:
        return vertex.sz;
    case VertexComponent::U:
        return vertex.tu;
    default:
        return vertex.tv;
    }
}

uint32_t LerpChannel(uint32_t p, uint32_t c, int shift, float t)
{
    int from = int((p >> shift) & 0xFF);
    int to = int((c >> shift) & 0xFF);
    return uint32_t(int(float(from) + float(to - from) * t) & 0xFF) << shift;
}

} // namespace

D3DTLVERTEX LerpVertex(const D3DTLVERTEX& p, const D3DTLVERTEX& c, float t)
{
    D3DTLVERTEX result = p;
    result.sx = p.sx + (c.sx - p.sx) * t;
    result.sy = p.sy + (c.sy - p.sy) * t;
    result.tu = p.tu + (c.tu - p.tu) * t;
    result.tv = p.tv + (c.tv - p.tv) * t;
    if (p.color != c.color) {
        result.color = LerpChannel(p.color, c.color, 24, t) | LerpChannel(p.color, c.color, 16, t) |
                       LerpChannel(p.color, c.color, 8, t) | LerpChannel(p.color, c.color, 0, t);
    }
    return result;
}

void ClipPolygon(const VertexList& in, VertexList& out, VertexComponent component, float bound, bool lower)
{
    out.Clear();
    int count = in.Count();
    if (count < 2) {
        return;
    }
    auto inside = [&](const D3DTLVERTEX& vertex) {
        float value = ComponentOf(vertex, component);
        return lower ? value >= bound : value < bound;
    };
    const D3DTLVERTEX* previous = &in[count - 1];
    for (int i = 0; i < count; ++i) {
        const D3DTLVERTEX& current = in[i];
        bool previousInside = inside(*previous);
        bool currentInside = inside(current);
        if (previousInside != currentInside) {
            float from = ComponentOf(*previous, component);
            float t = (bound - from) / (ComponentOf(current, component) - from);
            out.Add(LerpVertex(*previous, current, t));
        }
        if (currentInside) {
            out.Add(current);
        }
        previous = &current;
    }
}

} // namespace Tolm
