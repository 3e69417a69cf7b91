#include "town/TownSea.h"

#include "graphics/Graphics.h"
#include "graphics/MemoryImage.h"
#include "resources/ResourceLookups.h"

#include <cmath>

float TownSea::waveTime = 0;

TownSea::TownSea() : mesh(kPoints, kPoints)
{
    Tolm::MemoryImage* waves = GetImageById("TOWN_BACKGROUND_WAVES");
    mesh.SetImage(waves);
    mesh.FitToImage();
    mesh.ResetVertices(Tolm::Color(255, 255, 255, 100));
    wavesHeight = waves ? waves->GetHeight() : 0;
}

void TownSea::Update()
{
    waveTime += kTimeStep;
    for (int row = 1; row < kPoints - 1; ++row) {
        for (int column = 1; column < kPoints - 1; ++column) {
            // The phase steps once every two rows or columns, so neighbours swell in pairs.
            const float angle = float((column + row) / 2) + 10 * waveTime;
            mesh.SetVertexPosition(column, row, kRadius * std::cos(angle), kRadius * std::sin(angle),
                                   DistortionMesh::kFromGridPoint);
        }
    }
}

void TownSea::Draw(Tolm::Graphics& g, int screenHeight)
{
    g.PushState();
    g.Translate(0, screenHeight - wavesHeight);
    mesh.Draw(g);
    g.PopState();
}
