// The yes/no question: the caller sets the question, shows the window with its effects and reads 1 for
// yes, 0 for no (or Esc).
#pragma once

#include "core/Singleton.h"
#include "windows/BaseWindow.h"

#include <memory>
#include <string>

class BaseWindowButton;

class ConfirmWindow : public BaseWindow, public Singleton<ConfirmWindow>
{
public:
    ConfirmWindow();
    ~ConfirmWindow() override;

    void SetText(const std::string& question);

    void Draw(Tolm::Graphics* g) override;
    void KeyDown(int keyCode) override;
    void ButtonClicked(int buttonId) override;

    std::unique_ptr<BaseWindowButton> yesButton;
    std::unique_ptr<BaseWindowButton> noButton;
    std::string text;
};
