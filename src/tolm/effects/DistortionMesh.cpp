#include "effects/DistortionMesh.h"

#include "graphics/Graphics.h"
#include "rasterizer/TriangleRoutineTable.h"

#include <algorithm>

namespace {

constexpr uint32_t kOpaqueWhite = 0xFFFFFFFF;

// A grid of one column or row has no cells: its cell size stays 0 rather than a division by zero.
float CellSize(float length, int points)
{
    return points > 1 ? length / float(points - 1) : 0.0f;
}

float TextureCoordinate(float position, float size)
{
    return size != 0 ? position / size : 0.0f;
}

} // namespace

DistortionMesh::DistortionMesh(int columnCount, int rowCount)
    : rows(std::max(rowCount, 0)), columns(std::max(columnCount, 0))
{
    Tolm::TexVertex blank;
    blank.color = kOpaqueWhite;
    vertices.assign(std::size_t(rows) * std::size_t(columns), blank);
    Tolm::InitTriangleRoutineTable();
}

void DistortionMesh::SetRect(float x, float y, float width, float height)
{
    rectX = x;
    rectY = y;
    rectWidth = width;
    rectHeight = height;
    cellWidth = CellSize(width, columns);
    cellHeight = CellSize(height, rows);
    const float textureWidth = image ? float(image->GetWidth()) : width;
    const float textureHeight = image ? float(image->GetHeight()) : height;
    for (int i = 0; i < rows; ++i) {
        for (int j = 0; j < columns; ++j) {
            Tolm::TexVertex& vertex = Vertex(j, i);
            vertex.x = float(j) * cellWidth;
            vertex.y = float(i) * cellHeight;
            vertex.u = TextureCoordinate(x + float(j) * cellWidth, textureWidth);
            vertex.v = TextureCoordinate(y + float(i) * cellHeight, textureHeight);
        }
    }
}

void DistortionMesh::FitToImage()
{
    if (image) {
        SetRect(0, 0, float(image->GetWidth()), float(image->GetHeight()));
    }
}

void DistortionMesh::ResetVertices(const Tolm::Color& color)
{
    for (int i = 0; i < rows; ++i) {
        for (int j = 0; j < columns; ++j) {
            Tolm::TexVertex& vertex = Vertex(j, i);
            vertex.x = float(j) * cellWidth;
            vertex.y = float(i) * cellHeight;
            vertex.color = color.ToPacked();
        }
    }
}

void DistortionMesh::SetVertexColor(int column, int row, const Tolm::Color& color)
{
    if (Contains(column, row)) {
        Vertex(column, row).color = color.ToPacked();
    }
}

void DistortionMesh::ScaleAlpha(float factor)
{
    for (Tolm::TexVertex& vertex : vertices) {
        const float alpha = float(vertex.color >> 24) * factor;
        const uint32_t scaled = alpha >= 255.0f ? 255u : alpha > 0 ? uint32_t(alpha) : 0u;
        vertex.color = (vertex.color & 0x00FFFFFF) | (scaled << 24);
    }
}

void DistortionMesh::SetVertexPosition(int column, int row, float x, float y, int mode)
{
    if (!Contains(column, row)) {
        return;
    }
    Tolm::TexVertex& vertex = Vertex(column, row);
    if (mode == kFromGridPoint) {
        x += float(column) * cellWidth;
        y += float(row) * cellHeight;
    } else if (mode == kFromCentre) {
        x += float(columns - 1) * cellWidth / 2;
        y += float(rows - 1) * cellHeight / 2;
    }
    vertex.x = x;
    vertex.y = y;
}

void DistortionMesh::Draw(Tolm::Graphics& g)
{
    if (!image || rows < 2 || columns < 2) {
        return;
    }
    std::vector<Tolm::TexVertex> triangles;
    triangles.reserve(std::size_t(rows - 1) * std::size_t(columns - 1) * 6);
    for (int i = 0; i + 1 < rows; ++i) {
        for (int j = 0; j + 1 < columns; ++j) {
            const Tolm::TexVertex& a = Vertex(j, i);
            const Tolm::TexVertex& b = Vertex(j + 1, i);
            const Tolm::TexVertex& c = Vertex(j + 1, i + 1);
            const Tolm::TexVertex& d = Vertex(j, i + 1);
            triangles.insert(triangles.end(), {a, b, c, a, c, d});
        }
    }
    g.DrawTexturedTriangles(image, triangles.data(), int(triangles.size() / 3));
}
