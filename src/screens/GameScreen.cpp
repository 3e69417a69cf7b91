#include "screens/GameScreen.h"

#include "app/GameStateManager.h"
#include "app/TolmAppBase.h"
#include "board/BonusManHelper.h"
#include "board/BonusPanel.h"
#include "board/FieldLive.h"
#include "core/Callback.h"
#include "effects/GlobalParticles.h"
#include "graphics/Graphics.h"
#include "resources/ResourceLookups.h"
#include "screens/FieldHints.h"
#include "screens/TimerPanel.h"
#include "screens/TopPanel.h"
#include "town/UserProfile.h"
#include "widgets/WidgetManager.h"

namespace {

// The board disappears this long after a full bar, and after a failure.
constexpr float kCompleteHideDelay = 3.0f;
constexpr float kFailedHideDelay = 1.5f;
// Debug keys: Enter completes the level, the keypad's plus fills the bar by ten.
constexpr int kKeyEnter = 13;
constexpr int kKeyKeypadPlus = 107;
constexpr float kCheatProgress = 10.0f;

template <typename T>
void DeleteSingleton()
{
    delete T::RegisteredInstance();
}

bool CheatKeys()
{
    return Tolm::gTolmApp->GetBoolProperty("cheat_keys", false);
}

} // namespace

GameScreen::GameScreen() : background(GetImageById("FIELD_BACKGROUND")) {}

GameScreen::~GameScreen()
{
    RemoveAllWidgets(false, false);
    DeleteSingleton<BonusPanel>();
    DeleteSingleton<FieldLive>();
    DeleteSingleton<BonusManHelper>();
    DeleteSingleton<FieldHints>();
}

void GameScreen::OnEnter()
{
    Tolm::gTolmApp->widgetManager->SetFocus(this);
    BonusPanel::Instance()->SetGatesOpen(true);
    TopPanel* top = TopPanel::Instance();
    TimerPanel* timer = TimerPanel::Instance();
    top->ResetCounters();
    AddWidget(timer);
    AddWidget(top);
    AddWidget(BonusPanel::Instance());
    top->SetShown(false, false);
    top->SetShown(true, true);
    timer->SetShown(false, false);
    timer->SetShown(true, true);
    FieldLive::Instance();
}

// The board goes with the screen: the next entry starts the profile's level afresh.
void GameScreen::OnLeave()
{
    RemoveAllWidgets(false, false);
    DeleteSingleton<FieldLive>();
    BaseScreen::OnLeave();
}

void GameScreen::Update()
{
    Widget::Update();
    FieldLive* field = FieldLive::Instance();
    field->Update();
    GlobalParticles::Instance()->UpdateEffects();
    if (TimerPanel::Instance()->GetDisplayedFraction() >= 1.0f && !field->hidden && !field->levelMissing) {
        OnLevelComplete();
    }
    if (field->failed && !field->hidden) {
        OnLevelFailed();
    }
    BonusManHelper::Instance()->Update();
}

void GameScreen::UpdateFraction(float dt)
{
    FieldLive::Instance()->Tick(dt);
    GlobalParticles::Instance()->Tick(dt);
}

void GameScreen::Draw(Tolm::Graphics* g)
{
    if (background) {
        g->DrawImage(background, 0, 0);
    } else {
        g->SetColor(Tolm::Color(24, 20, 30));
        g->FillRect(0, 0, width, height);
    }
    FieldLive::Instance()->Draw(*g);
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
    if (CheatKeys() && keyCode == kKeyEnter) {
        OnLevelComplete();
    }
    if (CheatKeys() && keyCode == kKeyKeypadPlus) {
        TimerPanel::Instance()->AddProgress(kCheatProgress);
        TimerPanel::Instance()->SyncDisplay();
    }
    FieldLive::Instance()->KeyDown(keyCode);
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

void GameScreen::OnLevelComplete()
{
    FieldLive::Instance()->SetHidden(true, new CB_Callback<GameScreen>(this, &GameScreen::FinishLevel),
                                     kCompleteHideDelay);
    PlaySoundById("SOUND_LEVEL_COMPLETE");
    HidePanels();
}

// The level's earnings go to the profile, and the next level starts at once.
void GameScreen::FinishLevel()
{
    TopPanel* top = TopPanel::Instance();
    UserProfile::AddGold(top->GetGold());
    UserProfile::AddFood(top->GetFood());
    UserProfile::AddSupplies(top->GetSupplies());
    UserProfile::AddScore(top->GetScore());
    top->ResetCounters();
    UserProfile::AdvanceLevel();
    ShowPanels();
    FieldLive::Instance()->StartLevel(false, false);
}

void GameScreen::OnLevelFailed()
{
    FieldLive::Instance()->SetHidden(true, new CB_Callback<GameScreen>(this, &GameScreen::RestartAfterFailure),
                                     kFailedHideDelay);
    HidePanels();
}

// A second failure in a row on the same level passes it over.
void GameScreen::RestartAfterFailure()
{
    UserProfile::ClearSavedLevel();
    ShowPanels();
    FieldLive::Instance()->StartLevel(false, true);
}

void GameScreen::HidePanels()
{
    BonusPanel::Instance()->Deselect(false);
    TimerPanel::Instance()->SetShown(false, true);
    TopPanel::Instance()->SetShown(false, true);
}

void GameScreen::ShowPanels()
{
    TimerPanel::Instance()->SetShown(true, true);
    TopPanel::Instance()->SetShown(true, true);
}

void RegisterGameScreen(GameStateManager* manager, const std::string& name)
{
    auto* screen = new GameScreen();
    screen->listener = manager;
    manager->Register(name, screen);
}
