// The five tools of the bonus panel. The lightning and the mixer act as soon as they are pressed; the
// hammer, the bomb and the destroy tool are armed instead (the cursor becomes the tool) and act on the
// next brick pressed on the board.
#pragma once

#include "board/BonusButtonBase.h"

class BaseBonusCursor;

class TargetingBonusButton : public BonusButtonBase
{
public:
    using BonusButtonBase::BonusButtonBase;

    // Nothing on an empty slot or off the board: the tool stays armed.
    bool ApplyAt(int x, int y) override;
    void Disarm() override;
    // A second arming disarms.
    void Arm() override;

protected:
    virtual BaseBonusCursor* Cursor() = 0;
    virtual void Act(int x, int y) = 0;
};

class ButtonBonusHamer : public TargetingBonusButton
{
public:
    explicit ButtonBonusHamer(BonusPanel* panel);

protected:
    BaseBonusCursor* Cursor() override;
    void Act(int x, int y) override;
};

class ButtonBonusBomb : public TargetingBonusButton
{
public:
    explicit ButtonBonusBomb(BonusPanel* panel);

protected:
    BaseBonusCursor* Cursor() override;
    void Act(int x, int y) override;
};

class ButtonBonusDestroy : public TargetingBonusButton
{
public:
    explicit ButtonBonusDestroy(BonusPanel* panel);

protected:
    BaseBonusCursor* Cursor() override;
    // Every brick of the pressed brick's type.
    void Act(int x, int y) override;
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
