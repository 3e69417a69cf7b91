// An application initialised on SDL's dummy video driver, with its settings and user data in a
// temporary folder and a manual clock, so that window, input and life-cycle tests run headless.
#pragma once

#include "app/TolmAppBase.h"
#include "platform/Clock.h"
#include "platform/MessagePump.h"
#include "platform/VideoSystem.h"
#include "platform/Window.h"
#include "support/TempFolder.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <vector>

template <typename App>
class AppFixture : public testing::Test
{
protected:
    AppFixture()
    {
        setenv("SDL_VIDEODRIVER", "dummy", 0);
        setenv("XDG_CONFIG_HOME", (temp.Path() + "config").c_str(), 1);
        setenv("XDG_DATA_HOME", (temp.Path() + "data").c_str(), 1);
        Platform::SetClock(&clock);
        Platform::InitVideo();
        Platform::MessagePump::Main().DiscardPending();
    }
    ~AppFixture() override
    {
        app.reset();
        Platform::MessagePump::Main().DiscardPending();
        Platform::SetClock(nullptr);
        unsetenv("XDG_CONFIG_HOME");
        unsetenv("XDG_DATA_HOME");
    }

    // A windowed 800 x 600 application of a test product, initialised.
    App& StartApp()
    {
        app = std::make_unique<App>();
        app->companyName = "Test Company";
        app->productName = "TestProduct";
        app->title = "Test Title";
        app->registryKey = "Test Company\\TestProduct";
        app->width = 800;
        app->height = 600;
        app->Init();
        return *app;
    }

    // What the message pump holds goes through the window procedure, as the loop's input step does.
    void PumpMessages()
    {
        Platform::Message message;
        while (Platform::MessagePump::Main().PeekMessage(message)) {
            Tolm::TolmAppBase::WindowProc(message.window, message.message, message.wParam, message.lParam);
        }
    }

    Platform::WindowHandle Main() const { return app->MainWindowHandle(); }

    TempFolder temp;
    Platform::ManualClock clock{uint64_t(5000) * 1000000};
    std::unique_ptr<App> app;
};

// Keeps the working folder, and records what the tests look for.
class RecordingApp : public Tolm::TolmAppBase
{
public:
    RecordingApp() { windowed = true; }
    bool KeepCurrentDirectory(const std::string&) override { return true; }
    void BringToFront(Platform::WParam wParam, Platform::LParam lParam) override
    {
        frontRequests.push_back({wParam, lParam});
        TolmAppBase::BringToFront(wParam, lParam);
    }
    void ButtonPressed(int id) override { buttonsPressed.push_back(id); }
    void ButtonClicked(int id) override { buttonsClicked.push_back(id); }
    void GotFocus() override { ++focusGained; }
    void LostFocus() override { ++focusLost; }

    struct Request
    {
        Platform::WParam wParam;
        Platform::LParam lParam;
    };
    std::vector<Request> frontRequests;
    std::vector<int> buttonsPressed;
    std::vector<int> buttonsClicked;
    int focusGained = 0;
    int focusLost = 0;
};
