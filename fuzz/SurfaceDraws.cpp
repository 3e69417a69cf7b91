// Draws random pictures into a display surface on a 5-6-5 desktop (5-5-5 when QUENDARA_FUZZ_LAYOUT=555,
// x8-8-8 when it is 888): rotated blits at any float and double bits, stretched and mirrored blits of any
// rectangles, plain and mirrored blits, fills and lines at any position, from a source of guarded size in
// pixels or a palette. The surface's canaries catch any write past its rows; a sanitizer build catches
// reads past the source.
// The input is read as: the target's size, the source's size and a palette flag, the source's pixels,
// then draws of an operation byte and its arguments.
#include "app/TolmAppBase.h"
#include "display/DDImage.h"
#include "display/DDInterface.h"
#include "platform/DirectDrawSeam.h"
#include "platform/VideoSystem.h"
#include "platform/Window.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int kMaxDraws = 12;

class Input
{
public:
    Input(const uint8_t* data, size_t size) : data(data), size(size) {}

    uint8_t Byte() { return position < size ? data[position++] : 0; }

    template <typename T>
    T Raw()
    {
        T value{};
        uint8_t bytes[sizeof(T)] = {};
        for (uint8_t& b : bytes) {
            b = Byte();
        }
        std::memcpy(&value, bytes, sizeof(T));
        return value;
    }

    // A small coordinate, -64 .. 191, or raw bits when the byte says so.
    float Coordinate()
    {
        uint8_t kind = Byte();
        return kind < 200 ? float(int(Byte()) - 64) + float(kind % 4) / 4 : Raw<float>();
    }

    int Small() { return int(Byte()) - 64; }

    Tolm::Color AnyColor() { return Tolm::Color(Byte(), Byte(), Byte(), Byte() > 128 ? 255 : Byte()); }

    bool AtEnd() const { return position >= size; }

private:
    const uint8_t* data;
    size_t size;
    size_t position = 0;
};

// The display, made once for the whole run.
struct Stage
{
    Stage()
    {
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        Platform::InitVideo();
        const char* layout = std::getenv("QUENDARA_FUZZ_LAYOUT");
        std::string name = layout ? layout : "565";
        Platform::DirectDrawSeam::SetDesktop({1024, 768,
                                              name == "555"   ? Platform::SurfaceLayout::Rgb555
                                              : name == "888" ? Platform::SurfaceLayout::Xrgb8888
                                                              : Platform::SurfaceLayout::Rgb565,
                                              60});
        app = std::make_unique<Tolm::TolmAppBase>();
        app->width = 800;
        app->height = 600;
        app->autoEnable3D = false;
        display = std::make_unique<Tolm::DDInterface>(app.get());
        window = Platform::Window::Create("Fuzz", {0, 0, 800, 600, false});
        if (!window || display->Init(window->Handle(), true) != Tolm::kResultOk) {
            std::fprintf(stderr, "no display\n");
            std::abort();
        }
    }

    std::unique_ptr<Tolm::TolmAppBase> app;
    std::unique_ptr<Tolm::DDInterface> display;
    std::unique_ptr<Platform::Window> window;
};

// A rectangle inside an image of that size, never empty.
Tolm::Rect Inside(Input& in, int width, int height)
{
    int x = in.Byte() % width;
    int y = in.Byte() % height;
    return Tolm::Rect(x, y, 1 + in.Byte() % (width - x), 1 + in.Byte() % (height - y));
}

void Draw(Input& in, Tolm::DDImage& target, Tolm::MemoryImage& source)
{
    using Tolm::Rect;
    Rect part = Inside(in, source.width, source.height);
    Rect clip(in.Small(), in.Small(), in.Byte(), in.Byte());
    Tolm::Color color = in.AnyColor();
    int mode = in.Byte() % 3;
    switch (in.Byte() % 8) {
    case 0: {
        float x = in.Coordinate();
        float y = in.Coordinate();
        double angle = in.Byte() < 200 ? double(in.Byte()) / 16 : in.Raw<double>();
        target.BlitRotated(&source, x, y, part, clip, color, mode, angle, in.Coordinate(), in.Coordinate());
        break;
    }
    case 1:
        target.BlitF(&source, in.Coordinate(), in.Coordinate(), part, clip, color, mode);
        break;
    case 2:
    case 3: {
        Rect dest(in.Small(), in.Small(), in.Small(), in.Small());
        if (in.Byte() % 2) {
            target.StretchBlit(&source, dest, part, clip, color, mode, in.Byte() % 2 == 0);
        } else {
            target.StretchBlitMirror(&source, dest, part, clip, color, mode, in.Byte() % 2 == 0);
        }
        break;
    }
    case 4:
        target.Blit(&source, in.Small(), in.Small(), part, color, mode % 2);
        break;
    case 5:
        target.BlitMirror(&source, in.Small(), in.Small(), part, color, mode);
        break;
    case 6:
        target.FillRect(Rect(in.Small(), in.Small(), in.Small(), in.Small()), color, mode % 2);
        break;
    default: {
        double x1 = in.Coordinate();
        double y1 = in.Coordinate();
        double x2 = in.Coordinate();
        double y2 = in.Coordinate();
        if (in.Byte() % 2) {
            target.DrawLineSmooth(x1, y1, x2, y2, color, mode % 2);
        } else {
            target.DrawLine(x1, y1, x2, y2, color, mode % 2);
        }
        break;
    }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static Stage stage;
    Input in(data, size);
    int width = 1 + in.Byte() % 64;
    int height = 1 + in.Byte() % 48;
    int sourceWidth = 1 + in.Byte() % 24;
    int sourceHeight = 1 + in.Byte() % 24;
    bool palette = in.Byte() % 2;

    Tolm::DDImage target(stage.display.get());
    std::vector<uint32_t> opaque(std::size_t(width * height), 0xFF336699);
    target.SetBits(opaque.data(), width, height, true);
    if (!target.CreateSurface()) {
        return 0;
    }
    std::vector<uint32_t> pixels(std::size_t(sourceWidth * sourceHeight));
    for (uint32_t& p : pixels) {
        p = uint32_t(in.Byte()) << 24 | uint32_t(in.Byte()) * 0x010101;
    }
    Tolm::MemoryImage source;
    source.SetBits(pixels.data(), sourceWidth, sourceHeight, true);
    if (palette) {
        source.ConvertToPalette();
    }
    target.LockSurface();
    for (int i = 0; i < kMaxDraws && !in.AtEnd(); ++i) {
        Draw(in, target, source);
    }
    target.UnlockSurface();
    target.GetBits();
    if (Platform::DirectDrawSeam::CanaryViolations() != 0) {
        std::fprintf(stderr, "a draw wrote past the surface's rows\n");
        std::abort();
    }
    return 0;
}
