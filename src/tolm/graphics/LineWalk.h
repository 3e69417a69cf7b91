// How the software and the surface lines step from pixel to pixel: the plain lines along their major axis
// with an integer error term, the anti-aliased line two pixels per step with a 16.16 error term. Both hand
// each pixel to a plot function; what a pixel becomes is the caller's.
#pragma once

#include "graphics/TruncToInt.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <utility>

namespace Tolm {

// Walks the major axis a one pixel at a time, stepping the minor axis b by an integer error term.
// Coordinates come major axis first, and plot receives them in that order. The normal line starts its
// error term from the fractional part of the first point, the additive line does not.
template <typename Plot>
void StepMajorAxis(double a1, double b1, double a2, double b2, bool fractionalStart, Plot plot)
{
    double minA = std::min(a1, a2);
    double maxA = std::max(a1, a2);
    double minB = std::min(b1, b2);
    double maxB = std::max(b1, b2);
    double da = a2 - a1;
    double db = b2 - b1;
    if (da < 0) {
        std::swap(a1, a2);
        std::swap(b1, b2);
        da = -da;
        db = -db;
    }
    int bStep = 1;
    if (db < 0) {
        bStep = -1;
        db = -db;
    }
    int b = TruncToInt(b1);
    int inc1 = TruncToInt(2 * db);
    int inc2 = TruncToInt(2 * (db - da));
    int start = TruncToInt(2 * db - da);
    int err = fractionalStart ? TruncToInt((b1 - b) * inc1 + start) : start;
    plot(TruncToInt(a1), b);
    for (int a = TruncToInt(a1 + 1); a <= a2; ++a) {
        if (err < 1) {
            err += inc1;
        } else {
            if (a < minA) {
                return;
            }
            b += bStep;
            if (b < minB || a > maxA || b > maxB) {
                return;
            }
            err += inc2;
        }
        plot(a, b);
    }
}

template <typename Plot>
void StepLine(double x1, double y1, double x2, double y2, bool fractionalStart, Plot plot)
{
    if (std::fabs(x2 - x1) > std::fabs(y2 - y1)) {
        StepMajorAxis(x1, y1, x2, y2, fractionalStart, plot);
        return;
    }
    StepMajorAxis(y1, x1, y2, x2, fractionalStart, [&plot](int y, int x) { plot(x, y); });
}

// The anti-aliased line: plot(x, y, coverage) for the first pixel, each step's pixel and its neighbour
// across the line, and the last pixel. The end points are truncated and ordered by y; the accumulator
// starts from the first point's fractional parts. A steep line's neighbour lies beside it in the row and
// is drawn only inside columns 0 .. width - 1; a flat line's lies below it, above row height - 1.
template <typename Plot>
void WalkSmoothLine(double x1, double y1, double x2, double y2, int width, int height, Plot plot)
{
    int xi1 = TruncToInt(x1);
    int yi1 = TruncToInt(y1);
    int xi2 = TruncToInt(x2);
    int yi2 = TruncToInt(y2);
    if (yi1 > yi2) {
        std::swap(x1, x2);
        std::swap(y1, y2);
        std::swap(xi1, xi2);
        std::swap(yi1, yi2);
    }
    int xStep = xi2 < xi1 ? -1 : 1;
    double adx = std::fabs(x2 - x1);
    double ady = y2 - y1;
    int n = std::abs(xi2 - xi1);
    int m = yi2 - yi1;
    int err = TruncToInt(std::fabs(y1 - yi1) * std::fabs(x1 - xi1) * 65536);
    plot(xi1, yi1, 255 - ((err >> 8) & 255));
    int x = xi1;
    int y = yi1;
    if (n < m) {
        int step = TruncToInt(adx / ady * 65536);
        for (int i = 0; i < m - 1; ++i) {
            err += step;
            if (err >= 65536) {
                x += xStep;
                err &= 65535;
            }
            y += 1;
            int k = (err >> 8) & 255;
            plot(x, y, 255 - k);
            if (x < width - 1 && x + xStep >= 0) {
                plot(x + xStep, y, k);
            }
        }
    } else if (n > 0) {
        int step = TruncToInt(ady / adx * 65536);
        for (int i = 0; i < n - 1; ++i) {
            err += step;
            if (err >= 65536) {
                y += 1;
                err &= 65535;
            }
            x += xStep;
            int k = (err >> 8) & 255;
            plot(x, y, 255 - k);
            if (y < height - 1) {
                plot(x, y + 1, k);
            }
        }
    }
    plot(xi2, yi2, 255 - ((err >> 8) & 255));
}

} // namespace Tolm
