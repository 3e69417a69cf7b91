// Resource groups loaded from arbitrary files: an input is cut into a manifest and the files it may name
// (a picture with its alpha companion, a picture for an alpha image or grid, a font descriptor and a
// picture of glyphs), which are written into a folder of their own that is the working folder. The
// manifest is read and its groups "Init" and "Game" are loaded as the loading thread loads them; every
// image loaded is read whole and every font loaded measures and draws a line, so that what the alpha
// merges and the font loaders made is looked at.
#include "QuietApp.h"
#include "ScratchFolder.h"
#include "graphics/Font.h"
#include "graphics/Graphics.h"
#include "graphics/MemoryImage.h"
#include "resources/ResourceManager.h"

#include <cstdint>
#include <cstdlib>

namespace {

const std::vector<std::string> kFiles = {"resources.xml", "pic.png", "_pic.png", "mask.gif",
                                         "grid.tga",      "font.txt", "glyphs.png"};

class LookingManager : public Tolm::ResourceManager
{
public:
    using ResourceManager::ResourceManager;

    void OnResourceLoaded(BaseRes* record) override
    {
        if (record->kind == KindImage) {
            LookAt(static_cast<ImageRes*>(record)->image.GetImage());
        } else if (record->kind == KindFont) {
            LookAt(static_cast<FontRes*>(record)->font.get());
        }
    }

private:
    static void LookAt(Tolm::MemoryImage* image)
    {
        if (!image) {
            std::abort();
        }
        if (image->bitsReleased) {
            return;
        }
        const uint32_t* pixels = image->GetBits();
        volatile uint32_t sum = 0;
        for (std::size_t i = 0; pixels && i < image->GetPixelCount(); ++i) {
            sum = sum + pixels[i];
        }
    }

    static void LookAt(Tolm::Font* font)
    {
        if (!font) {
            std::abort();
        }
        Tolm::MemoryImage canvas;
        canvas.Create(96, 32);
        Tolm::Graphics g(&canvas);
        g.SetFont(font);
        g.DrawString("AV a,\xE9", 2, 20);
        font->StringWidth("Quendara");
    }
};

QuietApp& App()
{
    static QuietApp* app = new QuietApp;
    return *app;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    ScratchFolder::WriteCase(data, size, kFiles);
    ScratchFolder::AsWorkingFolder inFolder;
    {
        LookingManager manager(&App());
        if (manager.ParseResourcesFile("resources.xml")) {
            for (const char* group : {"Init", "Game"}) {
                manager.LoadGroup(group);
                manager.GetResourceCount(group);
            }
            manager.UnloadGroup("Init");
            manager.LoadGroup("Init");
        }
    }
    App().CleanSharedImages();
    return 0;
}
