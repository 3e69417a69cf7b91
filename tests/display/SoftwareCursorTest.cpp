// The display's software cursor, which the game leaves without a picture: given one here, it is saved,
// drawn, moved between frames from another thread and taken out of the frame again.
#include "DisplayFixture.h"
#include "graphics/Graphics.h"

#include <atomic>
#include <thread>

using Platform::DDSURFACEDESC2;

class SoftwareCursorTest : public DisplayTest
{
protected:
    static constexpr uint32_t kCursor = 0xFF0000;

    void SetUp() override
    {
        DisplayTest::SetUp();
        ASSERT_EQ(InitWindowed(), Tolm::kResultOk) << display->errorText;
        cursor.Create(8, 8);
        std::fill(cursor.GetBits(), cursor.GetBits() + 64, 0xFF000000u | kCursor);
        cursor.NoteBitsChanged();
        Tolm::DDImage& screen = *display->GetScreenImage();
        ASSERT_TRUE(screen.LockSurface());
        screen.FillRect(Tolm::Rect(0, 0, 800, 600), Tolm::Color(0x20, 0x30, 0x40), 0);
        screen.UnlockSurface();
    }

    // Pixels of the colour inside the window's part of the primary.
    int CountOnPrimary(uint32_t colour, Platform::IDirectDrawSurface* surface, int left, int top)
    {
        DDSURFACEDESC2 desc;
        EXPECT_EQ(surface->Lock(nullptr, &desc, Platform::DDLOCK_WAIT | Platform::DDLOCK_READONLY), Platform::DD_OK);
        int count = 0;
        for (int y = top; y < top + 600; ++y) {
            const auto* row = reinterpret_cast<const uint32_t*>(static_cast<uint8_t*>(desc.surface) + y * desc.pitch);
            for (int x = left; x < left + 800; ++x) {
                count += (row[x] & 0xFFFFFF) == colour ? 1 : 0;
            }
        }
        surface->Unlock(nullptr);
        return count;
    }

    Tolm::MemoryImage cursor;
};

TEST_F(SoftwareCursorTest, WithoutAPictureNothingIsDrawn)
{
    display->SetCursorPosition(400, 300);
    EXPECT_TRUE(display->Redraw(nullptr));
    EXPECT_EQ(CountOnPrimary(kCursor, display->primarySurface, 100, 50), 0);
    EXPECT_FALSE(display->cursorShown);
}

TEST_F(SoftwareCursorTest, MovesFromAnotherThreadLeaveTheFrameAndOneCursor)
{
    EXPECT_TRUE(display->SetCursorImage(&cursor));
    EXPECT_FALSE(display->SetCursorImage(&cursor));
    display->StoreCursorPosition(400, 300);
    ASSERT_TRUE(display->Redraw(nullptr));
    std::atomic<bool> moving{true};
    std::thread mouse([&] {
        for (int i = 0; i < 10000; ++i) {
            // Small steps that overlap the last place and jumps that do not, all inside the window.
            int x = 20 + (i * (i % 7 == 0 ? 97 : 3)) % 760;
            int y = 20 + (i * (i % 5 == 0 ? 61 : 2)) % 560;
            display->SetCursorPosition(x, y);
        }
        moving = false;
    });
    while (moving) {
        EXPECT_TRUE(display->Redraw(nullptr));
    }
    mouse.join();
    EXPECT_EQ(CountOnPrimary(kCursor, display->primarySurface, 100, 50), 64) << "one whole cursor";
    DDSURFACEDESC2 desc;
    ASSERT_EQ(display->drawSurface->Lock(nullptr, &desc, Platform::DDLOCK_WAIT | Platform::DDLOCK_READONLY),
              Platform::DD_OK);
    uint32_t frame = *static_cast<uint32_t*>(desc.surface) & 0xFFFFFF;
    display->drawSurface->Unlock(nullptr);
    EXPECT_EQ(CountOnPrimary(frame, display->primarySurface, 100, 50), 800 * 600 - 64) << "no trace of a move";
    EXPECT_EQ(CountOnPrimary(kCursor, display->drawSurface, 0, 0), 0) << "the frame itself keeps no cursor";
}

TEST_F(SoftwareCursorTest, ACursorAtTheEdgeIsCutToThePicture)
{
    display->SetCursorImage(&cursor);
    display->StoreCursorPosition(797, 2);
    ASSERT_TRUE(display->Redraw(nullptr));
    // Columns 793 to 799 and rows 0 to 5 of the 8 x 8 picture centred in its 64 x 64 area.
    EXPECT_EQ(CountOnPrimary(kCursor, display->primarySurface, 100, 50), 7 * 6);
    display->SetCursorPosition(400, 300);
    EXPECT_EQ(CountOnPrimary(kCursor, display->primarySurface, 100, 50), 64);
    display->SetCursorImage(nullptr);
    display->SetCursorPosition(420, 300);
    EXPECT_FALSE(display->cursorShown);
}
