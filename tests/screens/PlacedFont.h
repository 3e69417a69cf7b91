// A recording font that notes where its text lands on the destination, the context's translation
// included, for the windows and pages that move their drawing about.
#pragma once

#include "widgets/RecordingFont.h"

class PlacedFont : public RecordingFont
{
public:
    using RecordingFont::RecordingFont;
    void DrawString(Tolm::Graphics& g, int x, int y, const std::string& text, const Tolm::Color& color,
                    const Tolm::Rect& clip) override
    {
        RecordingFont::DrawString(g, x + int(g.transX), y + int(g.transY), text, color, clip);
    }
    std::unique_ptr<Tolm::Font> Clone() override { return std::make_unique<PlacedFont>(*this); }
};
