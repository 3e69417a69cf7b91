#include "ShownWindows.h"

#include "app/TolmAppBase.h"
#include "display/DDImage.h"
#include "town/TownMan.h"
#include "windows/ConfirmWindow.h"
#include "windows/ContinueWindow.h"
#include "windows/OptionsWindow.h"
#include "windows/PauseWindow.h"
#include "windows/PeopleBonusWindow.h"

#include <algorithm>
#include <cmath>
#include <memory>

namespace {

std::unique_ptr<Tolm::DDImage> portrait;

uint32_t Argb(double alpha, int red, int green, int blue)
{
    auto a = uint32_t(std::clamp(alpha, 0.0, 1.0) * 255 + 0.5);
    return a << 24 | uint32_t(red) << 16 | uint32_t(green) << 8 | uint32_t(blue);
}

// Coverage of an ellipse about (cx, cy) at the point, with a one-pixel soft edge.
double Inside(double x, double y, double cx, double cy, double rx, double ry)
{
    double distance = std::hypot((x - cx) / rx, (y - cy) / ry);
    return std::clamp((1.0 - distance) * std::min(rx, ry) + 0.5, 0.0, 1.0);
}

// Later layers cover earlier ones by their coverage.
uint32_t Over(uint32_t below, uint32_t above)
{
    double a = (above >> 24) / 255.0;
    double b = (below >> 24) / 255.0;
    double out = a + b * (1 - a);
    if (out <= 0) {
        return 0;
    }
    auto mix = [&](int shift) {
        double value = (((above >> shift) & 0xFF) * a + ((below >> shift) & 0xFF) * b * (1 - a)) / out;
        return int(value + 0.5);
    };
    return Argb(out, mix(16), mix(8), mix(0));
}

// A baker in a tall white hat, head and shoulders, 150 x 160.
Tolm::Image* TestPortrait()
{
    if (portrait) {
        return portrait.get();
    }
    constexpr int kWidth = 150;
    constexpr int kHeight = 160;
    portrait = std::make_unique<Tolm::DDImage>();
    portrait->Create(kWidth, kHeight);
    uint32_t* pixels = portrait->GetBits();
    for (int row = 0; row < kHeight; ++row) {
        for (int column = 0; column < kWidth; ++column) {
            double x = column + 0.5;
            double y = row + 0.5;
            uint32_t pixel = 0;
            double shade = 1.0 - y / kHeight * 0.25;
            pixel =
                Over(pixel, Argb(Inside(x, y, 75, 168, 66, 46), int(226 * shade), int(232 * shade), int(240 * shade)));
            pixel = Over(pixel, Argb(Inside(x, y, 75, 128, 14, 14), 232, 170, 126));
            pixel =
                Over(pixel, Argb(Inside(x, y, 75, 92, 34, 38), int(246 * shade), int(190 * shade), int(146 * shade)));
            pixel = Over(pixel, Argb(Inside(x, y, 75, 48, 40, 14), 255, 255, 255));
            pixel = Over(pixel, Argb(Inside(x, y, 58, 30, 20, 20), 250, 250, 252));
            pixel = Over(pixel, Argb(Inside(x, y, 92, 30, 20, 20), 250, 250, 252));
            pixel = Over(pixel, Argb(Inside(x, y, 75, 22, 22, 22), 255, 255, 255));
            pixel = Over(pixel, Argb(Inside(x, y, 62, 88, 4, 5), 58, 34, 24));
            pixel = Over(pixel, Argb(Inside(x, y, 88, 88, 4, 5), 58, 34, 24));
            pixel = Over(pixel, Argb(Inside(x, y, 52, 104, 8, 5) * 0.5, 240, 120, 110));
            pixel = Over(pixel, Argb(Inside(x, y, 98, 104, 8, 5) * 0.5, 240, 120, 110));
            // The smile: a thin crescent under the nose.
            double smile = Inside(x, y, 75, 104, 15, 11) * (1 - Inside(x, y, 75, 100, 15, 10));
            pixel = Over(pixel, Argb(smile * (y > 104 ? 1 : 0), 140, 60, 50));
            pixel = Over(pixel, Argb(Inside(x, y, 75, 97, 5, 4), 228, 150, 112));
            pixels[row * kWidth + column] = pixel;
        }
    }
    portrait->NoteBitsChanged();
    return portrait.get();
}

} // namespace

BaseWindow* MakeWindowByName(const std::string& name)
{
    if (name == "confirm") {
        ConfirmWindow* window = ConfirmWindow::Instance();
        window->SetText(Tolm::GetLocalizedText("delete_city_question"));
        return window;
    }
    if (name == "continue") {
        return ContinueWindow::Instance();
    }
    if (name == "options") {
        return OptionsWindow::Instance();
    }
    if (name == "pause") {
        return PauseWindow::Instance();
    }
    if (name == "people") {
        TownMan baker;
        baker.name = "Bertram";
        baker.comments = "Fresh bread every morning! While I bake for the town, every food brick you clear brings "
                         "in a little more.";
        baker.previewImage = TestPortrait();
        PeopleBonusWindow* window = PeopleBonusWindow::Instance();
        window->SetPerson(baker);
        return window;
    }
    return nullptr;
}

void FreeTestPortrait()
{
    portrait.reset();
}
