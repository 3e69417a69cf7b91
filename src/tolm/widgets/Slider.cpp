#include "widgets/Slider.h"

#include "graphics/Graphics.h"
#include "graphics/Image.h"

#include <algorithm>

namespace Tolm {

namespace {

constexpr int kArrowCursor = 0;
constexpr int kOpenHandCursor = 2;

} // namespace

Slider::Slider(Image* trackImage, Image* thumbImage, int id, SliderListener* listener)
    : listener(listener), id(id), trackImage(trackImage), thumbImage(thumbImage)
{}

void Slider::SetValue(double newValue)
{
    value = std::clamp(newValue, 0.0, 1.0);
    InvalidateWithBelow();
}

int Slider::ThumbExtent()
{
    if (!thumbImage) {
        return 0;
    }
    return horizontal ? thumbImage->GetWidth() : thumbImage->GetHeight();
}

int Slider::ThumbPosition()
{
    return int((TrackLength() - ThumbExtent()) * value);
}

bool Slider::OverThumb(int x, int y)
{
    int at = Along(x, y);
    int thumb = ThumbPosition();
    return thumb <= at && at < thumb + ThumbExtent();
}

void Slider::MouseDown(int x, int y, int /*signedCount*/)
{
    if (OverThumb(x, y)) {
        SetAppCursor(kOpenHandCursor);
        grabOffsetX = x - (horizontal ? ThumbPosition() : 0);
        grabOffsetY = y - (horizontal ? 0 : ThumbPosition());
        dragging = true;
        return;
    }
    // The thumb's leading edge lands at the fraction of the track that was pressed. A track without
    // length has no fraction.
    if (TrackLength() > 0) {
        SetValue(double(Along(x, y)) / TrackLength());
    }
}

void Slider::MouseMove(int x, int y)
{
    SetAppCursor(OverThumb(x, y) ? kOpenHandCursor : kArrowCursor);
}

void Slider::MouseDrag(int x, int y)
{
    if (!dragging) {
        return;
    }
    // A thumb as long as the track cannot move along it.
    int travel = TrackLength() - ThumbExtent();
    if (travel <= 0) {
        return;
    }
    int grab = horizontal ? grabOffsetX : grabOffsetY;
    double newValue = std::clamp(double(Along(x, y) - grab) / travel, 0.0, 1.0);
    if (newValue == value) {
        return;
    }
    value = newValue;
    if (listener) {
        listener->SliderMoved(id, value);
    }
    InvalidateWithBelow();
}

void Slider::MouseUp(int /*x*/, int /*y*/)
{
    dragging = false;
    SetAppCursor(kArrowCursor);
    // Also after a press on the track, which reported nothing when it moved the thumb.
    if (listener) {
        listener->SliderMoved(id, value);
    }
}

void Slider::MouseLeave()
{
    if (!dragging) {
        SetAppCursor(kArrowCursor);
    }
}

void Slider::Draw(Graphics* g)
{
    if (trackImage) {
        DrawTrack(g);
    }
    if (thumbImage) {
        DrawThumb(g);
    }
}

void Slider::DrawTrack(Graphics* g)
{
    // Three cells side by side (stacked when vertical): start cap, middle, end cap.
    int cellWidth = horizontal ? trackImage->GetWidth() / 3 : trackImage->GetWidth();
    int cellHeight = horizontal ? trackImage->GetHeight() : trackImage->GetHeight() / 3;
    if (cellWidth <= 0 || cellHeight <= 0) {
        return;
    }
    int step = horizontal ? cellWidth : cellHeight;
    int length = TrackLength();
    int across = horizontal ? (height - cellHeight) / 2 : 0;
    auto cell = [&](int index) {
        return horizontal ? Rect(index * cellWidth, 0, cellWidth, cellHeight)
                          : Rect(0, index * cellHeight, cellWidth, cellHeight);
    };
    auto place = [&](Graphics* target, int along, int index) {
        target->DrawImagePart(trackImage, horizontal ? along : across, horizontal ? across : along, cell(index));
    };
    place(g, 0, 0);
    {
        Graphics middle(*g);
        // Clipping is only exact when the context draws at its own size.
        if (middle.scaleX == 1.0f) {
            if (horizontal) {
                middle.IntersectClip(cellWidth, across, length - 2 * cellWidth, cellHeight);
            } else {
                middle.IntersectClip(0, cellHeight, cellWidth, length - 2 * cellHeight);
            }
        }
        int repeats = (length - step - 1) / step;
        for (int i = 0; i < repeats; ++i) {
            place(&middle, step + i * step, 1);
        }
    }
    place(g, length - step, 2);
}

void Slider::DrawThumb(Graphics* g)
{
    if (horizontal) {
        g->DrawImage(thumbImage, ThumbPosition(), (height - thumbImage->GetHeight()) / 2);
    } else {
        g->DrawImage(thumbImage, (width - thumbImage->GetWidth()) / 2, ThumbPosition());
    }
}

} // namespace Tolm
