// The framework's dialog registry by id, system message boxes that work in full screen, fatal
// popups, the browser launch, the product version and the hardware-acceleration question at exit.
#include "app/TolmAppBase.h"
#include "display/D3DInterface.h"
#include "display/D3DTester.h"
#include "display/DDInterface.h"
#include "platform/Browser.h"
#include "platform/Clock.h"
#include "platform/FileSystem.h"
#include "platform/MessageBox.h"
#include "platform/Window.h"
#include "resources/ResourceManager.h"
#include "widgets/Dialog.h"
#include "widgets/WidgetManager.h"

#include <algorithm>
#include <cstdio>
#include <ctime>

namespace Tolm {

using namespace Platform;

Dialog* TolmAppBase::NewDialog(int id, bool modal, const std::string& header, const std::string& lines,
                               const std::string& footer, int buttonMode)
{
    return new Dialog(nullptr, nullptr, id, modal, header, lines, footer, buttonMode);
}

Dialog* TolmAppBase::OpenDialog(int id, bool modal, const std::string& header, const std::string& lines,
                                const std::string& footer, int buttonMode)
{
    KillDialogId(id);
    Dialog* dialog = NewDialog(id, modal, header, lines, footer, buttonMode);
    AddDialogById(id, dialog);
    return dialog;
}

Dialog* TolmAppBase::GetDialog(int id)
{
    auto found = dialogMap.find(id);
    return found == dialogMap.end() ? nullptr : found->second;
}

void TolmAppBase::AddDialog(Dialog* dialog)
{
    AddDialogById(dialog->id, dialog);
}

void TolmAppBase::AddDialogById(int id, Dialog* dialog)
{
    KillDialogId(id);
    if (dialog->width == 0) {
        int dialogWidth = width / 2;
        int dialogHeight = dialog->GetPreferredHeight(dialogWidth);
        dialog->Resize((width - dialogWidth) / 2, height / 5, dialogWidth, dialogHeight);
    }
    dialogMap[id] = dialog;
    dialogList.push_back(dialog);
    widgetManager->AddWidget(dialog);
    if (dialog->IsModal()) {
        widgetManager->PushModalDefault(dialog);
        ModalOpened();
    }
}

bool TolmAppBase::KillDialogObject(Dialog* dialog)
{
    return KillDialogId(dialog->id);
}

bool TolmAppBase::KillDialogId(int id)
{
    return KillDialog(id, true, true);
}

bool TolmAppBase::KillDialog(int id, bool removeWidget, bool deleteIt)
{
    auto found = dialogMap.find(id);
    if (found == dialogMap.end()) {
        return false;
    }
    Dialog* dialog = found->second;
    if (dialog->result == -1) {
        dialog->result = 0;
    }
    dialogList.remove(dialog);
    dialogMap.erase(found);
    if (removeWidget || deleteIt) {
        widgetManager->RemoveWidget(dialog);
    }
    if (dialog->IsModal()) {
        ModalClosed();
        widgetManager->PopModal(dialog);
    }
    if (deleteIt) {
        DeferWidgetDeletion(dialog);
    }
    return true;
}

int TolmAppBase::GetDialogCount()
{
    return int(dialogMap.size());
}

void TolmAppBase::PrepareForPopup()
{
    // A system window over a full-screen picture: while it shows, no input is queued.
    if (!isWindowedNow && display && display->initialised) {
        flippedToGdi = true;
    }
}

void TolmAppBase::RecoverFromPopup()
{
    if (!isWindowedNow) {
        flippedToGdi = false;
    }
    ResetFrameTiming();
    ResetKeyStates();
    if (widgetManager->pressedButtons != 0) {
        widgetManager->ReleasePressedWidget();
        if (mainWindow) {
            mainWindow->CaptureMouse(false);
        }
    }
}

int TolmAppBase::ShowMessageBox(const std::string& text, const std::string& caption, uint32_t flags)
{
    if (screenSaverMode) {
        WriteErrorLog(text);
        return IDOK;
    }
    PrepareForPopup();
    int answer = Platform::ShowMessageBox(MainWindowHandle(), text, caption, flags);
    RecoverFromPopup();
    return answer;
}

int TolmAppBase::ShowMessageBoxWide(const WideString& text, const WideString& caption, uint32_t flags)
{
    if (screenSaverMode) {
        WriteErrorLog(WideToString(text));
        return IDOK;
    }
    PrepareForPopup();
    int answer = Platform::ShowMessageBoxWide(MainWindowHandle(), text, caption, flags);
    RecoverFromPopup();
    return answer;
}

void TolmAppBase::ShowErrorPopup(const std::string& text)
{
    if (screenSaverMode) {
        WriteErrorLog(text);
        return;
    }
    // Message boxes belong to the main thread; one raised elsewhere waits for it.
    if (!IsMainThread()) {
        std::lock_guard<std::mutex> guard(pendingPopupLock);
        pendingErrorPopups.push_back(text);
        return;
    }
    PrepareForPopup();
    if (!shutDown) {
        Platform::ShowMessageBox(MainWindowHandle(), text, GetStringProperty("FATAL_ERROR", "FATAL ERROR"),
                                 MB_OK | MB_ICONERROR);
    }
    RecoverFromPopup();
}

void TolmAppBase::ShowResourceError(bool exit)
{
    ShowErrorPopup(resourceManager->GetErrorText());
    if (exit) {
        DoExit(0);
    }
}

void TolmAppBase::ShowErrorPopupWide(const WideString& text)
{
    ShowErrorPopup(WideToString(text));
}

void TolmAppBase::ShowPendingErrorPopups()
{
    std::vector<std::string> texts;
    {
        std::lock_guard<std::mutex> guard(pendingPopupLock);
        texts.swap(pendingErrorPopups);
    }
    for (const std::string& text : texts) {
        ShowErrorPopup(text);
    }
}

void TolmAppBase::WriteErrorLog(const std::string& text)
{
    // Truncated once per run, appended to afterwards.
    std::FILE* file = std::fopen("ScrError.txt", errorLogStarted ? "a+" : "w");
    if (!file) {
        return;
    }
    errorLogStarted = true;
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    std::fprintf(file, "%s %02d:%02d:%02d %u\n", text.c_str(), local.tm_hour, local.tm_min, local.tm_sec,
                 GetClock().Milliseconds());
    std::fclose(file);
}

bool TolmAppBase::OpenURL(const std::string& url, bool shutdownAfter)
{
    if (browserLaunched && url == browserLaunchURL) {
        return true;
    }
    shutdownAfterBrowser = shutdownAfter;
    browserLaunched = true;
    browserLaunchURL = url;
    browserLaunchTime = GetClock().Milliseconds();
    if (OpenUrl(url)) {
        return true;
    }
    OnBrowserLaunchFailed();
    return false;
}

void TolmAppBase::OnBrowserLaunchFailed()
{
    browserLaunched = false;
}

void TolmAppBase::OnBrowserLaunched()
{
    browserLaunched = false;
    if (shutdownAfterBrowser) {
        Shutdown();
    }
}

std::string TolmAppBase::GetProductVersion(const std::string& path)
{
    // Only the program itself carries version information: the version it was built as.
    return !path.empty() && path == ProgramFile() ? std::string(QUENDARA_VERSION) : std::string();
}

void TolmAppBase::ConfirmHardwareAcceleration()
{
    if (!acceleration3DChanged || !display) {
        return;
    }
    std::string caption =
        captionPrefix + " " + GetStringProperty("HARDWARE_ACCEL_CONFIRMATION", "Hardware Acceleration Confirmation");
    int stored = 0;
    // A missing choice is the player's to make, unless the hardware test passed and vouches for it.
    bool vouched = display->tester && display->tester->Recommends3D();
    if (ReadRegistryInt("Is3D", stored) || vouched) {
        WriteRegistryInt("Is3D", display->is3D ? 1 : 0);
    } else if (display->is3D) {
        std::string question = GetStringProperty(
            "HARDWARE_ACCEL_SWITCHED_ON",
            "Hardware Acceleration was switched on during this session.\r\nIf this resulted in slower performance, "
            "it should be switched off.\r\nWould you like to keep Hardware Acceleration switched on?");
        bool keep = Platform::ShowMessageBox(0, question, caption, MB_YESNO | MB_ICONQUESTION) == IDYES;
        display->is3D = keep;
        if (keep) {
            WriteRegistryInt("Is3D", 1);
        }
        return;
    }
    if (D3DState().failedDuringRun && !screenSaverMode) {
        std::string question = GetStringProperty(
            "HARDWARE_ACCEL_NOT_WORKING",
            "Hardware Acceleration may not have been working correctly during this session.\r\nIf you noticed "
            "graphics problems, you may want to turn off Hardware Acceleration.\r\nWould you like to keep Hardware "
            "Acceleration switched on?");
        if (Platform::ShowMessageBox(0, question, caption, MB_YESNO | MB_ICONQUESTION) == IDNO) {
            WriteRegistryInt("Is3D", 0);
        }
    }
}

} // namespace Tolm
