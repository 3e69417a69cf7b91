// The modal wait of a dialog through the real main loop on a manual clock: the screen behind the dialog
// keeps updating and drawing until a button is clicked, and the wait ends without a result when the
// dialog leaves the screen, is deleted under it, or the loop stops. A registry dialog that nobody waits
// for closes on its click.
#include "app/TolmAppBase.h"
#include "graphics/Graphics.h"
#include "graphics/MemoryImage.h"
#include "platform/Clock.h"
#include "widgets/Dialog.h"
#include "widgets/WidgetManager.h"

#include <functional>
#include <gtest/gtest.h>
#include <vector>

using namespace Tolm;

namespace {

// A square that moves one pixel per update across the whole screen behind the dialogs.
class Animation : public Widget
{
public:
    void Update() override
    {
        Widget::Update();
        ++updates;
        Invalidate();
    }
    void Draw(Graphics* g) override
    {
        ++draws;
        g->SetColor(Color(20, 40, 60));
        g->FillRect(0, 0, width, height);
        g->SetColor(Color(250, 200, 40));
        g->FillRect(updates % width, 300, 20, 20);
    }
    using Widget::MouseDown;
    void MouseDown(int, int, int, int) override { ++presses; }

    int updates = 0;
    int draws = 0;
    int presses = 0;
};

class WaitingApp : public TolmAppBase
{
public:
    WaitingApp()
    {
        width = 800;
        height = 600;
        widgetManager->SetMouseMapping(Rect(0, 0, width, height), Rect(0, 0, width, height));
        screen.Create(width, height);
        widgetManager->screenImage = &screen;
        animation.Resize(0, 0, width, height);
        widgetManager->AddWidget(&animation);
    }
    ~WaitingApp() override
    {
        widgetManager->RemoveWidget(&animation);
        widgetManager->screenImage = nullptr;
    }

    void Update() override
    {
        TolmAppBase::Update();
        if (onUpdate) {
            onUpdate(updateCount);
        }
    }
    void PresentScreen(const Rect*) override { ++presents; }
    void ButtonClicked(int id) override { clicked.push_back(id); }

    // A click in the middle of the button, as the window's input would give it.
    void Click(DialogButton* button)
    {
        Point at = button->GetAbsPos();
        widgetManager->MouseDown(at.x + button->width / 2, at.y + button->height / 2, 1);
        widgetManager->MouseUp(at.x + button->width / 2, at.y + button->height / 2, 1);
    }

    MemoryImage screen;
    Animation animation;
    std::function<void(int)> onUpdate;
    int presents = 0;
    std::vector<int> clicked;
};

class DialogWaitTest : public testing::Test
{
protected:
    // The application reads the clock when it is made.
    DialogWaitTest()
    {
        Platform::SetClock(&clock);
        app = std::make_unique<WaitingApp>();
    }
    ~DialogWaitTest() override
    {
        app.reset();
        Platform::SetClock(nullptr);
    }

    Platform::ManualClock clock{uint64_t(1000) * 1000000000};
    std::unique_ptr<WaitingApp> app;
};

} // namespace

TEST_F(DialogWaitTest, ScreenBehindKeepsAnimatingUntilTheClickGivesTheResult)
{
    Dialog* dialog = app->OpenDialog(4, true, "Save the town?", "Your buildings are kept.", "", 2);
    int startUpdate = app->updateCount;
    app->onUpdate = [&](int update) {
        if (update == startUpdate + 30) {
            app->Click(dialog->firstButton.get());
        }
    };
    EXPECT_EQ(dialog->WaitForResult(false), 1000);
    EXPECT_EQ(app->updateCount, startUpdate + 30) << "the wait ends with the update that got the click";
    EXPECT_EQ(app->animation.updates, 30);
    EXPECT_GE(app->animation.draws, 25) << "drawn again after (nearly) every update";
    EXPECT_GE(app->presents, 25);
    EXPECT_EQ(app->clicked, std::vector<int>{2004});
    EXPECT_EQ(app->GetDialog(4), dialog) << "waited for: neither the wait nor the click killed it";
    EXPECT_EQ(app->widgetManager->baseModalWidget, dialog);
}

TEST_F(DialogWaitTest, AutoKillRemovesTheDialogAndDeletesItAfterTheStep)
{
    struct Watched : Dialog
    {
        Watched(bool& gone) : Dialog(nullptr, nullptr, 5, true, "", "Sure?", "", 1), gone(gone) {}
        ~Watched() override { gone = true; }
        bool& gone;
    };
    bool gone = false;
    auto* dialog = new Watched(gone);
    app->AddDialog(dialog);
    app->onUpdate = [&](int) { app->Click(dialog->secondButton.get()); };
    EXPECT_EQ(dialog->WaitForResult(true), 1001);
    EXPECT_EQ(app->GetDialog(5), nullptr);
    EXPECT_EQ(app->widgetManager->baseModalWidget, nullptr);
    EXPECT_FALSE(gone);
    app->DeleteDeferredWidgets();
    EXPECT_TRUE(gone);
}

TEST_F(DialogWaitTest, WaitEndsWithoutAResultWhenTheDialogGoesOrTheLoopStops)
{
    struct Ending
    {
        const char* name;
        std::function<void(WaitingApp&)> end;
        bool dialogDeleted;
    };
    const Ending endings[] = {
        {"removed from the screen", [](WaitingApp& a) { a.KillDialog(7, true, false); }, false},
        {"killed and deleted inside its own wait", [](WaitingApp& a) { a.KillDialogId(7); }, true},
        {"the loop stops", [](WaitingApp& a) { a.exitNestedLoops = true; }, false},
    };
    for (const Ending& ending : endings) {
        SCOPED_TRACE(ending.name);
        app->onUpdate = nullptr;
        app->exitNestedLoops = false;
        Dialog* dialog = app->OpenDialog(7, true, "", "Waiting", "", 2);
        int startUpdate = app->updateCount;
        app->onUpdate = [&](int update) {
            if (update == startUpdate + 5) {
                ending.end(*app);
            }
        };
        EXPECT_EQ(dialog->WaitForResult(false), Dialog::kNoResult);
        EXPECT_EQ(app->updateCount, startUpdate + 5);
        app->onUpdate = nullptr;
        if (app->GetDialog(7)) {
            app->KillDialogId(7);
        } else if (!ending.dialogDeleted) {
            delete dialog;
        }
        app->DeleteDeferredWidgets();
    }
}

TEST_F(DialogWaitTest, ModalMessageNobodyWaitsForClosesOnItsButton)
{
    Dialog* dialog = app->OpenDialog(6, true, "No Windowed Mode",
                                     "Windowed mode is only available if your desktop is running in\n\t\t\t\teither "
                                     "16 bit or 32 bit color mode, which it is not.",
                                     "OK", 3);
    ASSERT_TRUE(dialog->firstButton);
    EXPECT_EQ(dialog->firstButton->label, "OK");
    app->widgetManager->MouseDown(400, 590, 1);
    app->widgetManager->MouseUp(400, 590, 1);
    EXPECT_EQ(app->animation.presses, 0) << "the dialog holds all input";
    app->Click(dialog->firstButton.get());
    EXPECT_EQ(app->clicked, std::vector<int>{2006});
    EXPECT_EQ(app->GetDialog(6), nullptr);
    EXPECT_FALSE(app->widgetManager->HasWidget(dialog));
    app->DeleteDeferredWidgets();
    app->widgetManager->MouseDown(400, 590, 1);
    app->widgetManager->MouseUp(400, 590, 1);
    EXPECT_EQ(app->animation.presses, 1) << "the screen takes the mouse again";
}
