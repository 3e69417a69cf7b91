// The widget's text helpers, in the drawing context's current font.
#include "graphics/Font.h"
#include "graphics/Graphics.h"
#include "widgets/Widget.h"

#include <algorithm>
#include <cstdlib>

namespace Tolm {

namespace {

struct LineMetrics
{
    int width = 0;
    int ascent = 0;
    int height = 0;
};

// Without a font nothing is drawn, and the text takes no room.
LineMetrics Measure(Graphics* g, const std::string& text)
{
    Font* font = g->GetFont();
    if (!font) {
        return LineMetrics();
    }
    return LineMetrics{font->StringWidth(text), font->GetAscent(), font->GetHeight()};
}

// Colour codes in the text are read for the length of one call.
class ColorCodesOn
{
public:
    explicit ColorCodesOn(Graphics* g) : g(g), previous(g->colorCodes) { g->colorCodes = true; }
    ~ColorCodesOn() { g->colorCodes = previous; }
    ColorCodesOn(const ColorCodesOn&) = delete;
    ColorCodesOn& operator=(const ColorCodesOn&) = delete;

private:
    Graphics* g;
    bool previous;
};

} // namespace

Rect Widget::DrawCenteredLine(Graphics* g, int lineY, const std::string& text)
{
    LineMetrics line = Measure(g, text);
    int lineX = (width - line.width) / 2;
    g->DrawString(text, lineX, lineY);
    return Rect(lineX, lineY - line.ascent, line.width, line.height);
}

Rect Widget::DrawCenteredShadowedLine(Graphics* g, int lineY, const std::string& text, const Color& textColor,
                                      const Color& shadowColor, const Point& offset)
{
    LineMetrics line = Measure(g, text);
    int lineX = (width - line.width) / 2;
    g->SetColor(shadowColor);
    g->DrawString(text, lineX + offset.x, lineY + offset.y);
    g->SetColor(textColor);
    g->DrawString(text, lineX, lineY);
    return Rect(lineX + std::min(offset.x, 0), lineY + std::min(offset.y, 0) - line.ascent,
                line.width + std::abs(offset.x), line.height + std::abs(offset.y));
}

int Widget::DrawTextLine(Graphics* g, const std::string& text, int lineX, int lineY, int lineWidth, int justification,
                         bool draw, int start, int length)
{
    ColorCodesOn codes(g);
    return g->DrawTextLine(text, lineX, lineY, lineWidth, justification, draw, start, length,
                           int(g->GetColor().ToPacked()));
}

int Widget::DrawWrappedText(Graphics* g, const Rect& rect, const std::string& text, int lineSpacing, int justification)
{
    ColorCodesOn codes(g);
    return g->DrawWrappedText(rect, text, lineSpacing, justification);
}

int Widget::MeasureWrappedText(Graphics* g, int wrapWidth, const std::string& text, int lineSpacing)
{
    return g->MeasureWrappedTextHeight(wrapWidth, text, lineSpacing);
}

} // namespace Tolm
