// What the tests of the game's own windows share: the window furniture declared at the sizes the data
// set draws (the window pictures, 240 x 40 buttons, the fonts, the lights, the sounds), clicks and keys
// through the widget manager, the texts the windows look up, and the screen-mode switch recorded
// instead of made.
#pragma once

#include "ScreensFixture.h"
#include "core/StringUtils.h"
#include "widgets/WidgetManager.h"
#include "windows/BaseWindow.h"
#include "windows/WindowEffects.h"

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

class GameWindowsTest : public ScreensTest
{
protected:
    using Strings = std::vector<std::string>;

    GameWindowsTest()
    {
        for (const char* id : {"UI_WINDOW_BUTTON", "UI_WINDOW_BUTTON_DOWN", "UI_WINDOW_BUTTON_MASK"}) {
            Picture(id, 240, 40);
        }
        Picture("UI_WINDOW_CONFIRM", 400, 360);
        Picture("UI_WINDOW_CONTINUE", 400, 440);
        Picture("UI_WINDOW_OPTIONS", 400, 500);
        Picture("UI_WINDOW_PAUSE", 400, 440);
        Picture("HINT_WINDOW_PEOPLE", 480, 300);
        Picture("UI_WINDOW_LIGHT", 10, 10);
        Picture("UI_WINDOW_LIGHT_GLOW", 20, 20);
        Picture("UI_SLIDER", 240, 24);
        Picture("UI_SLIDER_THUMB", 26, 32);
        Picture("UI_SLIDER_LABEL", 210, 30);
        Picture("UI_CHECKBOX", 36, 36);
        Picture("UI_CHECKBOX_CHECKED", 36, 36);
        for (const char* id : {"FONT_WINDOW_TITLE", "FONT_WINDOW_TEXT", "FONT_WINDOW_TEXT_DARK", "FONT_BUTTON",
                               "FONT_HINT_WINDOW_TEXT"}) {
            Font(id, 10);
        }
        Sounds({"SOUND_SHOW_WINDOW", "SOUND_HIDE_WINDOW", "SOUND_BUTTON_ENTER", "SOUND_BUTTON_DOWN", "SOUND_SFX_SLIDER",
                "SOUND_CHECKBOX", "SOUND_PEOPLE_BONUS_APPEAR", "SOUND_HIDE_HINT_WINDOW"});
    }
    ~GameWindowsTest() override { app->onUpdate = nullptr; }

    void Text(const std::string& id, const std::string& text) { app->SetStringProperty(id, Tolm::StringToWide(text)); }

    // A press and release of the left button at the screen point, as the player clicks.
    void Click(int x, int y)
    {
        app->widgetManager->MouseMove(x, y);
        app->widgetManager->MouseDown(x, y, 1);
        app->widgetManager->MouseUp(x, y, 1);
    }
    void Key(int keyCode) { app->widgetManager->KeyDown(keyCode); }

    // Shows the window with ShowWindowModal and runs the script's step at each update after the show began
    // (1 is the first update of the wait).
    int Show(BaseWindow* window, const std::function<void(int)>& script)
    {
        int start = app->updateCount;
        app->onUpdate = [&](int update) { script(update - start); };
        int result = ShowWindowModal(window, 1, 2);
        app->onUpdate = nullptr;
        return result;
    }

    // The window effects in the widget manager, of the kind.
    template <typename Effect>
    int EffectsOf(BaseWindow* window)
    {
        const auto& children = app->widgetManager->GetChildren();
        return int(std::count_if(children.begin(), children.end(), [window](Tolm::Widget* widget) {
            auto* effect = dynamic_cast<Effect*>(widget);
            return effect && effect->window == window;
        }));
    }

    // Sounds other than the buttons' own.
    Strings WindowSounds()
    {
        Strings taken = sounds.Take();
        taken.erase(std::remove_if(taken.begin(), taken.end(),
                                   [](const std::string& id) { return id.rfind("SOUND_BUTTON_", 0) == 0; }),
                    taken.end());
        return taken;
    }
};
