// A font whose every character is the same width, for tests that measure text: "abc" in a 10-pixel font
// is 30 pixels wide. It draws each character as a filled cell, so that drawn text can be found.
#pragma once

#include "graphics/Font.h"
#include "graphics/Graphics.h"

#include <memory>

class FixedWidthFont : public Tolm::Font
{
public:
    FixedWidthFont(int charWidth, int cellAscent, int cellHeight) : charWidth(charWidth)
    {
        ascent = cellAscent;
        height = cellHeight;
    }

    int CharWidth(char) override { return charWidth; }
    int StringWidth(const std::string& text) override { return charWidth * int(text.size()); }
    void DrawString(Tolm::Graphics& g, int x, int y, const std::string& text, const Tolm::Color& color,
                    const Tolm::Rect&) override
    {
        g.SetColor(color);
        g.FillRect(x, y - ascent, charWidth * int(text.size()), height);
    }
    std::unique_ptr<Tolm::Font> Clone() override { return std::make_unique<FixedWidthFont>(*this); }

    int charWidth;
};
