#include "town/UpgradePanel.h"

#include "app/TolmAppBase.h"
#include "gameeffects/RoundFly.h"
#include "graphics/Graphics.h"
#include "graphics/MemoryImage.h"
#include "profile/UserProfile.h"
#include "resources/ResourceLookups.h"
#include "town/BaseTownBuilding.h"
#include "town/BuildingHint.h"
#include "town/BuildingsFactory.h"
#include "town/TownUpgradeButton.h"
#include "widgets/WidgetManager.h"

namespace {

constexpr int kSlotX[UpgradePanel::kSlots] = {1, 135, 270, 405, 540};
constexpr int kSlotY = 19;
// The buy button's place in its slot.
constexpr int kButtonX = 13;
constexpr int kButtonY = 89;
constexpr int kContinueX = 664;
constexpr int kContinueY = 90;
constexpr float kSlideSpeed = 3.0f;
constexpr float kHighlightSpeed = 0.08f;
// Where the slot sparkle circles, in slot steps of 135 pixels: round the buy
// button.
constexpr int kSparkleStep = 135;
constexpr int kSparkleX = 55;
constexpr int kSparkleY = 128;
constexpr float kSparkleRadiusX = 40;
constexpr float kSparkleRadiusY = 20;
// The highlight's first step once the mouse comes, so that its sound plays only
// from rest.
constexpr float kHighlightStarted = 0.0001f;

int HeightOf(Tolm::Image* image)
{
    return image ? image->GetHeight() : 0;
}

int WidthOf(Tolm::Image* image)
{
    return image ? image->GetWidth() : 0;
}

} // namespace

UpgradePanelSlot::UpgradePanelSlot(UpgradePanel* owner, int slot, int x, int y, Tolm::ButtonListener* listener)
    : button(new TownUpgradeButton(slot + UpgradePanel::kFirstBuyId, listener)), slotX(x), slotY(y),
      buttonId(slot + UpgradePanel::kFirstBuyId), panel(owner), slotImage(GetImageById("UPGRADE_PANEL_SLOT")),
      highlightImage(GetImageById("UPGRADE_PANEL_SLOT_HILIGHT"))
{
    highlight.speed = kHighlightSpeed;
    button->Move(x + kButtonX, y + kButtonY);
    panel->AddWidget(button);
}

UpgradePanelSlot::~UpgradePanelSlot()
{
    panel->RemoveWidget(button);
    delete button;
}

void UpgradePanelSlot::HoverTest(int mouseX, int mouseY)
{
    const int mx = mouseX - panelX;
    const int my = mouseY - panelY;
    over = mx >= slotX && mx <= slotX + kWidth && my >= slotY && my <= slotY + HeightOf(slotImage);
    if (!over) {
        highlight.target = 0;
        return;
    }
    highlight.target = 1;
    if (highlight.current == 0) {
        PlaySoundById("SOUND_UPGRADE_SLOT_ENTER");
        highlight.current = kHighlightStarted;
    }
}

void UpgradePanelSlot::Draw(Tolm::Graphics* g)
{
    g->PushState();
    g->Translate(slotX, slotY);
    g->DrawImage(slotImage, 0, 0);
    if (highlight.current > 0) {
        g->SetTintImages(true);
        g->SetColor(Tolm::Color(255, 255, 255, int(highlight.current * 255)));
        g->DrawImage(highlightImage, 0, 0);
        g->SetTintImages(false);
    }
    if (preview) {
        const int slotWidth = WidthOf(slotImage);
        const int slotHeight = HeightOf(slotImage);
        // The slot keeps 40 pixels at its right for its post.
        g->DrawImage(preview, (slotWidth - preview->GetWidth() - 40) / 2, (slotHeight - preview->GetHeight()) / 2);
    }
    g->PopState();
}

UpgradePanel::UpgradePanel(Tolm::ButtonListener* listener)
    : background(GetImageById("UPGRADE_PANEL_BACKGROUND")), foreground(GetImageById("UPGRADE_PANEL_FOREGROUND")),
      continueButton(new UpgradePanelContinueButton(kContinueId, listener)), hint(std::make_unique<BuildingHint>())
{
    clip = false;
    mouseVisible = false;
    Resize(0, ScreenHeight(), WidthOf(background), HeightOf(background));
    slide.speed = kSlideSpeed;
    slide.current = slide.target = slide.previous = float(ScreenHeight());
    continueButton->Move(kContinueX, kContinueY);
    AddWidget(continueButton);
    for (int slot = 0; slot < kSlots; ++slot) {
        slots[std::size_t(slot)] = std::make_unique<UpgradePanelSlot>(this, slot, kSlotX[slot], kSlotY, listener);
    }
    // Centred on the screen while the panel is fully shown.
    hint->SetPosition((Tolm::gTolmApp->width - hint->GetWidth()) / 2 - x,
                      (Tolm::gTolmApp->height - hint->GetHeight()) / 2 - (ScreenHeight() - height));
    continueSparkle = std::make_unique<RoundFly>(float(continueButton->x + continueButton->width / 2),
                                                 float(continueButton->y + continueButton->height / 2),
                                                 float(continueButton->width / 2), float(continueButton->height / 2));
    slotSparkle = std::make_unique<RoundFly>(0.0f, 0.0f, kSparkleRadiusX, kSparkleRadiusY);
}

UpgradePanel::~UpgradePanel()
{
    for (auto& slot : slots) {
        slot.reset();
    }
    RemoveWidget(continueButton);
    delete continueButton;
}

int UpgradePanel::ScreenHeight() const
{
    return Tolm::gTolmApp->height;
}

void UpgradePanel::Show(bool show, bool animate, baseCallback* callback)
{
    slide.target = float(show ? ScreenHeight() - height : ScreenHeight());
    if (!animate) {
        slide.current = slide.target;
        Move(x, int(slide.current));
    }
    slideCallback.reset(callback);
    if (!show) {
        hint->shown = false;
    }
}

bool UpgradePanel::IsHidden() const
{
    return slide.current == slide.target && slide.target == float(ScreenHeight());
}

int UpgradePanel::SlotToBuildingId(int slot) const
{
    return slot + kSlots * UserProfile::GetBuildingGroup();
}

void UpgradePanel::RefreshSlots()
{
    int open = kSlots;
    int first = -1;
    for (int slot = 0; slot < kSlots; ++slot) {
        const int id = SlotToBuildingId(slot);
        const BaseTownBuilding* building = BuildingsFactory::Instance()->GetById(id);
        TownUpgradeButton& button = BuyButton(slot);
        button.SetState(TownUpgradeButton::State::Buy);
        slots[std::size_t(slot)]->preview = building ? building->GetPreviewImage() : nullptr;
        if (UserProfile::IsBuildingBuilt(id)) {
            button.SetState(TownUpgradeButton::State::Bought);
            --open;
        } else if (!building || UserProfile::GetGold() < building->GetCostGold() ||
                   UserProfile::GetFood() < building->GetCostFood() ||
                   UserProfile::GetSupplies() < building->GetCostSupplies()) {
            button.SetState(TownUpgradeButton::State::NotEnough);
            --open;
        } else if (first < 0) {
            first = slot;
        }
    }
    if (open > 0) {
        continueSparkle->SetActive(false);
        if (first >= 0) {
            slotSparkle->SetActive(true);
            slotSparkle->SetCentre(first * kSparkleStep + kSparkleX, kSparkleY);
        }
        return;
    }
    slotSparkle->SetActive(false);
    continueSparkle->SetActive(true);
}

void UpgradePanel::SelectSlot(int slot)
{
    if (slot < 0 || slot >= kSlots || BuyButton(slot).GetState() == TownUpgradeButton::State::Bought) {
        return;
    }
    selectedId = SlotToBuildingId(slot);
    hint->SetBuilding(selectedId);
    hint->shown = true;
}

void UpgradePanel::HideHint(bool animate)
{
    hint->shown = false;
    if (!animate) {
        hint->SnapFade();
    }
}

void UpgradePanel::RefreshHint()
{
    hint->Load();
}

void UpgradePanel::Update()
{
    Tolm::Widget::Update();
    const Tolm::WidgetManager* widgets = Tolm::gTolmApp->widgetManager.get();
    for (auto& slot : slots) {
        slot->HoverTest(widgets->lastMouseX, widgets->lastMouseY);
    }
    hint->UpdateFadeTarget();
}

void UpgradePanel::UpdateFraction(float dt)
{
    for (auto& slot : slots) {
        slot->highlight.Update(dt);
    }
    slide.Update(dt);
    Move(x, int(slide.current));
    for (auto& slot : slots) {
        slot->panelX = x;
        slot->panelY = y;
    }
    if (slide.current == slide.target && slideCallback) {
        std::unique_ptr<baseCallback> callback = std::move(slideCallback);
        callback->Invoke();
    }
    hint->UpdateFade(dt);
    continueSparkle->Update(dt);
    slotSparkle->Update(dt);
}

void UpgradePanel::Draw(Tolm::Graphics* g)
{
    g->DrawImage(background, 0, 0);
    for (auto& slot : slots) {
        slot->Draw(g);
    }
    g->DrawImage(foreground, 0, 0);
    DeferOverlay(1);
}

void UpgradePanel::DrawOverlay(Tolm::Graphics* g, int)
{
    continueSparkle->Draw(*g);
    hint->Draw(*g);
    slotSparkle->Draw(*g);
}
