#include "screens/MenuScreen.h"

#include "app/GameStateManager.h"
#include "app/TolmAppBase.h"
#include "core/Callback.h"
#include "graphics/Font.h"
#include "graphics/Graphics.h"
#include "graphics/MemoryImage.h"
#include "resources/ResourceLookups.h"
#include "sound/MusicManager.h"
#include "town/HintWindowLogic.h"
#include "town/Town.h"
#include "widgets/WidgetManager.h"

namespace {

// The start text's baseline, and the box round it that takes the click.
constexpr int kStartBaseline = 400;
constexpr int kStartHalfWidth = 120;
constexpr int kStartAbove = 50;
constexpr int kStartBelow = 20;

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

} // namespace

MenuScreen::MenuScreen() : hintLogic(std::make_unique<HintWindowLogic>(Tolm::gTolmApp->widgetManager.get())) {}

MenuScreen::~MenuScreen() = default;

void MenuScreen::Update()
{
    BaseScreen::Update();
    Town::Instance()->Step();
    hintLogic->Update();
}

void MenuScreen::UpdateFraction(float dt)
{
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
    if (Tolm::Font* font = GetFontById("FONT_MAINMENU_START")) {
        const std::string& name = Tolm::gTolmApp->productName;
        g->SetFont(font);
        g->SetColor(Tolm::Color::White);
        g->DrawString(name, (width - font->StringWidth(name)) / 2, height / 3);
    }
    if (Tolm::Font* font = GetFontById("FONT_MAINMENU_BUTTON")) {
        const std::string start = Tolm::GetLocalizedText("but_start");
        g->SetFont(font);
        g->SetColor(Tolm::Color::White);
        g->DrawString(start, (width - font->StringWidth(start)) / 2, kStartBaseline);
    }
    if (Tolm::Image* studio = GetImageById("IMAGE_TARVEL_STUDIO")) {
        g->DrawImage(studio, (width - studio->width) / 2, height - studio->height - 40);
    }
    hintLogic->Draw(g);
}

void MenuScreen::OnEnter()
{
    PlayMenuMusic();
}

void MenuScreen::MouseDown(int x, int y, int, int)
{
    if (x >= width / 2 - kStartHalfWidth && x < width / 2 + kStartHalfWidth && y >= kStartBaseline - kStartAbove &&
        y < kStartBaseline + kStartBelow) {
        LeaveWithCallback(new CB_Callback<MenuScreen>(this, &MenuScreen::StartGame));
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

void MenuScreen::StartGame()
{
    listener->Switch(listener->Find("GameScreen"));
}

void RegisterMenuScreen(GameStateManager* manager, const std::string& name)
{
    auto* screen = new MenuScreen();
    screen->listener = manager;
    manager->Register(name, screen);
}
