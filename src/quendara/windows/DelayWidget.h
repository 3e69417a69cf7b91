// An invisible full-screen modal window with which a caller simply waits a number of updates while the
// game runs on, and which keeps every click and key away from what lies below it meanwhile.
#pragma once

#include "windows/BaseWindow.h"

class DelayWidget : public BaseWindow
{
public:
    explicit DelayWidget(int updates);

    void Update() override;
    void Draw(Tolm::Graphics* g) override;
    void PlayShowSound() override;

    // Updates still to wait.
    int counter;
};

// Blocks for updates + 1 updates (2 for 0 or 1) and returns 0. Never plays effects. Delays must not nest:
// they share one dialog id.
int DelayModal(int updates);
