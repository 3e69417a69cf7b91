// The framework's application object: the window and its input, the main loop with its fixed 10 ms
// updates, the display, the dialogs and popups, the properties and the user's settings in the
// registry (our settings store). One object runs per process and is reached through gTolmApp.
//
// The virtual operations stand in the order the framework gives them; the game derives from this
// class (through CustomTolmAppBase) and overrides them.
#pragma once

#include "core/Buffer.h"
#include "core/StringUtils.h"
#include "core/VectorMath.h"
#include "graphics/Rect.h"
#include "graphics/SharedImage.h"
#include "platform/SettingsStore.h"
#include "platform/WindowMessages.h"
#include "widgets/Listeners.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <list>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace Platform {
class Cursor;
class Library;
class NamedLock;
class NotificationChannel;
class Window;
} // namespace Platform

namespace Tolm {

class DDInterface;
class DebugOverlay;
class Dialog;
class MusicInterface;
class ResourceManager;
class SoundManager;
class Widget;
class WidgetManager;

// Display initialisation results.
constexpr int kResultOk = 0;
constexpr int kResultInvalidColorDepth = 6;
constexpr int kResult3DFailed = 7;

// A named point of a played demo.
struct DemoMarker
{
    std::string name;
    int updateCount = 0;
};

// The numbered demo files prefix1.dmo, prefix2.dmo and so on, in the folder the prefix names: with
// deleteOldest, the lowest-numbered one goes when keep - 1 is below their count. Returns the highest
// number found before that (0 for none).
int RotateDemoFiles(const std::string& prefix, int keep, bool deleteOldest);

class TolmAppBase : public ButtonListener, public DialogListener
{
public:
    TolmAppBase();
    TolmAppBase(const TolmAppBase&) = delete;
    TolmAppBase& operator=(const TolmAppBase&) = delete;

    // The dialog buttons 1000 and 1001 become the application's buttons dialog id + 2000 and + 3000.
    void DialogButtonPressed(int dialogId, int buttonId) override;
    void DialogButtonClicked(int dialogId, int buttonId) override;

    // One pass of the frame-timing machine; false only when it would have to sleep and may not.
    virtual bool Process(bool allowSleep);
    virtual void Update();
    // The end of loading on the main thread, then Update; false when no update may run now.
    virtual bool RunUpdate();
    // The number of update steps the coming frame stands for.
    virtual void UpdateFraction(float steps);
    virtual void MakeWindow();
    virtual void ApplyCursor();
    // Every memory image at once (the set lives in MemoryImageRegistry, under the display lock): the
    // derived data rebuilt after the display was made again, the display-native copies freed before it
    // is, and all derived buffers freed when memory is short.
    virtual void ReInitImages();
    virtual void FreeImageCaches();
    virtual void PurgeImages();
    virtual void LoadingCompleted() {}
    virtual ~TolmAppBase();
    // The silent interface without sound, else the FMOD or the BASS back end for the window.
    virtual std::unique_ptr<MusicInterface> CreateMusicInterface(Platform::WindowHandle window);
    virtual void InitHook() {}
    virtual void ShutdownHook() {}
    virtual void MainLoopDoneHook() {}
    virtual void RunLoadingThread() {}
    virtual void WriteToRegistry();
    virtual void ReadFromRegistry();
    virtual Dialog* NewDialog(int id, bool modal, const std::string& header, const std::string& lines,
                              const std::string& footer, int buttonMode);
    virtual void PreWindowHook() {}
    virtual void PrepareForPopup();
    virtual void RecoverFromPopup();
    virtual int ShowMessageBoxWide(const WideString& text, const WideString& caption, uint32_t flags);
    virtual int ShowMessageBox(const std::string& text, const std::string& caption, uint32_t flags);
    virtual void ShowErrorPopupWide(const WideString& text);
    virtual void ShowErrorPopup(const std::string& text);
    virtual void WriteErrorLog(const std::string& text);
    virtual void DeferWidgetDeletion(Widget* widget);
    virtual void OnBrowserLaunchFailed();
    virtual void OnBrowserLaunched();
    virtual bool OpenURL(const std::string& url, bool shutdownAfter);
    virtual std::string GetProductVersion(const std::string& path);
    virtual void Hide();
    // Product, version, time since construction, screen mode and main thread, each line ending "\r\n".
    // A crash on another thread asks for it even when the main loop did not stop: it reads only what
    // is settled once the application runs, and the screen mode, which only the main thread changes.
    virtual std::string GetProgramInfo();
    // Extra form fields of a crash report's upload, one per entry (name, value); the framework adds none.
    virtual void AddCrashReportFields(std::map<std::string, std::string>& /*fields*/) {}
    // May be called from any thread, and more than once.
    virtual void Shutdown();
    // The process's command line after the program's path goes to ParseCommandLine.
    virtual void ReadCommandLine();
    // name=value parameters, separated by spaces outside double quotes, each to HandleCommandLineParam.
    virtual void ParseCommandLine(const std::string& text);
    // The framework's options: the demo options, "-crash", "-screensaver" and "-changedir"; any other
    // name is refused and ends the program.
    virtual void HandleCommandLineParam(const std::string& name, const std::string& value);
    virtual void BringToFront(Platform::WParam wParam, Platform::LParam lParam);
    // Another copy runs: tells it and ends this process, unless single instance is off (false).
    virtual bool CheckOtherInstance();
    // Runs the main loop; returns when it has ended.
    virtual void Start();
    // Failures end the process through DoExit or leave shutdownRequested set.
    virtual void Init();
    virtual void PreDisplayInitHook() {}
    virtual void PostDisplayInitHook() {}
    // Consulted before the working directory is changed to the folder.
    virtual bool KeepCurrentDirectory(const std::string& /*folder*/) { return false; }
    // Plays the sound id once through a new instance of the sound manager; nothing without a sound
    // manager or a free instance.
    virtual void PlaySampleWithPan(int soundId, int pan);
    virtual void PlaySample(int soundId);
    // The volume of everything the program plays (the sound manager's mixer volume).
    virtual double GetMasterVolume();
    virtual double GetMusicVolume();
    virtual double GetSfxVolume();
    virtual bool IsMuted();
    virtual void SetMasterVolume(double volume);
    // Both volumes are stored as given and applied as 0 while muted.
    virtual void SetMusicVolume(double volume);
    virtual void SetSfxVolume(double volume);
    // Muting nests: every Mute needs its Unmute.
    virtual void Mute(bool automatic);
    virtual void Unmute(bool automatic);
    virtual double GetLoadingProgress();
    // The file (and its alpha companion) decoded into a new image named after it; null when nothing could
    // be decoded.
    virtual std::unique_ptr<MemoryImage> GetImage(const std::string& file, bool commitBits);
    // A handle on the one image of this file and variant, letter case aside. The first request loads it
    // ("!" names get an empty image the program draws itself); a request made meanwhile on another thread
    // waits for that load. A file that failed to load stays an entry without an image until cleaned.
    virtual SharedImageHandle GetSharedImage(const std::string& file, const std::string& variant, bool* isNew);
    virtual void SwitchScreenMode(bool toWindowed, bool is3D, bool force);
    virtual void SwitchScreenModeTo(bool toWindowed);
    virtual void ReapplyScreenMode();
    virtual void SetDisplayOption(bool option);
    virtual Dialog* OpenDialog(int id, bool modal, const std::string& header, const std::string& lines,
                               const std::string& footer, int buttonMode);
    virtual Dialog* GetDialog(int id);
    virtual void AddDialog(Dialog* dialog);
    virtual void AddDialogById(int id, Dialog* dialog);
    virtual bool KillDialogObject(Dialog* dialog);
    virtual bool KillDialogId(int id);
    virtual bool KillDialog(int id, bool removeWidget, bool deleteIt);
    virtual int GetDialogCount();
    virtual void ModalOpened() {}
    virtual void ModalClosed() {}
    virtual void GotFocus() {}
    virtual void LostFocus() {}
    // Alt with one of these keys types a character that must not beep.
    virtual bool IsConfirmKey(int key);
    // True when the key was used up.
    virtual bool DebugKeyDown(int key);
    virtual bool InterceptKeyDown(int /*key*/, bool /*ctrl*/, bool /*alt*/) { return false; }
    virtual void CloseRequested() {}
    virtual void DisplayInitHook() {}
    // Called by the display's set-up after a fresh 3D capability test result.
    virtual void D3DTestResultHook() {}
    virtual std::string GetExtraCrashInfo() { return std::string(); }
    // Whether a loaded file's contents pass a signature test; the framework has none.
    virtual bool VerifyDataSignature(Buffer& buffer, const std::string& path);
    // Draws the dirty widgets and presents; false when nothing was drawn.
    virtual bool Redraw();
    // Presents the screen image; null for all of it.
    virtual void PresentScreen(const Rect* rect);
    virtual void PreReadRegistryHook() {}
    virtual void MainLoop();
    // One step of the loop; false when nested loops must end. updated (when given) tells whether an
    // update ran.
    virtual bool StepMainLoop(bool* updated);
    // While a crash on another thread is reported: hides the application, tells the crash catcher and
    // stops the calling thread for good. Otherwise nothing. The main loop calls it at every step.
    void StopForCrash();
    // What a crash on another thread does when the main loop has not stopped for it: takes the demo
    // being recorded. True when nothing has been recorded since the loop's current step began, so that
    // no record is half written; from then on a thread other than the crashing one that starts to
    // record stops for good instead.
    bool TakeDemoForCrash();
    // Whether the caller runs on the application's main thread; true before the application knows it.
    bool IsMainThread() const;
    // Steps until one update has happened (true) or a step refuses (false): what modal waits loop on.
    virtual bool UpdateApp();
    virtual bool AllowRestore();

    // Ends the process with the code at once; the application object is not deleted.
    [[noreturn]] static void DoExit(int code);
    // The resource manager's error text in the error popup; then, with exit, the end of the process.
    void ShowResourceError(bool exit);

    // The window procedure of both windows; the application is found through the window's user data.
    static int32_t WindowProc(Platform::WindowHandle window, uint32_t message, Platform::WParam wParam,
                              Platform::LParam lParam);
    // Handles the oldest deferred input message (all of them unless justOne); true while some remain.
    bool ProcessDeferredMessages(bool justOne);
    // The click code the widgets get for a mouse button message: 1 left, 2 left double, -1 right,
    // -2 right double, 3 middle.
    static int MouseClickCode(uint32_t message);
    int InitDisplay();
    void AfterDisplayInit();
    void SetAcceleration3D(bool on, bool reinit);
    // Whether the display draws in 3D.
    bool Is3DMode() const;
    void SetCursor(int number);
    void SetActiveState();
    void ResetKeyStates();
    void SetFpsOverlay(bool on);
    void ShowVideoStats();
    // Stamp now, no time debt: a long pause (a popup, a window drag) must not count as lag.
    void ResetFrameTiming();
    void UpdateTimeDebt();
    void CheckIdle(uint32_t now);
    void DeleteDeferredWidgets();
    void StartLoadingThread();
    void WaitForLoadingThread();
    // True when a window of width x height fits the desktop's work area.
    bool WindowFits() const;
    Platform::WindowHandle MainWindowHandle() const;

    // Deletes the shared images nobody holds any more, when a handle has let go of one since the last
    // time; runs at the end of every update.
    void CleanSharedImages();
    // New images holding the image, or the part of it inside the rectangle, with its frame layout.
    std::unique_ptr<MemoryImage> CopyImage(Image* image);
    std::unique_ptr<MemoryImage> CopyImageRect(Image* image, const Rect& rect);

    // Properties, by exact name; a missing name gives the default.
    bool GetBoolProperty(const std::string& name, bool defaultValue) const;
    int GetIntProperty(const std::string& name) const;
    int GetIntPropertyOr(const std::string& name, int defaultValue) const;
    double GetDoubleProperty(const std::string& name) const;
    double GetDoublePropertyOr(const std::string& name, double defaultValue) const;
    std::string GetStringProperty(const std::string& name, const std::string& defaultValue) const;
    std::string GetStringPropertyOrEmpty(const std::string& name) const;
    void SetStringProperty(const std::string& name, const WideString& text);
    void SetBoolProperty(const std::string& name, bool value);
    void SetIntProperty(const std::string& name, int value);
    void SetDoubleProperty(const std::string& name, double value);

    // Loads one properties file into the tables. An unreadable file is an error only with showErrors;
    // malformed content always is, and keeps what was stored before the error. Errors are shown in
    // the error popup.
    bool LoadProperties(const std::string& path, bool showErrors, bool checkSignature);

    // The whole file through the pak layer, replacing the buffer's contents. Demo-aware: the file
    // read is part of what a demo records and replays, unless bypassDemo.
    bool ReadFileToBuffer(const std::string& path, Buffer& buffer, bool bypassDemo);
    // Whether the file opens through the pak layer. Demo-aware.
    bool FileExists(const std::string& path);

    // Demo recording and playback. Everything that enters the program from outside passes through the
    // event stream in demoBuffer, tagged with the update count it happened at.
    // Writes the fillers and the update delta of an event; the caller writes its kind, command and payload.
    void RecordDemoEventHeader();
    // Reads the pending event's header when the last one was taken; true when it is due now.
    bool ReadDemoEventHeader();
    // Whether the stream holds another event header: the bits padding its last byte are none.
    bool DemoHeaderAvailable();
    // Carries out the recorded input events that are due now.
    void PlayDemoEvents();
    // The buffer's contents recorded, or replaced by the recorded contents while playing back.
    void SyncDemoBuffer(Buffer& buffer);
    // Kept in step as a boolean byte.
    void SyncDemoByte(uint8_t& value);
    void SyncDemoString(std::string& text);
    // The stream, seed, version and markers written to demoFileName while recording; nothing otherwise.
    void WriteDemoFile();
    // Loads demoFileName for playback; false with the text to show.
    bool ReadDemoFile(std::string& errorText);
    // The playback dialogs: jump to a marker still ahead, or to a time before the end.
    void ShowDemoMarkerList();
    // The dialog's answer: IDOK or IDCANCEL.
    int ShowDemoJumpDialog();
    // Music and sound effects off, or back to the volumes they had.
    void ToggleDemoSound();

    // Text on the desktop's clipboard; the copy is skipped and the paste replayed during playback.
    void CopyToClipboard(const std::string& text);
    std::string GetClipboardText();
    // The screen as "imageN.png" in the user-data folder's "_screenshots", N one above the highest there.
    void TakeScreenshot();
    // The debug overlay's pictures, redrawn with the frame rate, the mouse position or the demo time left.
    void DrawFpsOverlay();
    void DrawMouseOverlay(int x, int y);
    void DrawDemoTimeOverlay();

    // Registry values below the application's key. A name may carry a subkey: "Test3D\RuntimeError"
    // is the value "RuntimeError" of the subkey "Test3D". With no registryKey every read and write
    // fails. Demo-aware, like ReadFileToBuffer.
    bool WriteRegistryValue(const std::string& name, uint32_t type, const uint8_t* data, uint32_t count);
    bool WriteRegistryString(const std::string& name, const std::string& text);
    bool WriteRegistryInt(const std::string& name, int value);
    // count holds the room in data on the way in and the value's size on the way out.
    bool ReadRegistryValue(const std::string& name, uint32_t& type, uint8_t* data, uint32_t& count);
    // True only for a 4-byte REG_DWORD value; value is written only then.
    bool ReadRegistryInt(const std::string& name, int& value);
    bool ReadRegistryBool(const std::string& name, bool& value);
    void EraseRegistryValue(const std::string& name);
    // The store of the current registryKey, reopened when the key changes; null for a key that names
    // nothing usable. Outside the demo stream: the 3D test keeps its cache there itself.
    Platform::SettingsStore* RegistryStore();

    // Identity.
    std::string companyName;
    std::string productName = "Product";
    std::string title = "TolmApp";
    // Registry key below the current user's software key, e.g. "Tarvel Studio\Quendara".
    std::string registryKey;
    std::string productVersion;
    std::string captionPrefix;
    std::string programFolder;
    uint32_t randomSeed = 0;

    // Screen.
    int width = 640;
    int height = 480;
    // Bits per pixel asked of a full-screen display mode.
    int colorDepth = 32;
    // Only traced by the display.
    Ratio aspectOverride;
    // Where the display puts the picture, in client coordinates.
    Rect presentationRect;
    // Megabytes of video memory the 3D display needs, and would like.
    int minVideoMemory = 6;
    int recommendedVideoMemory = 14;
    // "ddraw.dll", loaded when the application is made; the display finds its entry points in it.
    Platform::Library* ddrawLibrary = nullptr;
    bool windowed = true;
    bool isWindowedNow = true;
    bool windowedUnavailable = false;
    bool fullScreenUnavailable = false;
    int preferredX = -1;
    int preferredY = -1;
    std::unique_ptr<Platform::Window> mainWindow;
    std::unique_ptr<Platform::Window> invisibleWindow;
    bool displayOption = false;

    // Sound.
    double musicVolume = 0.85;
    double sfxVolume = 0.85;
    double savedMusicVolume = 0.0;
    double savedSfxVolume = 0.0;
    bool noSound = false;
    bool useFmod = false;
    int muteCount = 0;
    int autoMuteCount = 0;
    bool muteOnFocusLoss = true;
    bool mutedForCatchUp = false;

    // Owned objects.
    std::unique_ptr<WidgetManager> widgetManager;
    std::unique_ptr<ResourceManager> resourceManager;
    std::unique_ptr<DDInterface> display;
    // Null until Init makes the sound system; the resource manager's sound ids come from it.
    std::unique_ptr<SoundManager> soundManager;
    std::unique_ptr<MusicInterface> musicInterface;

    // Timing: every update is frameTime ms of logic.
    int frameTime = 10;
    double updateMultiplier = 1.0;
    int refreshRate = 100;
    bool smoothUpdates = false;
    // Set when presents cannot pace the frames (the display's refresh is unknown or out of range, or
    // the logic ran too fast against it); the timing then follows the clock.
    bool vsyncBroken = false;
    bool waitForVSync = false;
    bool softVSyncInWindow = true;
    int updateCount = 0;
    int drawCount = 0;
    int sleepCount = 0;
    // 0 handle input, 1 an update is wanted, 2 the rest of the frame's updates, 3 draw or sleep.
    int processState = 0;
    int updateAppDepth = 0;
    int consecutiveUpdates = 0;
    double updateFraction = 0.0;
    double timeDebt = 0.0;
    uint32_t lastTimeDebtStamp = 0;
    bool hasTimeDebtStamp = false;
    bool needsRedraw = true;
    bool redrawDidNothing = false;
    bool forceRedraw = false;
    uint32_t lastPresentTime = 0;
    // Read by the mouse-poll thread.
    std::atomic<uint32_t> nextRedrawTime{0};
    int drawTime = 0;
    int presentTime = 0;
    int vsyncMissCount = 0;
    uint32_t vsyncLastCheckTime = 0;
    int vsyncFramesSinceCheck = 0;
    bool drawingInProgress = false;
    int presentCount = 0;
    bool appIdle = false;
    bool screenImageLost = false;
    uint32_t lastIdleCheckTime = 0;
    uint32_t lastCatchUpRedrawTime = 0;
    bool catchUpTimerStarted = false;
    uint32_t lastRecoveryAttemptTime = 0;

    // Life.
    std::atomic<bool> shutDown{false};
    bool exitNestedLoops = false;
    std::atomic<bool> shutdownRequested{false};
    bool hidden = false;
    bool initialised = false;
    bool registryRead = false;
    bool inMainLoop = false;
    std::thread::id mainThreadId;
    // The system's number for the main thread, for the program information.
    uint32_t mainThreadSystemId = 0;
    uint32_t creationTime = 0;

    // Single instance.
    bool singleInstance = true;
    uint32_t notifyMessage = 0;
    std::unique_ptr<Platform::NamedLock> instanceMutex;
    std::unique_ptr<Platform::NotificationChannel> notifyChannel;
    bool screenSaverMode = false;
    bool commandLineRead = false;
    // The screen saver ends on input: mouse moves are counted from the first position seen.
    bool screenSaverPositionKnown = false;
    int screenSaverX = 0;
    int screenSaverY = 0;
    int screenSaverMoves = 0;
    bool screenSaverEnding = false;

    // Input and focus.
    int cursorNumber = 0;
    bool customCursors = false;
    bool cursorChanged = false;
    bool mouseInWindow = false;
    bool hasFocus = true;
    bool minimized = false;
    bool minimizedBySize = false;
    bool active = true;
    bool windowDisabled = false;
    bool pausedInactive = false;
    bool ctrlDown = false;
    bool altDown = false;
    bool debugKeysEnabled = false;
    // Edit fields take the characters 128 to 255 too.
    bool allowExtendedChars = false;
    float mouseSensitivity = 1.0f;
    std::unique_ptr<Platform::Cursor> pointingHandCursor;
    std::unique_ptr<Platform::Cursor> openHandCursor;
    std::deque<Platform::Message> deferredMessages;
    uint32_t lastInputTime = 0;
    uint32_t lastTimerTick = 0;
    uint32_t timerGapStart = 0;
    bool flippedToGdi = false;
    bool autoEnable3D = true;
    bool run3DTest = false;
    bool acceleration3DChanged = false;
    bool showFps = false;
    int fpsOverlayMode = 0;
    std::unique_ptr<DebugOverlay> debugOverlay;
    uint32_t lastMonitorPowerTime = 0;
    // Mouse sensitivity: the scaled pointer's last position and the fractions carried between moves.
    bool scaledMouseStarted = false;
    int scaledMouseX = 0;
    int scaledMouseY = 0;
    float scaledMouseRemainderX = 0.0f;
    float scaledMouseRemainderY = 0.0f;

    // Loading.
    bool autoStartLoadingThread = true;
    bool loadingThreadStarted = false;
    std::atomic<bool> loadingThreadDone{false};
    bool loadingCompleted = false;
    bool loadingThreadRunning = false;
    std::atomic<bool> mousePollThreadRunning{false};
    int loadingTaskTotal = 0;
    std::atomic<int> loadingTaskDone{0};
    uint32_t loadingStartTick = 0;

    // Demo.
    bool recordingDemo = false;
    bool playingDemo = false;
    // The main or the hidden window was closed: playback takes no more results from the stream.
    bool windowClosed = false;
    Buffer demoBuffer;
    // Recording: the update of the last event written. Playback: the update the pending event is due at.
    int demoNextEventUpdate = 0;
    // Playback has taken the pending event and reads the next header first.
    bool demoNeedHeader = true;
    bool demoShortEvent = false;
    int demoCommand = 0;
    // Mouse moves are recorded relative to it; the mouse-poll thread reads it during playback.
    std::atomic<int> demoMouseX{0};
    std::atomic<int> demoMouseY{0};
    bool demoLoadingDoneSeen = false;
    std::string demoNamePrefix = "tolmapp";
    std::string demoFileName = demoNamePrefix + ".dmo";
    std::vector<DemoMarker> demoMarkers;
    // The two sides of TakeDemoForCrash: whether anything was recorded since the main loop's step
    // began, and whether a crash took the demo.
    std::atomic<bool> demoRecordedInStep{false};
    std::atomic<bool> demoTakenForCrash{false};
    int demoEndUpdate = 0;
    int demoTargetUpdate = 0;
    bool demoFastForward = false;

    // Dialogs, by id and in the order they were added.
    std::map<int, Dialog*> dialogMap;
    std::list<Dialog*> dialogList;
    // Widgets to delete at the end of the loop step (of the depth they were queued at).
    struct DeferredWidget
    {
        int depth;
        Widget* widget;
    };
    std::list<DeferredWidget> safeDeleteList;

    // Browser launch.
    bool browserLaunched = false;
    bool shutdownAfterBrowser = false;
    std::string browserLaunchURL;
    uint32_t browserLaunchTime = 0;

    bool isTabletPC = false;
    bool allowPageFlip = true;

    std::map<std::string, WideString> stringProperties;
    std::map<std::string, bool> boolProperties;
    std::map<std::string, int> intProperties;
    std::map<std::string, double> doubleProperties;
    // Filled by properties files; nothing reads it.
    std::map<std::string, std::vector<std::string>> stringArrayProperties;

    // Keyed by the upper-case file name and the upper-case variant; guarded by the display lock.
    std::map<std::pair<std::string, std::string>, SharedImage> sharedImageMap;
    // Set by a handle that let go of the last reference to an entry; cleared by CleanSharedImages.
    std::atomic<bool> sharedImagesReleased{false};

private:
    // The live work behind the demo-aware operations: what runs when no demo is recorded or played.
    bool ReadFileLive(const std::string& path, Buffer& buffer);
    bool WriteRegistryLive(const std::string& name, uint32_t type, const uint8_t* data, uint32_t count);
    bool ReadRegistryLive(const std::string& name, uint32_t& type, uint8_t* data, uint32_t& count);

    // Main loop pieces.
    void RunStepBlock(double step, bool countConsecutive);
    bool CatchUpDemo(double step);
    void CompleteLoading();

    // Demo pieces.
    void RecordDemoLongEvent(int command);
    void RecordDemoShortEvent(int command);
    void RecordDemoMessage(const Platform::Message& message);
    void RecordDemoMousePosition(int x, int y);
    void RecordDemoFileRead(bool found, const Buffer& buffer);
    // Takes the pending event: its header is read when needed and it counts as taken.
    void TakeDemoEvent();
    // A length and that many bytes of the stream; false, with the rest of the stream skipped, when the
    // length is negative or runs past the end.
    bool ReadDemoBlock(std::vector<uint8_t>& bytes);
    void PlayDemoEvent();
    bool IsDemoOperationResult() const;
    void PlayDemoActivation(bool nowFocused);
    void PlayDemoMinimize(bool nowMinimized);
    // A typed character during playback: the playback controls.
    void HandleDemoControl(char key);
    // A demo path in the user-data folder unless it names its own drive or root.
    std::string MakeDemoPathAbsolute(const std::string& path) const;
    // The jump target of a "h:m:s" text that counts back from the end of the demo.
    int DemoJumpTarget(const std::string& text) const;
    void DrawOverlays();

    // Window pieces.
    int32_t HandleMessage(const Platform::Message& message);
    // In screen-saver mode: true when the message was taken, with its result.
    bool ScreenSaverFilter(const Platform::Message& message, int32_t& result);
    void EndScreenSaver(const Platform::Message& message);
    int32_t QueueMessage(Platform::Message message);
    bool ScaleMouseMove(Platform::Message& message);
    void DispatchDeferred(const Platform::Message& message);
    void DispatchMouse(const Platform::Message& message);
    void HandleTimerMessage();
    void HandleKeyDown(const Platform::Message& message);
    void CreateBuiltInCursors();
    void StartMousePollThread();
    void MousePollThreadEntry();
    void ReportFatalDisplayError(int result);
    void FinishWindow();

    // Fatal popups raised on another thread wait here for the main thread.
    void ShowPendingErrorPopups();

    // Exit pieces.
    void WriteStatistics(uint32_t loopMs);
    void ConfirmHardwareAcceleration();
    void DestroyWindows();
    void LoadingThreadEntry();

    std::unique_ptr<Platform::SettingsStore> settingsStore;
    std::string settingsStoreKey;
    std::thread mousePollThread;
    std::thread loadingThread;
    bool errorLogStarted = false;
    std::mutex pendingPopupLock;
    std::vector<std::string> pendingErrorPopups;

    // Where requesters of a shared image that is still loading wait for it.
    std::mutex sharedImageLoadLock;
    std::condition_variable sharedImageLoaded;
};

// The running application: set by its constructor, cleared by its destructor.
extern TolmAppBase* gTolmApp;

// The display text of a text id ("but_start") from the running application's translation.
std::string GetLocalizedText(const std::string& id);

} // namespace Tolm
