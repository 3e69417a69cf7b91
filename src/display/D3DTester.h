// Stand-in for the hardware 3D capability test until the 3D path exists: the test fails at once with a
// reason and stores nothing, so the display never chooses 3D by itself.
#pragma once

#include "platform/DirectDraw.h"

#include <string>

namespace Tolm {

class D3DTester
{
public:
    void Evaluate(Platform::WindowHandle window, Platform::IDirectDraw7* directDraw);

    // Empty when the hardware passed.
    std::string failureReason;
    std::string warning;
    // The outcome was not taken from a stored result.
    bool freshResult = false;
    int minVideoMemory = 0;
    int recommendedVideoMemory = 0;
};

} // namespace Tolm
