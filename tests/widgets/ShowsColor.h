// Whether a drawn pixel shows a colour. Blending an image onto a clear screen may lose one step of each
// channel, which is the renderer's business; the widget tests check what is drawn where.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <gtest/gtest.h>

inline testing::AssertionResult Shows(uint32_t pixel, uint32_t color)
{
    for (int shift = 0; shift < 32; shift += 8) {
        if (std::abs(int((pixel >> shift) & 0xFF) - int((color >> shift) & 0xFF)) > 1) {
            return testing::AssertionFailure() << std::hex << pixel << " is not " << color;
        }
    }
    return testing::AssertionSuccess();
}
