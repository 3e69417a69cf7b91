// The 3D display: texture grids, Direct3D drawing on the recording device, our Direct3D on Mesa's
// software OpenGL (an off-screen context, so no display is needed), and the capability test with its
// cache.
#include "DisplayFixture.h"
#include "core/Matrix.h"
#include "display/D3DInterface.h"
#include "display/D3DTester.h"
#include "display/TexturePieceGrid.h"
#include "display/VertexList.h"
#include "graphics/MemoryImage.h"
#include "graphics/TexVertex.h"
#include "platform/GlDevice.h"
#include "platform/Library.h"
#include "platform/OffscreenGlContext.h"
#include "platform/RecordingDevice.h"
#include "support/TempFolder.h"
#include "support/WorkingFolder.h"

#include <cstring>
#include <ctime>
#include <functional>
#include <unistd.h>
#include <utime.h>

using namespace Platform;
using Tolm::GetTextureLimits;
using Tolm::Rect;

namespace {

// Limits as a device with the given maximum side and aspect would set them, minimum 1.
void SetLimits(int largest, int aspect)
{
    Tolm::TextureLimits& limits = GetTextureLimits();
    limits.minWidth = 1;
    limits.minHeight = 1;
    limits.maxWidth = largest;
    limits.maxHeight = largest;
    limits.maxAspect = aspect;
    limits.supportedFormats = Tolm::kTextureA8R8G8B8 | Tolm::kTextureA4R4G4B4 | Tolm::kTextureR5G6B5;
}

struct LimitsReset
{
    ~LimitsReset()
    {
        GetTextureLimits().Reset();
        GetTextureLimits().supportedFormats = 0;
    }
};

} // namespace

TEST(TexturePieceSize, ChoosesPowersOfTwoWastingLittle)
{
    LimitsReset reset;
    SetLimits(1024, 65536);
    struct Case
    {
        int side;
        int piece;
    };
    // Worked by hand from the rule: a power of two wasting under 65 texels, else halving until the
    // remainder is at most 63 or itself a power of two.
    const Case cases[] = {{100, 128}, {200, 256}, {300, 256}, {384, 256}, {400, 128},
                          {450, 512}, {600, 64},  {640, 512}, {800, 256}, {1000, 1024}};
    for (const Case& c : cases) {
        int width = c.side;
        int height = 1;
        Tolm::ComputePieceSize(width, height, false, 0);
        EXPECT_EQ(width, c.piece) << c.side;
    }
}

TEST(TexturePieceGrid, LaysOutAnImageByTheDeviceLimits)
{
    LimitsReset reset;
    Tolm::MemoryImage image;
    image.Create(800, 600);
    struct Case
    {
        const char* name;
        int largest;
        int aspect;
        uint32_t flags;
        int columns;
        int rows;
        int regularWidth;
        int regularHeight;
        int cornerWidth;
        int cornerHeight;
        float uScale;
    };
    const Case cases[] = {
        {"free aspect", 1024, 65536, 0, 4, 10, 256, 64, 32, 32, 3.125f},
        {"aspect 1", 1024, 1, 0, 4, 3, 256, 256, 256, 256, 3.125f},
        {"minimal subdivision", 1024, 65536, 1, 1, 1, 1024, 1024, 1024, 1024, 0.78125f},
    };
    for (const Case& c : cases) {
        SetLimits(c.largest, c.aspect);
        Tolm::TexturePieceGrid grid;
        grid.textureFlags = c.flags;
        grid.Layout(image);
        EXPECT_EQ(grid.columns, c.columns) << c.name;
        EXPECT_EQ(grid.rows, c.rows) << c.name;
        ASSERT_EQ(grid.pieces.size(), std::size_t(c.columns * c.rows)) << c.name;
        EXPECT_EQ(grid.pieces.front().width, c.regularWidth) << c.name;
        EXPECT_EQ(grid.pieces.front().height, c.regularHeight) << c.name;
        EXPECT_EQ(grid.pieces.back().width, c.cornerWidth) << c.name;
        EXPECT_EQ(grid.pieces.back().height, c.cornerHeight) << c.name;
        EXPECT_FLOAT_EQ(grid.uScale, c.uScale) << c.name;
    }
    SetLimits(1024, 65536);
    Tolm::TexturePieceGrid grid;
    grid.Layout(image);
    EXPECT_EQ(grid.pieces[3].width, 32) << "right column";
    EXPECT_EQ(grid.pieces[36].height, 32) << "bottom row";
    EXPECT_FLOAT_EQ(grid.vScale, 9.375f);
}

TEST(VertexList, KeepsAHundredInsideAndDoublesPastThem)
{
    Tolm::VertexList list;
    for (int i = 0; i < 100; ++i) {
        list.Add(D3DTLVERTEX());
    }
    EXPECT_FALSE(list.OnHeap());
    EXPECT_EQ(list.Add(D3DTLVERTEX()), 101);
    EXPECT_TRUE(list.OnHeap());
    EXPECT_EQ(list.Capacity(), 200);
    list.Reserve(350);
    EXPECT_EQ(list.Capacity(), 350);
}

TEST(PolygonClipping, InterpolatesColoursTruncatedAndKeepsEqualOnesExact)
{
    D3DTLVERTEX p;
    p.color = 0xFF000000;
    D3DTLVERTEX c;
    c.sx = 10;
    c.color = 0xFFFFFFFF;
    // 255 x 0.5 = 127.5, truncated.
    EXPECT_EQ(Tolm::LerpVertex(p, c, 0.5f).color, 0xFF7F7F7Fu);
    EXPECT_FLOAT_EQ(Tolm::LerpVertex(p, c, 0.5f).sx, 5.0f);
    c.color = 0x80402010;
    p.color = 0x80402010;
    EXPECT_EQ(Tolm::LerpVertex(p, c, 0.3f).color, 0x80402010u);

    Tolm::VertexList square;
    for (auto [x, y] : {std::pair{0.0f, 0.0f}, {10.0f, 0.0f}, {10.0f, 10.0f}, {0.0f, 10.0f}}) {
        D3DTLVERTEX vertex;
        vertex.sx = x;
        vertex.sy = y;
        square.Add(vertex);
    }
    Tolm::VertexList clipped;
    Tolm::ClipPolygon(square, clipped, Tolm::VertexComponent::X, 4.0f, true);
    ASSERT_EQ(clipped.Count(), 4);
    for (int i = 0; i < clipped.Count(); ++i) {
        EXPECT_GE(clipped[i].sx, 4.0f);
    }
    Tolm::ClipPolygon(square, clipped, Tolm::VertexComponent::X, 0.0f, false);
    EXPECT_EQ(clipped.Count(), 0) << "wholly outside an upper bound";
}

// A display drawing in 3D on the recording device, with a registry of its own.
class Direct3DDisplayTest : public DisplayTest
{
protected:
    void SetUp() override
    {
        DisplayTest::SetUp();
        setenv("XDG_CONFIG_HOME", temp.Path().c_str(), 1);
        app->registryKey = "Tarvel Studio\\Quendara";
        Direct3DSeam::SetBackEnd(&recorder);
        D3DDEVICEDESC7 caps;
        caps.minTextureWidth = 1;
        caps.minTextureHeight = 1;
        caps.maxTextureWidth = 64;
        caps.maxTextureHeight = 64;
        Direct3DSeam::SetCaps(caps);
        display->is3D = true;
        ASSERT_EQ(InitWindowed(), Tolm::kResultOk) << display->errorText;
    }
    void TearDown() override
    {
        DisplayTest::TearDown();
        Direct3DSeam::Reset();
        Tolm::D3DState() = Tolm::D3DRuntimeState();
        unsetenv("XDG_CONFIG_HOME");
    }

    std::string RuntimeError()
    {
        uint32_t type = 0;
        uint8_t text[256] = {};
        uint32_t count = sizeof(text);
        return app->ReadRegistryValue("Test3D\\RuntimeError", type, text, count) ? reinterpret_cast<char*>(text) : "";
    }

    TempFolder temp;
    RecordingBackEnd recorder;
    LimitsReset limitsReset;
};

TEST_F(Direct3DDisplayTest, APictureWiderThanAPieceIsDrawnAsQuadsSharingTheirEdges)
{
    Tolm::MemoryImage picture;
    picture.Create(100, 10);
    std::fill(picture.GetBits(), picture.GetBits() + 1000, 0xFF336699u);
    picture.NoteBitsChanged();
    display->GetScreenImage()->Blit(&picture, 7, 3, Rect(0, 0, 100, 10), Tolm::Color(255, 255, 255, 128), 0);
    ASSERT_EQ(recorder.draws.size(), 2u) << "two pieces of 64";
    const RecordedDraw& left = recorder.draws[0];
    const RecordedDraw& right = recorder.draws[1];
    EXPECT_FLOAT_EQ(left.vertices[0].sx, 6.5f) << "shifted by half a pixel";
    EXPECT_FLOAT_EQ(left.vertices[0].sy, 2.5f);
    EXPECT_FLOAT_EQ(left.vertices[2].sx, right.vertices[0].sx) << "the pieces meet";
    EXPECT_FLOAT_EQ(right.vertices[2].sx, 106.5f);
    EXPECT_EQ(left.vertices[0].color, 0x80FFFFFFu);
    EXPECT_NE(left.texture, right.texture);
    EXPECT_FLOAT_EQ(right.vertices[2].tu, 36.0f / 64.0f) << "the right piece holds 36 pixels";
    EXPECT_EQ(left.minFilter, D3DTFN_POINT);
    EXPECT_TRUE(left.blending);
    EXPECT_EQ(left.destBlend, D3DBLEND_INVSRCALPHA);
}

TEST_F(Direct3DDisplayTest, AMatrixDrawIsCentredWithoutTheHalfPixelShift)
{
    Tolm::MemoryImage picture;
    picture.Create(8, 8);
    picture.NoteBitsChanged();
    Tolm::Matrix3 identity;
    display->GetScreenImage()->BlitMatrix(&picture, 20, 30, identity, Rect(0, 0, 800, 600), Tolm::Color::White, 1,
                                          Rect(0, 0, 8, 8), true);
    ASSERT_EQ(recorder.draws.size(), 1u);
    EXPECT_FLOAT_EQ(recorder.draws[0].vertices[0].sx, 16.0f);
    EXPECT_FLOAT_EQ(recorder.draws[0].vertices[0].sy, 26.0f);
    EXPECT_EQ(recorder.draws[0].destBlend, D3DBLEND_ONE) << "additive";
    EXPECT_EQ(recorder.draws[0].minFilter, D3DTFN_LINEAR);
}

TEST_F(Direct3DDisplayTest, ATriangleAcrossAPieceBorderIsSplitBetweenThePieces)
{
    Tolm::MemoryImage picture;
    picture.Create(128, 64);
    picture.NoteBitsChanged();
    Tolm::TexVertex triangle[3];
    triangle[0] = {0, 0, 0.25f, 0.0f, 0xFF0000FF};
    triangle[1] = {50, 0, 0.75f, 0.0f, 0xFFFF0000};
    triangle[2] = {0, 50, 0.25f, 1.0f, 0xFF0000FF};
    display->GetScreenImage()->BlitTexturedTriangles(&picture, triangle, 1, Rect(0, 0, 800, 600), Tolm::Color::White, 0,
                                                     0, 0, true);
    ASSERT_EQ(recorder.draws.size(), 2u);
    for (const RecordedDraw& draw : recorder.draws) {
        EXPECT_EQ(draw.type, D3DPT_TRIANGLEFAN);
        for (const D3DTLVERTEX& vertex : draw.vertices) {
            EXPECT_GE(vertex.tu, 0.0f);
            EXPECT_LE(vertex.tu, 1.0f);
        }
    }
    EXPECT_NE(recorder.draws[0].texture, recorder.draws[1].texture);
}

TEST_F(Direct3DDisplayTest, AnOpaqueSurfaceBlitIsADirectDrawBlitIntoTheScene)
{
    Tolm::DDImage tile(display.get());
    tile.Create(4, 4);
    std::fill(tile.GetBits(), tile.GetBits() + 16, 0xFF00FF00u);
    tile.NoteBitsChanged();
    tile.ForceAlphaFlags(false, false);
    display->GetScreenImage()->Blit(&tile, 10, 10, Rect(0, 0, 4, 4), Tolm::Color::White, 0);
    EXPECT_TRUE(recorder.draws.empty());
    DDSURFACEDESC2 desc;
    ASSERT_EQ(display->drawSurface->Lock(nullptr, &desc, DDLOCK_WAIT | DDLOCK_READONLY), DD_OK);
    uint32_t pixel = 0;
    std::memcpy(&pixel, static_cast<uint8_t*>(desc.surface) + 11 * desc.pitch + 11 * 4, 4);
    display->drawSurface->Unlock(nullptr);
    EXPECT_EQ(pixel & 0xFFFFFF, 0x00FF00u);
    const uint32_t* screenshot = display->GetScreenImage()->GetBits();
    ASSERT_NE(screenshot, nullptr) << "the screenshot reads the 3D target";
    EXPECT_EQ(screenshot[11 * 800 + 11] & 0xFFFFFF, 0x00FF00u);
}

TEST_F(Direct3DDisplayTest, AFailedDrawIsRecordedAndTheNextPresentDropsTo2D)
{
    Tolm::MemoryImage picture;
    picture.Create(8, 8);
    picture.NoteBitsChanged();
    DirectDrawSeam::FailCall("DrawPrimitive", DDERR_SURFACELOST);
    display->GetScreenImage()->Blit(&picture, 0, 0, Rect(0, 0, 8, 8), Tolm::Color(255, 0, 0), 0);
    EXPECT_EQ(RuntimeError(), "DrawPrimitive (Tri) 1: DDERR_SURFACELOST");
    EXPECT_TRUE(Tolm::D3DState().failedDuringRun);
    EXPECT_FALSE(display->Redraw(nullptr));
    EXPECT_FALSE(display->Is3DMode());
}

TEST_F(Direct3DDisplayTest, UntexturedDrawsAndTheirStepNames)
{
    Tolm::DDImage& screen = *display->GetScreenImage();
    screen.FillRect(Rect(2, 3, 10, 20), Tolm::Color(10, 20, 30), 0);
    screen.DrawLine(0, 0, 5, 5, Tolm::Color::White, 1);
    const int triangle[] = {0, 0, 10, 0, 0, 10};
    EXPECT_TRUE(screen.FillPolygonAccelerated(triangle, 3, Rect(0, 0, 5, 5), Tolm::Color::White, 0, 0, 0));
    ASSERT_EQ(recorder.draws.size(), 3u);
    EXPECT_FLOAT_EQ(recorder.draws[0].vertices[3].sx, 11.5f);
    EXPECT_EQ(recorder.draws[1].type, D3DPT_LINESTRIP);
    EXPECT_EQ(recorder.draws[2].type, D3DPT_TRIANGLEFAN);
    for (const D3DTLVERTEX& vertex : recorder.draws[2].vertices) {
        EXPECT_LE(vertex.sx, 5.0f) << "clipped";
    }
    DirectDrawSeam::FailCall("DrawPrimitive", DDERR_GENERIC);
    screen.FillRect(Rect(0, 0, 1, 1), Tolm::Color::White, 0);
    EXPECT_EQ(RuntimeError().rfind("DrawPrimitive (Rect): ", 0), 0u) << RuntimeError();
}

// Our Direct3D on Mesa's llvmpipe through an off-screen context.
class GlDeviceTest : public testing::Test
{
protected:
    void SetUp() override
    {
        DirectDrawSeam::Reset();
        context = OffscreenGlContext::Create();
        ASSERT_TRUE(context) << "Mesa gives no off-screen OpenGL 3.3 context";
        backEnd = GlBackEnd::Create(*context);
        ASSERT_TRUE(backEnd);
        Direct3DSeam::SetBackEnd(backEnd.get());
    }
    void TearDown() override
    {
        for (IUnknown* made : made) {
            made->Release();
        }
        if (directDraw) {
            directDraw->Release();
        }
        backEnd.reset();
        Direct3DSeam::Reset();
        DirectDrawSeam::Reset();
    }

    void UseDesktop(SurfaceLayout layout)
    {
        DirectDrawSeam::SetDesktop({640, 480, layout, 60});
        ASSERT_EQ(IDirectDraw7::Create(&directDraw), DD_OK);
    }

    template <typename T>
    T* Keep(T* object)
    {
        made.push_back(object);
        return object;
    }

    IDirectDrawSurface7* Surface(int width, int height, uint32_t caps, std::optional<SurfaceLayout> layout)
    {
        DDSURFACEDESC2 desc;
        desc.flags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | (layout ? DDSD_PIXELFORMAT : 0);
        desc.width = uint32_t(width);
        desc.height = uint32_t(height);
        desc.caps.caps = caps;
        if (layout) {
            desc.pixelFormat = PixelFormatOf(*layout);
        }
        IDirectDrawSurface7* surface = nullptr;
        EXPECT_EQ(directDraw->CreateSurface(&desc, &surface), DD_OK);
        return Keep(surface);
    }

    IDirect3DDevice7* Device(IDirectDrawSurface7* target)
    {
        void* direct3D = nullptr;
        EXPECT_EQ(directDraw->QueryInterface(IID_IDirect3D7, &direct3D), DD_OK);
        Keep(static_cast<IDirect3D7*>(direct3D));
        IDirect3DDevice7* device = nullptr;
        EXPECT_EQ(static_cast<IDirect3D7*>(direct3D)->CreateDevice(IID_IDirect3DHALDevice, target, &device), DD_OK);
        return Keep(device);
    }

    template <typename Pixel>
    void Fill(IDirectDrawSurface7* surface, const std::function<Pixel(int, int)>& value)
    {
        DDSURFACEDESC2 desc;
        ASSERT_EQ(surface->Lock(nullptr, &desc, DDLOCK_WAIT | DDLOCK_WRITEONLY), DD_OK);
        for (int y = 0; y < int(desc.height); ++y) {
            auto* row = reinterpret_cast<Pixel*>(static_cast<uint8_t*>(desc.surface) + y * desc.pitch);
            for (int x = 0; x < int(desc.width); ++x) {
                row[x] = value(x, y);
            }
        }
        surface->Unlock(nullptr);
    }

    template <typename Pixel>
    Pixel At(IDirectDrawSurface7* surface, int x, int y)
    {
        DDSURFACEDESC2 desc;
        EXPECT_EQ(surface->Lock(nullptr, &desc, DDLOCK_WAIT | DDLOCK_READONLY), DD_OK);
        Pixel pixel = reinterpret_cast<Pixel*>(static_cast<uint8_t*>(desc.surface) + y * desc.pitch)[x];
        surface->Unlock(nullptr);
        return pixel;
    }

    static D3DTLVERTEX Corner(float x, float y, float u, float v, uint32_t color = 0xFFFFFFFF)
    {
        D3DTLVERTEX vertex;
        vertex.sx = x;
        vertex.sy = y;
        vertex.tu = u;
        vertex.tv = v;
        vertex.color = color;
        return vertex;
    }

    // A quad of the whole texture at (x, y), from x - 0.5 as the display draws.
    static void DrawQuad(IDirect3DDevice7* device, int x, int y, int width, int height, uint32_t color = 0xFFFFFFFF)
    {
        float left = float(x) - 0.5f;
        float top = float(y) - 0.5f;
        const D3DTLVERTEX quad[] = {Corner(left, top, 0, 0, color), Corner(left, top + float(height), 0, 1, color),
                                    Corner(left + float(width), top, 1, 0, color),
                                    Corner(left + float(width), top + float(height), 1, 1, color)};
        EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLESTRIP, D3DFVF_TLVERTEX, quad, 4, 0), DD_OK);
    }

    std::unique_ptr<OffscreenGlContext> context;
    std::unique_ptr<GlBackEnd> backEnd;
    IDirectDraw7* directDraw = nullptr;
    std::vector<IUnknown*> made;
};

TEST_F(GlDeviceTest, APointFilteredQuadAtAWholePositionReproducesItsTexelsExactly)
{
    struct Case
    {
        const char* name;
        SurfaceLayout desktop;
        SurfaceLayout texture;
    };
    for (const Case& c : {Case{"8888 onto x888", SurfaceLayout::Xrgb8888, SurfaceLayout::Argb8888},
                          Case{"565 onto 565", SurfaceLayout::Rgb565, SurfaceLayout::Rgb565}}) {
        UseDesktop(c.desktop);
        IDirectDrawSurface7* target = Surface(32, 32, DDSCAPS_OFFSCREENPLAIN | DDSCAPS_3DDEVICE, std::nullopt);
        IDirectDrawSurface7* texture = Surface(16, 16, DDSCAPS_TEXTURE, c.texture);
        bool wide = c.texture == SurfaceLayout::Argb8888;
        auto texel = [](int x, int y) { return uint32_t(x * 37 + y * 1013 + x * y * 7) * 2654435761u; };
        if (wide) {
            Fill<uint32_t>(texture, [&](int x, int y) { return 0xFF000000u | (texel(x, y) & 0xFFFFFF); });
        } else {
            Fill<uint16_t>(texture, [&](int x, int y) { return uint16_t(texel(x, y)); });
        }
        IDirect3DDevice7* device = Device(target);
        ASSERT_EQ(device->BeginScene(), DD_OK);
        device->SetRenderState(D3DRENDERSTATE_CULLMODE, D3DCULL_NONE);
        device->SetTexture(0, texture);
        DrawQuad(device, 5, 7, 16, 16);
        device->EndScene();
        for (int y = 0; y < 16; ++y) {
            for (int x = 0; x < 16; ++x) {
                if (wide) {
                    ASSERT_EQ(At<uint32_t>(target, x + 5, y + 7) & 0xFFFFFF, texel(x, y) & 0xFFFFFF) << c.name;
                } else {
                    ASSERT_EQ(At<uint16_t>(target, x + 5, y + 7), uint16_t(texel(x, y))) << c.name;
                }
            }
        }
        uint32_t left = wide ? At<uint32_t>(target, 4, 7) & 0xFFFFFF : At<uint16_t>(target, 4, 7);
        EXPECT_EQ(left, 0u) << "nothing left of the quad";
        for (IUnknown* object : made) {
            object->Release();
        }
        made.clear();
        directDraw->Release();
        directDraw = nullptr;
    }
}

TEST_F(GlDeviceTest, DrawingOutsideASceneIsRefused)
{
    UseDesktop(SurfaceLayout::Xrgb8888);
    IDirect3DDevice7* device = Device(Surface(8, 8, DDSCAPS_OFFSCREENPLAIN | DDSCAPS_3DDEVICE, std::nullopt));
    const D3DTLVERTEX line[] = {Corner(0, 0, 0, 0), Corner(4, 4, 0, 0)};
    EXPECT_EQ(device->DrawPrimitive(D3DPT_LINESTRIP, D3DFVF_TLVERTEX, line, 2, 0), D3DERR_SCENE_NOT_IN_SCENE);
    EXPECT_EQ(device->EndScene(), D3DERR_SCENE_NOT_IN_SCENE);
}

TEST_F(GlDeviceTest, ABlitInsideASceneLandsBetweenTheDrawsBeforeAndAfterIt)
{
    UseDesktop(SurfaceLayout::Xrgb8888);
    IDirectDrawSurface7* target = Surface(16, 16, DDSCAPS_OFFSCREENPLAIN | DDSCAPS_3DDEVICE, std::nullopt);
    IDirectDrawSurface7* texture = Surface(1, 1, DDSCAPS_TEXTURE, SurfaceLayout::Argb8888);
    Fill<uint32_t>(texture, [](int, int) { return 0xFFFFFFFFu; });
    IDirectDrawSurface7* green = Surface(8, 8, DDSCAPS_OFFSCREENPLAIN, std::nullopt);
    Fill<uint32_t>(green, [](int x, int) { return x < 4 ? 0x0000FF00u : 0x00000001u; });
    DDCOLORKEY key{1, 1};
    green->SetColorKey(DDCKEY_SRCBLT, &key);
    IDirect3DDevice7* device = Device(target);
    device->BeginScene();
    device->SetRenderState(D3DRENDERSTATE_CULLMODE, D3DCULL_NONE);
    device->SetTexture(0, texture);
    DrawQuad(device, 0, 0, 16, 16, 0xFFFF0000);
    RECT to{0, 0, 8, 8};
    EXPECT_EQ(target->Blt(&to, green, nullptr, DDBLT_WAIT | DDBLT_KEYSRC, nullptr), DD_OK);
    DrawQuad(device, 2, 2, 1, 1, 0xFF0000FF);
    device->EndScene();
    EXPECT_EQ(At<uint32_t>(target, 0, 0) & 0xFFFFFF, 0x00FF00u) << "the blit over the first quad";
    EXPECT_EQ(At<uint32_t>(target, 6, 0) & 0xFFFFFF, 0xFF0000u) << "the key lets the quad show";
    EXPECT_EQ(At<uint32_t>(target, 2, 2) & 0xFFFFFF, 0x0000FFu) << "the second quad over the blit";
    EXPECT_EQ(At<uint32_t>(target, 12, 12) & 0xFFFFFF, 0xFF0000u);
}

// In a folder without card lists: the game's own list of cards refused lies beside the built program, and
// names the software renderers.
TEST_F(GlDeviceTest, TheCapabilityTestPassesOnLlvmpipe)
{
    WorkingFolder noCardLists;
    UseDesktop(SurfaceLayout::Xrgb8888);
    Tolm::D3DTester tester;
    tester.minVideoMemory = 6;
    tester.Evaluate(0, directDraw);
    EXPECT_EQ(tester.failureReason, "");
    EXPECT_EQ(tester.warning, "");
    EXPECT_NE(tester.description.find("llvmpipe"), std::string::npos) << tester.description;
}

// The capability test on the recording device, which draws nothing: the end of each scene writes what a
// card would have drawn.
class CapabilityTest : public DisplayTest
{
protected:
    void SetUp() override
    {
        DisplayTest::SetUp();
        setenv("XDG_CONFIG_HOME", temp.Path().c_str(), 1);
        app->registryKey = "Tarvel Studio\\Quendara";
        Direct3DSeam::SetBackEnd(&recorder);
        // A driver file of this year.
        recorder.identity = AdapterIdentity{"/proc/self/exe", "Stand-in Card 3000", {}};
        recorder.identity->guid.bytes[0] = 42;
        recorder.endSceneHook = [this](IDirectDrawSurface7& target, int scene) { Paint(target, scene); };
        ASSERT_EQ(IDirectDraw7::Create(&directDraw), DD_OK);
    }
    void TearDown() override
    {
        directDraw->Release();
        Direct3DSeam::Reset();
        unsetenv("XDG_CONFIG_HOME");
        DisplayTest::TearDown();
    }

    // What the five scenes draw on a card that blends rightly: the four blend colours, then the stripes.
    void Paint(IDirectDrawSurface7& target, int scene)
    {
        static const uint32_t kRight[] = {0x7F007F, 0x808080, 0x808080, 0x7F007F};
        DDSURFACEDESC2 desc;
        ASSERT_EQ(target.Lock(nullptr, &desc, DDLOCK_WAIT | DDLOCK_WRITEONLY), DD_OK);
        int bytes = int(desc.pixelFormat.rgbBitCount / 8);
        for (int y = 0; y < int(desc.height); ++y) {
            for (int x = 0; x < int(desc.width); ++x) {
                uint32_t colour = scene % 5 < 4 ? kRight[scene % 5] : (x % 2 == 1 ? 0xFFFFFF : 0);
                if (scene % 5 == wrongScene) {
                    colour = 0x000000;
                }
                WritePixelValue(static_cast<uint8_t*>(desc.surface) + y * desc.pitch + x * bytes, std::min(bytes, 4),
                                colour);
            }
        }
        target.Unlock(nullptr);
    }

    Tolm::D3DTester& Evaluate()
    {
        tester = std::make_unique<Tolm::D3DTester>();
        tester->minVideoMemory = 6;
        tester->recommendedVideoMemory = 14;
        recorder.calls.clear();
        recorder.scenesEnded = 0;
        tester->Evaluate(0, directDraw);
        return *tester;
    }

    SettingsValue Stored(const std::string& name)
    {
        SettingsStore store(temp.Path() + "Tarvel Studio/Quendara.registry");
        SettingsValue value;
        store.QueryValue("Test3D", name, value);
        return value;
    }

    TempFolder temp;
    RecordingBackEnd recorder;
    IDirectDraw7* directDraw = nullptr;
    std::unique_ptr<Tolm::D3DTester> tester;
    int wrongScene = -1;
};

TEST_F(CapabilityTest, TheFirstStartTestsAndStoresSixValuesTheSecondReadsThem)
{
    Tolm::D3DTester& first = Evaluate();
    EXPECT_EQ(first.failureReason, "");
    EXPECT_EQ(first.warning, "");
    EXPECT_TRUE(first.freshResult);
    EXPECT_EQ(recorder.scenesEnded, 5);
    EXPECT_EQ(Stored("Version").data, (std::vector<uint8_t>{2, 0, 0, 0}));
    EXPECT_EQ(Stored("MinVidMemory").data, (std::vector<uint8_t>{6, 0, 0, 0}));
    EXPECT_EQ(Stored("RecVidMemory").data, (std::vector<uint8_t>{14, 0, 0, 0}));
    EXPECT_EQ(Stored("DisplayGUID").data.size(), 16u);
    EXPECT_EQ(Stored("FailureReason").data, (std::vector<uint8_t>{0}));
    EXPECT_EQ(Stored("Warning").type, kRegSz);

    Tolm::D3DTester& second = Evaluate();
    EXPECT_FALSE(second.freshResult);
    EXPECT_EQ(recorder.scenesEnded, 0) << "no device, no test";
}

TEST_F(CapabilityTest, AStoredFailureIsTestedAgainAndAWrongBlendFails)
{
    wrongScene = 1;
    EXPECT_EQ(Evaluate().failureReason, "Additive blend not supported.");
    EXPECT_EQ(recorder.scenesEnded, 2);
    wrongScene = -1;
    Tolm::D3DTester& again = Evaluate();
    EXPECT_EQ(recorder.scenesEnded, 5);
    EXPECT_EQ(again.failureReason, "");
}

TEST_F(CapabilityTest, TooLittleVideoMemoryFailsWithoutRendering)
{
    // 4 MB + 800 x 600 x 4 bytes = 5.83 MB, 5 after the shift.
    DirectDrawSeam::SetDesktop({800, 600, SurfaceLayout::Xrgb8888, 60});
    DirectDrawSeam::SetVideoMemory(4u << 20, 4u << 20);
    EXPECT_EQ(Evaluate().failureReason, "Not enough video memory.");
    EXPECT_TRUE(recorder.calls.empty());
    DirectDrawSeam::SetVideoMemory(0xFFF00000u, 0xFFF00000u);
    EXPECT_EQ(Evaluate().failureReason, "") << "nearly 4 GB must not wrap";
}

TEST_F(CapabilityTest, ATwentyFourBitTargetCannotBeTested)
{
    DirectDrawSeam::SetDesktop({800, 600, SurfaceLayout::Rgb888, 60});
    EXPECT_EQ(Evaluate().failureReason, "Can't test 24-bit mode.");
}

TEST_F(CapabilityTest, DuringPlaybackNothingIsTested)
{
    app->playingDemo = true;
    Evaluate();
    app->playingDemo = false;
    EXPECT_TRUE(recorder.calls.empty());
}

// Given no DirectDraw object, the test makes its own through the DirectDraw library, which stays loaded
// as long as the object lives and is freed with it, whether the test ran or the library was of no use.
TEST_F(CapabilityTest, TheDirectDrawLibraryItLoadsIsFreedWithItsObject)
{
    const int loadedBefore = LoadedLibraryCount();
    Tolm::D3DTester own;
    own.minVideoMemory = 6;
    ASSERT_TRUE(own.SetUp(0, nullptr)) << own.failureReason;
    EXPECT_EQ(LoadedLibraryCount(), loadedBefore + 1) << "held while its object is";
    own.ReleaseInterfaces();
    EXPECT_EQ(LoadedLibraryCount(), loadedBefore);

    own.Evaluate(0, nullptr);
    EXPECT_EQ(own.failureReason, "");
    EXPECT_EQ(recorder.scenesEnded, 5) << "the test drew through the library's object";
    EXPECT_EQ(LoadedLibraryCount(), loadedBefore);

    InstallLibrary(kDirectDrawLibraryName, {});
    own.Evaluate(0, nullptr);
    InstallDefaultLibraries();
    EXPECT_EQ(own.failureReason, "No DirectDrawCreateEx");
    EXPECT_EQ(LoadedLibraryCount(), loadedBefore);
}

TEST_F(CapabilityTest, TheCardListsAndTheDriverYear)
{
    char* previous = getcwd(nullptr, 0);
    ASSERT_EQ(chdir(temp.Path().c_str()), 0);
    Tolm::D3DTester lists;
    lists.driverYear = 2005;
    EXPECT_TRUE(lists.IsCardSupported("Any Card")) << "no lists, a new driver";
    temp.Write("vhw.dat", "  stand-in CARD\r\n\n");
    EXPECT_TRUE(lists.IsCardSupported("Stand-in Card 3000"));
    EXPECT_FALSE(lists.IsCardSupported("Other Card"));
    temp.Write("vhwb.dat", "card 3000\n");
    EXPECT_FALSE(lists.IsCardSupported("Stand-in Card 3000")) << "the refused list wins";
    unlink("vhw.dat");
    unlink("vhwb.dat");
    temp.Write("long.dat", std::string(4000, 'x') + "card 3000\n");
    EXPECT_TRUE(Tolm::D3DTester::FileListsCard("long.dat", "Stand-in Card 3000")) << "a long line's tail is an entry";
    unlink("long.dat");
    ASSERT_EQ(chdir(previous), 0);
    free(previous);

    struct Case
    {
        int year;
        const char* card;
        bool supported;
    };
    uint8_t card = 0;
    for (const Case& c : {Case{2001, "ATI Rage", true}, Case{2001, "Generic Card", false},
                          Case{2001, "NVIDIA Thing", true}, Case{2002, "Generic Card", true}}) {
        temp.Write("driver.so", "");
        struct tm when
        {};
        when.tm_year = c.year - 1900;
        when.tm_mon = 5;
        when.tm_mday = 15;
        time_t stamp = mktime(&when);
        utimbuf times{stamp, stamp};
        ASSERT_EQ(utime((temp.Path() + "driver.so").c_str(), &times), 0);
        recorder.identity = AdapterIdentity{temp.Path() + "driver.so", c.card, {}};
        // Another card each time, so that no stored result stands.
        recorder.identity->guid.bytes[0] = ++card;
        Tolm::D3DTester& tested = Evaluate();
        EXPECT_EQ(tested.driverYear, c.year);
        EXPECT_EQ(tested.warning.empty(), c.supported) << c.card << " " << tested.warning;
    }
    recorder.identity = AdapterIdentity{"missing-driver.so", "Generic Card", {}};
    recorder.identity->guid.bytes[0] = ++card;
    EXPECT_EQ(Evaluate().driverYear, 0);
}
