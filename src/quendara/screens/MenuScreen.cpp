#include "screens/MenuScreen.h"

#include "app/GameStateManager.h"
#include "app/TolmAppBase.h"
#include "core/Callback.h"
#include "gameeffects/RoundFly.h"
#include "gamewidgets/FadingLabel.h"
#include "graphics/Graphics.h"
#include "profile/UserProfile.h"
#include "resources/ResourceLookups.h"
#include "screens/GameTitle.h"
#include "screens/MainMenuPanel.h"
#include "sound/MusicManager.h"
#include "town/HintWindowLogic.h"
#include "town/Town.h"
#include "widgets/WidgetManager.h"
#include "windows/BaseWindow.h"
#include "windows/ContinueWindow.h"
#include "windows/HelpWindow.h"
#include "windows/OptionsWindow.h"
#include "windows/ProfileWidgets.h"
#include "windows/ProfileWindows.h"

using Tolm::gTolmApp;

namespace {

constexpr int kKeyDelete = 46;
constexpr int kKeyF1 = 112;

// The continue window's answers that matter here; any other keeps the progress.
constexpr int kContinueMainMenu = 0;
constexpr int kContinueNewGame = 1;

// The sky from its deep top through blue to the warm horizon, in bands of this many rows.
constexpr int kBandHeight = 4;
const Tolm::Color kSky[] = {Tolm::Color(29, 63, 96), Tolm::Color(79, 151, 190), Tolm::Color(247, 201, 142)};

int Mix(int from, int to, int position, int span)
{
    return from + (to - from) * position / span;
}

// The sky's colour at the row, of the screen's height.
Tolm::Color SkyAt(int y, int height)
{
    const int half = height / 2;
    const Tolm::Color& from = y < half ? kSky[0] : kSky[1];
    const Tolm::Color& to = y < half ? kSky[1] : kSky[2];
    const int position = y < half ? y : y - half;
    const int span = y < half ? half : height - half;
    return Tolm::Color(Mix(from.red, to.red, position, span), Mix(from.green, to.green, position, span),
                       Mix(from.blue, to.blue, position, span));
}

// Round the start button.
constexpr float kSparkleX = 656.0f;
constexpr float kSparkleY = 515.0f;
constexpr float kSparkleRadius = 50.0f;
constexpr float kSparkleTurns = 2.0f;

} // namespace

MenuScreen::MenuScreen()
{
    menuPanel = std::make_unique<MainMenuPanel>(this);
    AddWidget(menuPanel.get());
    title = std::make_unique<GameTitle>();
    AddWidget(title.get());
    label = std::make_unique<LabelClickToContinue>();
    label->SetShown(false, false);
    AddWidget(label.get());
    hintLogic = std::make_unique<HintWindowLogic>(gTolmApp->widgetManager.get());
    profileListener = std::make_unique<ProfileListener>(new CB_Callback<MenuScreen>(this, &MenuScreen::AddSparkle));
    profileListener->disabled = true;
}

// The children are only borrowed by the widget tree; the windows the menu opens go with it.
MenuScreen::~MenuScreen()
{
    RemoveAllWidgets(false, false);
    menuPanel.reset();
    title.reset();
    profileListener.reset();
    label.reset();
    hintLogic.reset();
    delete OptionsWindow::RegisteredInstance();
    delete ContinueWindow::RegisteredInstance();
    delete ProfileWindow::RegisteredInstance();
    delete HelpWindow::RegisteredInstance();
}

void MenuScreen::OnEnter()
{
    gTolmApp->widgetManager->SetFocus(this);
    PlayMenuMusic();
    menuShown = true;
    profileListener->disabled = false;
}

void MenuScreen::OnLeave()
{
    profileListener->disabled = true;
    BaseScreen::OnLeave();
    Clear();
}

void MenuScreen::Update()
{
    Widget::Update();
    UpdateEffects();
    Town::Instance()->Step();
    hintLogic->Update();
    title->SetShown(menuShown, true);
    menuPanel->SetShown(menuShown, true);
    if (menuShown) {
        label->SetShown(false, true);
    }
    if (menuPanel->IsHidden()) {
        label->SetShown(true, true);
    }
    // A modal window holds the focus.
    if (gTolmApp->widgetManager->focusWidget != this) {
        hintLogic->HideHint(true);
    }
}

void MenuScreen::UpdateFraction(float dt)
{
    TickEffects(dt);
    Town::Instance()->Tick(dt);
    hintLogic->UpdateFraction(dt);
}

void MenuScreen::Draw(Tolm::Graphics* g)
{
    // A data set without the town's pictures shows the loading picture's evening sky instead.
    if (!GetImageById("TOWN_SKY_BACK")) {
        for (int y = 0; y < height; y += kBandHeight) {
            g->SetColor(SkyAt(y, height));
            g->FillRect(0, y, width, kBandHeight);
        }
    }
    Town::Instance()->Draw(*g);
    hintLogic->Draw(g);
    DeferOverlay(1);
}

void MenuScreen::DrawOverlay(Tolm::Graphics* g)
{
    DrawEffects(*g);
}

// Presses on the panel's buttons, or on the opaque parts of the panel and the title, stop there.
void MenuScreen::MouseDown(int x, int y, int, int)
{
    if (gTolmApp->widgetManager->IsLeftButtonDown()) {
        menuShown = !menuShown;
    }
    hintLogic->MouseDown(x, y);
}

void MenuScreen::MouseUp(int x, int y)
{
    hintLogic->MouseUp(x, y);
}

void MenuScreen::MouseMove(int x, int y)
{
    hintLogic->MouseMove(x, y);
}

// Keys wait while the screen fades out: a window opened then would stay behind the next screen.
void MenuScreen::KeyDown(int keyCode)
{
    if (leaving) {
        return;
    }
    if (keyCode == kKeyF1) {
        ShowWindowModal(HelpWindow::Instance(), 1, 2);
    }
    if (gTolmApp->GetBoolProperty("cheat_keys", false) && keyCode == kKeyDelete) {
        LeaveWithCallback(new CB_Callback<MenuScreen>(this, &MenuScreen::SwitchToTownUpgradeScreen));
    }
}

void MenuScreen::ButtonClicked(int id)
{
    if (leaving) {
        return;
    }
    if (id == MainMenuPanel::kStartButton) {
        Start();
    } else if (id == MainMenuPanel::kOptionsButton) {
        ShowOptions();
    } else if (id == MainMenuPanel::kExitButton) {
        gTolmApp->Shutdown();
    } else if (id == MainMenuPanel::kChangeProfileButton) {
        ChangeProfile();
    }
}

void MenuScreen::Start()
{
    if (UserProfile::GetLevel() > 1 || UserProfile::HasSavedLevel()) {
        const int answer = ShowWindowModal(ContinueWindow::Instance(), 1, 2);
        if (answer == kContinueMainMenu) {
            return;
        }
        if (answer == kContinueNewGame) {
            UserProfile::ResetProgress();
        }
    } else {
        UserProfile::ResetProgress();
    }
    LeaveWithCallback(new CB_Callback<MenuScreen>(this, &MenuScreen::SwitchToGameScreen));
}

// The title and the panel stay out of view while the window is open, and come back afterwards even when
// the player had put them away: the per-update step follows the menu-shown flag, so the flag follows them.
void MenuScreen::ShowOptions()
{
    menuShown = false;
    menuPanel->SetShown(false, true);
    title->SetShown(false, true);
    ShowWindowModal(OptionsWindow::Instance(), 1, 2);
    menuShown = true;
    menuPanel->SetShown(true, true);
    title->SetShown(true, true);
    AddSparkle();
}

// The listener waits while the profile window, which lets no one leave without a profile, is open.
void MenuScreen::ChangeProfile()
{
    profileListener->disabled = true;
    ShowWindowModal(ProfileWindow::Instance(), 1, 2);
    profileListener->disabled = false;
    AddSparkle();
}

void MenuScreen::AddSparkle()
{
    AddEffect(new GfxRoundFly(kSparkleX, kSparkleY, kSparkleRadius, kSparkleRadius, kSparkleTurns), false);
}

void RegisterMenuScreen(GameStateManager* manager, const std::string& name)
{
    auto* screen = new MenuScreen();
    screen->listener = manager;
    manager->Register(name, screen);
}
