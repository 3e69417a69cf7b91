// A string laid out with an image font as one record per letter, so that each letter can be moved,
// turned and faded on its own. Only image fonts have letters: any other font, or none, gives a text
// without letters that draws nothing.
#pragma once

#include "graphics/Rect.h"

#include <string>
#include <vector>

namespace Tolm {
class Font;
class Graphics;
class Image;
class ImageFont;
class Transform;
} // namespace Tolm

struct ImageLetter
{
    // The character's rectangle in the glyph image.
    Tolm::Rect source;
    // After the font's character map.
    unsigned char character;
};

class ImageText
{
public:
    // Centred on (x, y). The font is not owned.
    ImageText(std::string text, Tolm::Font* font, int x, int y);
    ImageText(const ImageText&) = delete;
    ImageText& operator=(const ImageText&) = delete;
    virtual ~ImageText() = default;

    // dt in update periods; the letter effects step here.
    virtual void Tick(float /*dt*/) {}
    // The letters side by side as the font sets them.
    virtual void Draw(Tolm::Graphics& g);

    // The letter's rectangle drawn through the transform, centred on its origin.
    void DrawLetter(Tolm::Graphics& g, int index, const Tolm::Transform& transform);
    int GetCharWidth(unsigned char character);
    int GetFontHeight();
    int LetterCount() const { return int(letters.size()); }

    Tolm::ImageFont* font;
    std::string text;
    int x;
    int y;
    // The sum of the letters' character widths.
    int totalWidth = 0;
    int height = 0;
    // The image of the font's first active layer; not owned.
    Tolm::Image* glyphImage = nullptr;
    std::vector<ImageLetter> letters;

private:
    void LayOut();
};

// Where a letter effect places each letter: spread this many pixels wider than the font sets them,
// still centred on the text's x.
inline constexpr int kLetterSpread = 4;

// The letters' centre x, spread and re-centred.
std::vector<float> SpreadLetterCentres(ImageText& text);
