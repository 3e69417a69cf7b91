// The sea along the town's bottom edge: the waves picture on a 10 x 10 grid whose inner points circle,
// each row and column a little behind its neighbour, so the water swells. The wave time moves the same
// step on every frame however long the frame took, which is how the sea has always moved.
#pragma once

#include "effects/DistortionMesh.h"

namespace Tolm {
class Graphics;
}

class TownSea
{
public:
    static constexpr int kPoints = 10;
    // Wave time gained per frame.
    static constexpr float kTimeStep = 0.002f;
    static constexpr float kRadius = 5;

    // The picture "TOWN_BACKGROUND_WAVES", every point white at alpha 100.
    TownSea();

    // Once per frame.
    void Update();
    // Sitting on the bottom edge of a screen of that height.
    void Draw(Tolm::Graphics& g, int screenHeight);

    // One wave time for the whole program, never reset.
    static float waveTime;

    DistortionMesh mesh;
    int wavesHeight = 0;
};
