// The drawing context's image draws: for each draw and each state that matters (translation, scale, clip,
// tint, draw mode, stretch and filter switches), the destination operation it reaches and its arguments.
#include "core/Matrix.h"
#include "graphics/Graphics.h"
#include "graphics/MemoryImage.h"
#include "graphics/MemoryImageDisplay.h"
#include "graphics/MemoryImageRegistry.h"

#include <climits>
#include <functional>
#include <gtest/gtest.h>
#include <iomanip>
#include <sstream>
#include <string>
#include <vector>

using namespace Tolm;

namespace {

std::string Num(double value)
{
    std::ostringstream out;
    out << value;
    return out.str();
}

std::string Describe(const Rect& r)
{
    return std::to_string(r.x) + "," + std::to_string(r.y) + "," + std::to_string(r.width) + "," +
           std::to_string(r.height);
}

std::string Describe(const Color& c)
{
    return "c" + std::to_string(c.red) + "," + std::to_string(c.green) + "," + std::to_string(c.blue) + "," +
           std::to_string(c.alpha);
}

std::string NameOf(const Image* image)
{
    return image ? image->name : "none";
}

// A destination that records the image operations the context sends it. It is a memory image, so that the
// display can be asked whether it draws on it in 3D.
class RecordingImage : public MemoryImage
{
public:
    std::vector<std::string> calls;

    explicit RecordingImage(MemoryImageRegistry& registry) : MemoryImage(registry)
    {
        width = 100;
        height = 80;
    }

    void Blit(Image* source, int x, int y, const Rect& sourceRect, const Color& color, int drawMode) override
    {
        calls.push_back("Blit " + NameOf(source) + " at " + std::to_string(x) + "," + std::to_string(y) + " from " +
                        Describe(sourceRect) + " " + Describe(color) + " m" + std::to_string(drawMode));
    }
    void BlitMirror(Image* source, int x, int y, const Rect& sourceRect, const Color& color, int drawMode) override
    {
        calls.push_back("BlitMirror " + NameOf(source) + " at " + std::to_string(x) + "," + std::to_string(y) +
                        " from " + Describe(sourceRect) + " " + Describe(color) + " m" + std::to_string(drawMode));
    }
    void BlitF(Image* source, float x, float y, const Rect& sourceRect, const Rect& clipRect, const Color& color,
               int drawMode) override
    {
        calls.push_back("BlitF " + NameOf(source) + " at " + Num(x) + "," + Num(y) + " from " + Describe(sourceRect) +
                        " clip " + Describe(clipRect) + " " + Describe(color) + " m" + std::to_string(drawMode));
    }
    void BlitRotated(Image* source, float x, float y, const Rect& sourceRect, const Rect& clipRect, const Color& color,
                     int drawMode, double angle, float centerX, float centerY) override
    {
        calls.push_back("BlitRotated " + NameOf(source) + " at " + Num(x) + "," + Num(y) + " from " +
                        Describe(sourceRect) + " clip " + Describe(clipRect) + " " + Describe(color) + " m" +
                        std::to_string(drawMode) + " angle " + Num(angle) + " about " + Num(centerX) + "," +
                        Num(centerY));
    }
    void StretchBlit(Image* source, const Rect& destRect, const Rect& sourceRect, const Rect& clipRect,
                     const Color& color, int drawMode, bool fast) override
    {
        calls.push_back("StretchBlit " + NameOf(source) + " to " + Describe(destRect) + " from " +
                        Describe(sourceRect) + " clip " + Describe(clipRect) + " " + Describe(color) + " m" +
                        std::to_string(drawMode) + (fast ? " fast" : " smooth"));
    }
    void StretchBlitMirror(Image* source, const Rect& destRect, const Rect& sourceRect, const Rect& clipRect,
                           const Color& color, int drawMode, bool fast) override
    {
        calls.push_back("StretchBlitMirror " + NameOf(source) + " to " + Describe(destRect) + " from " +
                        Describe(sourceRect) + " clip " + Describe(clipRect) + " " + Describe(color) + " m" +
                        std::to_string(drawMode) + (fast ? " fast" : " smooth"));
    }
    void BlitMatrix(Image* source, float x, float y, const Matrix3& m, const Rect& clipRect, const Color& color,
                    int drawMode, const Rect& sourceRect, bool bilinear) override
    {
        std::ostringstream matrix;
        matrix << std::fixed << std::setprecision(4) << m.m00 << "," << m.m01 << "," << m.m02 << ";" << m.m10 << ","
               << m.m11 << "," << m.m12 << ";" << m.m20 << "," << m.m21 << "," << m.m22;
        calls.push_back("BlitMatrix " + NameOf(source) + " at " + Num(x) + "," + Num(y) + " [" + matrix.str() +
                        "] clip " + Describe(clipRect) + " " + Describe(color) + " m" + std::to_string(drawMode) +
                        " from " + Describe(sourceRect) + (bilinear ? " bilinear" : " nearest"));
    }
    void BlitTexturedTriangles(Image* source, const TexVertex* vertices, int triangleCount, const Rect& clipRect,
                               const Color& color, int drawMode, float offsetX, float offsetY, bool bilinear) override
    {
        std::string first = vertices ? Num(vertices[0].x) + "," + Num(vertices[0].y) : "-";
        std::string last = vertices && triangleCount > 0 ? Num(vertices[3 * triangleCount - 1].x) : "-";
        calls.push_back("BlitTexturedTriangles " + NameOf(source) + " x" + std::to_string(triangleCount) + " from " +
                        first + " to " + last + " clip " + Describe(clipRect) + " " + Describe(color) + " m" +
                        std::to_string(drawMode) + " offset " + Num(offsetX) + "," + Num(offsetY) +
                        (bilinear ? " bilinear" : " nearest"));
    }
};

// A display that draws in 3D onto one chosen image.
class Display3D : public MemoryImageDisplay
{
public:
    const MemoryImage* drawSurface = nullptr;

    bool Is3DMode() const override { return true; }
    bool IsCurrent3DDrawSurface(const MemoryImage& image) const override { return &image == drawSurface; }
    PixelFormat GetPixelFormat() const override { return PixelFormat::Argb8888(); }
    void RemoveImageTextures(MemoryImage&) override {}
    bool ReadBackTextures(MemoryImage&) override { return false; }
};

class GraphicsImageDrawTest : public testing::Test
{
protected:
    MemoryImageRegistry registry;
    RecordingImage dest{registry};
    // 20 x 10 in a grid of 4 columns and 2 rows: frames of 5 x 5.
    Image img;
    Image box;

    void SetUp() override
    {
        img.name = "img";
        img.width = 20;
        img.height = 10;
        img.numCols = 4;
        img.numRows = 2;
        box.name = "box";
        box.width = 30;
        box.height = 30;
    }
};

using Setup = std::function<void(Graphics&)>;
using Draw = std::function<void(Graphics&, Image& img)>;

struct DispatchRow
{
    const char* name;
    Setup setup;
    Draw draw;
    std::vector<std::string> expected;
};

// Translation (3.5, 2.25), colour (10, 20, 30, 40) not applied to images, normal mode, clip the whole image.
void Shifted(Graphics& g)
{
    g.TranslateF(3.5f, 2.25f);
    g.SetColor(Color(10, 20, 30, 40));
}

void ShiftedTintedAdditive(Graphics& g)
{
    Shifted(g);
    g.SetTintImages(true);
    g.SetDrawMode(DrawModeAdditive);
}

const std::string White = "c255,255,255,255 m0";
const std::string Tinted = "c10,20,30,40 m1";
const std::string Whole = "clip 0,0,100,80";

Transform Translated(float x, float y)
{
    Transform t;
    t.Translate(x, y);
    return t;
}

Transform Turned(float tx, float ty, float radians, float px, float py)
{
    Transform t;
    t.Translate(tx, ty);
    t.Rotate(radians);
    t.Translate(px, py);
    return t;
}

Transform Scaled(float sx, float sy)
{
    Transform t;
    t.Scale(sx, sy);
    return t;
}

const std::vector<DispatchRow> DispatchRows = {
    // Plain draws: (int)(-5 + 3.5) = -1 and (int)(-5 + 2.25) = -2; the clip (5, 4, 50, 50) cuts 6 and 6 away.
    {"imageUnscaledIsClippedToABlit",
     [](Graphics& g) {
         Shifted(g);
         g.clipRect = Rect(5, 4, 50, 50);
     },
     [](Graphics& g, Image& i) { g.DrawImage(&i, -5, -5); },
     {"Blit img at 5,4 from 6,6,14,4 " + White}},
    {"imageScaledIsStretchedDownwardsInPlaceAndUpwardsInSize",
     [](Graphics& g) {
         ShiftedTintedAdditive(g);
         g.SetFastStretch(true);
         g.SetScale(0.5f, 0.5f, 0, 0);
     },
     // tx = 6.5: floor((6 - 3.5) x 0.5) + 3.5 = 4.5; ty = 4.25: floor((4 - 2.25) x 0.5) + 2.25 = 2.25.
     [](Graphics& g, Image& i) { g.DrawImage(&i, 3, 2); },
     {"StretchBlit img to 4,2,10,5 from 0,0,20,10 " + Whole + " " + Tinted + " fast"}},
    {"partScaledByHalfAboutTheCornerTakesItsWidthUpwards",
     [](Graphics& g) { g.SetScale(0.5f, 0.5f, 0, 0); },
     [](Graphics& g, Image& i) { g.DrawImagePart(&i, 3, 0, Rect(0, 0, 3, 3)); },
     {"StretchBlit img to 1,0,2,2 from 0,0,3,3 " + Whole + " " + White + " smooth"}},
    {"partTintedAdditiveKeepsColourAndMode",
     ShiftedTintedAdditive,
     [](Graphics& g, Image& i) { g.DrawImagePart(&i, 0, 0, Rect(2, 3, 4, 5)); },
     {"Blit img at 3,2 from 2,3,4,5 " + Tinted}},
    {"partReachingPastTheImageOrBeforeItDrawsNothing",
     Shifted,
     [](Graphics& g, Image& i) {
         g.DrawImagePart(&i, 0, 0, Rect(1, 0, 20, 10));
         g.DrawImagePart(&i, 0, 0, Rect(0, 1, 5, 10));
         g.DrawImagePart(&i, 0, 0, Rect(-1, 0, 5, 5));
         g.DrawImagePart(&i, 0, 0, Rect(0, -1, 5, 5));
         g.DrawImagePartMirror(&i, 0, 0, Rect(16, 0, 5, 5), true);
     },
     {}},
    {"partOutsideTheClipDrawsNothing",
     Shifted,
     [](Graphics& g, Image& i) {
         g.DrawImage(&i, 200, 0);
         g.DrawImagePartMirror(&i, 0, -30, Rect(0, 0, 5, 5), true);
     },
     {}},
    {"floatDrawsAddTheTranslationAndPassTheClip",
     ShiftedTintedAdditive,
     [](Graphics& g, Image& i) {
         g.DrawImageF(&i, 1.25f, 2.5f);
         g.DrawImagePartF(&i, 0, 0, Rect(2, 3, 4, 5));
     },
     {"BlitF img at 4.75,4.75 from 0,0,20,10 " + Whole + " " + Tinted,
      "BlitF img at 3.5,2.25 from 2,3,4,5 " + Whole + " " + Tinted}},
    {"floatDrawsIgnoreTheScale",
     [](Graphics& g) { g.SetScale(2, 2, 0, 0); },
     [](Graphics& g, Image& i) { g.DrawImageF(&i, 1, 2); },
     {"BlitF img at 1,2 from 0,0,20,10 " + Whole + " " + White}},
    // The mirrored part of width 10 at -3: the right 3 source columns are cut, columns 0 to 6 land at 0.
    {"mirroredPartCutOnTheLeftLosesSourceColumnsOnTheRight",
     nullptr,
     [](Graphics& g, Image& i) { g.DrawImagePartMirror(&i, -3, 0, Rect(0, 0, 10, 5), true); },
     {"BlitMirror img at 0,0 from 0,0,7,5 " + White}},
    {"mirroredPartCutOnTheRightLosesSourceColumnsOnTheLeft",
     [](Graphics& g) {
         ShiftedTintedAdditive(g);
         g.clipRect = Rect(0, 0, 10, 80);
     },
     // At (int) 5.5 = 5 a 10-wide part keeps destination columns 5 to 9, which show source columns 11 down to 7.
     [](Graphics& g, Image& i) { g.DrawImagePartMirror(&i, 2, 1, Rect(2, 1, 10, 5), true); },
     {"BlitMirror img at 5,3 from 7,1,5,5 " + Tinted}},
    {"unmirroredPartIsAPlainPart",
     [](Graphics& g) { g.SetScale(2, 2, 0, 0); },
     [](Graphics& g, Image& i) { g.DrawImagePartMirror(&i, 1, 1, Rect(0, 0, 4, 4), false); },
     {"StretchBlit img to 2,2,8,8 from 0,0,4,4 " + Whole + " " + White + " smooth"}},
    {"stretchedDrawsAreTranslatedOnlyAndKeepTheFastSwitch",
     [](Graphics& g) {
         ShiftedTintedAdditive(g);
         g.SetFastStretch(true);
         g.SetScale(3, 3, 0, 0);
     },
     [](Graphics& g, Image& i) {
         g.DrawImageStretched(&i, Rect(10, 20, 30, 40), Rect(1, 2, 3, 4));
         g.DrawImageStretchedPart(&i, Rect(10, 20, 30, 40), Rect(1, 2, 3, 4), false);
         g.DrawImageStretchedPart(&i, Rect(10, 20, 30, 40), Rect(1, 2, 3, 4), true);
     },
     {"StretchBlit img to 13,22,30,40 from 1,2,3,4 " + Whole + " " + Tinted + " fast",
      "StretchBlit img to 13,22,30,40 from 1,2,3,4 " + Whole + " " + Tinted + " fast",
      "StretchBlitMirror img to 13,22,30,40 from 1,2,3,4 " + Whole + " " + Tinted + " fast"}},
    {"rotatedDrawsTurnAboutTheGivenOrTheIntegerMiddle",
     ShiftedTintedAdditive,
     [](Graphics& g, Image& i) {
         g.DrawImageRotatedF(&i, 1, 2, 0.5, 3, 4);
         Rect odd(0, 0, 11, 7);
         g.DrawImageRotated(&i, 1, 2, 0.5, &odd);
         g.DrawImageRotated(&i, 1, 2, -1);
         g.DrawImageRotatedAt(&i, 1, 2, 0.5, 7, 8, Rect(1, 1, 5, 5));
     },
     {"BlitRotated img at 4.5,4.25 from 0,0,20,10 " + Whole + " " + Tinted + " angle 0.5 about 3,4",
      "BlitRotated img at 4.5,4.25 from 0,0,11,7 " + Whole + " " + Tinted + " angle 0.5 about 5,3",
      "BlitRotated img at 4.5,4.25 from 0,0,20,10 " + Whole + " " + Tinted + " angle -1 about 10,5",
      "BlitRotated img at 4.5,4.25 from 1,1,5,5 " + Whole + " " + Tinted + " angle 0.5 about 7,8"}},
    {"gridFramesOutsideTheGridDrawNothing",
     Shifted,
     [](Graphics& g, Image& i) {
         g.DrawImageGridFrame(&i, 0, 0, 3, 1);
         g.DrawImageGridFrame(&i, 0, 0, 4, 0);
         g.DrawImageGridFrame(&i, 0, 0, 0, 2);
         g.DrawImageGridFrame(&i, 0, 0, -1, 0);
         g.StretchImageGridFrame(&i, Rect(0, 0, 10, 10), 1, 1);
         g.StretchImageGridFrame(&i, Rect(0, 0, 10, 10), 0, -1);
     },
     {"Blit img at 3,2 from 15,5,5,5 " + White,
      "StretchBlit img to 3,2,10,10 from 5,5,5,5 " + Whole + " " + White + " smooth"}},
    // Frame 5 of 4 columns is column 1 of row 1; frame 8 = rows x columns is past the grid.
    {"framesCountAlongTheRows",
     Shifted,
     [](Graphics& g, Image& i) {
         g.DrawImageFrame(&i, 0, 0, 5);
         g.DrawImageFrame(&i, 0, 0, 8);
         g.DrawImageFrame(&i, 0, 0, -1);
         g.StretchImageFrame(&i, Rect(0, 0, 10, 10), 6);
     },
     {"Blit img at 3,2 from 5,5,5,5 " + White,
      "StretchBlit img to 3,2,10,10 from 10,5,5,5 " + Whole + " " + White + " smooth"}},
    {"scaledFramesStretch",
     [](Graphics& g) { g.SetScale(2, 2, 0, 0); },
     [](Graphics& g, Image& i) { g.DrawImageFrame(&i, 1, 1, 1); },
     {"StretchBlit img to 2,2,10,10 from 5,0,5,5 " + Whole + " " + White + " smooth"}},
    {"matrixAndTrianglesPassTheBilinearSwitch",
     [](Graphics& g) {
         ShiftedTintedAdditive(g);
         g.SetBilinear(true);
         g.clipRect = Rect(1, 2, 30, 40);
     },
     [](Graphics& g, Image& i) {
         Matrix3 m;
         m.m02 = 7;
         g.DrawImageMatrix(&i, m, Rect(1, 2, 3, 4), 5, 6);
         g.DrawTexturedTriangles(&i, TexVertex{1, 2, 0, 0, 0}, TexVertex{5, 2, 1, 0, 0}, TexVertex{3, 9, 0, 1, 0});
         const TexVertex two[6] = {{0, 0}, {1, 0}, {0, 1}, {4, 4}, {5, 4}, {6, 5}};
         g.DrawTexturedTriangles(&i, two, 2);
         g.DrawTexturedTriangles(nullptr, two, 1);
     },
     {"BlitMatrix img at 8.5,8.25 [1.0000,0.0000,7.0000;0.0000,1.0000,0.0000;0.0000,0.0000,1.0000] clip 1,2,30,40 " +
          Tinted + " from 1,2,3,4 bilinear",
      "BlitTexturedTriangles img x1 from 1,2 to 3 clip 1,2,30,40 " + Tinted + " offset 3.5,2.25 bilinear",
      "BlitTexturedTriangles img x2 from 0,0 to 6 clip 1,2,30,40 " + Tinted + " offset 3.5,2.25 bilinear",
      "BlitTexturedTriangles none x1 from 0,0 to 0 clip 1,2,30,40 " + Tinted + " offset 3.5,2.25 bilinear"}},
    // The middle of the 20 x 10 image lands on the transformed point; the + 0.5 rounds the integer forms.
    {"translatedTransformIsAPart",
     Shifted,
     [](Graphics& g, Image& i) {
         g.DrawImageTransform(&i, Translated(2, 1), 10, 20);
         g.DrawImageTransformF(&i, Translated(2, 1), 10, 20);
         g.DrawImagePartTransform(&i, Translated(0, 0), Rect(0, 0, 4, 6), 10, 20);
         g.DrawImagePartTransformF(&i, Translated(0, 0), Rect(0, 0, 4, 6), 10, 20);
     },
     {"Blit img at 5,18 from 0,0,20,10 " + White, "BlitF img at 6,18.75 from 0,0,20,10 " + Whole + " " + White,
      "Blit img at 11,19 from 0,0,4,6 " + White, "BlitF img at 12,19.75 from 0,0,4,6 " + Whole + " " + White}},
    // Rotated about (10 - 2, 5 - 3); drawn at x + 1 - 8 + 0.5 and y + 1 - 2 + 0.5.
    {"rotatedTransformTurnsAboutTheShiftedMiddle",
     Shifted,
     [](Graphics& g, Image& i) {
         g.DrawImageTransform(&i, Turned(2, 3, 0.25f, 1, 1), 10, 20);
         g.DrawImageTransformF(&i, Turned(2, 3, 0.25f, 1, 1), 10, 20);
     },
     {"BlitRotated img at 6.5,21.25 from 0,0,20,10 " + Whole + " " + White + " angle 0.25 about 8,2",
      "BlitRotated img at 7,21.75 from 0,0,20,10 " + Whole + " " + White + " angle 0.25 about 8,2"}},
    {"mirroringTransformIsAMirroredPart",
     Shifted,
     [](Graphics& g, Image& i) {
         g.DrawImageTransform(&i, Scaled(-1, 1), 10, 20);
         g.DrawImageTransformF(&i, Scaled(-1, 1), 10.75f, 20);
     },
     {"BlitMirror img at 3,17 from 0,0,20,10 " + White, "BlitMirror img at 4,17 from 0,0,20,10 " + White}},
    {"scalingTransformStretchesAboutThePoint",
     Shifted,
     [](Graphics& g, Image& i) { g.DrawImageTransformF(&i, Scaled(2, 3), 30, 40); },
     {"StretchBlit img to 13,27,40,30 from 0,0,20,10 " + Whole + " " + White + " smooth"}},
    // Mirrored and stretched: the rectangle keeps a positive width, so that the stretch is drawn at all.
    {"mirroringAndScalingTransformIsAMirroredStretch",
     Shifted,
     [](Graphics& g, Image& i) {
         Transform t = Scaled(-1, 1);
         t.Scale(2, 1);
         g.DrawImageTransform(&i, t, 30, 40);
     },
     {"StretchBlitMirror img to 13,37,40,10 from 0,0,20,10 " + Whole + " " + White + " smooth"}},
    {"complexTransformIsAMatrixDraw",
     Shifted,
     [](Graphics& g, Image& i) {
         Transform t;
         t.Rotate(0.5f);
         t.Scale(2, 2);
         g.DrawImageTransform(&i, t, 30, 40);
     },
     {"BlitMatrix img at 33.5,42.25 [1.7552,0.9589,0.0000;-0.9589,1.7552,0.0000;0.0000,0.0000,1.0000] " + Whole + " " +
      White + " from 0,0,20,10 nearest"}},
    {"nullImageDrawsNothing",
     Shifted,
     [](Graphics& g, Image&) {
         g.DrawImage(nullptr, 0, 0);
         g.DrawImageF(nullptr, 0, 0);
         g.DrawImagePart(nullptr, 0, 0, Rect(0, 0, 1, 1));
         g.DrawImagePartMirror(nullptr, 0, 0, Rect(0, 0, 1, 1), true);
         g.DrawImageStretchedPart(nullptr, Rect(0, 0, 4, 4), Rect(0, 0, 1, 1), true);
         g.DrawImageRotated(nullptr, 0, 0, 1);
         g.DrawImageFrame(nullptr, 0, 0, 0);
         g.DrawImageMatrix(nullptr, Matrix3(), Rect(0, 0, 1, 1), 0, 0);
         g.DrawImageTransform(nullptr, Transform(), 0, 0);
         g.DrawTiledBox(Rect(0, 0, 50, 50), nullptr);
     },
     {}},
};

TEST_F(GraphicsImageDrawTest, EachDrawReachesItsBlitWithTheContextsArguments)
{
    for (const DispatchRow& row : DispatchRows) {
        dest.calls.clear();
        Graphics g(&dest);
        if (row.setup) {
            row.setup(g);
        }
        row.draw(g, img);
        EXPECT_EQ(dest.calls, row.expected) << row.name;
    }
}

TEST_F(GraphicsImageDrawTest, SubPixelTransformsOnThe3DScreenGoThroughTheMatrix)
{
    Display3D display;
    display.drawSurface = &dest;
    registry.SetDisplay(&display);
    Graphics g(&dest);
    g.DrawImageTransformF(&img, Translated(2, 1), 10, 20);
    g.DrawImageTransform(&img, Translated(2, 1), 10, 20);
    display.drawSurface = nullptr;
    g.DrawImageTransformF(&img, Translated(2, 1), 10, 20);
    registry.SetDisplay(nullptr);
    EXPECT_EQ(dest.calls,
              (std::vector<std::string>{
                  "BlitMatrix img at 10,20 [1.0000,0.0000,2.0000;0.0000,1.0000,1.0000;0.0000,0.0000,1.0000] " + Whole +
                      " " + White + " from 0,0,20,10 nearest",
                  "Blit img at 2,16 from 0,0,20,10 " + White,
                  "BlitF img at 2.5,16.5 from 0,0,20,10 " + Whole + " " + White}));
}

// The 30 x 30 box source cut into thirds: corners and edges 10 wide, drawn into 105 x 40 at (0, 0): 9
// middle columns for 85 pixels, the last cut by 5 through the narrowed clip, and 2 middle rows.
TEST_F(GraphicsImageDrawTest, TiledBoxRepeatsTheMiddleAndEdgesAndPlacesTheCornersOnce)
{
    Graphics g(&dest);
    g.clipRect = Rect(0, 0, 120, 60);
    g.DrawTiledBox(Rect(0, 0, 105, 40), &box);
    auto blit = [](int x, int y, Rect from) {
        return "Blit box at " + std::to_string(x) + "," + std::to_string(y) + " from " + Describe(from) + " " + White;
    };
    std::vector<std::string> expected;
    for (int i = 0; i < 9; ++i) {
        for (int j = 0; j < 2; ++j) {
            expected.push_back(blit(10 + 10 * i, 10 + 10 * j, Rect(10, 10, i == 8 ? 5 : 10, 10)));
        }
    }
    for (int j = 0; j < 2; ++j) {
        expected.push_back(blit(0, 10 + 10 * j, Rect(0, 10, 10, 10)));
        expected.push_back(blit(95, 10 + 10 * j, Rect(20, 10, 10, 10)));
    }
    for (int i = 0; i < 9; ++i) {
        expected.push_back(blit(10 + 10 * i, 0, Rect(10, 0, i == 8 ? 5 : 10, 10)));
        expected.push_back(blit(10 + 10 * i, 30, Rect(10, 20, i == 8 ? 5 : 10, 10)));
    }
    expected.push_back(blit(0, 0, Rect(0, 0, 10, 10)));
    expected.push_back(blit(95, 0, Rect(20, 0, 10, 10)));
    expected.push_back(blit(0, 30, Rect(0, 20, 10, 10)));
    expected.push_back(blit(95, 30, Rect(20, 20, 10, 10)));
    EXPECT_EQ(dest.calls, expected);
    EXPECT_EQ(g.clipRect, Rect(0, 0, 120, 60));
}

TEST_F(GraphicsImageDrawTest, ScaledTiledBoxKeepsTheContextsClipForEveryTile)
{
    Graphics g(&dest);
    g.SetScale(0.5f, 1, 0, 0);
    g.DrawTiledBoxPart(Rect(0, 0, 3, 3), Rect(0, 0, 5, 3), &box);
    // Source 3 x 3 into 5 x 3: 3 middle columns of width 1, one middle row; positions halved, sizes ceil(0.5).
    std::vector<std::string> expected;
    auto stretch = [](int x, int y, int h, Rect from) {
        return "StretchBlit box to " + std::to_string(x) + "," + std::to_string(y) + ",1," + std::to_string(h) +
               " from " + Describe(from) + " " + Whole + " " + White + " smooth";
    };
    for (int i = 0; i < 3; ++i) {
        expected.push_back(stretch((1 + i) / 2, 1, 1, Rect(1, 1, 1, 1)));
    }
    expected.push_back(stretch(0, 1, 1, Rect(0, 1, 1, 1)));
    expected.push_back(stretch(2, 1, 1, Rect(2, 1, 1, 1)));
    for (int i = 0; i < 3; ++i) {
        expected.push_back(stretch((1 + i) / 2, 0, 1, Rect(1, 0, 1, 1)));
        expected.push_back(stretch((1 + i) / 2, 2, 1, Rect(1, 2, 1, 1)));
    }
    expected.push_back(stretch(0, 0, 1, Rect(0, 0, 1, 1)));
    expected.push_back(stretch(2, 0, 1, Rect(2, 0, 1, 1)));
    expected.push_back(stretch(0, 2, 1, Rect(0, 2, 1, 1)));
    expected.push_back(stretch(2, 2, 1, Rect(2, 2, 1, 1)));
    EXPECT_EQ(dest.calls, expected);
}

TEST_F(GraphicsImageDrawTest, HugeTiledBoxVisitsOnlyTheTilesThatCanShow)
{
    Graphics g(&dest);
    g.TranslateF(-1000000, -500000);
    // Two billion tiles each way, of which the 100 x 80 middle ones under the image reach it.
    g.DrawTiledBoxPart(Rect(0, 0, 3, 3), Rect(0, 0, 2000000000, 2000000000), &box);
    EXPECT_EQ(dest.calls.size(), 100u * 80u);
    EXPECT_EQ(dest.calls.front(), "Blit box at 0,0 from 1,1,1,1 " + White);
    dest.calls.clear();
    g.DrawTiledBoxPart(Rect(0, 0, 3, 3), Rect(INT_MAX - 10, INT_MIN + 10, INT_MAX, INT_MAX), &box);
    EXPECT_TRUE(dest.calls.empty());
}

} // namespace
