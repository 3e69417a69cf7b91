#include "screens/TownScreen.h"

#include "app/GameStateManager.h"
#include "app/TolmAppBase.h"
#include "core/Callback.h"
#include "gamewidgets/FadingLabel.h"
#include "town/HintWindowLogic.h"
#include "town/Town.h"
#include "widgets/WidgetManager.h"

TownScreen::TownScreen() : label(std::make_unique<LabelClickToContinue>())
{
    label->SetShown(false, false);
    AddWidget(label.get());
    hintLogic = std::make_unique<HintWindowLogic>(Tolm::gTolmApp->widgetManager.get());
}

TownScreen::~TownScreen()
{
    RemoveAllWidgets(false, false);
}

void TownScreen::OnEnter()
{
    Tolm::gTolmApp->widgetManager->SetFocus(this);
    label->SetShown(true, true);
}

// The label fades in from nothing on the next visit.
void TownScreen::OnLeave()
{
    BaseScreen::OnLeave();
    label->SetShown(false, true);
}

void TownScreen::Update()
{
    Widget::Update();
    Town::Instance()->Step();
    hintLogic->Update();
}

void TownScreen::UpdateFraction(float dt)
{
    Town::Instance()->Tick(dt);
    hintLogic->UpdateFraction(dt);
}

void TownScreen::Draw(Tolm::Graphics* g)
{
    Town::Instance()->Draw(*g);
    hintLogic->Draw(g);
}

void TownScreen::MouseDown(int x, int y, int signedClickCount)
{
    Widget::MouseDown(x, y, signedClickCount);
    if (Tolm::gTolmApp->widgetManager->IsLeftButtonDown()) {
        LeaveWithCallback(new CB_Callback<TownScreen>(this, &TownScreen::PopSelf));
    }
    hintLogic->MouseDown(x, y);
}

void TownScreen::MouseUp(int x, int y)
{
    hintLogic->MouseUp(x, y);
}

void TownScreen::MouseMove(int x, int y)
{
    hintLogic->MouseMove(x, y);
}

void TownScreen::PopSelf()
{
    listener->Pop();
}

void RegisterTownScreen(GameStateManager* manager, const std::string& name)
{
    auto* screen = new TownScreen();
    screen->listener = manager;
    manager->Register(name, screen);
}
