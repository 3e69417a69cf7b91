// The debug overlay in the lower right corner of the screen: the frame rate or the mouse position in
// one small picture, and above it the time left in a played demo. Each picture is redrawn only when
// its text is due, then blitted over every presented frame while the overlay is on.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace Tolm {

class DDImage;
class Image;
class SysFont;
class TolmAppBase;

class DebugOverlay
{
public:
    explicit DebugOverlay(TolmAppBase* app);
    ~DebugOverlay();
    DebugOverlay(const DebugOverlay&) = delete;
    DebugOverlay& operator=(const DebugOverlay&) = delete;

    // The overlay was switched on: the count starts again and the next frame shows 0.
    void RestartFrameRate();
    // Counts a frame; the rate shown changes once a second.
    void DrawFrameRate();
    void DrawMousePosition(int x, int y);
    // Refreshed once a second of the demo's own time: faster playback refreshes it more often.
    void DrawDemoTimeLeft();
    // The statistics picture, and with demoTime the demo picture above it, onto the screen image.
    void BlitOnto(Image* screen, bool demoTime);

    // Drawn into and shown; null until first used.
    std::unique_ptr<DDImage> statsImage;
    std::unique_ptr<DDImage> demoImage;
    int shownFrameRate = 0;

private:
    SysFont& Font();
    DDImage& ImageFor(std::unique_ptr<DDImage>& image);
    void Redraw(std::unique_ptr<DDImage>& image, const std::string& text);

    TolmAppBase* app;
    std::unique_ptr<SysFont> font;
    int frameCount = 0;
    uint64_t stopwatchStartNs = 0;
    bool refreshNow = true;
    uint32_t lastDemoRefresh = 0;
    bool demoShown = false;
};

} // namespace Tolm
