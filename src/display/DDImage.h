// Stand-in for the display image until the display back end exists: a memory image of the screen's
// size that the frame is drawn into and the display presents.
#pragma once

#include "graphics/MemoryImage.h"

namespace Tolm {

class DDImage : public MemoryImage
{
public:
    DDImage(int imageWidth, int imageHeight) { Create(imageWidth, imageHeight); }
};

} // namespace Tolm
