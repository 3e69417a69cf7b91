#include "screens/GameScreen.h"

#include "app/GameStateManager.h"
#include "app/TolmAppBase.h"
#include "board/BonusManHelper.h"
#include "board/BonusPanel.h"
#include "board/FieldLive.h"
#include "board/Level.h"
#include "bricks/BoardTypes.h"
#include "bricks/BrickHelper.h"
#include "core/Callback.h"
#include "core/Random.h"
#include "effects/GlobalParticles.h"
#include "gameeffects/GfxParticledText.h"
#include "gamewidgets/GameFieldButton.h"
#include "gamewidgets/WindowLight.h"
#include "graphics/Graphics.h"
#include "hud/TimerPanel.h"
#include "hud/TopPanel.h"
#include "profile/UserProfile.h"
#include "resources/ResourceLookups.h"
#include "sound/MusicManager.h"
#include "widgets/WidgetManager.h"
#include "windows/DelayWidget.h"
#include "windows/FieldHints.h"
#include "windows/HelpWindow.h"
#include "windows/LevelCompleteWindow.h"
#include "windows/PauseWindow.h"

namespace {

using Tolm::gTolmApp;

// Seconds the board holds before it disappears after a full bar, and after a failure.
constexpr float kCompleteHideTime = 3.0f;
constexpr float kFailedHideTime = 1.5f;
// Updates of the waits between the steps of a level's end and of the pause.
constexpr int kPauseDelay = 100;
constexpr int kResumeDelay = 50;
constexpr int kTallyDelay = 120;
constexpr int kTownDelay = 50;
constexpr int kRetryDelay = 200;
// The last building: once it stands, completed levels follow one another on this screen.
constexpr int kLastBuilding = 29;

constexpr int kKeyEscape = 27;
constexpr int kKeyEnter = 13;
constexpr int kKeyKeypadPlus = 107;
constexpr int kKeyF1 = 112;
constexpr float kCheatProgress = 10.0f;

constexpr int kPauseMainMenu = 1;
constexpr int kPauseHelp = 2;

constexpr int kMenuButtonX = 719;
constexpr int kMenuButtonY = 256;
constexpr int kTownButtonX = 732;
constexpr int kTownButtonY = 368;

// The backdrop's lamps.
constexpr int kLights[][2] = {{56, 29}, {81, 71}, {11, 190}, {111, 247}, {12, 318}, {111, 384}, {703, 315}, {722, 436}};

// Hints and where they point.
constexpr int kHintMenuButton = 0;
constexpr int kHintTownButton = 1;
constexpr int kHintLockedCell = 2;
constexpr int kMenuHintX = 748;
constexpr int kMenuHintY = 286;
constexpr int kTownHintX = 760;
constexpr int kTownHintY = 400;
// A brick hint points this far into its cell.
constexpr int kCellHintOffset = 18;
constexpr int kLockProbes = 21;
constexpr int kBrickProbes = 11;
// The update at which the first level opens the rules once per profile.
constexpr int kHelpUpdate = 150;
// The tool bricks, hammer to destroy, and their hints.
constexpr int kFirstToolBrick = 27;
constexpr int kLastToolBrick = 31;
constexpr int kToolHintShift = -22;
// The gold bricks from the fifth up, the food and the supplies bricks: hint = type + 5.
constexpr int kFirstHintedBrick = 5;
constexpr int kLastHintedBrick = 26;
constexpr int kBrickHintShift = 5;

// Border, face, pressed face, hit mask, sign, sign glow.
using RoundButtonImages = const char* const[6];
constexpr RoundButtonImages kMenuButtonImages = {
    "FIELD_BUTTON_MENU_BORDER",      "FIELD_BUTTON_MENU_BUTTON", "FIELD_BUTTON_MENU_BUTTON_DOWN",
    "FIELD_BUTTON_MENU_BUTTON_MASK", "FIELD_BUTTON_MENU_SIGN",   "FIELD_BUTTON_MENU_SIGN_GLOW"};
constexpr RoundButtonImages kTownButtonImages = {
    "FIELD_BUTTON_EYE_BORDER",      "FIELD_BUTTON_EYE_BUTTON", "FIELD_BUTTON_EYE_BUTTON_DOWN",
    "FIELD_BUTTON_EYE_BUTTON_MASK", "FIELD_BUTTON_EYE_SIGN",   "FIELD_BUTTON_EYE_SIGN_GLOW"};

bool CheatKeys()
{
    return gTolmApp->GetBoolProperty("cheat_keys", false);
}

template <typename T>
void DeleteSingleton()
{
    delete T::RegisteredInstance();
}

std::unique_ptr<GameFieldButton> MakeRoundButton(int id, Tolm::ButtonListener* listener, RoundButtonImages& ids, int x,
                                                 int y)
{
    Tolm::Image* images[std::size(ids)];
    for (std::size_t i = 0; i < std::size(ids); ++i) {
        images[i] = GetImageById(ids[i]);
    }
    auto button =
        std::make_unique<GameFieldButton>(id, listener, images[0], images[1], images[2], images[3], images[4], images[5]);
    button->Move(x, y);
    return button;
}

bool IsWindowOpen()
{
    return !gTolmApp->widgetManager->modalStack.empty();
}

} // namespace

BackgroundGameScreen::BackgroundGameScreen()
    : image(GetImageById("FIELD_BACKGROUND")), lights(std::make_unique<WindowLightList>())
{
    for (const auto& light : kLights) {
        lights->Add(light[0], light[1]);
    }
}

BackgroundGameScreen::~BackgroundGameScreen() = default;

void BackgroundGameScreen::SetLightsOn(bool on)
{
    lights->SetAllOn(on);
}

void BackgroundGameScreen::Tick(float dt)
{
    lights->Update(dt);
}

void BackgroundGameScreen::Draw(Tolm::Graphics* g)
{
    if (image) {
        g->DrawImage(image, 0, 0);
    }
    lights->Draw(g);
}

GameScreen::GameScreen()
{
    AddWidget(BonusPanel::Instance());
    AdoptTopPanel(*this);
    AddWidget(TimerPanel::Instance());
    menuButton = MakeRoundButton(kMenuButton, this, kMenuButtonImages, kMenuButtonX, kMenuButtonY);
    AddWidget(menuButton.get());
    townButton = MakeRoundButton(kTownButton, this, kTownButtonImages, kTownButtonX, kTownButtonY);
    AddWidget(townButton.get());
    background = std::make_unique<BackgroundGameScreen>();
    updateCount = 0;
}

GameScreen::~GameScreen()
{
    RemoveAllWidgets(false, false);
    DeleteSingleton<PauseWindow>();
    DeleteSingleton<LevelCompleteWindow>();
    DeleteSingleton<BonusPanel>();
    DeleteSingleton<TimerPanel>();
    DeleteSingleton<FieldLive>();
    DeleteSingleton<FieldHints>();
    DeleteSingleton<BonusManHelper>();
    DeleteSingleton<HelpWindow>();
    delete boardLeftInUpdate;
}

void GameScreen::OnEnter()
{
    entered = true;
    updateCount = 0;
    AdoptTopPanel(*this);
    TopPanel* top = TopPanel::Instance();
    gTolmApp->widgetManager->SetFocus(this);
    RestoreBonusCharges();
    BonusPanel::Instance()->SetGatesOpen(true);
    top->ResetCounters();
    top->SetShown(false, false);
    top->SetShown(true, true);
    TimerPanel::Instance()->SetShown(false, false);
    TimerPanel::Instance()->SetShown(true, true);
    menuButton->SetDisabled(false);
    townButton->SetDisabled(false);
    menuButton->SetGateOpen(true);
    townButton->SetGateOpen(true);
    background->SetLightsOn(false);
    PlayLevelMusic(UserProfile::GetLevel());
}

void GameScreen::RestoreBonusCharges()
{
    float charges[BonusPanel::kButtons];
    UserProfile::GetSavedBonusCharges(&charges[0], &charges[1], &charges[2], &charges[3], &charges[4]);
    BonusPanel* panel = BonusPanel::Instance();
    panel->ResetCharges();
    panel->SetCharges(charges[0], charges[1], charges[2], charges[3], charges[4]);
}

void GameScreen::OnLeave()
{
    entered = false;
    SaveLevelState();
    FieldLive* field = FieldLive::RegisteredInstance();
    if (field && boardUpdates > 0) {
        // The screen was left from inside the board's own update (a callback's modal wait): the board goes
        // once that update has returned.
        field->Unregister();
        boardLeftInUpdate = field;
    } else {
        delete field;
    }
    Clear();
    BaseScreen::OnLeave();
}

void GameScreen::SaveLevelState()
{
    SaveBoardIfStarted();
    SaveCounters();
    float charges[BonusPanel::kButtons];
    BonusPanel::Instance()->GetCharges(&charges[0], &charges[1], &charges[2], &charges[3], &charges[4]);
    UserProfile::SetSavedBonusCharges(charges[0], charges[1], charges[2], charges[3], charges[4]);
}

// A level that has earned nothing yet is not worth keeping: the profile keeps what it held.
void GameScreen::SaveBoardIfStarted()
{
    const TopPanel* top = TopPanel::Instance();
    FieldLive* field = FieldLive::RegisteredInstance();
    const bool started = top->GetGold() > 0 || top->GetFood() > 0 || top->GetSupplies() > 0 ||
                         TimerPanel::Instance()->GetProgressFraction() > 0;
    if (field && started) {
        UserProfile::SaveLevel(*field);
    }
}

void GameScreen::SaveCounters()
{
    const TopPanel* top = TopPanel::Instance();
    UserProfile::SetSavedCounters(top->GetGold(), top->GetFood(), top->GetSupplies(), top->GetScore(),
                                  TimerPanel::Instance()->GetProgressFraction());
}

bool GameScreen::Pause()
{
    gTolmApp->widgetManager->RemoveWidget(this);
    return true;
}

void GameScreen::Resume()
{
    gTolmApp->widgetManager->AddWidget(this);
    gTolmApp->widgetManager->SetFocus(this);
}

bool GameScreen::IsPlaying() const
{
    return entered && FieldLive::RegisteredInstance();
}

bool GameScreen::TakesCommands() const
{
    const FieldLive* field = FieldLive::RegisteredInstance();
    return entered && !leaving && field && !field->hidden;
}

void GameScreen::Update()
{
    Widget::Update();
    UpdateBoard(FieldLive::Instance());
    if (!IsPlaying()) {
        return;
    }
    GlobalParticles::Instance()->UpdateEffects();
    UpdateEffects();
    // A level ends only in the open: under a window (help, hint, a person's arrival) it waits.
    FieldLive* field = FieldLive::Instance();
    if (!IsWindowOpen() && !field->hidden && !field->levelMissing &&
        TimerPanel::Instance()->GetDisplayedFraction() >= 1.0f) {
        OnLevelComplete();
    }
    if (!IsWindowOpen() && field->failed && !field->hidden) {
        OnLevelFailed();
    }
    UpdateHints();
    if (IsPlaying()) {
        BonusManHelper::Instance()->Update();
    }
}

void GameScreen::UpdateBoard(FieldLive* field)
{
    ++boardUpdates;
    field->Update();
    --boardUpdates;
    if (boardUpdates == 0 && boardLeftInUpdate) {
        delete boardLeftInUpdate;
        boardLeftInUpdate = nullptr;
    }
}

void GameScreen::UpdateFraction(float dt)
{
    FieldLive::Instance()->Tick(dt);
    GlobalParticles::Instance()->Tick(dt);
    TickEffects(dt);
    background->Tick(dt);
}

void GameScreen::Draw(Tolm::Graphics* g)
{
    background->Draw(g);
    FieldLive::Instance()->Draw(*g);
    DrawEffects(*g);
    DeferOverlay(1);
}

void GameScreen::DrawOverlay(Tolm::Graphics* g)
{
    GlobalParticles::Instance()->Draw(*g);
}

void GameScreen::LostFocus()
{
    BaseScreen::LostFocus();
    if (FieldLive* field = FieldLive::RegisteredInstance()) {
        field->CancelInput();
    }
}

void GameScreen::KeyDown(int keyCode)
{
    if (keyCode == kKeyEscape) {
        if (TakesCommands()) {
            OnPauseRequested();
        }
    } else if (keyCode == kKeyF1) {
        // The help asks nothing of the board, so it opens whatever the board or the screen is doing.
        ShowHelp();
    }
    if (!IsPlaying() || leaving) {
        return;
    }
    if (CheatKeys() && keyCode == kKeyEnter) {
        OnLevelComplete();
    }
    if (CheatKeys() && keyCode == kKeyKeypadPlus) {
        TimerPanel::Instance()->AddProgress(kCheatProgress);
        TimerPanel::Instance()->SyncDisplay();
    }
    if (FieldLive* field = FieldLive::RegisteredInstance()) {
        field->KeyDown(keyCode);
    }
}

void GameScreen::MouseMove(int x, int y)
{
    FieldLive::Instance()->MouseMove(x, y);
}

void GameScreen::MouseDown(int x, int y, int button, int)
{
    FieldLive::Instance()->MouseDown(x, y, button);
}

void GameScreen::MouseUp(int x, int y, int button, int)
{
    FieldLive::Instance()->MouseUp(x, y, button);
}

void GameScreen::MouseDrag(int x, int y)
{
    FieldLive::Instance()->MouseDrag(x, y);
}

void GameScreen::ButtonClicked(int id)
{
    if (!TakesCommands()) {
        return;
    }
    if (id == kMenuButton) {
        SetHintShownBit(kHintMenuButton);
        OnPauseRequested();
    } else if (id == kTownButton) {
        SetHintShownBit(kHintTownButton);
        BonusPanel::Instance()->Deselect(false);
        FieldLive* field = FieldLive::Instance();
        field->ResetBoardVisuals();
        field->ShowBoard(-1.0f);
        if (GameState* town = listener->Find("TownScreen")) {
            listener->Push(town);
        }
    }
}

void GameScreen::HidePanels()
{
    BonusPanel* panel = BonusPanel::Instance();
    panel->Deselect(false);
    panel->SetDisabled(true);
    TimerPanel::Instance()->SetShown(false, true);
    TopPanel::Instance()->SetShown(false, true);
    // Behind closed gates the buttons must not act: the menu button would replace a level end's callback.
    for (GameFieldButton* button : {menuButton.get(), townButton.get()}) {
        button->SetGateOpen(false);
        button->SetDisabled(true);
    }
    background->SetLightsOn(true);
}

void GameScreen::ShowPanels()
{
    TimerPanel::Instance()->SetShown(true, true);
    TopPanel::Instance()->SetShown(true, true);
    for (GameFieldButton* button : {menuButton.get(), townButton.get()}) {
        button->SetGateOpen(true);
        button->SetDisabled(false);
    }
    background->SetLightsOn(false);
}

void GameScreen::OnPauseRequested()
{
    FieldLive::Instance()->SetHidden(true, new CB_Callback_P1<GameScreen, bool>(this, &GameScreen::RunPauseMenu, true),
                                     0.0f);
    HidePanels();
}

void GameScreen::RunPauseMenu(bool)
{
    DelayModal(kPauseDelay);
    if (!IsPlaying()) {
        return;
    }
    const int result = ShowWindowModal(PauseWindow::Instance(), 1, 2);
    if (!IsPlaying()) {
        return;
    }
    if (result == kPauseMainMenu) {
        LeaveWithCallback(new CB_Callback<GameScreen>(this, &GameScreen::SwitchToMenuScreen));
        return;
    }
    if (result == kPauseHelp) {
        ShowWindowModal(HelpWindow::Instance(), 1, 2);
    }
    DelayModal(kResumeDelay);
    if (!IsPlaying()) {
        return;
    }
    FieldLive::Instance()->SetHidden(false, nullptr, 0.0f);
    ShowPanels();
}

void GameScreen::OnLevelComplete()
{
    FieldLive::Instance()->SetHidden(true, new CB_Callback<GameScreen>(this, &GameScreen::FinishLevel),
                                     kCompleteHideTime);
    PlaySoundById("SOUND_LEVEL_COMPLETE");
    FadeOutMusic();
    HidePanels();
    AddEffect(new GfxParticledText(Tolm::GetLocalizedText("level_completed"), GetFontById("FONT_BOARD_TEXT"),
                                   gTolmApp->width / 2, gTolmApp->height / 2),
              false);
}

void GameScreen::FinishLevel()
{
    DelayModal(kTallyDelay);
    if (!IsPlaying()) {
        return;
    }
    FadeInMusic();
    TopPanel* top = TopPanel::Instance();
    const int gold = top->GetGold();
    const int food = top->GetFood();
    const int supplies = top->GetSupplies();
    const int score = top->GetScore();
    LevelCompleteWindow* window = LevelCompleteWindow::Instance();
    window->SetTally(gold, food, supplies, score, FieldLive::Instance()->GetLockProgress());
    UserProfile::AddGold(gold);
    UserProfile::AddFood(food);
    UserProfile::AddSupplies(supplies);
    UserProfile::AddScore(score);
    top->ResetCounters();
    ShowWindowModal(window, 1, 2);
    UserProfile::AdvanceLevel();
    if (!IsPlaying()) {
        return;
    }
    if (UserProfile::IsTownUnfinished()) {
        DelayModal(kTownDelay);
        if (!IsPlaying()) {
            return;
        }
        GoToTownUpgrade();
        FieldLive::Instance()->StartLevel(true, false);
    } else {
        ShowPanels();
        FieldLive::Instance()->StartLevel(false, false);
    }
    updateCount = 0;
}

void GameScreen::GoToTownUpgrade()
{
    LeaveWithCallback(new CB_Callback<GameScreen>(this, &GameScreen::SwitchToTownUpgradeScreen));
}

void GameScreen::OnLevelFailed()
{
    FieldLive::Instance()->SetHidden(true, new CB_Callback<GameScreen>(this, &GameScreen::RestartAfterFailure),
                                     kFailedHideTime);
    HidePanels();
}

void GameScreen::RestartAfterFailure()
{
    DelayModal(kRetryDelay);
    if (!IsPlaying()) {
        return;
    }
    UserProfile::ClearSavedLevel();
    ShowPanels();
    FieldLive::Instance()->StartLevel(false, true);
    updateCount = 0;
}

void GameScreen::ShowHelp()
{
    ShowWindowModal(HelpWindow::Instance(), 1, 2);
}

bool GameScreen::HintsAllowed(const FieldLive& field) const
{
    const HelpWindow* help = HelpWindow::RegisteredInstance();
    return !field.hidden && !field.IsChainInProgress() && TimerPanel::Instance()->GetProgressFraction() < 1.0f &&
           FieldHints::Instance()->IsHintAllowed() && !IsPeopleBonusWindowShown() &&
           !(help && IsWindowShown(const_cast<HelpWindow*>(help)));
}

template <typename Wanted>
bool GameScreen::ProbeCells(int probes, Wanted wanted, int& x, int& y)
{
    for (int i = 0; i < probes; ++i) {
        x = int(RandomBelow(kFieldWidth));
        y = int(RandomBelow(kFieldHeight));
        if (wanted(x, y)) {
            return true;
        }
    }
    return false;
}

void GameScreen::ShowHintAtCell(int hintType, int x, int y)
{
    int px = 0;
    int py = 0;
    CellToPixel(x, y, px, py);
    ShowFieldHint(hintType, px + kCellHintOffset, py + kCellHintOffset);
}

void GameScreen::UpdateHints()
{
    const FieldLive* field = FieldLive::RegisteredInstance();
    if (!field || !HintsAllowed(*field)) {
        return;
    }
    const int level = UserProfile::GetLevel();
    if (level >= 2 && updateCount > 3000) {
        ShowFieldHint(kHintMenuButton, kMenuHintX, kMenuHintY);
    }
    if (level >= 3 && updateCount > 2000 && UserProfile::IsBuildingBuilt(0) && IsPlaying()) {
        ShowFieldHint(kHintTownButton, kTownHintX, kTownHintY);
    }
    if (!IsHintShown(kHintLockedCell) && level >= 3 && updateCount > 3000 && IsPlaying()) {
        int x = 0;
        int y = 0;
        const FieldLive* board = FieldLive::RegisteredInstance();
        if (ProbeCells(kLockProbes, [board](int cx, int cy) { return board->IsCellLocked(cx, cy); }, x, y)) {
            ShowHintAtCell(kHintLockedCell, x, y);
        }
    }
    if (level >= 4 && updateCount > 500) {
        for (int type = kFirstToolBrick; type <= kLastToolBrick && IsPlaying(); ++type) {
            TryBrickHint(type, type + kToolHintShift);
        }
    }
    if (updateCount > 700) {
        for (int type = kFirstHintedBrick; type <= kLastHintedBrick && IsPlaying(); ++type) {
            TryBrickHint(type, type + kBrickHintShift);
        }
    }
    if (level == 1 && updateCount == kHelpUpdate && !IsHintShown(kHintHelpWindow) && IsPlaying()) {
        SetHintShownBit(kHintHelpWindow);
        ShowHelp();
    }
}

void GameScreen::TryBrickHint(int brickType, int hintType)
{
    if (!Level::Instance()->IsTypeAllowed(brickType) || IsHintShown(hintType) ||
        !FieldHints::Instance()->IsHintAllowed()) {
        return;
    }
    int x = 0;
    int y = 0;
    const FieldLive* board = FieldLive::RegisteredInstance();
    if (ProbeCells(kBrickProbes, [board, brickType](int cx, int cy) { return board->GetBrickType(cx, cy) == brickType; },
                   x, y)) {
        ShowHintAtCell(hintType, x, y);
    }
}

void RegisterGameScreen(GameStateManager* manager, const std::string& name)
{
    auto* screen = new GameScreen();
    screen->listener = manager;
    manager->Register(name, screen);
}
