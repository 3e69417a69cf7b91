// Stand-in for the display image until the display back end exists: a memory image of the screen's
// size that the frame is drawn into and the display presents. Its surface lock only keeps count, so
// that the frame's drawing can be seen to share one lock.
#pragma once

#include "graphics/MemoryImage.h"

namespace Tolm {

class DDImage : public MemoryImage
{
public:
    DDImage(int imageWidth, int imageHeight) { Create(imageWidth, imageHeight); }

    // True when the surface was locked by this call.
    bool LockSurface()
    {
        ++lockCount;
        surfaceLocked = true;
        return true;
    }
    void UnlockSurface() { surfaceLocked = false; }

    int lockCount = 0;
    bool surfaceLocked = false;
};

} // namespace Tolm
