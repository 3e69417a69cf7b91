// A gallery of buttons in their states, drawn by the widget manager onto a screen image and written as
// "button_gallery.png" to look at: framed buttons in the default colours, and buttons cut from one sheet
// of four state images.
#include "graphics/Graphics.h"
#include "graphics/MemoryImage.h"
#include "graphics/SysFont.h"
#include "support/PngFile.h"
#include "widgets/ButtonWidget.h"
#include "widgets/WidgetManager.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

using namespace Tolm;

namespace {

constexpr int kCellWidth = 120;
constexpr int kCellHeight = 36;

struct Rgb
{
    double red;
    double green;
    double blue;
};

Rgb Mix(const Rgb& a, const Rgb& b, double t)
{
    return {a.red + (b.red - a.red) * t, a.green + (b.green - a.green) * t, a.blue + (b.blue - a.blue) * t};
}

uint32_t Pack(const Rgb& c, double alpha)
{
    auto byte = [](double v) { return uint32_t(std::clamp(v, 0.0, 255.0) + 0.5); };
    return byte(alpha * 255) << 24 | byte(c.red) << 16 | byte(c.green) << 8 | byte(c.blue);
}

// One state of the sheet: a rounded pill with a vertical gradient, a darker rim and a soft highlight,
// anti-aliased against transparency.
void DrawPill(MemoryImage& sheet, int cell, Rgb top, Rgb bottom, Rgb rim)
{
    const double radius = 12;
    uint32_t* bits = sheet.GetBits();
    for (int y = 0; y < kCellHeight; ++y) {
        for (int x = 0; x < kCellWidth; ++x) {
            double px = x + 0.5;
            double py = y + 0.5;
            double cx = std::clamp(px, radius + 1, kCellWidth - radius - 1);
            double cy = std::clamp(py, radius + 1, kCellHeight - radius - 1);
            double inside = radius - std::hypot(px - cx, py - cy);
            double coverage = std::clamp(inside + 0.5, 0.0, 1.0);
            Rgb face = Mix(top, bottom, py / kCellHeight);
            if (py < kCellHeight * 0.45) {
                face = Mix(face, Rgb{255, 255, 255}, 0.25 * (1 - py / (kCellHeight * 0.45)));
            }
            double rimWeight = std::clamp(2.0 - inside, 0.0, 1.0);
            bits[y * sheet.width + cell * kCellWidth + x] = Pack(Mix(face, rim, rimWeight), coverage);
        }
    }
}

// A warm backdrop with a title and a caption under every button.
class Backdrop : public Widget
{
public:
    Backdrop(int w, int h)
    {
        Resize(0, 0, w, h);
        font = SysFont::SysFontForApp(nullptr, "Arial Unicode MS", 9, 0, false, false, false);
        titleFont = SysFont::SysFontForApp(nullptr, "Arial Unicode MS", 13, 0, true, false, false);
    }

    void Draw(Graphics* g) override
    {
        for (int y = 0; y < height; ++y) {
            g->SetColor(Color(250 - y / 12, 236 - y / 8, 210 - y / 6));
            g->FillRect(0, y, width, 1);
        }
        g->SetFont(titleFont.get());
        g->SetColor(Color(90, 50, 25));
        for (const auto& [x, y, text] : titles) {
            g->DrawString(text, x, y);
        }
        g->SetFont(font.get());
        g->SetColor(Color(110, 80, 55));
        for (const auto& [x, y, text] : captions) {
            g->DrawString(text, x, y);
        }
    }

    struct Text
    {
        int x;
        int y;
        std::string text;
    };
    std::vector<Text> titles;
    std::vector<Text> captions;
    std::unique_ptr<Font> font;
    std::unique_ptr<Font> titleFont;
};

struct Shown
{
    const char* caption;
    const char* label;
    bool over;
    bool down;
    bool disabled;
    bool inverted;
    double overAlpha;
    bool frameNoDraw;
};

} // namespace

TEST(ButtonGalleryTest, ButtonsInTheirStatesAreDrawnAndWrittenAsPng)
{
    const int width = 860;
    const int height = 250;
    WidgetManager manager(nullptr);
    manager.SetMouseMapping(Rect(0, 0, width, height), Rect(0, 0, width, height));
    MemoryImage screen;
    screen.Create(width, height);
    manager.screenImage = &screen;
    Backdrop backdrop(width, height);
    manager.AddWidget(&backdrop);

    MemoryImage sheet;
    sheet.Create(4 * kCellWidth, kCellHeight);
    DrawPill(sheet, 0, {246, 160, 60}, {214, 104, 28}, {150, 66, 16});
    DrawPill(sheet, 1, {255, 196, 98}, {236, 134, 44}, {166, 80, 22});
    DrawPill(sheet, 2, {198, 104, 30}, {232, 146, 62}, {126, 54, 12});
    DrawPill(sheet, 3, {206, 200, 192}, {172, 166, 158}, {128, 122, 116});
    sheet.NoteBitsChanged();

    const Shown framed[] = {
        {"normal", "Play", false, false, false, false, 0, false},
        {"hovered", "Play", true, false, false, false, 0, false},
        {"pressed", "Play", true, true, false, false, 0, false},
        {"held, dragged off", "Play", false, true, false, false, 0, false},
        {"inverted", "Play", false, false, false, true, 0, false},
        {"label only", "Play", false, false, false, false, 0, true},
    };
    const Shown sheetButtons[] = {
        {"normal", "Options", false, false, false, false, 0, false},
        {"hovered", "Options", true, false, false, false, 0, false},
        {"highlight half faded", "Options", false, false, false, false, 0.5, false},
        {"pressed", "Options", true, true, false, false, 0, false},
        {"disabled", "Options", false, false, true, false, 0, false},
        {"inverted", "Options", false, false, false, true, 0, false},
    };
    std::vector<std::unique_ptr<ButtonWidget>> buttons;
    auto place = [&](const Shown& shown, int x, int y, bool fromSheet) {
        auto button = std::make_unique<ButtonWidget>(int(buttons.size()), nullptr);
        button->label = shown.label;
        button->Resize(x, y, fromSheet ? kCellWidth : 110, fromSheet ? kCellHeight : 30);
        button->isOver = shown.over;
        button->isDown = shown.down;
        button->disabled = shown.disabled;
        button->inverted = shown.inverted;
        button->overAlpha = shown.overAlpha;
        button->frameNoDraw = shown.frameNoDraw;
        button->SetColor(ButtonWidget::ColorLabelHilite, Color(20, 60, 160));
        if (fromSheet) {
            button->buttonImage = &sheet;
            button->normalRect = Rect(0, 0, kCellWidth, kCellHeight);
            button->overRect = Rect(kCellWidth, 0, kCellWidth, kCellHeight);
            button->downRect = Rect(2 * kCellWidth, 0, kCellWidth, kCellHeight);
            button->disabledRect = Rect(3 * kCellWidth, 0, kCellWidth, kCellHeight);
            button->SetColor(ButtonWidget::ColorLabel, Color(255, 255, 255));
            button->SetColor(ButtonWidget::ColorLabelHilite, Color(255, 244, 170));
            button->font = SysFont::SysFontForApp(nullptr, "Arial Unicode MS", 11, 0, true, false, false);
        }
        backdrop.captions.push_back({x, y + (fromSheet ? kCellHeight : 30) + 16, shown.caption});
        manager.AddWidget(button.get());
        buttons.push_back(std::move(button));
    };
    backdrop.titles.push_back({20, 30, "Framed buttons, default colours"});
    for (int i = 0; i < 6; ++i) {
        place(framed[i], 20 + i * 140, 48, false);
    }
    backdrop.titles.push_back({20, 140, "Buttons cut from one sheet of four states"});
    for (int i = 0; i < 6; ++i) {
        place(sheetButtons[i], 20 + i * 140, 158, true);
    }

    ASSERT_TRUE(manager.DrawScreen());
    const uint32_t* pixels = screen.GetBits();
    EXPECT_EQ(pixels[48 * width + 20], 0xFFFFFFFFu) << "a framed button at rest has a white top-left edge";
    EXPECT_EQ(pixels[48 * width + 20 + 2 * 140], 0xFF000000u) << "a pressed one a black top-left edge";
    EXPECT_EQ(pixels[(48 + 15) * width + 20 + 5], 0xFFD4D4D4u) << "the face is light grey";
    EXPECT_TRUE(PngFile::Write("button_gallery.png", width, height, pixels));

    for (auto& button : buttons) {
        manager.RemoveWidget(button.get());
    }
    manager.RemoveWidget(&backdrop);
    manager.screenImage = nullptr;
}
