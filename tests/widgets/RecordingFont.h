// A font of fixed metrics for the widget tests, whose draws are written to a shared list instead of
// drawn: six pixels a character, ascent 10, height 14. Its copies write to the same list.
#pragma once

#include "graphics/Font.h"
#include "graphics/Graphics.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class RecordingFont : public Tolm::Font
{
public:
    struct Draw
    {
        int x;
        int y;
        std::string text;
        uint32_t color;
        // Whether the context read colour codes at the time.
        bool colorCodes;
    };

    explicit RecordingFont(std::vector<Draw>& draws) : draws(&draws)
    {
        ascent = 10;
        height = 14;
    }
    int StringWidth(const std::string& text) override { return 6 * int(text.size()); }
    void DrawString(Tolm::Graphics& g, int x, int y, const std::string& text, const Tolm::Color& color,
                    const Tolm::Rect&) override
    {
        draws->push_back({x, y, text, color.ToPacked(), g.colorCodes});
    }
    std::unique_ptr<Tolm::Font> Clone() override { return std::make_unique<RecordingFont>(*this); }

    std::vector<Draw>* draws;
};
