// Cuts a line to a rectangle that covers columns x .. x + width - 1 and rows y .. y + height - 1, or to an
// image.
#pragma once

#include "graphics/Image.h"
#include "graphics/Rect.h"

namespace Tolm {

// False when nothing of the line remains. The points may come back in the other order than given.
bool ClipLineToRect(double& x1, double& y1, double& x2, double& y2, const Rect& clip);

// Endpoints belong inside the image; a line that leaves it is cut to it first, so that a bad line can
// neither write outside the pixels nor step through a huge range. False when nothing remains.
bool KeepLineInside(const Image& image, double& x1, double& y1, double& x2, double& y2);

} // namespace Tolm
