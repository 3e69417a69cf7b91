// The font interface the drawing context and the text layout measure and draw with. Text is a byte
// string, one byte per character in the Windows-1252 code page; a draw position is the left end of the
// baseline.
#pragma once

#include "graphics/Color.h"
#include "graphics/Rect.h"

#include <memory>
#include <string>

namespace Tolm {

class Graphics;

class Font
{
public:
    // Pixels from the top of the text cell to the baseline.
    int ascent = 0;
    int ascentPadding = 0;
    // The height of the text cell in pixels.
    int height = 0;
    // Added to the height to give the distance between lines.
    int lineSpacingOffset = 0;

    Font() = default;
    Font& operator=(const Font&) = delete;
    virtual ~Font();

    virtual int GetAscent();
    virtual int GetAscentPadding();
    virtual int GetDescent();
    virtual int GetHeight();
    virtual int GetLineSpacingOffset();
    virtual int GetLineSpacing();
    virtual int StringWidth(const std::string& text);
    virtual int CharWidth(char character);
    // The previous character lets a font kern; the base ignores it.
    virtual int CharWidthKerned(char character, char previous);
    virtual void DrawString(Graphics& g, int x, int y, const std::string& text, const Color& color,
                            const Rect& clipRect);
    virtual std::unique_ptr<Font> Clone() = 0;

protected:
    Font(const Font&) = default;
};

} // namespace Tolm
