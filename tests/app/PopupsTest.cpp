// The dialog registry, message boxes and fatal popups, the browser launch and the question about
// hardware acceleration at exit.
#include "AppFixture.h"
#include "diagnostics/Profiler.h"
#include "display/D3DInterface.h"
#include "display/D3DTester.h"
#include "display/DDInterface.h"
#include "platform/Browser.h"
#include "platform/FileSystem.h"
#include "platform/MessageBox.h"
#include "platform/SettingsStore.h"
#include "widgets/Dialog.h"
#include "widgets/WidgetManager.h"

#include <fstream>
#include <gmock/gmock.h>
#include <sstream>
#include <thread>

using namespace Platform;
using Tolm::Dialog;

namespace {

// Records the boxes and what the application looked like while each was shown.
struct BoxSink : MessageBoxSink
{
    int Show(WindowHandle owner, const std::string& text, const std::string& caption, uint32_t flags) override
    {
        boxes.push_back({owner, text, caption, flags});
        inputBlocked.push_back(Tolm::gTolmApp && Tolm::gTolmApp->flippedToGdi);
        return answer;
    }
    struct Box
    {
        WindowHandle owner;
        std::string text;
        std::string caption;
        uint32_t flags;
    };
    std::vector<Box> boxes;
    std::vector<bool> inputBlocked;
    int answer = IDOK;
};

class PopupsTest : public AppFixture<RecordingApp>
{
protected:
    void SetUp() override
    {
        SetMessageBoxSink(&sink);
        StartApp();
    }
    void TearDown() override
    {
        app.reset();
        SetMessageBoxSink(nullptr);
    }

    BoxSink sink;
};

} // namespace

TEST_F(PopupsTest, DialogWithoutWidthIsPlacedByTheScreen)
{
    Dialog* dialog = app->OpenDialog(5, false, "Header", "Lines", "", 2);
    EXPECT_EQ(app->GetDialog(5), dialog);
    EXPECT_EQ(dialog->width, 400);
    EXPECT_EQ(dialog->x, 200);
    EXPECT_EQ(dialog->y, 120);
    EXPECT_EQ(dialog->height, dialog->GetPreferredHeight(400));
    EXPECT_TRUE(app->widgetManager->HasWidget(dialog));
    EXPECT_EQ(app->GetDialogCount(), 1);
}

TEST_F(PopupsTest, DialogAddedUnderAnIdInUseReplacesTheOldOneAfterTheStep)
{
    struct Watched : Dialog
    {
        Watched(int id, bool& gone) : Dialog(nullptr, nullptr, id, true, "", "", "", 0), gone(gone) {}
        ~Watched() override { gone = true; }
        bool& gone;
    };
    bool firstGone = false;
    bool secondGone = false;
    auto* first = new Watched(3, firstGone);
    app->AddDialog(first);
    app->AddDialogById(3, new Watched(3, secondGone));
    EXPECT_FALSE(app->widgetManager->HasWidget(first));
    EXPECT_FALSE(firstGone) << "deleted only at the end of the loop step";
    app->DeleteDeferredWidgets();
    EXPECT_TRUE(firstGone);
    EXPECT_FALSE(secondGone);
    EXPECT_EQ(app->GetDialogCount(), 1);
    app.reset();
    EXPECT_TRUE(secondGone) << "the application deletes the dialogs it still holds";
}

TEST_F(PopupsTest, KillingADialogMapsNoResultToZeroAndUnknownIdsToFalse)
{
    Dialog* dialog = app->NewDialog(8, true, "", "", "", 1);
    dialog->width = 100;
    app->AddDialog(dialog);
    EXPECT_EQ(dialog->width, 100) << "a dialog with a width keeps its place";
    dialog->result = -1;
    EXPECT_TRUE(app->KillDialog(8, true, false));
    EXPECT_EQ(dialog->result, 0);
    EXPECT_FALSE(app->widgetManager->HasWidget(dialog));
    EXPECT_FALSE(app->KillDialogId(8));
    EXPECT_EQ(app->GetDialog(8), nullptr);
    delete dialog;
}

TEST_F(PopupsTest, FatalPopupUsesTheFatalCaptionAndShowsNothingAfterShutdown)
{
    app->ShowErrorPopup("Resource missing");
    ASSERT_EQ(sink.boxes.size(), 1u);
    EXPECT_EQ(sink.boxes[0].caption, "FATAL ERROR");
    EXPECT_EQ(sink.boxes[0].text, "Resource missing");
    EXPECT_EQ(sink.boxes[0].flags, MB_OK | MB_ICONERROR);
    EXPECT_EQ(sink.boxes[0].owner, Main());
    app->Shutdown();
    app->ShowErrorPopup("Too late");
    EXPECT_EQ(sink.boxes.size(), 1u);
}

TEST_F(PopupsTest, FatalPopupFromAnotherThreadIsShownByTheMainThread)
{
    std::thread([&] { app->ShowErrorPopup("Loading failed"); }).join();
    EXPECT_TRUE(sink.boxes.empty());
    app->processState = 1;
    app->Process(true);
    ASSERT_EQ(sink.boxes.size(), 1u);
    EXPECT_EQ(sink.boxes[0].text, "Loading failed");
}

TEST_F(PopupsTest, MessageBoxInFullScreenQueuesNoInputAndResetsKeysAfterwards)
{
    app->SwitchScreenModeTo(false);
    ASSERT_FALSE(app->isWindowedNow);
    app->widgetManager->keyDown[17] = true;
    app->ctrlDown = true;
    app->timeDebt = 150;
    sink.answer = IDNO;
    EXPECT_EQ(app->ShowMessageBox("Sure?", "Question", MB_YESNO), IDNO);
    EXPECT_EQ(sink.inputBlocked, std::vector<bool>{true});
    EXPECT_FALSE(app->flippedToGdi);
    EXPECT_FALSE(app->widgetManager->keyDown[17]);
    EXPECT_FALSE(app->ctrlDown);
    EXPECT_EQ(app->timeDebt, 0.0);
}

TEST_F(PopupsTest, InScreenSaverModeAFatalErrorGoesToTheErrorLogOnly)
{
    std::string previous = CurrentFolder();
    ASSERT_TRUE(SetCurrentFolder(temp.Path()));
    app->screenSaverMode = true;
    app->ShowErrorPopup("first");
    EXPECT_EQ(app->ShowMessageBox("second", "caption", MB_YESNO), IDOK);
    SetCurrentFolder(previous);
    EXPECT_TRUE(sink.boxes.empty());
    std::istringstream log(temp.Read("ScrError.txt"));
    std::string line;
    ASSERT_TRUE(std::getline(log, line));
    EXPECT_EQ(line.substr(0, 6), "first ");
    EXPECT_EQ(line[8], ':');
    ASSERT_TRUE(std::getline(log, line));
    EXPECT_EQ(line.substr(0, 7), "second ");
}

TEST_F(PopupsTest, SameAddressOpenedTwiceWhilePendingLaunchesTheBrowserOnce)
{
    std::vector<std::string> opened;
    SetUrlOpener([&](const std::string& url) {
        opened.push_back(url);
        return true;
    });
    EXPECT_TRUE(app->OpenURL("https://example.org/", true));
    EXPECT_TRUE(app->OpenURL("https://example.org/", true));
    EXPECT_EQ(opened.size(), 1u);
    // Losing the focus during the launch counts as launched, and the program was asked to end then.
    app->hasFocus = false;
    app->OnBrowserLaunched();
    EXPECT_TRUE(app->shutDown);
    SetUrlOpener([](const std::string&) { return false; });
    EXPECT_FALSE(app->OpenURL("https://example.org/", false));
    EXPECT_FALSE(app->browserLaunched);
    SetUrlOpener(nullptr);
}

TEST_F(PopupsTest, ProgramReportsItsOwnVersionOnly)
{
    EXPECT_EQ(app->GetProductVersion(ProgramFile()), "1.3");
    EXPECT_EQ(app->GetProductVersion("/bin/sh"), "");
}

TEST_F(PopupsTest, DebugKeyF2StartsTheProfilerAndShowsItsReportWhenPressedAgain)
{
    // The first stop measures the time-stamp counter's rate against the performance counter, which
    // must move for that: the clock goes on by a millisecond at each reading meanwhile.
    struct MovingClock : ManualClock
    {
        uint64_t Nanoseconds() override
        {
            Advance(1);
            return ManualClock::Nanoseconds();
        }
    } moving;
    app->DebugKeyDown(113);
    EXPECT_TRUE(ProfilerIsActive());
    EXPECT_TRUE(sink.boxes.empty());
    SetClock(&moving);
    app->DebugKeyDown(113);
    SetClock(&clock);
    EXPECT_FALSE(ProfilerIsActive());
    ASSERT_EQ(sink.boxes.size(), 1u);
    EXPECT_EQ(sink.boxes[0].caption, "Perf Results");
    // Nothing in the program times sections, so the report is its total alone.
    EXPECT_THAT(sink.boxes[0].text, testing::MatchesRegex("Total Time: [0-9]+\\.[0-9][0-9]\n"));
}

TEST_F(PopupsTest, HardwareAccelerationSwitchedOnAsksWhetherToKeepIt)
{
    app->acceleration3DChanged = true;
    app->display->is3D = true;
    app->captionPrefix = "Test";
    sink.answer = IDYES;
    app.reset();
    ASSERT_EQ(sink.boxes.size(), 1u);
    EXPECT_EQ(sink.boxes[0].caption, "Test Hardware Acceleration Confirmation");
    EXPECT_EQ(sink.boxes[0].flags, MB_YESNO | MB_ICONQUESTION);
    EXPECT_EQ(sink.boxes[0].owner, 0u);
    SettingsStore store(temp.Path() + "config/Test Company/TestProduct.registry");
    SettingsValue value;
    ASSERT_TRUE(store.QueryValue("", "Is3D", value));
    EXPECT_EQ(value.data, (std::vector<uint8_t>{1, 0, 0, 0}));
}


// A hardware test that passed vouches for 3D switched on: the choice is stored without a question.
// A warning leaves the choice to the player.
TEST_F(PopupsTest, APassedHardwareTestStoresTheChoiceWithoutAsking)
{
    // A 3D failure earlier in the process would ask its own question.
    Tolm::D3DRuntimeState before = Tolm::D3DState();
    Tolm::D3DState() = Tolm::D3DRuntimeState();
    for (const char* warning : {"Unsupported video card: Soft Card", ""}) {
        app.reset();
        sink.boxes.clear();
        StartApp();
        sink.answer = IDNO;
        app->display->tester = std::make_unique<Tolm::D3DTester>();
        app->display->tester->warning = warning;
        app->acceleration3DChanged = true;
        app->display->is3D = true;
        app.reset();
        SettingsStore store(temp.Path() + "config/Test Company/TestProduct.registry");
        SettingsValue value;
        bool stored = store.QueryValue("", "Is3D", value);
        EXPECT_EQ(sink.boxes.size(), *warning ? 1u : 0u) << warning;
        EXPECT_EQ(stored, !*warning) << warning;
        if (stored) {
            EXPECT_EQ(value.data, (std::vector<uint8_t>{1, 0, 0, 0}));
        }
    }
    Tolm::D3DState() = before;
}
