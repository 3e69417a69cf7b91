#include "screens/MainMenuPanel.h"

#include "app/TolmAppBase.h"
#include "display/DDImage.h"
#include "gamewidgets/BaseWindowButton.h"
#include "gamewidgets/TextButton.h"
#include "graphics/Graphics.h"
#include "profile/UserProfile.h"
#include "resources/ResourceLookups.h"

namespace {

// A full slide takes 80 update periods, whatever the height.
constexpr float kSlidePace = 0.0125f;

struct ShapeButtonLayout
{
    const char* image;
    const char* downImage;
    // Dims the face and takes the hits.
    const char* mask;
    const char* font;
    int x;
    int y;
    const char* text;
    int textOffsetX;
    int textOffsetY;
};

// In the panel's coordinates, in the order the buttons are made.
constexpr ShapeButtonLayout kShapeButtons[] = {
    {"UI_MENU_BUTTON_GREEN", "UI_MENU_BUTTON_GREEN_DOWN", "UI_MENU_BUTTON_GREEN_MASK", "FONT_MAINMENU_BUTTON", 293, 56,
     "but_options", 0, 5},
    {"UI_MENU_BUTTON_RED", "UI_MENU_BUTTON_RED_DOWN", "UI_MENU_BUTTON_RED_MASK", "FONT_MAINMENU_START", 405, 14,
     "but_start", -5, -18},
    {"UI_MENU_BUTTON_BLUE", "UI_MENU_BUTTON_BLUE_DOWN", "UI_MENU_BUTTON_BLUE_MASK", "FONT_MAINMENU_BUTTON", 437, 105,
     "but_exit", 0, 10},
};
constexpr int kOptionsRow = 0;
constexpr int kStartRow = 1;
constexpr int kExitRow = 2;

constexpr int kWelcomeY = 108;
constexpr int kChangeProfileY = 109;

} // namespace

MainMenuPanel::MainMenuPanel(Tolm::ButtonListener* listener)
    : background(GetImageById("UI_MENU_BACK")), hitMask(dynamic_cast<Tolm::DDImage*>(background))
{
    flagsChange.add |= Tolm::WidgetFlagMarkDirty;
    const int panelWidth = background ? background->GetWidth() : 0;
    const int panelHeight = background ? background->GetHeight() : 0;
    Resize(Tolm::gTolmApp->width - panelWidth, Tolm::gTolmApp->height - panelHeight, panelWidth, panelHeight);
    optionsButton = AddShapeButton(kOptionsButton, listener, kOptionsRow);
    startButton = AddShapeButton(kStartButton, listener, kStartRow);
    exitButton = AddShapeButton(kExitButton, listener, kExitRow);
    profileButton = std::make_unique<ProfileButton>(shownName, kChangeProfileButton, listener);
    profileButton->Move(kWelcomeX, kWelcomeY);
    AddWidget(profileButton.get());
    changeProfileButton = std::make_unique<BaseWindowButton>(kChangeProfileButton, listener);
    changeProfileButton->buttonImage = GetImageById("UI_MENU_CHANGE_PROFILE");
    changeProfileButton->downImage = changeProfileButton->buttonImage;
    changeProfileButton->mask = GetImageById("UI_MENU_CHANGE_PROFILE_MASK");
    changeProfileButton->SizeToImage();
    changeProfileButton->Move(kChangeProfileX, kChangeProfileY);
    AddWidget(changeProfileButton.get());
    slide.speed = float(height) * kSlidePace;
    slide.target = slide.current = ShownY();
}

MainMenuPanel::~MainMenuPanel()
{
    RemoveAllWidgets(false, false);
}

std::unique_ptr<ShapeButton> MainMenuPanel::AddShapeButton(int id, Tolm::ButtonListener* listener, int row)
{
    const ShapeButtonLayout& layout = kShapeButtons[row];
    auto button = std::make_unique<ShapeButton>(id, listener);
    button->buttonImage = GetImageById(layout.image);
    button->downImage = GetImageById(layout.downImage);
    button->mask = GetImageById(layout.mask);
    button->SetHitMask(button->mask);
    button->SetFont(GetFontById(layout.font));
    button->SizeToImage();
    button->Move(layout.x, layout.y);
    button->label = Tolm::GetLocalizedText(layout.text);
    button->textOffsetX = layout.textOffsetX;
    button->textOffsetY = layout.textOffsetY;
    AddWidget(button.get());
    return button;
}

float MainMenuPanel::ShownY() const
{
    return float(Tolm::gTolmApp->height - height);
}

float MainMenuPanel::HiddenY() const
{
    return float(Tolm::gTolmApp->height);
}

void MainMenuPanel::SetShown(bool shown, bool animate)
{
    slide.target = shown ? ShownY() : HiddenY();
    if (!animate) {
        slide.current = slide.target;
    }
}

bool MainMenuPanel::IsHidden() const
{
    return slide.current == slide.target && slide.current == HiddenY();
}

void MainMenuPanel::Update()
{
    Tolm::Widget::Update();
    const std::string name = UserProfile::GetProfileName();
    if (name != shownName) {
        shownName = name;
        profileButton->SetText(name);
    }
}

void MainMenuPanel::UpdateFraction(float dt)
{
    slide.Update(dt);
    Move(x, int(slide.current));
}

void MainMenuPanel::Draw(Tolm::Graphics* g)
{
    g->DrawImage(background, 0, 0);
}

bool MainMenuPanel::AcceptsPoint(int x, int y)
{
    return AcceptsMaskPoint(hitMask, x, y);
}
