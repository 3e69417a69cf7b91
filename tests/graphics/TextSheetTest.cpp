// The generated image fonts load and measure what they draw; and a text sheet with system fonts and the
// generated image fonts at several sizes, colours and scales, with colour codes and wrapped text, is
// written to "text_sheet.png" in the working folder, to be looked at.
#include "FontTestSupport.h"
#include "graphics/FontData.h"
#include "graphics/Graphics.h"
#include "graphics/ImageFont.h"
#include "graphics/MemoryImage.h"
#include "graphics/SysFont.h"

#include <gtest/gtest.h>
#include <memory>
#include <string>

using namespace Tolm;

namespace {

const std::string kFonts = std::string(QUENDARA_BUILD_DATA) + "/fonts/";
const char* const kGeneratedFonts[] = {"title", "ui"};
const std::string kSample = "Quendara: gold, food & supplies! \xC0 b\xE9t\xE9 \x80 12";

std::unique_ptr<ImageFont> LoadGenerated(PopupRecorder& app, const std::string& name)
{
    auto font = std::make_unique<ImageFont>(&app, kFonts + name + ".txt");
    EXPECT_TRUE(font->fontData->loaded) << name << ": " << (app.popups.empty() ? "" : app.popups.front());
    return font;
}

TEST(TextSheetTest, GeneratedFontsLoadAndMeasureWhatTheyDraw)
{
    PopupRecorder app;
    for (const char* name : kGeneratedFonts) {
        SCOPED_TRACE(name);
        auto font = LoadGenerated(app, name);
        EXPECT_TRUE(app.popups.empty());
        ASSERT_GT(font->GetDefaultPointSize(), 0);
        MemoryImage canvas;
        canvas.Create(1200, 120);
        Graphics g(&canvas);
        for (int points : {font->GetDefaultPointSize(), 11, 16, 24, 33}) {
            for (double scale : {1.0, 1.5}) {
                SCOPED_TRACE(points);
                font->SetPointSize(points);
                font->SetScale(scale);
                int drawn = -1;
                font->DrawStringWithRects(g, 0, 80, kSample, Color::White, g.clipRect, nullptr, &drawn);
                EXPECT_EQ(font->StringWidth(kSample), drawn);
                EXPECT_GT(drawn, 0);
                EXPECT_GT(font->CharWidth('\xE9'), 0);
                EXPECT_GT(font->GetHeight(), font->GetAscent());
            }
        }
    }
}

// A warm backdrop: a dark band for light text above a paper-coloured band for dark text.
void DrawBackdrop(Graphics& g, int width, int height)
{
    for (int y = 0; y < height; y += 4) {
        int shade = y * 40 / height;
        g.SetColor(Color(44 + shade, 52 + shade, 70 + shade));
        g.FillRect(0, y, width, 4);
    }
    g.SetColor(Color(246, 236, 214));
    g.FillRect(0, 470, width, height - 470);
}

void DrawSystemFonts(Graphics& g)
{
    struct Sample
    {
        const char* face;
        int points;
        bool bold;
        bool italic;
        bool underline;
        bool shadow;
        Color color;
    } samples[] = {
        {"Tahoma", 8, false, false, false, false, Color(230, 230, 230)},
        {"Arial Unicode MS", 10, false, false, false, false, Color(255, 255, 255)},
        {"Arial", 14, false, false, false, true, Color(255, 220, 120)},
        {"DejaVu Sans", 14, true, false, false, false, Color(140, 220, 255)},
        {"DejaVu Sans", 12, false, true, true, false, Color(255, 170, 150)},
    };
    int y = 22;
    for (const Sample& sample : samples) {
        SysFont font(sample.face, sample.points, sample.bold, sample.italic, sample.underline);
        font.shadow = sample.shadow;
        g.SetFont(&font);
        g.SetColor(sample.color);
        g.DrawString(std::string(sample.face) + " " + std::to_string(sample.points) + "pt: " + kSample, 12, y);
        y += font.GetLineSpacing() + 4;
    }
}

void DrawTitleFont(Graphics& g, ImageFont& title)
{
    int y = 170;
    struct Sample
    {
        int points;
        double scale;
        Color color;
    } samples[] = {
        {20, 1.0, Color::White},         {28, 1.0, Color::White},         {40, 1.0, Color::White},
        {24, 1.0, Color(255, 190, 190)}, {20, 1.5, Color(190, 230, 255)},
    };
    for (const Sample& sample : samples) {
        title.SetPointSize(sample.points);
        title.SetScale(sample.scale);
        g.SetFont(&title);
        g.SetColor(sample.color);
        std::string label = std::to_string(sample.points) + (sample.scale != 1.0 ? "x1.5" : "") + " Level Complete!";
        title.EnsureActiveLayers();
        y += title.GetAscent();
        g.DrawString(label, 12, y);
        y += title.GetHeight() - title.GetAscent() + 4;
    }
}

void DrawUiFont(Graphics& g, ImageFont& ui)
{
    int y = 490;
    g.SetFont(&ui);
    for (int points : {9, 10, 12, 14}) {
        ui.SetPointSize(points);
        ui.EnsureActiveLayers();
        g.SetColor(Color(70, 40, 20));
        y += ui.GetAscent();
        g.DrawString(std::to_string(points) + "pt  " + kSample, 12, y);
        y += ui.GetHeight() - ui.GetAscent() + 3;
    }
    ui.SetPointSize(12);
    g.SetColor(Color(60, 60, 70));
    g.DrawTextLine("Colour codes: ^C04000^gold ^208020^food ^2050B0^supplies ^oldclr^and back.", 12, y + 14, 600, -1);
    g.SetColor(Color(90, 50, 25));
    std::string paragraph = "Drag a chain of three or more bricks of one kind. Bonus bricks charge the tools, "
                            "and every locked cell you open fills the progress bar.\nA new line starts here, "
                            "^B02020^in red^oldclr^ for a while.";
    int maxWidth = 0;
    int height = g.DrawWrappedText(Rect(640, 480, 240, 200), paragraph, -1, 0, &maxWidth);
    g.SetColor(Color(190, 150, 110));
    g.DrawRect(636, 478, 248, height + 4);
}

TEST(TextSheetTest, SheetOfSystemAndImageFontsIsWrittenAsPng)
{
    PopupRecorder app;
    auto title = LoadGenerated(app, "title");
    auto ui = LoadGenerated(app, "ui");
    MemoryImage sheet;
    sheet.Create(900, 680);
    Graphics g(&sheet);
    DrawBackdrop(g, 900, 680);
    DrawSystemFonts(g);
    DrawTitleFont(g, *title);
    DrawUiFont(g, *ui);
    const uint32_t* pixels = sheet.GetBits();
    ASSERT_NE(pixels, nullptr);
    EXPECT_TRUE(PngFile::Write("text_sheet.png", sheet.width, sheet.height, pixels));
    EXPECT_TRUE(app.popups.empty());
}

} // namespace
