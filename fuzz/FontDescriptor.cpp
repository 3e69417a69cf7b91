// Font descriptors on arbitrary input: each input is written as a descriptor beside a small glyph image
// it may name ('glyphs.png'), loaded into an image font, and the font is then measured and drawn at a few
// sizes, scales and tags, so that the commands, the layer choice, the rescaled glyph images and the
// glyph drawing all see what the descriptor made.
#include "QuietApp.h"
#include "ScratchFolder.h"
#include "graphics/FontData.h"
#include "graphics/Graphics.h"
#include "graphics/ImageFont.h"
#include "graphics/ImageLib.h"
#include "graphics/MemoryImage.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace {

void WriteGlyphImage(const std::filesystem::path& path)
{
    Tolm::ImageLib::Image image;
    image.width = 64;
    image.height = 16;
    image.bits.reset(new uint32_t[64 * 16]);
    for (int i = 0; i < 64 * 16; ++i) {
        image.bits[std::size_t(i)] = (i % 7) ? 0xFFFFFFFFu - uint32_t(i) * 0x010203u : 0;
    }
    Tolm::ImageLib::WritePNG(path.string(), image);
}

// The glyph image and the application live for the whole process, in the scratch folder.
const std::filesystem::path& Folder()
{
    static const std::filesystem::path folder = [] {
        WriteGlyphImage(ScratchFolder::Path() / "glyphs.png");
        return ScratchFolder::Path();
    }();
    return folder;
}

QuietApp& App()
{
    static QuietApp* app = new QuietApp;
    return *app;
}

void Exercise(Tolm::ImageFont& font, Tolm::Graphics& g)
{
    const std::string text = "AV a,\xE9\xFF\x80";
    font.StringWidth(text);
    int width = 0;
    font.DrawStringWithRects(g, 3, 20, text, Tolm::Color::White, g.clipRect, nullptr, &width);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::filesystem::path descriptor = Folder() / "font.txt";
    if (!ScratchFolder::WriteFile(descriptor.string(), std::string_view(reinterpret_cast<const char*>(data), size))) {
        return 0;
    }
    {
        Tolm::ImageFont font(&App(), descriptor.string());
        Tolm::MemoryImage canvas;
        canvas.Create(96, 32);
        Tolm::Graphics g(&canvas);
        Exercise(font, g);
        if (font.fontData->loaded) {
            font.SetPointSize(font.GetDefaultPointSize() + 3);
            Exercise(font, g);
            font.SetScale(0.5);
            font.AddTag("bold");
            font.AddTag("BOLD");
            Exercise(font, g);
            std::unique_ptr<Tolm::Font> copy = font.Clone();
            copy->StringWidth("copy");
        }
    }
    App().CleanSharedImages();
    return 0;
}
