// A cell that animates: it fades with the board, glows when the hint flashes it, and plays the shine that
// crosses a new cell. Made for holes (kind 0); the playable cell builds on it.
#pragma once

#include "board/CellWithBorder.h"
#include "core/Module.h"
#include "graphics/Animator.h"

#include <functional>

class CellGfx : public CellWithBorder, public baseObject
{
public:
    static constexpr const char* kLineImageId = "FIELD_CELL_ANIM_LINE";

    static constexpr int kFadeNone = 0;
    static constexpr int kFadingIn = 1;
    static constexpr int kFadedOut = 2;

    explicit CellGfx(int cellKind);
    // A copy of the fields; the module list starts empty and the shine starts afresh.
    CellGfx(const CellGfx& other);

    void DrawBack(Tolm::Graphics& g) override;
    void DrawFront(Tolm::Graphics& g) override;
    void Update(float dt) override;
    void Animate() override { lineAnimator->Update(); }
    std::unique_ptr<CellBase> Clone() const override { return std::make_unique<CellGfx>(*this); }
    void StartEffect(int kind, float time) override;
    void SetVisualState(int kind) override;
    void StopAnimations() override { ClearModules(); }
    bool IsAnimating() const override { return FirstModule() != nullptr; }

    float alpha = 1.0f;
    int fadeMode = kFadeNone;
    // The glow's phase, 0 to 1, while glowOn.
    float glow = 0;
    bool glowOn = false;
    // Plays the shine image once; owned.
    std::unique_ptr<Tolm::Animator> lineAnimator;
    // Seconds left before the shine starts again; -1 while idle.
    float lineTimer = -1.0f;

protected:
    // While fading, what `draw` draws is tinted with the fade's alpha (nothing at all at alpha 0).
    void DrawFaded(Tolm::Graphics& g, const std::function<void()>& draw) const;
    // The shine's current cel at the cell's corner, unless it has played out.
    void DrawLine(Tolm::Graphics& g);
};
