#include "Gallery.h"

#include "app/GameState.h"
#include "app/TolmAppBase.h"
#include "display/DDImage.h"
#include "gamewidgets/BaseCheckbox.h"
#include "gamewidgets/BaseSlider.h"
#include "gamewidgets/BaseWindowButton.h"
#include "gamewidgets/BonusLineGlow.h"
#include "gamewidgets/CustomEdit.h"
#include "gamewidgets/FadingLabel.h"
#include "gamewidgets/GameFieldButton.h"
#include "gamewidgets/RoundButtonGate.h"
#include "gamewidgets/TextButton.h"
#include "gamewidgets/WindowLight.h"
#include "graphics/Font.h"
#include "graphics/Graphics.h"
#include "resources/ResourceLookups.h"
#include "widgets/WidgetManager.h"
#include "windows/ConfirmWindow.h"

#include <algorithm>
#include <cmath>
#include <functional>

namespace {

enum ButtonId
{
    kContinue = 10,
    kMainMenu,
    kPrevious,
    kNext,
    kShowWindow,
    kProfile,
    kRound,
};

// The round button's gate toggles every this many updates.
constexpr int kGateToggle = 150;

// A picture of the round button drawn from the distance to its middle: colour at (distance, x, y).
std::unique_ptr<Tolm::DDImage> RoundPicture(int size, const std::function<uint32_t(double, double, double)>& paint)
{
    auto image = std::make_unique<Tolm::DDImage>();
    image->Create(size, size);
    uint32_t* pixels = image->GetBits();
    double middle = size / 2.0;
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            double dx = x + 0.5 - middle;
            double dy = y + 0.5 - middle;
            pixels[y * size + x] = paint(std::hypot(dx, dy), dx, dy);
        }
    }
    image->NoteBitsChanged();
    return image;
}

uint32_t Argb(double alpha, int red, int green, int blue)
{
    uint32_t a = uint32_t(std::clamp(alpha, 0.0, 1.0) * 255 + 0.5);
    return a << 24 | uint32_t(std::clamp(red, 0, 255)) << 16 | uint32_t(std::clamp(green, 0, 255)) << 8 |
           uint32_t(std::clamp(blue, 0, 255));
}

// Coverage of a disc of the radius at the distance, with a one-pixel soft edge.
double Inside(double distance, double radius)
{
    return std::clamp(radius - distance + 0.5, 0.0, 1.0);
}

uint32_t Face(double d, double, double dy, double light)
{
    double shade = 1.0 - (dy + 24) / 48 * 0.45;
    return Argb(Inside(d, 24), int(70 * shade * light), int(170 * shade * light), int(60 * shade * light));
}

template <typename Widget>
Widget& Place(std::unique_ptr<Widget>& widget, Tolm::Widget* parent, int x, int y)
{
    widget->Move(x, y);
    parent->AddWidget(widget.get());
    return *widget;
}

} // namespace

GalleryScreen::GalleryScreen()
{
    windowButton = std::make_unique<BaseWindowButton>(kContinue, this);
    windowButton->label = "Continue";
    disabledButton = std::make_unique<BaseWindowButton>(kMainMenu, this);
    disabledButton->label = "Main menu";
    previous = std::make_unique<SmallWindowButton>(kPrevious, this);
    previous->label = "<<";
    next = std::make_unique<SmallWindowButton>(kNext, this);
    next->label = ">>";
    showWindow = std::make_unique<BaseWindowButton>(kShowWindow, this);
    showWindow->label = "Show a window";
    profile = std::make_unique<ProfileButton>("ANNA", kProfile, this);
    checkbox = std::make_unique<BaseCheckbox>(1, nullptr);
    checkbox->SetLabel("Full screen");
    checked = std::make_unique<BaseCheckbox>(2, nullptr);
    checked->SetLabel("Hints");
    checked->SetChecked(true, false);
    slider = std::make_unique<BaseSlider>(3, nullptr);
    slider->label = "Music volume";
    slider->SetValue(0.7);
    edit = std::make_unique<CustomEdit>(4, nullptr);
    edit->SetText("ANNA");
    edit->highlight = -1;
    label = std::make_unique<LabelClickToContinue>();
    lights = std::make_unique<WindowLightList>();
    for (int i = 0; i < 5; ++i) {
        lights->Add(60 + 50 * i, 488);
    }
    bonusLine = std::make_unique<BonusLineGlow>();
    bonusLine->SetPosition(410, 488);

    int size = 60;
    roundArt.push_back(RoundPicture(size, [](double d, double, double) {
        double ring = Inside(d, 29.5) * (1 - Inside(d, 25));
        return Argb(ring, 232, 182, 74);
    }));
    roundArt.push_back(RoundPicture(size, [](double d, double x, double y) { return Face(d, x, y, 1.0); }));
    roundArt.push_back(RoundPicture(size, [](double d, double x, double y) { return Face(d, x, y, 0.75); }));
    roundArt.push_back(RoundPicture(size, [](double d, double, double) { return Argb(Inside(d, 24), 255, 255, 255); }));
    roundArt.push_back(RoundPicture(size, [](double, double x, double y) {
        bool bar = std::abs(x) < 11 && (std::abs(y) < 2 || std::abs(std::abs(y) - 7) < 2);
        return bar ? Argb(1, 255, 248, 220) : 0u;
    }));
    roundArt.push_back(
        RoundPicture(size, [](double d, double, double) { return Argb(0.8 * (1 - d / 20), 255, 240, 160); }));
    round = std::make_unique<GameFieldButton>(kRound, this, roundArt[0].get(), roundArt[1].get(), roundArt[2].get(),
                                              roundArt[3].get(), roundArt[4].get(), roundArt[5].get());
}

GalleryScreen::~GalleryScreen()
{
    RemoveAllWidgets(false, false);
}

void GalleryScreen::OnEnter()
{
    Place(windowButton, this, 40, 98);
    Place(disabledButton, this, 300, 98).SetDisabled(true);
    Place(previous, this, 40, 166);
    Place(next, this, 156, 166);
    Place(showWindow, this, 300, 164);
    Place(profile, this, 40, 218);
    Place(checkbox, this, 730, 96);
    Place(checked, this, 730, 142);
    Place(slider, this, 520, 262);
    Place(edit, this, 40, 276);
    Place(round, this, 690, 358);
    AddWidget(label.get());
    Tolm::gTolmApp->widgetManager->SetFocus(edit.get());
}

void GalleryScreen::OnLeave()
{
    RemoveAllWidgets(false, false);
    BaseScreen::OnLeave();
}

void GalleryScreen::Update()
{
    BaseScreen::Update();
    bonusLine->Advance();
    if (gateTimer++ % kGateToggle == 0) {
        round->SetGateOpen(gateTimer / kGateToggle % 2 == 0);
    }
}

void GalleryScreen::UpdateFraction(float dt)
{
    lights->Update(dt);
}

void GalleryScreen::Draw(Tolm::Graphics* g)
{
    // An evening sky behind a walnut board, as the windows sit over the game's screens.
    for (int y = 0; y < height; y += 4) {
        int warm = y * 255 / height;
        g->SetColor(Tolm::Color(29 + warm * 218 / 255, 63 + warm * 138 / 255, 96 + warm * 46 / 255));
        g->FillRect(0, y, width, 4);
    }
    g->SetColor(Tolm::Color(63, 39, 24, 235));
    g->FillRect(16, 60, width - 32, 520);
    if (Tolm::Font* title = GetFontById("FONT_WINDOW_TITLE")) {
        g->SetFont(title);
        g->SetColor(Tolm::Color::White);
        g->DrawString("Window furniture", 24, 42);
    }
    DrawCaption(g, "Window buttons: normal, disabled", 40, 88);
    DrawCaption(g, "Small buttons and a window", 40, 156);
    DrawCaption(g, "Name slot", 40, 268);
    DrawCaption(g, "Gate frames 0 to 9", 40, 354);
    DrawCaption(g, "Lights and the bonus line", 40, 452);
    DrawGateFrames(g);
    lights->Draw(g);
    g->SetColor(Tolm::Color(20, 12, 8));
    g->FillRect(380, 478, 60, 20);
    bonusLine->Draw(g);
}

void GalleryScreen::DrawCaption(Tolm::Graphics* g, const char* text, int x, int y)
{
    if (Tolm::Font* font = GetFontById("FONT_WINDOW_TEXT")) {
        g->SetFont(font);
        g->SetColor(Tolm::Color(255, 231, 176));
        g->DrawString(text, x, y);
    }
}

void GalleryScreen::DrawGateFrames(Tolm::Graphics* g)
{
    Tolm::Image* gate = GetImageById("UI_BUTTON_GATE");
    if (!gate) {
        return;
    }
    for (int frame = 0; frame < 10; ++frame) {
        int x = 40 + frame * 62;
        g->DrawImage(roundArt[1].get(), x, 364);
        g->DrawImageFrame(gate, x, 364, frame);
        g->DrawImage(roundArt[0].get(), x, 364);
    }
}

void GalleryScreen::ButtonClicked(int id)
{
    if (id == kShowWindow) {
        ConfirmWindow* window = ConfirmWindow::Instance();
        window->SetText("The harbour needs 120 gold and 80 supplies. Build it now?");
        windowResult = ShowWindowModal(window, 1, 2);
    }
}

void RegisterGallery(GameStateListener* states, const std::string& name)
{
    auto* gallery = new GalleryScreen();
    gallery->listener = states;
    states->Register(name, gallery);
}
