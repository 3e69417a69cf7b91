// One tool button of the bonus panel: the tool's charge (0 to 3, usable from 1), the icon that fills
// up from the bottom as bonus bricks charge it, the glow of a usable tool, the round gate that shuts the
// button while the tool is out of play, and the tool's own action. A press reports to the panel, which
// decides whether the tool acts at once or is armed.
#pragma once

#include "gamewidgets/BonusLineGlow.h"
#include "gamewidgets/RoundButtonGate.h"
#include "widgets/ButtonWidget.h"

#include <memory>

class BonusPanel;

// Where a button's icon sits off the frame's centre, and the tutorial hint of its tool.
struct BonusButtonLook
{
    const char* icon;
    const char* glow;
    int shiftX;
    int shiftY;
    int hint;
};

class BonusButtonBase : public Tolm::ButtonWidget
{
public:
    // The buttons' ids, in their order along the bar.
    enum Tool
    {
        kHamer,
        kBomb,
        kLightning,
        kMixer,
        kDestroy,
    };

    static constexpr int kReady = 1;
    static constexpr int kArmed = 2;
    static constexpr float kMaxCharge = 3.0f;

    BonusButtonBase(int id, const BonusButtonLook& look, BonusPanel* panel);
    ~BonusButtonBase() override;

    void Update() override;
    // dt in update periods.
    void UpdateFraction(float dt) override;
    void Draw(Tolm::Graphics* g) override;

    // Whether the tool acted on the board's cell (x, y); the lightning and the mixer act wherever.
    virtual bool ApplyAt(int x, int y);
    virtual void Disarm() {}
    virtual void Arm() {}

    float GetCharge() const { return charge; }
    void ResetCharge();
    // Above three holds three.
    void SetCharge(float value);
    void SetState(int value) { state = value; }
    // The gate opens only for a tool the level offers or one that still holds charge.
    void SetGate(bool open, float delaySeconds);
    // 1 when the tool became usable, 2 or 3 when it reached that many charges, else 0. Negative points
    // take charge away.
    int AddPoints(int points);
    int AddOneCharge();
    // Gives up one whole charge; the number of whole charges held before.
    int UseCharge();

    // The tool's bonus brick type.
    int BonusType() const { return id + kFirstBonusType; }

    float charge = 0.0f;
    int iconX = 0;
    int iconY = 0;
    int state = kReady;
    int pointsPerCharge;
    // The update in which "bonus_updated" particles last rose from this button.
    int lastParticleUpdate = 0;
    // The random draws of a button are its line's phase, then its glow's: the fields' order.
    BonusLineGlow lineGlow;
    // The fill line's y in the button: the height when empty, 0 when full.
    float fillY = 0.0f;
    // Resources.
    Tolm::Image* frameImage;
    Tolm::Image* glowImage;
    float glowPhase;
    std::unique_ptr<RoundButtonGate> gate;
    int hint;

private:
    static constexpr int kFirstBonusType = 27;

    void ShowHint(int panelX, int panelY);
    void StepFill(float dt);
    void DrawReady(Tolm::Graphics* g);
    void DrawCharged(Tolm::Graphics* g);
    void DrawFilling(Tolm::Graphics* g);
    void SpawnUpdatedParticles(int newWhole);
};
