// The font interface's default bodies: metrics from the four fields, no width and no drawing.
#include "graphics/Font.h"

namespace Tolm {

Font::~Font() = default;

int Font::GetAscent()
{
    return ascent;
}

int Font::GetAscentPadding()
{
    return ascentPadding;
}

int Font::GetDescent()
{
    return height - ascent;
}

int Font::GetHeight()
{
    return height;
}

int Font::GetLineSpacingOffset()
{
    return lineSpacingOffset;
}

int Font::GetLineSpacing()
{
    return height + lineSpacingOffset;
}

int Font::StringWidth(const std::string&)
{
    return 0;
}

int Font::CharWidth(char character)
{
    return StringWidth(std::string(1, character));
}

int Font::CharWidthKerned(char character, char)
{
    return CharWidth(character);
}

void Font::DrawString(Graphics&, int, int, const std::string&, const Color&, const Rect&) {}

} // namespace Tolm
