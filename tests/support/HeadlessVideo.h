// SDL's video started with the dummy driver, for tests that need windows or the event queue but must
// never open anything on a real desktop.
#pragma once

#include "platform/MessagePump.h"
#include "platform/VideoSystem.h"

#include <cstdlib>
#include <gtest/gtest.h>

class HeadlessVideoTest : public testing::Test
{
protected:
    void SetUp() override
    {
        setenv("SDL_VIDEODRIVER", "dummy", 0);
        ASSERT_TRUE(Platform::InitVideo());
        Platform::MessagePump::Main().DiscardPending();
    }
    void TearDown() override { Platform::MessagePump::Main().DiscardPending(); }
};
