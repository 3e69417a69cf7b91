// The 2D display's screen image, which the game draws into when it runs without 3D: a display on SDL's
// dummy driver, on a desktop of the layout given, whose screen image holds its draw surface in system
// memory, the surface's own routines serving the draws. The frame benchmarks draw into it beside the
// memory image. Only one display lives at a time (the images know one display), so each benchmark makes
// its own and lets it go at its end; the game's pictures stay as they were loaded.
#pragma once

#include "app/TolmAppBase.h"
#include "display/DDImage.h"
#include "display/DDInterface.h"
#include "platform/DirectDrawSeam.h"
#include "platform/VideoSystem.h"
#include "platform/Window.h"

#include <benchmark/benchmark.h>
#include <cstdlib>
#include <memory>

class SurfaceScreen
{
public:
    SurfaceScreen(Tolm::TolmAppBase& app, Platform::SurfaceLayout layout)
    {
        setenv("SDL_VIDEODRIVER", "dummy", 0);
        Platform::InitVideo();
        Platform::DirectDrawSeam::SetDesktop({1024, 768, layout, 60});
        app.autoEnable3D = false;
        display = std::make_unique<Tolm::DDInterface>(&app);
        window = Platform::Window::Create("Bench", {0, 0, app.width, app.height, false});
        ready = window && display->Init(window->Handle(), true) == Tolm::kResultOk && display->GetScreenImage();
    }
    ~SurfaceScreen()
    {
        display.reset();
        window.reset();
        Platform::DirectDrawSeam::Reset();
    }
    SurfaceScreen(const SurfaceScreen&) = delete;
    SurfaceScreen& operator=(const SurfaceScreen&) = delete;

    bool Ready(benchmark::State& state) const
    {
        if (!ready) {
            state.SkipWithError("no display");
        }
        return ready;
    }

    Tolm::DDImage& Image() const { return *display->GetScreenImage(); }

    // A frame drawn by `draw` under one lock of the surface, as the widget manager takes one around its
    // draw.
    template <typename Draw>
    void Frame(Draw draw) const
    {
        Tolm::DDImage& image = Image();
        image.LockSurface();
        draw(image);
        image.UnlockSurface();
    }

    // The frames drawn by `draw` into the screen image, after one untimed frame that makes the pictures'
    // display-format words.
    template <typename Draw>
    void Measure(benchmark::State& state, Draw draw) const
    {
        Frame(draw);
        for (auto _ : state) {
            Frame(draw);
            benchmark::DoNotOptimize(display->GetScreenImage()->lockDesc.surface);
        }
    }

private:
    std::unique_ptr<Tolm::DDInterface> display;
    std::unique_ptr<Platform::Window> window;
    bool ready = false;
};
