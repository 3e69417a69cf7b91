// The overlay pictures are small opaque images written with the system font, white on black.
#include "app/DebugOverlay.h"

#include "app/TolmAppBase.h"
#include "core/StringUtils.h"
#include "display/DDImage.h"
#include "graphics/Graphics.h"
#include "graphics/SysFont.h"
#include "platform/Clock.h"

#include <cmath>

namespace Tolm {

namespace {

constexpr int kOverlayWidth = 50;
constexpr int kMargin = 10;
// Between the demo picture and the statistics picture below it.
constexpr int kDemoPictureGap = 15;

std::string FormatDuration(int64_t milliseconds)
{
    int64_t seconds = std::max<int64_t>(milliseconds, 0) / 1000;
    return FormatString("%02d:%02d:%02d", int(seconds / 3600), int(seconds / 60 % 60), int(seconds % 60));
}

} // namespace

DebugOverlay::DebugOverlay(TolmAppBase* app) : app(app) {}

DebugOverlay::~DebugOverlay() = default;

SysFont& DebugOverlay::Font()
{
    if (!font) {
        font = std::make_unique<SysFont>("Tahoma", 8, false, false, false);
    }
    return *font;
}

DDImage& DebugOverlay::ImageFor(std::unique_ptr<DDImage>& image)
{
    if (!image) {
        image = std::make_unique<DDImage>(app->display.get());
        image->Create(kOverlayWidth, Font().GetHeight() + 1);
        // Black behind the text covers the screen under it whole.
        image->ForceAlphaFlags(false, false);
    }
    return *image;
}

void DebugOverlay::Redraw(std::unique_ptr<DDImage>& image, const std::string& text)
{
    DDImage& picture = ImageFor(image);
    Graphics g(&picture);
    g.SetColor(Color(0, 0, 0));
    g.FillRect(0, 0, picture.width, picture.height);
    g.SetFont(&Font());
    g.SetColor(Color(255, 255, 255));
    g.DrawString(text, 2, Font().GetAscent());
    picture.NoteBitsChanged();
}

void DebugOverlay::RestartFrameRate()
{
    stopwatchStartNs = Platform::GetClock().Nanoseconds();
    frameCount = 0;
    shownFrameRate = 0;
    refreshNow = true;
}

void DebugOverlay::DrawFrameRate()
{
    ++frameCount;
    uint64_t elapsedNs = Platform::GetClock().Nanoseconds() - stopwatchStartNs;
    double elapsedMs = double(elapsedNs) / 1e6;
    if (!refreshNow && elapsedMs < 1000.0) {
        return;
    }
    shownFrameRate = refreshNow ? 0 : int(std::floor(frameCount * 1000.0 / elapsedMs + 0.5));
    refreshNow = false;
    stopwatchStartNs = Platform::GetClock().Nanoseconds();
    frameCount = 0;
    Redraw(statsImage, FormatString("FPS: %d", shownFrameRate));
}

void DebugOverlay::DrawMousePosition(int x, int y)
{
    Redraw(statsImage, FormatString("%d,%d", x, y));
}

void DebugOverlay::DrawDemoTimeLeft()
{
    uint32_t now = Platform::GetClock().Milliseconds();
    if (demoShown && double(now - lastDemoRefresh) < 1000.0 / app->updateMultiplier) {
        return;
    }
    demoShown = true;
    lastDemoRefresh = now;
    Redraw(demoImage, FormatDuration(int64_t(app->demoEndUpdate - app->updateCount) * app->frameTime));
}

void DebugOverlay::BlitOnto(Image* screen, bool demoTime)
{
    if (!screen || !statsImage) {
        return;
    }
    Graphics g(screen);
    int statsTop = screen->height - statsImage->height - kMargin;
    g.DrawImage(statsImage.get(), screen->width - statsImage->width - kMargin, statsTop);
    if (demoTime && demoImage) {
        g.DrawImage(demoImage.get(), screen->width - demoImage->width - kMargin,
                    screen->height - statsImage->height - demoImage->height - kDemoPictureGap);
    }
}

} // namespace Tolm
