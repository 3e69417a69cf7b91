// A font of the system by face name and point size, for the widgets' default fonts, diagnostic overlays
// and system-font resources. Onto a display image the text is written into its surface through the
// surface's device context; onto any other image it is rendered twice, over white and over black, the
// two renderings give each pixel's colour and alpha, and the result is drawn as an image through the
// drawing context.
#pragma once

#include "graphics/Font.h"

#include <memory>
#include <string>

namespace Platform {
class FontFace;
}

namespace Tolm {

class DDImage;
class TolmAppBase;
struct SysFontGlyphs;

class SysFont : public Font
{
public:
    // Null when no installed font could be found: the font then measures 0 and draws nothing.
    std::unique_ptr<Platform::FontFace> fontHandle;
    // Not owned.
    TolmAppBase* application = nullptr;
    // A black copy of the text one pixel right and one down, drawn first.
    bool shadow = false;
    // Every text output repeated one pixel to the right.
    bool simulatedBold = false;

    // For the running application, at 96 dots per inch.
    SysFont(const std::string& faceName, int pointSize, bool bold, bool italic, bool underline);
    // For the given application, at the display's dots per inch. The character set names the code page
    // of the bytes; the game's texts are all Windows-1252.
    static std::unique_ptr<SysFont> SysFontForApp(TolmAppBase* app, const std::string& faceName, int pointSize,
                                                  int charSet, bool bold, bool italic, bool underline);
    // The same face and size; a copy draws without shadow and without simulated bold.
    SysFont(const SysFont& other);
    ~SysFont() override;

    int StringWidth(const std::string& text) override;
    void DrawString(Graphics& g, int x, int y, const std::string& text, const Color& color,
                    const Rect& clipRect) override;
    std::unique_ptr<Font> Clone() override;

    // The text in an opaque colour over a 0xRRGGBB background of width x height pixels, its cell's
    // top-left at (left, top), shadow and simulated bold included; pixels outside the buffer are skipped.
    void RenderText(uint32_t* pixels, int width, int height, int left, int top, const std::string& text,
                    uint32_t rgb) const;
    // The pixel of text rendered over white (W) and over black (K): its colour and its alpha.
    static uint32_t CombineRenderings(uint32_t overWhite, uint32_t overBlack);

private:
    SysFont(TolmAppBase* app, const std::string& faceName, int pointSize, bool bold, bool italic, bool underline,
            int dotsPerInch);
    void Create(TolmAppBase* app, const std::string& faceName, int pointSize, bool bold, bool italic, bool underline,
                int dotsPerInch);
    void RenderPass(uint32_t* pixels, int width, int height, int left, int top, const std::string& text,
                    uint32_t rgb) const;
    void DrawOnSurface(DDImage& image, const Graphics& g, int x, int y, const std::string& text, const Color& color,
                       const Rect& clipRect);
    void DrawInImage(Graphics& g, int x, int y, const std::string& text, const Color& color);

    bool underline = false;
    // Rendered once when the font is made and shared, unchanged, by its copies.
    std::shared_ptr<const SysFontGlyphs> glyphs;
};

} // namespace Tolm
