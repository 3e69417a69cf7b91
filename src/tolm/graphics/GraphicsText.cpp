// Text through the drawing context: single strings, justified lines with inline colour codes, and
// word-wrapped text laid out in a rectangle.
//
// A colour code is eight characters: '^', six hexadecimal digits and one more character ("^FF8000^"),
// or "^oldclr^" for the colour the line started with. "^^" stands for one caret. Codes take no width.
#include "core/StringUtils.h"
#include "graphics/Font.h"
#include "graphics/Graphics.h"
#include "graphics/TruncToInt.h"

#include <algorithm>
#include <cstdint>

namespace Tolm {

namespace {

constexpr int kColourCodeLength = 8;

// The 0xRRGGBB colour of the code at position, which holds kColourCodeLength characters.
uint32_t ColourOfCode(const std::string& text, std::size_t position, uint32_t oldColour)
{
    if (text.compare(position + 1, 6, "oldclr") == 0) {
        return oldColour & 0xFFFFFF;
    }
    if (text[position + 1] == 'o') {
        return 0;
    }
    uint32_t colour = 0;
    // A character that is no hex digit counts as 0.
    for (std::size_t i = 1; i <= 6; ++i) {
        colour = colour << 4 | uint32_t(std::max(HexDigitValue(text[position + i]), 0));
    }
    return colour;
}

} // namespace

void Graphics::DrawString(const std::string& text, int x, int y)
{
    if (font) {
        font->DrawString(*this, x, y, text, color, clipRect);
    }
}

int Graphics::DrawTextLine(const std::string& text, int x, int y, int width, int justification, bool draw, int start,
                           int length, int oldColour)
{
    if (!font) {
        return 0;
    }
    if (oldColour == -1) {
        oldColour = int(color.ToPacked());
    }
    if (draw && (justification == 0 || justification == 1)) {
        int measured = DrawTextLine(text, x, y, width, justification, false, start, length, oldColour);
        x += justification == 0 ? (width - measured) / 2 : width - measured;
    }
    std::size_t begin = std::min(std::size_t(std::max(start, 0)), text.size());
    std::size_t end =
        length < 0 || std::size_t(length) > text.size() - begin ? text.size() : begin + std::size_t(length);
    std::string segment;
    int sum = 0;
    // An empty segment is drawn too: a font's draw may change the context's colour (an image font
    // sets it back through the alpha multiplier), and the colour codes build on that colour.
    auto drawSegment = [&] {
        if (draw) {
            font->DrawString(*this, x + sum, y, segment, color, clipRect);
        }
    };
    for (std::size_t i = begin; i < end;) {
        if (text[i] != '^' || !colorCodes) {
            segment += text[i++];
            continue;
        }
        if (i + 1 < end && text[i + 1] == '^') {
            segment += '^';
            i += 2;
            continue;
        }
        if (end - i < kColourCodeLength) {
            break;
        }
        drawSegment();
        if (draw) {
            uint32_t code = ColourOfCode(text, i, uint32_t(oldColour));
            SetColor(Color(int(code >> 16), int(code >> 8 & 0xFF), int(code & 0xFF), color.alpha));
        }
        sum += font->StringWidth(segment);
        segment.clear();
        i += kColourCodeLength;
    }
    drawSegment();
    return sum + font->StringWidth(segment);
}

int Graphics::DrawWrappedText(const Rect& rect, const std::string& text, int lineSpacing, int justification,
                              int* maxWidth, int count, int* lastLineWidth)
{
    if (!font) {
        return 0;
    }
    Color savedColour = color;
    // Cleared so that an opaque white never packs to -1, which would mean "the current colour".
    uint32_t oldColour = savedColour.ToPacked();
    if (oldColour >> 24 == 255) {
        oldColour &= 0xFFFFFF;
    }
    int textLength = int(text.size());
    if (count < 0) {
        count = textLength;
    }
    if (lineSpacing == -1) {
        lineSpacing = font->GetLineSpacing();
    }
    int y = font->GetAscent() - font->GetAscentPadding();
    int offset = lastLineWidth ? *lastLineWidth : 0;
    int lineStart = 0;
    int width = offset;
    int breakPoint = -1;
    char previous = 0;
    int widest = 0;

    // Draws text[first, last) clipped to the drawn count as a line at the current offset and y.
    auto drawLine = [&](int first, int last) {
        int lineLength = std::max(0, std::min(last, count) - first);
        int lineWidth = DrawTextLine(text, rect.x + offset, rect.y + y, rect.width, justification, true, first,
                                     lineLength, int(oldColour));
        if (maxWidth && lineWidth > *maxWidth) {
            *maxWidth = lineWidth;
        }
        if (lastLineWidth) {
            *lastLineWidth = lineWidth;
        }
        return lineWidth;
    };

    for (int j = 0; j < textLength;) {
        char c = text[std::size_t(j)];
        if (c == ' ') {
            breakPoint = j;
        } else if (c == '\n') {
            breakPoint = j;
            width = rect.width + 1;
        } else if (colorCodes && c == '^' && j + 1 < textLength) {
            if (text[std::size_t(j + 1)] != '^') {
                j += kColourCodeLength;
                continue;
            }
            c = text[std::size_t(++j)];
        }
        width += font->CharWidthKerned(c, previous);
        if (width <= rect.width) {
            previous = c;
            ++j;
            continue;
        }
        int lineWidth = 0;
        if (breakPoint < 0) {
            if (j <= lineStart) {
                j = lineStart + 1;
            }
            if (lineStart >= count) {
                break;
            }
            lineWidth = drawLine(lineStart, j);
            width = lineWidth;
            lineStart = j;
        } else {
            int baseline = TruncToInt(float(rect.y + y) + transY);
            if (baseline >= clipRect.y && baseline < clipRect.y + clipRect.height + lineSpacing) {
                lineWidth = drawLine(lineStart, breakPoint);
            }
            width += offset;
            lineStart = breakPoint + 1;
            if (text[std::size_t(breakPoint)] != '\n') {
                while (lineStart < textLength && text[std::size_t(lineStart)] == ' ') {
                    ++lineStart;
                }
            }
            j = lineStart;
        }
        y += lineSpacing;
        offset = 0;
        widest = std::max(widest, width);
        width = 0;
        breakPoint = -1;
        previous = 0;
        if (lineWidth < 0) {
            break;
        }
    }

    if (lineStart < textLength) {
        int lineWidth = drawLine(lineStart, textLength);
        widest = std::max(widest, lineWidth);
        y += lineSpacing;
    } else if (textLength > 0 && text.back() == '\n') {
        if (lastLineWidth) {
            *lastLineWidth = 0;
        }
        y += lineSpacing;
    }

    SetColor(savedColour);
    if (maxWidth) {
        *maxWidth = widest;
    }
    return y + font->GetDescent() - lineSpacing;
}

int Graphics::MeasureWrappedTextHeight(int width, const std::string& text, int lineSpacing, int* maxWidth)
{
    if (!font) {
        return 0;
    }
    Graphics measuring(&NullImage());
    measuring.SetFont(font);
    return measuring.DrawWrappedText(Rect(0, 0, width, 0), text, lineSpacing, -1, maxWidth, -1, nullptr);
}

} // namespace Tolm
