// The options and pause windows: the values they open with, the volumes and the mouse speed while the
// sliders move, the effects sample on release only, the full-screen box applied by Back and by Esc, the
// "No Windowed Mode" message, and the pause window's choices.
#include "GameWindowsFixture.h"
#include "gamewidgets/BaseCheckbox.h"
#include "gamewidgets/BaseSlider.h"
#include "widgets/Dialog.h"
#include "windows/OptionsWindow.h"
#include "windows/PauseWindow.h"

namespace {

// The options window (400 x 500) stands at (200, 50): its sliders' tracks (240 x 24) at x 280 and y 180,
// 264 and 347, the box (36 x 36) at (494, 381), Back's centre at (400, 494). The pause window (400 x 440)
// stands at (200, 80): its effects slider at y 290, its buttons' centres at y 367, 415 and 463.
constexpr int kTrackX = 280;
constexpr int kOptionsSfxY = 264 + 12;
constexpr int kOptionsMusicY = 180 + 12;

class SettingsWindowsTest : public GameWindowsTest
{
protected:
    ~SettingsWindowsTest() override
    {
        delete OptionsWindow::RegisteredInstance();
        delete PauseWindow::RegisteredInstance();
    }

    // The screen x of a value on a slider whose track starts at kTrackX: the thumb's middle there.
    static int ThumbX(double value) { return kTrackX + int((240 - 26) * value) + 13; }
};

} // namespace

TEST_F(SettingsWindowsTest, TheMouseSliderMapsSensitivityPointTwoToOnePointSevenOntoItsTrack)
{
    struct Case
    {
        const char* name;
        float sensitivity;
        double slider;
    };
    // (s - 0.2) x 2/3, clamped to the track.
    const Case opening[] = {
        {"the middle", 0.95f, 0.5},         {"the low end", 0.2f, 0.0},       {"the high end", 1.7f, 1.0},
        {"a stored 3.0 clamps", 3.0f, 1.0}, {"a stored 0 clamps", 0.0f, 0.0}, {"the default 1.0", 1.0f, 0.8 / 1.5},
    };
    for (const Case& c : opening) {
        app->mouseSensitivity = c.sensitivity;
        auto* window = new OptionsWindow();
        EXPECT_NEAR(window->mouseSlider->value, c.slider, 1e-6) << c.name;
        delete window;
    }
    // value x 1.5 + 0.2.
    const Case moving[] = {{"to the end", 1.7f, 1.0}, {"to the start", 0.2f, 0.0}, {"half-way", 0.95f, 0.5}};
    auto* window = new OptionsWindow();
    for (const Case& c : moving) {
        window->SliderMoved(3, c.slider);
        EXPECT_FLOAT_EQ(app->mouseSensitivity, c.sensitivity) << c.name;
    }
    delete window;
}

TEST_F(SettingsWindowsTest, VolumesFollowTheSlidersAndTheEffectsSamplePlaysOnReleaseOnly)
{
    app->SetMusicVolume(0.25);
    app->SetSfxVolume(0.75);
    auto* window = OptionsWindow::Instance();
    EXPECT_DOUBLE_EQ(window->musicSlider->value, 0.25);
    EXPECT_DOUBLE_EQ(window->sfxSlider->value, 0.75);
    double sfxWhileDragging = -1;
    double musicAfterClick = -1;
    Strings soundsWhileDragging;
    Strings soundsAfterRelease;
    Strings soundsAfterTrackClick;
    Show(window, [&](int step) {
        Tolm::WidgetManager& manager = *app->widgetManager;
        if (step == 2) {
            WindowSounds();
            manager.MouseMove(ThumbX(0.75), kOptionsSfxY);
            manager.MouseDown(ThumbX(0.75), kOptionsSfxY, 1);
        }
        if (step >= 3 && step < 8) {
            manager.MouseMove(ThumbX(0.75 - 0.1 * (step - 2)), kOptionsSfxY);
        }
        if (step == 8) {
            sfxWhileDragging = app->GetSfxVolume();
            soundsWhileDragging = WindowSounds();
            manager.MouseUp(ThumbX(0.25), kOptionsSfxY, 1);
            soundsAfterRelease = WindowSounds();
        }
        if (step == 10) {
            Click(ThumbX(0.9), kOptionsMusicY);
            musicAfterClick = app->GetMusicVolume();
            Click(kTrackX + 120, kOptionsSfxY);
            soundsAfterTrackClick = WindowSounds();
            Key(27);
        }
    });
    EXPECT_NEAR(sfxWhileDragging, 0.25, 0.01) << "the volume moves with the thumb";
    EXPECT_TRUE(soundsWhileDragging.empty());
    EXPECT_EQ(soundsAfterRelease, Strings{"SOUND_SFX_SLIDER"});
    EXPECT_NEAR(app->GetSfxVolume(), 0.5, 0.01);
    EXPECT_GT(musicAfterClick, 0.8) << "the music volume changes as the slider is clicked";
    EXPECT_EQ(soundsAfterTrackClick, Strings{"SOUND_SFX_SLIDER"}) << "a click on the track is a release too";
}

TEST_F(SettingsWindowsTest, BackAndEscBothApplyTheFullScreenBox)
{
    struct Case
    {
        const char* name;
        bool windowed;
        bool clickBox;
        bool useEsc;
        bool asked;
    };
    const Case cases[] = {
        {"full screen kept by Back", false, false, false, false},
        {"full screen kept by Esc", false, false, true, false},
        {"a window kept by Esc", true, false, true, true},
        {"unchecked: a window, by Back", false, true, false, true},
        {"unchecked: a window, by Esc", false, true, true, true},
        {"checked: full screen, by Esc", true, true, true, false},
    };
    for (const Case& c : cases) {
        app->windowed = c.windowed;
        app->screenModeSwitches.clear();
        auto* window = OptionsWindow::Instance();
        EXPECT_EQ(window->fullscreenCheckbox->IsChecked(), !c.windowed) << c.name;
        int result = Show(window, [&](int step) {
            if (step == 2 && c.clickBox) {
                Click(494 + 18, 381 + 18);
            }
            if (step == 3) {
                c.useEsc ? Key(27) : Click(400, 494);
            }
        });
        EXPECT_EQ(result, 0) << c.name;
        EXPECT_EQ(app->screenModeSwitches, std::vector<bool>{c.asked}) << c.name;
    }
}

TEST_F(SettingsWindowsTest, WithoutAWindowedModeUncheckingFullScreenExplainsAndChecksTheBoxAgain)
{
    app->windowed = false;
    app->windowedUnavailable = true;
    auto* window = OptionsWindow::Instance();
    Tolm::Dialog* message = nullptr;
    bool checkedAgain = false;
    Strings soundsOfTheClick;
    Show(window, [&](int step) {
        if (step == 2) {
            WindowSounds();
            Click(494 + 18, 381 + 18);
            soundsOfTheClick = WindowSounds();
            checkedAgain = window->fullscreenCheckbox->IsChecked();
            message = app->GetDialog(6);
            ASSERT_NE(message, nullptr);
            EXPECT_TRUE(message->IsModal());
            EXPECT_EQ(message->header, "No Windowed Mode");
            EXPECT_EQ(message->lines,
                      "Windowed mode is only available if your desktop is running in\n\t\t\t\teither 16 "
                      "bit or 32 bit color mode, which it is not.");
            EXPECT_EQ(message->footer, "OK");
            EXPECT_EQ(message->buttonMode, 3);
            app->KillDialogId(6);
        }
        if (step == 3) {
            Key(27);
        }
    });
    EXPECT_TRUE(checkedAgain);
    EXPECT_EQ(soundsOfTheClick, (Strings{"SOUND_CHECKBOX", "SOUND_CHECKBOX"}));
    EXPECT_EQ(app->screenModeSwitches, std::vector<bool>{false}) << "the display stays full screen";
}

TEST_F(SettingsWindowsTest, PauseChoicesByButtonAndEsc)
{
    struct Case
    {
        const char* name;
        int clickY;
        int result;
    };
    const Case cases[] = {{"continue", 367, 0}, {"main menu", 415, 1}, {"help", 463, 2}, {"Esc", 0, 0}};
    for (const Case& c : cases) {
        int result = Show(PauseWindow::Instance(), [&](int step) {
            if (step == 2) {
                c.clickY ? Click(400, c.clickY) : Key(27);
            }
        });
        EXPECT_EQ(result, c.result) << c.name;
    }
}

TEST_F(SettingsWindowsTest, PauseSlidersSetTheVolumes)
{
    app->SetMusicVolume(0.5);
    app->SetSfxVolume(0.5);
    auto* window = PauseWindow::Instance();
    EXPECT_EQ(window->musicSlider->GetRect(), Tolm::Rect(80, 130, 240, 24));
    EXPECT_EQ(window->sfxSlider->GetRect(), Tolm::Rect(80, 210, 240, 24));
    window->SliderMoved(3, 0.125);
    window->SliderMoved(4, 0.375);
    EXPECT_DOUBLE_EQ(app->GetMusicVolume(), 0.125);
    EXPECT_DOUBLE_EQ(app->GetSfxVolume(), 0.375);
    EXPECT_EQ(WindowSounds(), Strings{"SOUND_SFX_SLIDER"});
}
