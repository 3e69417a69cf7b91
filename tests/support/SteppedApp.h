// An application that is never started: no window, no display, no loop. Tests step its widgets and its
// core time by hand, one frame of one 10 ms update at a time, as the main loop would.
#pragma once

#include "app/CustomTolmAppBase.h"
#include "core/CoreTimer.h"
#include "widgets/WidgetManager.h"

class SteppedApp : public CustomTolmAppBase
{
public:
    SteppedApp()
    {
        width = 800;
        height = 600;
        smoothUpdates = true;
        SetCoreTimeSource(this);
        InstallCoreTimeCallbacks();
        widgetManager->SetMouseMapping(Tolm::Rect(0, 0, width, height), Tolm::Rect(0, 0, width, height));
    }

    // One update, its fractional walk (which ticks the core time), then the deferred deletions.
    void Frame()
    {
        ++updateCount;
        widgetManager->UpdateFrame();
        UpdateFraction(1.0f);
        DeleteDeferredWidgets();
    }

    void Frames(int count)
    {
        for (int i = 0; i < count; ++i) {
            Frame();
        }
    }
};
