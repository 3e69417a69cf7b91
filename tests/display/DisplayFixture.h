// A display on SDL's dummy driver: an application that is never started (800 x 600, no capability test),
// a window for it, our DirectDraw on a pretended desktop, and the debugger output collected. Everything
// is put back afterwards, and no surface may outlive the test.
#pragma once

#include "app/TolmAppBase.h"
#include "display/DDImage.h"
#include "display/DDInterface.h"
#include "platform/DebugOutput.h"
#include "platform/DirectDrawSeam.h"
#include "platform/Library.h"
#include "platform/MessagePump.h"
#include "platform/Window.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <memory>
#include <string>

class CollectedOutput : public Platform::DebugOutputSink
{
public:
    void Write(const std::string& text) override { lines += text; }
    std::string lines;
};

class DisplayTest : public testing::Test
{
protected:
    void SetUp() override
    {
        setenv("SDL_VIDEODRIVER", "dummy", 0);
        ASSERT_TRUE(Platform::InitVideo());
        Platform::DirectDrawSeam::Reset();
        Platform::DirectDrawSeam::SetDesktop({1024, 768, Platform::SurfaceLayout::Xrgb8888, 60});
        Platform::SetDebugOutputSink(&output);
        baselineSurfaces = Platform::DirectDrawSeam::LiveSurfaceCount();
        MakeApp();
    }
    void TearDown() override
    {
        display.reset();
        app.reset();
        window.reset();
        Platform::SetDebugOutputSink(nullptr);
        EXPECT_EQ(Platform::DirectDrawSeam::LiveSurfaceCount(), baselineSurfaces) << "a surface was left alive";
        EXPECT_EQ(Platform::DirectDrawSeam::CanaryViolations(), 0);
        Platform::DirectDrawSeam::Reset();
        Platform::InstallDefaultLibraries();
        Platform::MessagePump::Main().DiscardPending();
    }

    // A new application with its display; the library table as it stands is what it loads.
    void MakeApp()
    {
        display.reset();
        app.reset();
        app = std::make_unique<Tolm::TolmAppBase>();
        app->width = 800;
        app->height = 600;
        app->autoEnable3D = false;
        display = std::make_unique<Tolm::DDInterface>(app.get());
    }

    // The window the display is set up on: an 800 x 600 window at (100, 50), or the full-screen one.
    Platform::WindowHandle MakeWindow(bool fullScreen)
    {
        window.reset();
        window = Platform::Window::Create("Display", {100, 50, 800, 600, fullScreen});
        return window ? window->Handle() : 0;
    }

    int InitWindowed() { return display->Init(MakeWindow(false), true); }
    int InitFullScreen() { return display->Init(MakeWindow(true), false); }

    CollectedOutput output;
    int baselineSurfaces = 0;
    std::unique_ptr<Platform::Window> window;
    std::unique_ptr<Tolm::TolmAppBase> app;
    std::unique_ptr<Tolm::DDInterface> display;
};
