// The five tools of the bonus panel. The lightning and the mixer act as soon as they are pressed; the
// hammer, the bomb and the destroy tool are armed instead (the cursor becomes the tool) and act on the
// next brick pressed on the board.
#pragma once

#include "board/BonusButtonBase.h"

class BaseBonusCursor;

// A tool armed by its press: the cursor shows the tool until a press on a brick, where the tool acts.
class TargetingBonusButton : public BonusButtonBase
{
public:
    // The tool's cursor, a singleton made on first use.
    using CursorOf = BaseBonusCursor* (*)();
    // What the tool does to the board at the pressed cell.
    using Action = void (*)(int x, int y);

    TargetingBonusButton(int id, const BonusButtonLook& look, BonusPanel* panel, CursorOf cursor, Action act);

    // Nothing on an empty slot or off the board: the tool stays armed.
    bool ApplyAt(int x, int y) override;
    void Disarm() override;
    // A second arming disarms.
    void Arm() override;

private:
    CursorOf cursor;
    Action act;
};

class ButtonBonusHamer : public TargetingBonusButton
{
public:
    explicit ButtonBonusHamer(BonusPanel* panel);
};

class ButtonBonusBomb : public TargetingBonusButton
{
public:
    explicit ButtonBonusBomb(BonusPanel* panel);
};

// Acts on every brick of the pressed brick's type.
class ButtonBonusDestroy : public TargetingBonusButton
{
public:
    explicit ButtonBonusDestroy(BonusPanel* panel);
};

class ButtonBonusLightning : public BonusButtonBase
{
public:
    explicit ButtonBonusLightning(BonusPanel* panel);

    // The panel presses it at (-1, -1): strikes on random slots.
    bool ApplyAt(int x, int y) override;
};

class ButtonBonusMixer : public BonusButtonBase
{
public:
    explicit ButtonBonusMixer(BonusPanel* panel);

    bool ApplyAt(int x, int y) override;
};
