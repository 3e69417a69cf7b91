#include "effects/ImageText.h"

#include "core/Matrix.h"
#include "graphics/FontData.h"
#include "graphics/Graphics.h"
#include "graphics/ImageFont.h"
#include "graphics/MemoryImage.h"

ImageText::ImageText(std::string line, Tolm::Font* anyFont, int atX, int atY)
    : font(dynamic_cast<Tolm::ImageFont*>(anyFont)), text(std::move(line)), x(atX), y(atY)
{
    if (font) {
        // Measuring builds the font's active layers, which the layout reads.
        font->StringWidth(text);
        height = font->GetHeight();
    }
    LayOut();
}

void ImageText::LayOut()
{
    if (!font || !font->fontData || !font->fontData->loaded || font->activeLayers.empty()) {
        return;
    }
    const Tolm::ActiveFontLayer& layer = *font->activeLayers.front();
    glyphImage = layer.image;
    for (char c : text) {
        const unsigned char mapped = font->fontData->characterMap[static_cast<unsigned char>(c)];
        letters.push_back({layer.glyphRects[mapped], mapped});
        totalWidth += GetCharWidth(mapped);
    }
}

void ImageText::Draw(Tolm::Graphics& g)
{
    g.PushState();
    g.SetTintImages(true);
    float penX = float(x) - float(totalWidth) / 2;
    const float top = float(y) - float(height) / 2;
    for (const ImageLetter& letter : letters) {
        g.DrawImagePartF(glyphImage, penX, top, letter.source);
        penX += float(GetCharWidth(letter.character));
    }
    g.PopState();
}

void ImageText::DrawLetter(Tolm::Graphics& g, int index, const Tolm::Transform& transform)
{
    g.DrawImagePartTransformF(glyphImage, transform, letters[std::size_t(index)].source, 0, 0);
}

int ImageText::GetCharWidth(unsigned char character)
{
    return font ? font->CharWidth(static_cast<char>(character)) : 0;
}

int ImageText::GetFontHeight()
{
    return font ? font->GetHeight() : 0;
}

std::vector<float> SpreadLetterCentres(ImageText& text)
{
    std::vector<float> centres;
    int penX = text.x - text.totalWidth / 2 - int(text.text.size()) * kLetterSpread / 2;
    for (const ImageLetter& letter : text.letters) {
        const int width = text.GetCharWidth(letter.character);
        centres.push_back(float(penX) + float(width) / 2);
        penX += width + kLetterSpread;
    }
    return centres;
}
