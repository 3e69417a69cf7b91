// A town read from a town file the test writes: pictures the test declares by id (plain rectangles of one
// alpha), particle effects for the smoke, spray and dust, a sandboxed profile, and message boxes and
// warnings recorded. The town, its factories and the particle effects are deleted after each test.
#pragma once

#include "ProfileFixture.h"
#include "graphics/MemoryImage.h"
#include "platform/DebugOutput.h"
#include "platform/MessageBox.h"

#include <memory>
#include <string>
#include <vector>

class TestResourceManager;

// Every picture drawn onto it as "NAME at x,y part WxH alpha A", positions to two decimals; a mesh as
// "NAME triangles N at x,y", the place it is translated to.
class RecordingScreen : public Tolm::Image
{
public:
    RecordingScreen();
    void Blit(Image* source, int x, int y, const Tolm::Rect& part, const Tolm::Color& color, int drawMode) override;
    void BlitF(Image* source, float x, float y, const Tolm::Rect& part, const Tolm::Rect& clip,
               const Tolm::Color& color, int drawMode) override;
    void BlitTexturedTriangles(Image* source, const Tolm::TexVertex* vertices, int triangleCount,
                               const Tolm::Rect& clip, const Tolm::Color& color, int drawMode, float offsetX,
                               float offsetY, bool bilinear) override;

    std::vector<std::string> draws;
};

class TownFixture : public ProfileFixture
{
protected:
    TownFixture();
    ~TownFixture() override;

    // A picture of w x h pixels in cols frames across, every pixel of that alpha, loaded under the id.
    Tolm::MemoryImage* Picture(const std::string& id, int w, int h, int cols = 1, uint32_t alpha = 255);
    // properties/town.xml: the elements inside a "Town" root.
    void WriteTown(const std::string& elements);
    // A particle effect file loaded under the name: endless, 100 particles a second, alive for 2 seconds.
    void LoadParticles(const std::string& name, const std::string& lifetime = "-1");
    // The town made from what was written; the profile opened first.
    void MakeTown();

    struct Boxes : Platform::MessageBoxSink
    {
        int Show(Platform::WindowHandle, const std::string& text, const std::string& caption, uint32_t) override
        {
            shown.push_back(caption + ": " + text);
            return 1;
        }
        std::vector<std::string> shown;
    };
    struct Warnings : Platform::DebugOutputSink
    {
        void Write(const std::string& text) override { lines += text; }
        std::string lines;
    };

    Boxes boxes;
    Warnings warnings;
    TestResourceManager* resources = nullptr;
    // The working folder the test started in, where pictures to look at go.
    std::string previousFolder;

private:
    std::vector<std::unique_ptr<Tolm::MemoryImage>> pictures;
};

// One Building element: the id, a picture "B_<id>" at (x, y), and what else goes inside.
std::string BuildingElement(const std::string& id, int x, int y, const std::string& more = "");
