#include "board/FieldLive.h"

#include "app/TolmAppBase.h"
#include "board/BonusManHelper.h"
#include "board/BonusPanel.h"
#include "board/CellBorders.h"
#include "board/Level.h"
#include "board/PathStorage.h"
#include "board/Solver.h"
#include "core/Callback.h"
#include "hud/TimerPanel.h"
#include "hud/TopPanel.h"
#include "profile/UserProfile.h"
#include "widgets/WidgetManager.h"

namespace {

// The appear's wait when a level starts shown.
constexpr float kStartShowDelay = 0.4f;

template <typename T>
void DeleteSingleton()
{
    delete T::RegisteredInstance();
}

bool IsLeftButtonDown()
{
    return Tolm::gTolmApp->widgetManager->IsLeftButtonDown();
}

} // namespace

FieldLive::FieldLive()
{
    StartLevel(false, false);
}

FieldLive::~FieldLive()
{
    DeleteSingleton<Solver>();
    DeleteSingleton<PathStorage>();
}

// A level whose set-up failed (ten unreadable levels in a row) is not played: its board would hold
// whatever the failed reads left.
void FieldLive::StartLevel(bool hide, bool retry)
{
    if (retry && retryFlag == 1) {
        UserProfile::AdvanceLevel();
        retry = false;
        retryFlag = 0;
    } else {
        retryFlag = retry ? 1 : 0;
    }
    ++boardsLaid;
    levelMissing = !Level::Instance()->SetUp(*this, retry);
    if (levelMissing) {
        Tolm::gTolmApp->WriteErrorLog("No level could be read; the board stays empty.");
        Tolm::gTolmApp->ShowErrorPopup(
            Tolm::gTolmApp->GetStringProperty("LEVEL_NOT_READ", "The game could not read its levels."));
        hide = true;
    }
    TopPanel::Instance()->ResetCounters();
    totalLocks = Level::Instance()->totalLocks;
    clearedLocks = Level::Instance()->clearedLocks;
    Solver::Instance()->Recount(*this);
    SetCellBorders(*this);
    ResetBoardVisuals();
    if (!hide) {
        ShowBoard(kStartShowDelay);
    }
    hidden = hide;
    pendingCallback.reset();
    hidePending = false;
    failed = false;
    noMoveCounter = 0;
    tick = 0;
    lastChainTick = 0;
    comboCount = 0;
    CancelChain();
    BonusManHelper::Instance()->Reset();
    if (!hide) {
        BonusPanel::Instance()->SetGatesOpen(true);
    }
}

void FieldLive::SetHidden(bool hide, baseCallback* callback, float delay)
{
    hidePending = hide;
    pendingCallback.reset(callback);
    if (hide && !hidden) {
        HoldAll(delay);
    }
    if (!hide && hidden) {
        BonusPanel::Instance()->SetGatesOpen(true);
        ShowBoard(delay);
        RunPendingCallback();
    }
    hidden = hide;
    Solver::Instance()->ResetHintTimer();
    CancelChain();
    ClearTargetHighlights();
}

void FieldLive::RunPendingCallback()
{
    std::unique_ptr<baseCallback> callback = std::move(pendingCallback);
    if (callback) {
        callback->Invoke();
    }
}

// The highlights go before the tool: they are cleared only while a tool is armed, so after the disarm
// they would stay drawn.
void FieldLive::CancelInput()
{
    if (hidden) {
        return;
    }
    Solver::Instance()->ResetHintTimer();
    ClearTargetHighlights();
    BonusPanel::Instance()->Deselect(false);
    CancelChain();
}

void FieldLive::CancelChain()
{
    FieldActions::CancelChain();
    lastX = -1;
    lastY = -1;
    clickMode = false;
}

void FieldLive::ClearTargetHighlights()
{
    const BonusPanel* panel = BonusPanel::Instance();
    if (panel->IsBombArmed() || panel->IsHammerArmed() || panel->IsDestroyArmed()) {
        ClearHighlights();
    }
}

float FieldLive::GetLockProgress() const
{
    return totalLocks > 0 ? float(clearedLocks) / float(totalLocks) : 1.0f;
}

bool FieldLive::IsChainInProgress() const
{
    return PathStorage::Instance()->GetLength() > 0;
}

void FieldLive::Draw(Tolm::Graphics& g)
{
    FieldRender::Draw(g);
    if (!hidden) {
        PathStorage::Instance()->Draw(g);
    }
}

void FieldLive::Tick(float dt)
{
    UpdateAll(dt);
    FieldRender::Tick(dt);
}

void FieldLive::Update()
{
    AnimateAll();
    PathStorage::Instance()->Tick();
    FieldGfx::Update();
    ++tick;
    if (hidden) {
        if (hidePending && !IsBusy() && !TimerPanel::Instance()->IsOnScreen() &&
            !TopPanel::Instance()->IsOnScreen()) {
            HideBoard(0);
            hidePending = false;
            BonusPanel::Instance()->SetGatesOpen(false);
            RunPendingCallback();
        }
        return;
    }
    if (IsLeftButtonDown()) {
        Solver::Instance()->ResetHintTimer();
    } else if (TimerPanel::Instance()->GetProgressFraction() < 1) {
        Solver::Instance()->TickHint(*this);
    }
    StepNoMoveCountdown();
    if (tick - lastChainTick >= kComboWindow) {
        StepCombo();
    }
}

// With a charged tool the player has the whole countdown to use it; without one the level fails a
// second after the moves ran out. While a tool's strikes or swaps are still under way the board has not
// settled: the countdown waits for them, so a last charge spent on a stuck board is not failed before it
// lands.
void FieldLive::StepNoMoveCountdown()
{
    if (Solver::Instance()->GetGroupCount() > 0) {
        noMoveCounter = 0;
        return;
    }
    if (!busy.IsEmpty()) {
        return;
    }
    if (noMoveCounter == 0) {
        PlaySound("SOUND_NO_MOVES");
        ShowNoMovesText();
    }
    if (!BonusPanel::Instance()->AnyChargeReady() && noMoveCounter < kNoMoveLastSecond) {
        noMoveCounter = kNoMoveLastSecond;
    }
    if (noMoveCounter == kNoMoveFail) {
        PlaySound("SOUND_LEVEL_FAILED");
        failed = true;
        ++noMoveCounter;
        return;
    }
    if (noMoveCounter < kNoMoveFail && noMoveCounter % kNoMoveWarningEvery == 0) {
        PlaySound("SOUND_MOVES_WARNING");
    }
    ++noMoveCounter;
}

void FieldLive::KeyDown(int key)
{
    if (!Tolm::gTolmApp->GetBoolProperty("cheat_keys", false)) {
        return;
    }
    if (key >= '1' && key <= '5') {
        BonusPanel::Instance()->ChargeButton(key - '0');
    } else if (key == '0') {
        constexpr int kCheatAmount = 50;
        TopPanel* panel = TopPanel::Instance();
        panel->AddGold(kCheatAmount);
        panel->AddFood(kCheatAmount);
        panel->AddSupplies(kCheatAmount);
        panel->AddScore(kCheatAmount);
    } else if (key == 'P') {
        const Tolm::WidgetManager& widgets = *Tolm::gTolmApp->widgetManager;
        int cx = 0;
        int cy = 0;
        if (CellAt(widgets.lastMouseX, widgets.lastMouseY, cx, cy) && PlaceLiveBonus(cx, cy)) {
            Solver::Instance()->Recount(*this);
            PlaySound("SOUND_PLUS_APPEAR");
        }
    }
}
