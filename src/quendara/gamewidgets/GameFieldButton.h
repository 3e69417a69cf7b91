// The round buttons beside the board (the menu button and the town button): a face with a symbol whose
// glow pulses while the mouse rests on it, a dark mask that lifts on hover, a gate that shutters the face
// while the board is away, and a ring that turns around it while the gate is open.
#pragma once

#include "core/LiveValue.h"
#include "gamewidgets/BaseButton.h"

#include <memory>

class RoundButtonGate;

class GameFieldButton : public BaseButton
{
public:
    // The six images are resources; the button is as large as the border, at (0, 0), and a missing image
    // is not drawn.
    GameFieldButton(int id, Tolm::ButtonListener* listener, Tolm::Image* border, Tolm::Image* button, Tolm::Image* down,
                    Tolm::Image* mask, Tolm::Image* sign, Tolm::Image* signGlow);
    ~GameFieldButton() override;

    // Opens after a random wait of up to half a second, or closes at once.
    void SetGateOpen(bool open);

    // Not the framework button's update: these buttons send no held notifications.
    void Update() override;
    void UpdateFraction(float dt) override;
    void Draw(Tolm::Graphics* g) override;

    Tolm::Image* border;
    Tolm::Image* button;
    Tolm::Image* down;
    Tolm::Image* mask;
    Tolm::Image* sign;
    Tolm::Image* signGlow;
    // Degrees.
    float borderAngle = 0;
    // 0 when hovered, 1 when not.
    LiveValue hover;
    float glowPhase = 0;
    std::unique_ptr<RoundButtonGate> gate;
};
