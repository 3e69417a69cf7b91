// System-font text onto display images: written into the surface through its device context, one row
// below where the image path puts it, cut by the clip rectangle, with the frame's lock given back.
#include "DisplayFixture.h"
#include "graphics/Graphics.h"
#include "graphics/SysFont.h"

#include <vector>

using namespace Tolm;

namespace {

class SurfaceTextTest : public DisplayTest
{
protected:
    void SetUp() override
    {
        DisplayTest::SetUp();
        ASSERT_EQ(InitWindowed(), kResultOk);
        screen = std::make_unique<DDImage>(display.get());
        screen->Create(60, 30);
        screen->ForceAlphaFlags(false, false);
        screen->FillRect(Rect(0, 0, 60, 30), Color(0, 0, 0), 0);
    }
    void TearDown() override
    {
        screen.reset();
        DisplayTest::TearDown();
    }

    // Rows with a pixel brighter than half, from the top.
    static std::vector<int> LitRows(MemoryImage& image)
    {
        std::vector<int> rows;
        const uint32_t* pixels = image.GetBits();
        for (int y = 0; y < image.height; ++y) {
            for (int x = 0; x < image.width; ++x) {
                if ((pixels[y * image.width + x] & 0xFF) > 127) {
                    rows.push_back(y);
                    break;
                }
            }
        }
        return rows;
    }

    static int LitColumnsFrom(MemoryImage& image, int firstColumn)
    {
        int lit = 0;
        const uint32_t* pixels = image.GetBits();
        for (int y = 0; y < image.height; ++y) {
            for (int x = firstColumn; x < image.width; ++x) {
                lit += (pixels[y * image.width + x] & 0xFF) > 127 ? 1 : 0;
            }
        }
        return lit;
    }

    std::unique_ptr<DDImage> screen;
    SysFont font{"DejaVu Sans", 14, false, false, false};
};

} // namespace

TEST_F(SurfaceTextTest, TextIsWrittenIntoTheSurfaceOneRowBelowTheImagePath)
{
    ASSERT_TRUE(screen->LockSurface());
    Graphics onSurface(screen.get());
    onSurface.SetFont(&font);
    onSurface.SetColor(Color(255, 255, 255));
    onSurface.DrawString("Hg", 5, 20);
    EXPECT_EQ(screen->lockCount, 1);
    EXPECT_NE(screen->lockDesc.surface, nullptr) << "the frame's lock is taken again";
    EXPECT_EQ(screen->bits, nullptr) << "the surface is the only copy";
    screen->UnlockSurface();

    MemoryImage plain;
    plain.Create(60, 30);
    plain.ForceAlphaFlags(false, false);
    plain.FillRect(Rect(0, 0, 60, 30), Color(0, 0, 0), 0);
    Graphics inImage(&plain);
    inImage.SetFont(&font);
    inImage.SetColor(Color(255, 255, 255));
    inImage.DrawString("Hg", 5, 20);

    std::vector<int> surfaceRows = LitRows(*screen);
    std::vector<int> imageRows = LitRows(plain);
    ASSERT_FALSE(imageRows.empty());
    ASSERT_EQ(surfaceRows.size(), imageRows.size());
    for (std::size_t i = 0; i < imageRows.size(); ++i) {
        EXPECT_EQ(surfaceRows[i], imageRows[i] + 1);
    }
}

TEST_F(SurfaceTextTest, ClipRectangleCutsTheTextAndAFailedDeviceContextDrawsNothing)
{
    Graphics g(screen.get());
    g.SetFont(&font);
    g.SetColor(Color(255, 255, 255));
    g.IntersectClip(0, 0, 12, 30);
    g.DrawString("WWW", 2, 20);
    EXPECT_GT(LitColumnsFrom(*screen, 0), 0);
    EXPECT_EQ(LitColumnsFrom(*screen, 12), 0);

    screen->FillRect(Rect(0, 0, 60, 30), Color(0, 0, 0), 0);
    Platform::DirectDrawSeam::FailCall("GetDC", Platform::DDERR_CANTCREATEDC);
    Graphics unclipped(screen.get());
    unclipped.SetFont(&font);
    unclipped.DrawString("WWW", 2, 20);
    EXPECT_EQ(LitColumnsFrom(*screen, 0), 0);
}
