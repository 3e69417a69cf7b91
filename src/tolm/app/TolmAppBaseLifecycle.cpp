// The application object's life: construction, the initialisation chain, the single-instance rule,
// Start with its threads, Shutdown, DoExit and destruction, in the orders the framework fixes.
#include "app/BuiltInCursors.h"
#include "app/DebugOverlay.h"
#include "app/TolmAppBase.h"
#include "core/PakInterface.h"
#include "core/PathUtils.h"
#include "core/Random.h"
#include "core/StringUtils.h"
#include "core/SystemVersion.h"
#include "diagnostics/CrashCatcher.h"
#include "display/DDInterface.h"
#include "graphics/ImageLib.h"
#include "graphics/MemoryImageRegistry.h"
#include "platform/Clock.h"
#include "platform/Cursor.h"
#include "platform/DebugOutput.h"
#include "platform/DirectDraw.h"
#include "platform/ExceptionFilter.h"
#include "platform/FileSystem.h"
#include "platform/Folders.h"
#include "platform/Library.h"
#include "platform/MessageBox.h"
#include "platform/MessagePump.h"
#include "platform/Process.h"
#include "platform/SingleInstance.h"
#include "platform/ThreadPriority.h"
#include "platform/VideoSystem.h"
#include "platform/Window.h"
#include "resources/ResourceManager.h"
#include "sound/DSoundManager.h"
#include "sound/MusicInterface.h"
#include "widgets/Dialog.h"
#include "widgets/WidgetManager.h"

#include <cstdlib>
#include <system_error>

namespace Tolm {

TolmAppBase* gTolmApp = nullptr;

namespace {

uint32_t Now()
{
    return Platform::GetClock().Milliseconds();
}

// Where the lock and the notification socket of the single instance live.
std::string InstanceFolder(const TolmAppBase& app)
{
    std::string folder = GetUserDataFolder();
    return folder.empty() ? app.programFolder : folder;
}

} // namespace

TolmAppBase::TolmAppBase()
{
    LoadJ2KCodec();
    ddrawLibrary = Platform::LoadLibrary(Platform::kDirectDrawLibraryName);
    aspectOverride.Set(4, 3);
    programFolder = Platform::ProgramFolder();
    productVersion = GetProductVersion(Platform::ProgramFile());
    SetStringProperty("DIALOG_BUTTON_OK", StringToWide("OK"));
    SetStringProperty("DIALOG_BUTTON_CANCEL", StringToWide("CANCEL"));
    SetStringProperty("UPDATE_CHECK_TITLE", StringToWide("Update Check"));
    SetStringProperty("UPDATE_CHECK_BODY",
                      StringToWide("Checking if there are any updates available for this product ..."));
    SetStringProperty("UP_TO_DATE_TITLE", StringToWide("Up to Date"));
    SetStringProperty("UP_TO_DATE_BODY", StringToWide("There are no updates available for this product at this time."));
    SetStringProperty("NEW_VERSION_TITLE", StringToWide("New Version"));
    SetStringProperty("NEW_VERSION_BODY", StringToWide("There is an update available for this product.  Would you "
                                                       "like to visit the web site to download it?"));
    widgetManager = std::make_unique<WidgetManager>(this);
    resourceManager = std::make_unique<ResourceManager>(this);
    debugOverlay = std::make_unique<DebugOverlay>(this);
    uint32_t now = Now();
    creationTime = now;
    lastPresentTime = now;
    nextRedrawTime = now;
    loadingStartTick = now;
    gTolmApp = this;
    CrashCatcher::application = this;
}

TolmAppBase::~TolmAppBase()
{
    // A crash from here on must not call into an application that is being taken apart.
    CrashCatcher::application = nullptr;
    Shutdown();
    ConfirmHardwareAcceleration();
    for (auto& [id, dialog] : dialogMap) {
        widgetManager->RemoveWidget(dialog);
        delete dialog;
    }
    dialogMap.clear();
    dialogList.clear();
    // Widgets still queued when no loop ran to its end; nothing may outlive the application.
    updateAppDepth = 0;
    DeleteDeferredWidgets();
    if (invisibleWindow) {
        invisibleWindow->SetUserData(nullptr);
        invisibleWindow.reset();
    }
    widgetManager.reset();
    resourceManager.reset();
    debugOverlay.reset();
    {
        CriticalSectionGuard guard(MemoryImageRegistry::Instance().GetDisplayLock());
        sharedImageMap.clear();
    }
    display.reset();
    musicInterface.reset();
    Platform::FreeLibrary(ddrawLibrary);
    ddrawLibrary = nullptr;
    soundManager.reset();
    if (mainWindow) {
        mainWindow->SetUserData(nullptr);
        mainWindow.reset();
    }
    WaitForLoadingThread();
    if (loadingThread.joinable()) {
        loadingThread.join();
    }
    pointingHandCursor.reset();
    openHandCursor.reset();
    gTolmApp = nullptr;
    WriteDemoFile();
    notifyChannel.reset();
    instanceMutex.reset();
}

void TolmAppBase::DialogButtonPressed(int dialogId, int buttonId)
{
    if (buttonId == 1000) {
        ButtonPressed(dialogId + 2000);
    } else if (buttonId == 1001) {
        ButtonPressed(dialogId + 3000);
    }
}

void TolmAppBase::DialogButtonClicked(int dialogId, int buttonId)
{
    if (buttonId == 1000) {
        ButtonClicked(dialogId + 2000);
    } else if (buttonId == 1001) {
        ButtonClicked(dialogId + 3000);
    }
    // A modal dialog of the registry holds all input: when nobody waits for its answer and the click
    // did not close it (nor open another under its id), it would stay for good.
    Dialog* dialog = GetDialog(dialogId);
    if (dialog && dialog->result == buttonId && dialog->IsModal() && !dialog->IsWaitingForResult()) {
        KillDialogId(dialogId);
    }
}

void TolmAppBase::Init()
{
    mainThreadId = std::this_thread::get_id();
    mainThreadSystemId = Platform::CurrentThreadId();
    if (shutDown) {
        return;
    }
    // The desktop (SDL's video) is what DirectX stands on: without it there is nothing to show.
    if (!ddrawLibrary || !Platform::InitVideo()) {
        Platform::ShowMessageBox(
            0,
            GetStringProperty("APP_REQUIRES_DIRECTX", "This application requires DirectX to run.  You can get DirectX "
                                                      "at") +
                " https://www.libsdl.org/",
            GetStringProperty("YOU_NEED_DIRECTX", "You need DirectX"), Platform::MB_OK | Platform::MB_ICONERROR);
        DoExit(0);
    }
    PreReadRegistryHook();
    ReadFromRegistry();
    if (IsWindowsVistaOrLater()) {
        SetUserDataFolder(Platform::UserDataFolder(companyName, productName));
        demoFileName = MakeDemoPathAbsolute(demoFileName);
    }
    if (!commandLineRead) {
        ReadCommandLine();
    }
    if (screenSaverMode) {
        singleInstance = false;
    }
    if (!KeepCurrentDirectory(programFolder)) {
        Platform::SetCurrentFolder(programFolder);
    }
    GetSharedPakInterface()->AddPakFile("main.pak");
    notifyMessage = Platform::RegisterWindowMessage("Notify" + productName);
    instanceMutex = Platform::NamedLock::Create(InstanceFolder(*this), productName + "Mutex");
    if (instanceMutex && instanceMutex->AlreadyHeld()) {
        CheckOtherInstance();
    } else {
        notifyChannel = Platform::NotificationChannel::Listen(InstanceFolder(*this), "Notify" + productName);
    }
    randomSeed = Now();
    SeedRandomMT(randomSeed);
    if (playingDemo) {
        std::string errorText;
        if (!ReadDemoFile(errorText)) {
            playingDemo = false;
            ShowErrorPopup(errorText);
            DoExit(0);
        }
    }
    std::srand(Now());
    invisibleWindow = Platform::Window::CreateMessageOnly(title);
    invisibleWindow->SetUserData(this);
    CreateBuiltInCursors();
    PreWindowHook();
    widgetManager->SetMouseMapping(Rect(0, 0, width, height), Rect(0, 0, width, height));
    if (windowed && !WindowFits()) {
        windowed = false;
        windowedUnavailable = true;
    }
    MakeWindow();
    if (playingDemo) {
        // The first event is the display mode the recorded run had.
        TakeDemoEvent();
        windowed = demoBuffer.ReadBool();
        refreshRate = demoBuffer.ReadByte();
    }
    if (!soundManager) {
        soundManager = std::make_unique<DSoundManager>(noSound ? 0 : MainWindowHandle(), useFmod);
    }
    SetSfxVolume(sfxVolume);
    musicInterface = CreateMusicInterface(invisibleWindow->Handle());
    SetMusicVolume(musicVolume);
    if (screenSaverMode) {
        cursorNumber = 11;
        ApplyCursor();
    }
    InitHook();
    initialised = true;
    // The folder is settled and the display's and the sound's libraries are loaded: what a crash
    // reads of them is read now.
    CrashCatcher::PrepareForCrash();
}

bool TolmAppBase::CheckOtherInstance()
{
    if (!singleInstance) {
        return false;
    }
    Platform::NotificationChannel::Send(InstanceFolder(*this), "Notify" + productName, 0, 0);
    DoExit(0);
}

void TolmAppBase::BringToFront(Platform::WParam wParam, Platform::LParam)
{
    if (wParam != 0 || !mainWindow) {
        return;
    }
    if (mainWindow->IsMinimized()) {
        mainWindow->Restore();
    }
    mainWindow->BringToForeground();
}

void TolmAppBase::CreateBuiltInCursors()
{
    CursorMasks hand = PointingHandMasks();
    pointingHandCursor =
        Platform::Cursor::FromMasks(hand.andMask.data(), hand.xorMask.data(), 32, 32, hand.hotX, hand.hotY);
    CursorMasks open = OpenHandMasks();
    openHandCursor =
        Platform::Cursor::FromMasks(open.andMask.data(), open.xorMask.data(), 32, 32, open.hotX, open.hotY);
}

void TolmAppBase::Start()
{
    if (shutDown) {
        return;
    }
    if (!mousePollThreadRunning) {
        StartMousePollThread();
    }
    if (autoStartLoadingThread) {
        StartLoadingThread();
    }
    if (mainWindow) {
        mainWindow->Show();
        mainWindow->BringToForeground();
    }
    uint32_t loopStart = Now();
    lastInputTime = loopStart;
    lastTimerTick = loopStart;
    inMainLoop = true;
    MainLoop();
    DeleteDeferredWidgets();
    inMainLoop = false;
    WaitForLoadingThread();
    WriteStatistics(Now() - loopStart);
    MainLoopDoneHook();
    WriteToRegistry();
}

void TolmAppBase::StartMousePollThread()
{
    mousePollThreadRunning = true;
    try {
        mousePollThread = Platform::StartThread([this] { MousePollThreadEntry(); });
    } catch (const std::system_error&) {
        // Nobody would ever clear the flag, and Shutdown would wait for it for ever.
        mousePollThreadRunning = false;
    }
}

void TolmAppBase::StartLoadingThread()
{
    if (loadingThreadStarted) {
        return;
    }
    loadingThreadRunning = true;
    loadingThreadStarted = true;
    try {
        loadingThread = Platform::StartThread([this] { LoadingThreadEntry(); });
    } catch (const std::system_error&) {
        loadingThreadDone = true;
    }
}

void TolmAppBase::LoadingThreadEntry()
{
    // The main thread keeps the priority it has: an ordinary user may lower a thread, never raise it.
    Platform::LowerCallingThreadPriority();
    RunLoadingThread();
    Platform::DebugOutput(FormatString("Resource Loading Time: %d\r\n", int(Now() - loadingStartTick)));
    loadingThreadDone = true;
}

void TolmAppBase::WaitForLoadingThread()
{
    while (loadingThreadStarted && !loadingThreadDone) {
        Platform::GetClock().Sleep(20);
    }
}

double TolmAppBase::GetLoadingProgress()
{
    if (loadingCompleted) {
        return 1.0;
    }
    if (!loadingThreadStarted || loadingTaskTotal == 0) {
        return 0.0;
    }
    return std::min(1.0, double(loadingTaskDone) / double(loadingTaskTotal));
}

void TolmAppBase::WriteStatistics(uint32_t loopMs)
{
    std::string text = FormatString("Seconds       = %g\r\n", loopMs * 0.001);
    text += FormatString("Sleep Count   = %d\r\n", sleepCount);
    text += FormatString("Update Count  = %d\r\n", updateCount);
    text += FormatString("Draw Count    = %d\r\n", drawCount);
    text += FormatString("Draw Time     = %d\r\n", drawTime);
    text += FormatString("Screen Blt    = %d\r\n", presentTime);
    if (drawTime + presentTime > 0) {
        text += FormatString("Avg FPS       = %d\r\n", drawCount * 1000 / (drawTime + presentTime));
    }
    Platform::DebugOutput(text);
}

void TolmAppBase::Shutdown()
{
    if (!IsMainThread()) {
        shutdownRequested = true;
        return;
    }
    if (shutDown) {
        return;
    }
    exitNestedLoops = true;
    shutDown = true;
    ShutdownHook();
    if (playingDemo) {
        SetMusicVolume(savedMusicVolume);
        SetSfxVolume(savedSfxVolume);
    }
    if (musicInterface) {
        musicInterface->StopAllMusic();
    }
    while (mousePollThreadRunning) {
        Platform::GetClock().Sleep(10);
    }
    if (mousePollThread.joinable()) {
        mousePollThread.join();
    }
    if (mainWindow) {
        mainWindow->Hide();
    }
    if (registryRead) {
        WriteToRegistry();
    }
    UnloadJ2KCodec();
}

void TolmAppBase::DoExit(int code)
{
    std::exit(code);
}

bool TolmAppBase::WindowFits() const
{
    Platform::ScreenRect work = Platform::DesktopWorkArea();
    return width < work.width && height < work.height;
}

Platform::WindowHandle TolmAppBase::MainWindowHandle() const
{
    return mainWindow ? mainWindow->Handle() : 0;
}

} // namespace Tolm
