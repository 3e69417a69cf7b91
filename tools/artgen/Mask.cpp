#include "Mask.h"

#include <algorithm>
#include <cmath>

namespace ArtGen {

namespace {

// Coverage of a pixel whose centre lies at signed distance d (negative inside) from an edge.
float CoverageAt(double distance)
{
    return float(std::clamp(0.5 - distance, 0.0, 1.0));
}

// The pixels a shape can touch: its bounds, one pixel wider for the anti-aliased rim, inside the mask.
struct Span
{
    int left;
    int top;
    int right;
    int bottom;
};

Span Clip(int width, int height, double left, double top, double right, double bottom)
{
    return {std::max(0, int(std::floor(left)) - 1), std::max(0, int(std::floor(top)) - 1),
            std::min(width, int(std::ceil(right)) + 1), std::min(height, int(std::ceil(bottom)) + 1)};
}

double SegmentDistance(const Point& p, const Point& a, const Point& b)
{
    const double ex = b.x - a.x;
    const double ey = b.y - a.y;
    const double length2 = ex * ex + ey * ey;
    double t = length2 > 0 ? ((p.x - a.x) * ex + (p.y - a.y) * ey) / length2 : 0;
    t = std::clamp(t, 0.0, 1.0);
    return std::hypot(p.x - (a.x + t * ex), p.y - (a.y + t * ey));
}

// The winding number's step for one edge: +1 upwards across the point's right, -1 downwards.
int WindingStep(const Point& p, const Point& a, const Point& b)
{
    const double side = (b.x - a.x) * (p.y - a.y) - (p.x - a.x) * (b.y - a.y);
    if (a.y <= p.y) {
        return b.y > p.y && side > 0 ? 1 : 0;
    }
    return b.y <= p.y && side < 0 ? -1 : 0;
}

} // namespace

Mask::Mask(int maskWidth, int maskHeight)
    : width(std::max(maskWidth, 0)), height(std::max(maskHeight, 0)),
      cover(std::size_t(width) * std::size_t(height), 0.0f)
{}

bool Mask::Bounds(int& left, int& top, int& right, int& bottom) const
{
    left = width;
    top = height;
    right = 0;
    bottom = 0;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if (At(x, y) > 1.0f / 1024) {
                left = std::min(left, x);
                right = std::max(right, x + 1);
                top = std::min(top, y);
                bottom = std::max(bottom, y + 1);
            }
        }
    }
    return left < right;
}

Mask Mask::RoundRect(int width, int height, double x, double y, double w, double h, double radius)
{
    Mask mask(width, height);
    radius = std::clamp(radius, 0.0, std::min(w, h) / 2);
    const double cx = x + w / 2;
    const double cy = y + h / 2;
    const double bx = w / 2 - radius;
    const double by = h / 2 - radius;
    const Span span = Clip(width, height, x, y, x + w, y + h);
    for (int py = span.top; py < span.bottom; ++py) {
        for (int px = span.left; px < span.right; ++px) {
            const double qx = std::abs(px + 0.5 - cx) - bx;
            const double qy = std::abs(py + 0.5 - cy) - by;
            const double outside = std::hypot(std::max(qx, 0.0), std::max(qy, 0.0));
            const double inside = std::min(std::max(qx, qy), 0.0);
            mask.At(px, py) = CoverageAt(outside + inside - radius);
        }
    }
    return mask;
}

Mask Mask::Ellipse(int width, int height, double cx, double cy, double rx, double ry)
{
    Mask mask(width, height);
    if (rx <= 0 || ry <= 0) {
        return mask;
    }
    const Span span = Clip(width, height, cx - rx, cy - ry, cx + rx, cy + ry);
    for (int py = span.top; py < span.bottom; ++py) {
        for (int px = span.left; px < span.right; ++px) {
            const double x = px + 0.5 - cx;
            const double y = py + 0.5 - cy;
            // The implicit function divided by its gradient: exact for circles, close for ellipses.
            const double k0 = std::hypot(x / rx, y / ry);
            const double k1 = std::hypot(x / (rx * rx), y / (ry * ry));
            const double distance = k1 > 0 ? k0 * (k0 - 1) / k1 : -std::min(rx, ry);
            mask.At(px, py) = CoverageAt(distance);
        }
    }
    return mask;
}

Mask Mask::Polygon(int width, int height, const std::vector<Contour>& contours)
{
    Mask mask(width, height);
    double left = width;
    double top = height;
    double right = 0;
    double bottom = 0;
    for (const Contour& contour : contours) {
        for (const Point& p : contour) {
            left = std::min(left, p.x);
            top = std::min(top, p.y);
            right = std::max(right, p.x);
            bottom = std::max(bottom, p.y);
        }
    }
    const Span span = Clip(width, height, left, top, right, bottom);
    for (int py = span.top; py < span.bottom; ++py) {
        for (int px = span.left; px < span.right; ++px) {
            const Point p{px + 0.5, py + 0.5};
            double distance = 1e9;
            int winding = 0;
            for (const Contour& contour : contours) {
                for (std::size_t i = 0; i < contour.size(); ++i) {
                    const Point& a = contour[i];
                    const Point& b = contour[(i + 1) % contour.size()];
                    distance = std::min(distance, SegmentDistance(p, a, b));
                    winding += WindingStep(p, a, b);
                }
            }
            mask.At(px, py) = CoverageAt(winding != 0 ? -distance : distance);
        }
    }
    return mask;
}

void Mask::Multiply(const Mask& other)
{
    for (std::size_t i = 0; i < cover.size() && i < other.cover.size(); ++i) {
        cover[i] *= other.cover[i];
    }
}

void Mask::Invert()
{
    for (float& value : cover) {
        value = 1.0f - value;
    }
}

void Mask::Scale(float factor)
{
    for (float& value : cover) {
        value = std::clamp(value * factor, 0.0f, 1.0f);
    }
}

void Mask::Blur(double radius)
{
    const int box = int(std::lround(radius / 2));
    if (box < 1) {
        return;
    }
    for (int pass = 0; pass < 3; ++pass) {
        BoxBlurRows(box);
        BoxBlurColumns(box);
    }
}

// A running sum over 2 x radius + 1 pixels; outside the mask counts as uncovered.
void Mask::BoxBlurRows(int radius)
{
    const float scale = 1.0f / float(2 * radius + 1);
    std::vector<float> row(static_cast<std::size_t>(width));
    for (int y = 0; y < height; ++y) {
        double sum = 0;
        for (int x = 0; x < std::min(radius, width); ++x) {
            sum += At(x, y);
        }
        for (int x = 0; x < width; ++x) {
            if (x + radius < width) {
                sum += At(x + radius, y);
            }
            if (x - radius - 1 >= 0) {
                sum -= At(x - radius - 1, y);
            }
            row[std::size_t(x)] = float(sum) * scale;
        }
        std::copy(row.begin(), row.end(), cover.begin() + std::ptrdiff_t(y) * width);
    }
}

void Mask::BoxBlurColumns(int radius)
{
    const float scale = 1.0f / float(2 * radius + 1);
    std::vector<float> column(static_cast<std::size_t>(height));
    for (int x = 0; x < width; ++x) {
        double sum = 0;
        for (int y = 0; y < std::min(radius, height); ++y) {
            sum += At(x, y);
        }
        for (int y = 0; y < height; ++y) {
            if (y + radius < height) {
                sum += At(x, y + radius);
            }
            if (y - radius - 1 >= 0) {
                sum -= At(x, y - radius - 1);
            }
            column[std::size_t(y)] = float(sum) * scale;
        }
        for (int y = 0; y < height; ++y) {
            At(x, y) = column[std::size_t(y)];
        }
    }
}

Mask Mask::Dilate(double radius) const
{
    Mask grown(width, height);
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    if (radius <= 0 || !Bounds(left, top, right, bottom)) {
        return *this;
    }
    const int reach = int(std::ceil(radius)) + 1;
    struct Tap
    {
        int dx;
        int dy;
        float weight;
    };
    std::vector<Tap> taps;
    for (int dy = -reach; dy <= reach; ++dy) {
        for (int dx = -reach; dx <= reach; ++dx) {
            const float weight = CoverageAt(std::hypot(dx, dy) - radius);
            if (weight > 0) {
                taps.push_back({dx, dy, weight});
            }
        }
    }
    for (int y = std::max(0, top - reach); y < std::min(height, bottom + reach); ++y) {
        for (int x = std::max(0, left - reach); x < std::min(width, right + reach); ++x) {
            float best = 0;
            for (const Tap& tap : taps) {
                const int sx = x + tap.dx;
                const int sy = y + tap.dy;
                if (sx >= 0 && sy >= 0 && sx < width && sy < height) {
                    best = std::max(best, At(sx, sy) * tap.weight);
                }
            }
            grown.At(x, y) = best;
        }
    }
    return grown;
}

Mask Mask::Grow(double distance) const
{
    if (distance >= 0) {
        return Dilate(distance);
    }
    Mask outside = *this;
    outside.Invert();
    Mask worn = outside.Dilate(-distance);
    worn.Invert();
    return worn;
}

Mask Mask::Shift(double dx, double dy) const
{
    Mask moved(width, height);
    for (int y = 0; y < height; ++y) {
        const double sy = y - dy;
        const int y0 = int(std::floor(sy));
        const float fy = float(sy - y0);
        for (int x = 0; x < width; ++x) {
            const double sx = x - dx;
            const int x0 = int(std::floor(sx));
            const float fx = float(sx - x0);
            auto sample = [this](int px, int py) {
                return px >= 0 && py >= 0 && px < width && py < height ? At(px, py) : 0.0f;
            };
            const float top = sample(x0, y0) * (1 - fx) + sample(x0 + 1, y0) * fx;
            const float below = sample(x0, y0 + 1) * (1 - fx) + sample(x0 + 1, y0 + 1) * fx;
            moved.At(x, y) = top * (1 - fy) + below * fy;
        }
    }
    return moved;
}

} // namespace ArtGen
