// Cuts a line to a rectangle that covers columns x .. x + width - 1 and rows y .. y + height - 1.
#pragma once

#include "graphics/Rect.h"

namespace Tolm {

// False when nothing of the line remains. The points may come back in the other order than given.
bool ClipLineToRect(double& x1, double& y1, double& x2, double& y2, const Rect& clip);

} // namespace Tolm
