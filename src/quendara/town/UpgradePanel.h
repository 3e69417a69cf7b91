// The panel where the town's buildings are bought between levels: it slides up
// from the bottom edge with the five buildings of the player's current group,
// each in a slot with its preview and buy button, and a continue button. It
// only shows the state of the profile and reports its buttons to its listener,
// which performs the purchase. Hovering a slot's button shows that building's
// hint; a sparkle circles the first building the player can buy now, or the
// continue button when none can be bought. The buttons keep the faces of the
// last refresh until the next one; the listener judges each click against the
// profile as it stands.
#pragma once

#include "core/Callback.h"
#include "core/LiveValue.h"
#include "widgets/Listeners.h"
#include "widgets/Widget.h"

#include <array>
#include <memory>

class BuildingHint;
class RoundFly;
class TownUpgradeButton;
class UpgradePanel;
class UpgradePanelContinueButton;

// One slot: its place in the panel, the preview of the building offered and the
// slot's buy button (a child of the panel).
class UpgradePanelSlot
{
public:
    static constexpr int kWidth = 128;

    UpgradePanelSlot(UpgradePanel* panel, int slot, int slotX, int slotY, Tolm::ButtonListener* listener);
    // Takes the button out of the panel and deletes it.
    ~UpgradePanelSlot();
    UpgradePanelSlot(const UpgradePanelSlot&) = delete;
    UpgradePanelSlot& operator=(const UpgradePanelSlot&) = delete;

    // Once per update: the highlight follows the mouse, with the slot's sound
    // once per entry.
    void HoverTest(int mouseX, int mouseY);
    // In the panel's coordinates.
    void Draw(Tolm::Graphics* g);

    TownUpgradeButton* button;
    // Not owned; null until the slots are refreshed.
    Tolm::Image* preview = nullptr;
    int slotX;
    int slotY;
    int panelX = 0;
    int panelY = 0;
    int buttonId;
    UpgradePanel* panel;
    Tolm::Image* slotImage;
    Tolm::Image* highlightImage;
    LiveValue highlight;
    bool over = false;
};

class UpgradePanel : public Tolm::Widget
{
public:
    static constexpr int kSlots = 5;
    static constexpr int kContinueId = 0;
    // Slot s reports id s + kFirstBuyId.
    static constexpr int kFirstBuyId = 2;

    // Out of view below the screen.
    explicit UpgradePanel(Tolm::ButtonListener* listener);
    ~UpgradePanel() override;

    // Slides in or out; without animation it jumps. The callback (owned, may be
    // null) runs once the slide ends, in place of any earlier one, which is
    // deleted unrun. Hiding also lets the hint fade.
    void Show(bool show, bool animate, baseCallback* callback);
    // At rest out of view.
    bool IsHidden() const;
    // Each slot offers its building of the player's group, as buy, bought or not
    // enough funds.
    void RefreshSlots();
    int SlotToBuildingId(int slot) const;
    // Shows the slot's building in the panel's hint, unless it is bought.
    void SelectSlot(int slot);
    void HideHint(bool animate);
    // Reads the hint's building again, after it has been bought.
    void RefreshHint();

    void Update() override;
    void UpdateFraction(float dt) override;
    void Draw(Tolm::Graphics* g) override;
    void DrawOverlay(Tolm::Graphics* g, int priority) override;

    TownUpgradeButton& BuyButton(int slot) { return *slots[std::size_t(slot)]->button; }
    UpgradePanelContinueButton& ContinueButton() { return *continueButton; }
    BuildingHint& Hint() { return *hint; }
    RoundFly& ContinueSparkle() { return *continueSparkle; }
    RoundFly& SlotSparkle() { return *slotSparkle; }

    Tolm::Image* background;
    Tolm::Image* foreground;
    UpgradePanelContinueButton* continueButton;
    std::array<std::unique_ptr<UpgradePanelSlot>, kSlots> slots;
    std::unique_ptr<baseCallback> slideCallback;
    // The panel's y on the screen.
    LiveValue slide;
    std::unique_ptr<BuildingHint> hint;
    int selectedId = -1;
    std::unique_ptr<RoundFly> continueSparkle;
    std::unique_ptr<RoundFly> slotSparkle;

private:
    int ScreenHeight() const;
};
