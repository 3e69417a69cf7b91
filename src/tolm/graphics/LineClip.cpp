#include "graphics/LineClip.h"

#include <utility>

namespace Tolm {

bool ClipLineToRect(double& x1, double& y1, double& x2, double& y2, const Rect& clip)
{
    if (x1 > x2) {
        std::swap(x1, x2);
        std::swap(y1, y2);
    }
    if (x1 < clip.x) {
        if (x2 < clip.x) {
            return false;
        }
        y1 += (y2 - y1) / (x2 - x1) * (clip.x - x1);
        x1 = clip.x;
    }
    double right = double(clip.x) + clip.width;
    if (x2 >= right) {
        if (x1 >= right) {
            return false;
        }
        double lastColumn = right - 1;
        y2 += (y2 - y1) / (x2 - x1) * (lastColumn - x2);
        x2 = lastColumn;
    }
    if (y1 > y2) {
        std::swap(x1, x2);
        std::swap(y1, y2);
    }
    if (y1 < clip.y) {
        if (y2 < clip.y) {
            return false;
        }
        x1 += (x2 - x1) / (y2 - y1) * (clip.y - y1);
        y1 = clip.y;
    }
    double bottom = double(clip.y) + clip.height;
    if (y2 >= bottom) {
        if (y1 >= bottom) {
            return false;
        }
        double lastRow = bottom - 1;
        x2 += (x2 - x1) / (y2 - y1) * (lastRow - y2);
        y2 = lastRow;
    }
    return true;
}

bool KeepLineInside(const Image& image, double& x1, double& y1, double& x2, double& y2)
{
    auto inside = [&image](double x, double y) { return x >= 0 && y >= 0 && x < image.width && y < image.height; };
    if (inside(x1, y1) && inside(x2, y2)) {
        return true;
    }
    return ClipLineToRect(x1, y1, x2, y2, Rect(0, 0, image.width, image.height)) && inside(x1, y1) && inside(x2, y2);
}

} // namespace Tolm
