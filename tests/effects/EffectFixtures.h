// What the effect tests draw with and on: a destination that writes down every blit it is sent, a font
// that writes down its lines, small grid images, and an application whose resource manager holds
// small stand-ins for the effects' pictures and their fly-score font.
#pragma once

#include "app/TolmAppBase.h"
#include "bricks/BrickHelper.h"
#include "core/Matrix.h"
#include "graphics/Font.h"
#include "graphics/Graphics.h"
#include "graphics/MemoryImage.h"
#include "platform/FileSystem.h"
#include "resources/ResourceManager.h"
#include "support/PngFile.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace EffectFixtures {

inline std::string Describe(const Tolm::Rect& r)
{
    return std::to_string(r.x) + "," + std::to_string(r.y) + " " + std::to_string(r.width) + "x" +
           std::to_string(r.height);
}

inline std::string Describe(const Tolm::Color& c, int drawMode)
{
    return "rgba " + std::to_string(c.red) + "," + std::to_string(c.green) + "," + std::to_string(c.blue) + "," +
           std::to_string(c.alpha) + (drawMode == Tolm::DrawModeAdditive ? " add" : "");
}

// Every blit as "kind source-name position-or-rectangle from source-rectangle colour".
class DrawRecorder : public Tolm::Image
{
public:
    DrawRecorder()
    {
        width = 800;
        height = 600;
    }

    void Blit(Image* source, int x, int y, const Tolm::Rect& sourceRect, const Tolm::Color& color,
              int drawMode) override
    {
        draws.push_back("blit " + source->name + " " + std::to_string(x) + "," + std::to_string(y) + " from " +
                        Describe(sourceRect) + " " + Describe(color, drawMode));
    }
    void StretchBlit(Image* source, const Tolm::Rect& destRect, const Tolm::Rect& sourceRect, const Tolm::Rect&,
                     const Tolm::Color& color, int drawMode, bool) override
    {
        draws.push_back("stretch " + source->name + " " + Describe(destRect) + " from " + Describe(sourceRect) + " " +
                        Describe(color, drawMode));
    }
    void BlitMatrix(Image* source, float x, float y, const Tolm::Matrix3& m, const Tolm::Rect&,
                    const Tolm::Color& color, int drawMode, const Tolm::Rect& sourceRect, bool) override
    {
        matrices.push_back(m);
        draws.push_back("matrix " + source->name + " " + std::to_string(int(x)) + "," + std::to_string(int(y)) +
                        " from " + Describe(sourceRect) + " " + Describe(color, drawMode));
    }

    std::vector<std::string> draws;
    std::vector<Tolm::Matrix3> matrices;
};

// Ten pixels a character; each line drawn as "text at x,y rgba".
class RecordingFont : public Tolm::Font
{
public:
    int StringWidth(const std::string& text) override { return 10 * int(text.size()); }
    void DrawString(Tolm::Graphics& g, int x, int y, const std::string& text, const Tolm::Color& color,
                    const Tolm::Rect&) override
    {
        lines.push_back(text + " at " + std::to_string(int(g.transX) + x) + "," + std::to_string(int(g.transY) + y) +
                        " " + Describe(color, g.drawMode));
    }
    std::unique_ptr<Font> Clone() override { return std::make_unique<RecordingFont>(); }

    std::vector<std::string> lines;
};

// A named image of columns x rows frames of the given size.
inline std::unique_ptr<Tolm::MemoryImage> GridImage(const std::string& name, int frameWidth, int frameHeight,
                                                    int columns, int rows)
{
    auto image = std::make_unique<Tolm::MemoryImage>();
    image->Create(frameWidth * columns, frameHeight * rows);
    image->Clear();
    image->name = name;
    image->numCols = columns;
    image->numRows = rows;
    image->numFrames = columns * rows;
    return image;
}

// Single lock plate: four 11 x 9 frames played once, two updates each. Double lock plate: one frame.
// Flare: 8 x 8. Light ball: three 12 x 12 frames. The first gold brick: two 36 x 36 frames; no other
// brick has a picture.
class EffectResourcesTest : public testing::Test
{
protected:
    void SetUp() override
    {
        previousFolder = Platform::CurrentFolder();
        ASSERT_TRUE(Platform::SetCurrentFolder(temp.Path()));
        WritePicture("gfx/cell1.png", 44, 9);
        WritePicture("gfx/cell2.png", 7, 7);
        WritePicture("gfx/flare.png", 8, 8);
        WritePicture("gfx/ball.png", 36, 12);
        WritePicture("gfx/brick.png", 72, 36);
        temp.Write(
            "effects.xml",
            "<ResourceManifest><Resources id=\"Effects\">\n"
            "<Image path=\"gfx/cell1.png\" id=\"FIELD_CELL1_EXPLODE\" cols=\"4\" anim=\"once\" framedelay=\"2\"/>\n"
            "<Image path=\"gfx/cell2.png\" id=\"FIELD_CELL2_EXPLODE\"/>\n"
            "<Image path=\"gfx/flare.png\" id=\"GFX_FLARE\"/>\n"
            "<Image path=\"gfx/ball.png\" id=\"GFX_LIGHT_BALL\" cols=\"3\"/>\n"
            "<Image path=\"gfx/brick.png\" id=\"BRICK_GOLD1\" cols=\"2\"/>\n"
            "<Font path=\"!sys:DejaVu Sans\" size=\"10\" id=\"FONT_FLY_SCORE\"/>\n"
            "</Resources></ResourceManifest>\n");
        ASSERT_TRUE(app.resourceManager->ParseResourcesFile("effects.xml"));
        ASSERT_TRUE(app.resourceManager->LoadGroup("Effects")) << app.resourceManager->GetErrorText();
    }
    void TearDown() override
    {
        delete BrickHelper::RegisteredInstance();
        Platform::SetCurrentFolder(previousFolder);
    }

    void WritePicture(const std::string& path, int width, int height)
    {
        const std::vector<uint32_t> pixels(std::size_t(width * height), 0x80FFFFFF);
        temp.Write(path, "");
        ASSERT_TRUE(PngFile::Write(temp.Path() + path, width, height, pixels.data()));
    }

    TempFolder temp;
    std::string previousFolder;
    Tolm::TolmAppBase app;
    DrawRecorder screen;
    Tolm::Graphics g{&screen};
};

} // namespace EffectFixtures
