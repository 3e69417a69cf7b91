// A grid of movable, coloured vertices over one image, drawn as textured triangles: it bends an image
// along a path (the fluid streams) or makes it wave (the town's sea). Vertex positions are local to the
// mesh; the caller translates the graphics to place it.
#pragma once

#include "graphics/Color.h"
#include "graphics/TexVertex.h"

#include <vector>

namespace Tolm {
class Graphics;
class Image;
} // namespace Tolm

class DistortionMesh
{
public:
    // How SetVertexPosition reads its point.
    static constexpr int kFromGridPoint = 0;
    static constexpr int kAbsolute = 1;
    static constexpr int kFromCentre = 2;

    // Every vertex at (0, 0), u = v = 0, opaque white; no cell size, no image. A negative count is
    // taken as 0.
    DistortionMesh(int columns, int rows);
    virtual ~DistortionMesh() = default;

    // Not owned.
    void SetImage(Tolm::Image* newImage) { image = newImage; }
    // Lays the vertices on the grid over the rectangle of the image; without an image the rectangle's own
    // size stands for the image's. Colours stay.
    void SetRect(float x, float y, float width, float height);
    // The whole image; nothing without one.
    void FitToImage();
    // Every vertex back on its grid point in the colour; texture coordinates stay.
    void ResetVertices(const Tolm::Color& color);
    // Outside the grid nothing changes.
    void SetVertexColor(int column, int row, const Tolm::Color& color);
    // Every alpha times the factor, truncated.
    void ScaleAlpha(float factor);
    // kFromGridPoint: the grid point plus (x, y); kFromCentre: the mesh's centre plus (x, y); any other
    // mode: (x, y) itself. Outside the grid nothing changes.
    void SetVertexPosition(int column, int row, float x, float y, int mode);
    // Each cell, row by row and left to right, as the triangles ABC and ACD with A its top-left corner
    // and going clockwise. Nothing without an image or on a grid under 2 x 2.
    void Draw(Tolm::Graphics& g);

    Tolm::TexVertex& Vertex(int column, int row) { return vertices[std::size_t(row * columns + column)]; }

    // Row by row.
    std::vector<Tolm::TexVertex> vertices;
    int rows;
    int columns;
    float cellWidth = 0;
    float cellHeight = 0;
    // The source rectangle last given to SetRect.
    float rectX = 0;
    float rectY = 0;
    float rectWidth = 0;
    float rectHeight = 0;
    Tolm::Image* image = nullptr;

private:
    bool Contains(int column, int row) const { return column >= 0 && row >= 0 && column < columns && row < rows; }
};
