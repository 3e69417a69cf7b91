// What the tests of the game's widgets and windows share: an application that is never started, with a
// screen image, a manual clock that only its own sleeps move, its sounds recorded, and the resources the
// code asks for declared by the test. Frames() steps updates by hand; a modal wait runs the real main
// loop, which on this clock makes one update, one fractional update and one draw per 10 ms.
#pragma once

#include "display/DDImage.h"
#include "platform/Clock.h"
#include "support/FixedWidthFont.h"
#include "support/SoundRecorder.h"
#include "support/SteppedApp.h"
#include "support/TestResources.h"
#include "windows/BaseWindow.h"

#include <functional>
#include <gtest/gtest.h>
#include <list>
#include <memory>
#include <string>
#include <vector>

class ScreensApp : public SteppedApp
{
public:
    ScreensApp()
    {
        screen.Create(width, height);
        widgetManager->screenImage = &screen;
    }
    ~ScreensApp() override
    {
        widgetManager->RemoveAllWidgets(false, false);
        widgetManager->screenImage = nullptr;
    }

    void Update() override
    {
        SteppedApp::Update();
        if (onUpdate) {
            onUpdate(updateCount);
        }
    }

    // There is no display to switch: the switches asked for are noted, each the windowed flag asked.
    void SwitchScreenModeTo(bool toWindowed) override { screenModeSwitches.push_back(toWindowed); }

    Tolm::MemoryImage screen;
    std::vector<bool> screenModeSwitches;
    // Runs after each update's widget walk, with the update count.
    std::function<void(int)> onUpdate;
};

class ScreensTest : public testing::Test
{
protected:
    // The application reads the clock when it is made.
    ScreensTest()
    {
        Platform::SetClock(&clock);
        app = std::make_unique<ScreensApp>();
        InstallSoundRecorder(*app, sounds);
        resources = &InstallTestResources(*app, &sounds);
    }
    ~ScreensTest() override
    {
        ForceWindowEffects(false);
        // Windows shown from the test itself are queued outside any loop step.
        app->DeleteDeferredWidgets();
        app.reset();
        Platform::SetClock(nullptr);
    }

    // A picture of one colour, declared under the id, a surface image as loaded pictures are; it lives as
    // long as the test.
    Tolm::DDImage* Picture(const std::string& id, int width, int height, uint32_t color = 0xFFFFFFFF)
    {
        Tolm::DDImage& image = pictures.emplace_back();
        image.Create(width, height);
        std::fill(image.GetBits(), image.GetBits() + width * height, color);
        image.NoteBitsChanged();
        if (!id.empty()) {
            resources->DeclareImage(id, &image);
        }
        return &image;
    }
    void Font(const std::string& id, int charWidth, int ascent = 12, int height = 16)
    {
        FixedWidthFont font(charWidth, ascent, height);
        resources->DeclareFont(id, font);
    }
    void Sounds(std::initializer_list<const char*> ids)
    {
        for (const char* id : ids) {
            resources->DeclareSound(id);
        }
    }

    Platform::ManualClock clock{uint64_t(1000) * 1000000000};
    std::unique_ptr<ScreensApp> app;
    SoundRecorder sounds;
    TestResourceManager* resources = nullptr;
    std::list<Tolm::DDImage> pictures;
};
