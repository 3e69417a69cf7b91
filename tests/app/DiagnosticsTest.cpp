// The error log, the clipboard, screenshots, the program information and the debug overlay.
#include "AppFixture.h"
#include "app/DebugOverlay.h"
#include "core/PathUtils.h"
#include "display/DDImage.h"
#include "display/DDInterface.h"
#include "graphics/ImageLib.h"
#include "platform/Clipboard.h"
#include "platform/FileSystem.h"
#include "platform/Folders.h"
#include "platform/Process.h"

#include <fstream>
#include <sstream>

using namespace Platform;

namespace {

class DiagnosticsTest : public AppFixture<RecordingApp>
{
protected:
    DiagnosticsTest()
    {
        previousFolder = CurrentFolder();
        SetCurrentFolder(temp.Path());
    }
    ~DiagnosticsTest() override
    {
        SetCurrentFolder(previousFolder);
        SetCommandLine("");
    }

    std::vector<std::string> ErrorLogLines()
    {
        std::ifstream file(temp.Path() + "ScrError.txt");
        std::vector<std::string> lines;
        for (std::string line; std::getline(file, line);) {
            lines.push_back(line);
        }
        return lines;
    }

    std::string previousFolder;
};

TEST_F(DiagnosticsTest, TheErrorLogStartsAfreshInEachRun)
{
    std::ofstream(temp.Path() + "ScrError.txt") << "an old run\n";
    SetCommandLine("\"/opt/quendara\" -screensaver");
    StartApp();
    clock.Advance(1234);
    EXPECT_EQ(app->ShowMessageBox("Disk full", "Caption", MB_OK), IDOK) << "answered at once in screen-saver mode";
    app->ShowErrorPopup("Second error");
    std::vector<std::string> lines = ErrorLogLines();
    ASSERT_EQ(lines.size(), 2u);
    std::istringstream first(lines[0]);
    std::string word, second, time;
    unsigned ticks = 0;
    first >> word >> second >> time >> ticks;
    EXPECT_EQ(word + " " + second, "Disk full");
    ASSERT_EQ(time.size(), 8u);
    EXPECT_EQ(time[2], ':');
    EXPECT_EQ(time[5], ':');
    EXPECT_EQ(ticks, clock.Milliseconds()) << "the milliseconds since system start";
    EXPECT_EQ(lines[1].substr(0, 13), "Second error ");

    app.reset();
    StartApp();
    app->WriteErrorLog("Next run");
    lines = ErrorLogLines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].substr(0, 9), "Next run ");
}

TEST_F(DiagnosticsTest, ScreenshotsAreNumberedAboveTheHighestPresent)
{
    StartApp();
    std::string folder = Tolm::GetUserDataFolder() + "_screenshots/";
    MakeFolders(folder);
    for (const char* name : {"image1.png", "image7.png", "other.png", "image-3.png", "image99999999999.png"}) {
        std::ofstream(folder + name) << "x";
    }
    Tolm::DDImage* screen = app->display->GetScreenImage();
    ASSERT_TRUE(screen);
    screen->FillRect(Tolm::Rect(0, 0, screen->width, screen->height), Tolm::Color(10, 20, 30), 0);
    screen->GetBits()[1] = 0x00FF0000;
    app->TakeScreenshot();
    auto shot = Tolm::ImageLib::LoadPNG(folder + "image8.png");
    ASSERT_TRUE(shot);
    EXPECT_EQ(shot->width, 800);
    EXPECT_EQ(shot->height, 600);
    EXPECT_EQ(shot->bits[0], 0xFF09131Du) << "a 32-bit fill stores each channel c as c x 255 / 256";
    EXPECT_EQ(shot->bits[1], 0xFFFF0000u) << "the screen is opaque";
    app->TakeScreenshot();
    EXPECT_TRUE(Exists(folder + "image9.png"));
}

TEST_F(DiagnosticsTest, ClipboardTextIsRecordedAndReplayed)
{
    StartApp();
    app->CopyToClipboard("caf\xE9");
    EXPECT_EQ(GetClipboardText(), "caf\xC3\xA9") << "the desktop's text is UTF-8";
    EXPECT_EQ(app->GetClipboardText(), "caf\xE9");

    app->recordingDemo = true;
    EXPECT_EQ(app->GetClipboardText(), "caf\xE9");
    app->recordingDemo = false;
    Tolm::Buffer recorded;
    recorded.SetData(app->demoBuffer.GetDataPtr(), app->demoBuffer.GetDataLen());

    app->playingDemo = true;
    app->demoBuffer.SetData(recorded.GetDataPtr(), recorded.GetDataLen());
    app->demoBuffer.SeekFront();
    app->CopyToClipboard("during playback");
    EXPECT_EQ(GetClipboardText(), "caf\xC3\xA9") << "playback leaves the clipboard alone";
    SetClipboardText("something else");
    EXPECT_EQ(app->GetClipboardText(), "caf\xE9") << "the recorded text";
    app->playingDemo = false;
}

TEST_F(DiagnosticsTest, ProgramInformationNamesTheRun)
{
    StartApp();
    app->productVersion = "1.3";
    clock.Advance(3 * 3600 * 1000 + 25 * 60 * 1000 + 7 * 1000);
    std::string info = app->GetProgramInfo();
    std::string expectedStart = "Product: TestProduct\r\nVersion: 1.3\r\nTime Loaded: 03:25:07\r\nFullscreen: No\r\n"
                                "Primary ThreadId: ";
    EXPECT_EQ(info.substr(0, expectedStart.size()), expectedStart);
    char hex[16];
    std::snprintf(hex, sizeof hex, "%X", CurrentThreadId());
    EXPECT_EQ(info.substr(expectedStart.size()), std::string(hex) + "\r\n");
}

TEST_F(DiagnosticsTest, OverlaysShowTheFrameRateAndTheDemoTimeLeft)
{
    StartApp();
    Tolm::DebugOverlay& overlay = *app->debugOverlay;
    app->SetFpsOverlay(true);
    app->DrawFpsOverlay();
    EXPECT_EQ(overlay.shownFrameRate, 0) << "right after being switched on";
    ASSERT_TRUE(overlay.statsImage);
    EXPECT_EQ(overlay.statsImage->width, 50);
    for (int frame = 0; frame < 59; ++frame) {
        clock.Advance(16);
        app->DrawFpsOverlay();
    }
    EXPECT_EQ(overlay.shownFrameRate, 0) << "not refreshed within the second";
    clock.Advance(56);
    app->DrawFpsOverlay();
    EXPECT_EQ(overlay.shownFrameRate, 60) << "60 frames in 1000 ms";

    // At twice the speed the time left is refreshed every 500 ms.
    app->demoEndUpdate = 100000;
    app->updateMultiplier = 2.0;
    app->DrawDemoTimeOverlay();
    ASSERT_TRUE(overlay.demoImage);
    int changes = overlay.demoImage->bitsChangedCount;
    clock.Advance(499);
    app->DrawDemoTimeOverlay();
    EXPECT_EQ(overlay.demoImage->bitsChangedCount, changes);
    clock.Advance(1);
    app->DrawDemoTimeOverlay();
    EXPECT_GT(overlay.demoImage->bitsChangedCount, changes);
}

} // namespace
