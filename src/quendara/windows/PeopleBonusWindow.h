// The bubble that announces a town person's arrival during a level: the person's portrait in a column on
// the left, a congratulation, the words for the bonus with the person's name, and the person's comments.
// It closes with 0 by its button, Enter or Esc.
#pragma once

#include "core/Singleton.h"
#include "windows/BaseWindow.h"

#include <memory>
#include <string>

class BaseWindowButton;
class TownMan;

class PeopleBonusWindow : public BaseWindow, public Singleton<PeopleBonusWindow>
{
public:
    PeopleBonusWindow();
    ~PeopleBonusWindow() override;

    // Copies what the window shows of the person.
    void SetPerson(const TownMan& person);

    void Draw(Tolm::Graphics* g) override;
    void KeyDown(int keyCode) override;
    void PlayShowSound() override;
    void PlayHideSound() override;
    void ButtonClicked(int buttonId) override;

    // Not owned; null until a person is set.
    Tolm::Image* preview = nullptr;
    std::string name;
    std::string comments;
    std::unique_ptr<BaseWindowButton> continueButton;
};
