// The main loop and its frame timing. Logic advances in fixed updates of frameTime ms so that a demo
// replays identically; only UpdateFraction sees fractional time. Frames are paced by the display's
// presents in full screen (smooth updates) and by the clock otherwise, with the time debt capped so
// that a stall costs at most 20 updates. Every reading of time goes through the program's clock.
#include "app/DebugOverlay.h"
#include "app/DemoEvents.h"
#include "app/TolmAppBase.h"
#include "core/Singleton.h"
#include "diagnostics/CrashCatcher.h"
#include "diagnostics/Profiler.h"
#include "display/D3DInterface.h"
#include "display/DDImage.h"
#include "display/DDInterface.h"
#include "platform/Clock.h"
#include "platform/ExceptionFilter.h"
#include "platform/MessagePump.h"
#include "platform/VideoSystem.h"
#include "platform/Window.h"
#include "sound/MusicInterface.h"
#include "sound/SoundManager.h"
#include "widgets/Widget.h"
#include "widgets/WidgetManager.h"

#include <algorithm>
#include <cmath>

namespace Tolm {

namespace {

uint32_t Now()
{
    return Platform::GetClock().Milliseconds();
}

void Sleep(uint32_t milliseconds)
{
    Platform::GetClock().Sleep(milliseconds);
}

// The longest stall the logic catches up on.
constexpr double kMaxTimeDebtMs = 200.0;
// While loading, the main thread sleeps at most this long per pass so the loading thread gets the processor.
constexpr int kMaxLoadingSleepMs = 250;

} // namespace

void TolmAppBase::MainLoop()
{
    while (!shutDown) {
        exitNestedLoops = false;
        UpdateApp();
    }
}

bool TolmAppBase::UpdateApp()
{
    for (;;) {
        bool updated = false;
        if (!StepMainLoop(&updated)) {
            return false;
        }
        if (updated) {
            return true;
        }
    }
}

bool TolmAppBase::IsMainThread() const
{
    return mainThreadId == std::thread::id() || std::this_thread::get_id() == mainThreadId;
}

void TolmAppBase::StopForCrash()
{
    if (!Platform::FaultInProgress() || Platform::IsFaultingThread()) {
        return;
    }
    Hide();
    CrashCatcher::mainLoopParked = true;
    Platform::ParkThread();
}

bool TolmAppBase::TakeDemoForCrash()
{
    demoTakenForCrash = true;
    return !demoRecordedInStep;
}

bool TolmAppBase::StepMainLoop(bool* updated)
{
    // The crash path closes the demo and the application down; nothing may record or draw beside it.
    StopForCrash();
    // Every record is written whole within the step that starts it, nested loops included.
    demoRecordedInStep = false;
    if (updated) {
        *updated = false;
    }
    if (exitNestedLoops) {
        return false;
    }
    if (pausedInactive) {
        processState = 3;
        Sleep(100);
    }
    if (processState == 3) {
        processState = 0;
    }
    ++updateAppDepth;
    if (processState == 0) {
        Platform::Message message;
        while (Platform::MessagePump::Main().PeekMessage(message)) {
            // A message taken after shutdown is dropped.
            if (shutDown) {
                break;
            }
            WindowProc(message.window, message.message, message.wParam, message.lParam);
        }
        PlayDemoEvents();
        if (!ProcessDeferredMessages(true)) {
            processState = 1;
        }
    } else {
        int before = updateCount;
        Process(true);
        if (updated) {
            *updated = updateCount != before;
        }
    }
    --updateAppDepth;
    return true;
}

bool TolmAppBase::Process(bool allowSleep)
{
    // A failure on the loading thread queues its popup before it asks for the shutdown. The request is
    // read before the queue is emptied, so that a failure landing in between (while an earlier popup
    // is up, say) is shown at the next pass instead of being cut off by the shutdown.
    bool shutdownWanted = shutdownRequested;
    ShowPendingErrorPopups();
    if (shutdownWanted) {
        Shutdown();
    }
    bool smooth = !playingDemo && smoothUpdates && !redrawDidNothing && !vsyncBroken &&
                  (!isWindowedNow || (waitForVSync && !softVSyncInWindow));
    double frameMs = double(frameTime) / updateMultiplier;
    double step = 1.0;
    if (smoothUpdates) {
        frameMs = 1000.0 / refreshRate / updateMultiplier;
        step = 1000.0 / double(frameTime * refreshRate);
    }
    if (playingDemo && (updateCount < demoTargetUpdate || demoFastForward) && !CatchUpDemo(step)) {
        return true;
    }
    if (!pausedInactive && updateMultiplier > 0) {
        uint32_t now = Now();
        uint32_t slept = 0;
        if (!smooth) {
            UpdateTimeDebt();
        }
        bool drawOrSleep = processState != 1 && processState != 2;
        bool held = false;
        if (processState == 1) {
            ++consecutiveUpdates;
            bool forcedDraw = consecutiveUpdates >= int(std::ceil(updateMultiplier * 10)) && loadingCompleted;
            bool aheadOfTime = smooth ? needsRedraw && timeDebt < std::floor(frameMs * 0.75) : timeDebt < frameMs;
            drawOrSleep = forcedDraw || aheadOfTime;
            if (!drawOrSleep) {
                // Logic that runs a second's worth of updates in 800 ms or less, three checkpoints in a
                // row, outruns the refresh that should pace it: from then on the clock paces the frames.
                if (!playingDemo && updateMultiplier == 1.0 &&
                    ++vsyncFramesSinceCheck >= (frameTime + 999) / frameTime) {
                    if (now - vsyncLastCheckTime > 800) {
                        vsyncMissCount = 0;
                    } else if (++vsyncMissCount >= 3) {
                        vsyncBroken = true;
                    }
                    vsyncLastCheckTime = now;
                    vsyncFramesSinceCheck = 0;
                }
                if (RunUpdate()) {
                    processState = 2;
                } else if (playingDemo) {
                    // A replay held by its loading or at the end of its events spends the frame drawing
                    // and sleeping, and goes back to its window, which can still close it.
                    held = true;
                    drawOrSleep = true;
                    timeDebt = 0;
                }
                needsRedraw = true;
            }
        } else if (processState == 2) {
            processState = 3;
            RunStepBlock(step, true);
            timeDebt -= frameMs;
            if (smooth) {
                timeDebt -= 0.2;
                timeDebt = std::max(timeDebt, 0.0);
            }
        }
        if (drawOrSleep) {
            processState = 3;
            consecutiveUpdates = 0;
            bool drawing = needsRedraw;
            if (drawing) {
                Redraw();
            }
            if (int ms = int(frameMs - timeDebt); (!drawing || held) && ms > 0) {
                if (!allowSleep) {
                    return false;
                }
                ++sleepCount;
                Sleep(uint32_t(ms));
                slept = uint32_t(ms);
            }
        }
        if (loadingThreadRunning) {
            // The main thread, which the loading thread runs a step below, leaves it about twice the
            // time it used itself.
            int extra = 2 * int(Now() - now - slept) - int(slept);
            extra = std::min(extra, kMaxLoadingSleepMs);
            if (extra >= 0) {
                if (!allowSleep) {
                    return false;
                }
                Sleep(uint32_t(extra));
            }
        }
    } else {
        // No timing runs now; the next step handles input again, so a paused or stopped program
        // still answers its window.
        processState = 3;
    }
    DeleteDeferredWidgets();
    return true;
}

bool TolmAppBase::CatchUpDemo(double step)
{
    if (!mutedForCatchUp && !forceRedraw) {
        mutedForCatchUp = true;
        Mute(true);
    }
    while (updateCount < demoTargetUpdate || demoFastForward) {
        timeDebt = 0;
        lastTimeDebtStamp = Now();
        hasTimeDebtStamp = true;
        PlayDemoEvents();
        int before = updateCount;
        if (RunUpdate()) {
            RunStepBlock(step, false);
        }
        if (updateCount == before) {
            // Held (still loading, or out of events): the frame is drawn and the window answered as
            // at normal speed.
            return true;
        }
        if (!catchUpTimerStarted) {
            lastCatchUpRedrawTime = Now();
            catchUpTimerStarted = true;
        }
        if (Now() - lastCatchUpRedrawTime >= 1000 || forceRedraw) {
            forceRedraw = false;
            lastCatchUpRedrawTime = Now();
            Redraw();
            return false;
        }
    }
    if (mutedForCatchUp) {
        mutedForCatchUp = false;
        // Sounds the skipped updates started would otherwise all ring out at once.
        if (soundManager) {
            soundManager->StopAll();
        }
        Unmute(true);
    }
    return true;
}

void TolmAppBase::RunStepBlock(double step, bool countConsecutive)
{
    updateFraction += step - 1;
    DeleteDeferredWidgets();
    while (updateFraction >= 1) {
        PlayDemoEvents();
        if (countConsecutive) {
            ++consecutiveUpdates;
        }
        if (!RunUpdate()) {
            break;
        }
        DeleteDeferredWidgets();
        updateFraction -= 1;
    }
    UpdateFraction(float(step));
    DeleteDeferredWidgets();
}

void TolmAppBase::UpdateTimeDebt()
{
    uint32_t now = Now();
    if (hasTimeDebtStamp) {
        timeDebt = std::min(double(now - lastTimeDebtStamp) + timeDebt, kMaxTimeDebtMs);
    }
    lastTimeDebtStamp = now;
    hasTimeDebtStamp = true;
}

void TolmAppBase::ResetFrameTiming()
{
    lastTimeDebtStamp = Now();
    hasTimeDebtStamp = true;
    timeDebt = 0;
}

bool TolmAppBase::RunUpdate()
{
    if (appIdle) {
        return false;
    }
    if (playingDemo) {
        if (loadingThreadDone && !loadingCompleted && demoLoadingDoneSeen) {
            CompleteLoading();
        }
        // The recorded events of this update must be replayed first.
        if (loadingCompleted != demoLoadingDoneSeen || updateCount == demoNextEventUpdate) {
            return false;
        }
    } else if (loadingThreadDone && !loadingCompleted) {
        // Before the completion's own work, whose reads are recorded after the event, as a replay
        // meets them: it completes the loading when it has played the event.
        if (recordingDemo) {
            RecordDemoLongEvent(DemoEvent::kLoadingDone);
        }
        CompleteLoading();
    }
    Update();
    return true;
}

void TolmAppBase::CompleteLoading()
{
    loadingCompleted = true;
    loadingThreadRunning = false;
    if (loadingThread.joinable()) {
        loadingThread.join();
    }
    LoadingCompleted();
}

void TolmAppBase::Update()
{
    ++updateCount;
    if (!minimized) {
        widgetManager->UpdateFrame();
    }
    if (musicInterface) {
        musicInterface->Update();
    }
    CleanSharedImages();
}

void TolmAppBase::UpdateFraction(float steps)
{
    if (smoothUpdates && !minimized) {
        widgetManager->UpdateFrameF(steps);
    }
}

bool TolmAppBase::Redraw()
{
    ProfilerSection section;
    if (screenImageLost) {
        PresentScreen(nullptr);
        needsRedraw = false;
        redrawDidNothing = true;
        return false;
    }
    if (showFps) {
        DrawOverlays();
    }
    uint32_t start = Now();
    if (start - lastIdleCheckTime > 1000) {
        CheckIdle(start);
    }
    if (appIdle) {
        redrawDidNothing = true;
        needsRedraw = false;
        return false;
    }
    drawingInProgress = true;
    bool drawn = widgetManager->DrawScreen();
    drawingInProgress = false;
    uint32_t now = Now();
    bool wanted = drawn || now - lastPresentTime > 999 || cursorChanged;
    if (!wanted || int32_t(now - nextRedrawTime) < 0) {
        redrawDidNothing = true;
        needsRedraw = false;
        return false;
    }
    redrawDidNothing = false;
    ++drawCount;
    drawTime += int(now - start);
    if (showFps) {
        debugOverlay->BlitOnto(widgetManager->screenImage, playingDemo);
    }
    if (waitForVSync && isWindowedNow && softVSyncInWindow && display &&
        now - lastPresentTime < display->refreshPeriod) {
        Sleep(display->refreshPeriod - (now - lastPresentTime));
        now = Now();
    }
    lastPresentTime = now;
    PresentScreen(nullptr);
    UpdateTimeDebt();
    uint32_t presented = Now();
    presentTime = int(presented - now);
    if (loadingThreadStarted && !loadingThreadDone) {
        // While loading, at least 50 ms between draws.
        uint32_t next = nextRedrawTime + uint32_t(std::max(int(presented - now), 15)) + 35;
        nextRedrawTime = int32_t(next - presented) < 0 ? presented : next;
    } else {
        nextRedrawTime = presented;
    }
    needsRedraw = false;
    cursorChanged = false;
    return true;
}

void TolmAppBase::PresentScreen(const Rect* rect)
{
    if (drawingInProgress || shutDown || appIdle || !display) {
        return;
    }
    if (display->Redraw(rect)) {
        if (screenImageLost) {
            screenImageLost = false;
            lastRecoveryAttemptTime = 0;
        }
        ++presentCount;
        return;
    }
    D3DState().renderTargetFailed = false;
    screenImageLost = true;
    uint32_t now = Now();
    bool windowShown = mainWindow && !mainWindow->IsMinimized() && !minimized;
    bool mayRetry = hasFocus || (isWindowedNow && now - lastRecoveryAttemptTime > 1000);
    if (windowShown && mayRetry) {
        lastRecoveryAttemptTime = now;
        widgetManager->screenImage = nullptr;
        if (windowed && !WindowFits()) {
            if (!fullScreenUnavailable) {
                windowedUnavailable = true;
                SwitchScreenModeTo(false);
            } else {
                ShowErrorPopup(
                    GetStringProperty("PLEASE_SET_COLOR_DEPTH", "Please set your desktop color depth to 16 bit."));
                Shutdown();
            }
        } else {
            int result = InitDisplay();
            if (result == kResultInvalidColorDepth && windowed) {
                if (hasFocus) {
                    SwitchScreenModeTo(false);
                    windowedUnavailable = true;
                }
            } else if (result == kResult3DFailed) {
                SetAcceleration3D(false, true);
            } else if (result == kResultOk) {
                ReInitImages();
                widgetManager->screenImage = display->GetScreenImage();
                widgetManager->InvalidateAll();
            }
        }
    }
    ++presentCount;
}

void TolmAppBase::CheckIdle(uint32_t now)
{
    lastIdleCheckTime = now;
    // The desktop here reports no screen saver of its own, so the program never counts as idle: it
    // keeps the saver away itself while it runs (SDL's default).
    appIdle = false;
}

void TolmAppBase::DeferWidgetDeletion(Widget* widget)
{
    // A widget queued twice would be deleted twice.
    bool queued = std::any_of(safeDeleteList.begin(), safeDeleteList.end(),
                              [widget](const DeferredWidget& entry) { return entry.widget == widget; });
    if (queued) {
        return;
    }
    // A singleton on its way out is no longer its class's instance, so that a getter called before the
    // deletion builds a fresh object instead of handing out the dying one.
    if (auto* singleton = dynamic_cast<SingletonRegistration*>(widget)) {
        singleton->Unregister();
    }
    safeDeleteList.push_back({updateAppDepth, widget});
}

void TolmAppBase::DeleteDeferredWidgets()
{
    ProfilerSection section;
    // A widget's destructor may queue another one; list positions survive that.
    for (auto entry = safeDeleteList.begin(); entry != safeDeleteList.end();) {
        if (entry->depth < updateAppDepth) {
            ++entry;
            continue;
        }
        Widget* widget = entry->widget;
        entry = safeDeleteList.erase(entry);
        delete widget;
    }
}

} // namespace Tolm
