// What the application offers for diagnosis and for the user: the clipboard, screenshots, the program
// information a crash report carries, and the debug overlay's pictures.
#include "app/DebugOverlay.h"
#include "app/NumberedFiles.h"
#include "app/TolmAppBase.h"
#include "core/PathUtils.h"
#include "display/DDImage.h"
#include "display/DDInterface.h"
#include "graphics/ImageLib.h"
#include "platform/Clipboard.h"
#include "platform/Clock.h"
#include "platform/TextEncoding.h"
#include "widgets/WidgetManager.h"

#include <algorithm>

namespace Tolm {

void TolmAppBase::CopyToClipboard(const std::string& text)
{
    if (playingDemo) {
        return;
    }
    Platform::SetClipboardText(Platform::Cp1252ToUtf8(text));
}

std::string TolmAppBase::GetClipboardText()
{
    std::string text;
    if (!playingDemo) {
        text = Platform::Utf8ToCp1252(Platform::GetClipboardText());
        // The clipboard's text ends at its first zero, as a C string does.
        text = text.substr(0, text.find('\0'));
    }
    SyncDemoString(text);
    return text;
}

void TolmAppBase::TakeScreenshot()
{
    MemoryImage* screen = display ? display->GetScreenImage() : nullptr;
    if (!screen) {
        return;
    }
    std::string folder = GetUserDataFolder() + "_screenshots";
    MakeDirectories(folder);
    folder = AddTrailingSlash(folder, false);
    std::set<int> taken = FindNumberedFiles(folder, "image", ".png");
    int highest = taken.empty() ? 0 : std::max(*taken.rbegin(), 0);
    std::string file = folder + "image" + std::to_string(int64_t(highest) + 1) + ".png";
    const uint32_t* pixels = screen->GetBits();
    auto shot = pixels ? ImageLib::CreateImage(screen->width, screen->height) : nullptr;
    if (!shot) {
        return;
    }
    // The screen has no transparency: its alpha bits say nothing, and a PNG viewer would honour them.
    std::transform(pixels, pixels + int64_t(screen->width) * screen->height, shot->bits.get(),
                   [](uint32_t pixel) { return pixel | 0xFF000000u; });
    ImageLib::WritePNG(file, *shot);
    ResetFrameTiming();
}

std::string TolmAppBase::GetProgramInfo()
{
    int seconds = int((Platform::GetClock().Milliseconds() - creationTime) / 1000);
    std::string info = "Product: " + productName + "\r\n";
    info += "Version: " + productVersion + "\r\n";
    info += FormatString("Time Loaded: %02d:%02d:%02d\r\n", seconds / 3600, seconds / 60 % 60, seconds % 60);
    info += std::string("Fullscreen: ") + (windowed ? "No" : "Yes") + "\r\n";
    info += FormatString("Primary ThreadId: %X\r\n", mainThreadSystemId);
    return info;
}

void TolmAppBase::DrawFpsOverlay()
{
    debugOverlay->DrawFrameRate();
}

void TolmAppBase::DrawMouseOverlay(int x, int y)
{
    debugOverlay->DrawMousePosition(x, y);
}

void TolmAppBase::DrawDemoTimeOverlay()
{
    debugOverlay->DrawDemoTimeLeft();
}

void TolmAppBase::DrawOverlays()
{
    if (fpsOverlayMode == 0) {
        DrawFpsOverlay();
    } else {
        DrawMouseOverlay(widgetManager->lastMouseX, widgetManager->lastMouseY);
    }
    if (playingDemo) {
        DrawDemoTimeOverlay();
    }
}

} // namespace Tolm
