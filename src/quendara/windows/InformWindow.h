// A message with an OK button, made for one showing. ShowInformMessage shows one at once, without the
// window effects and without darkening the screen, and deletes it afterwards.
#pragma once

#include "windows/BaseWindow.h"

#include <memory>
#include <string>

class BaseWindowButton;

class InformWindow : public BaseWindow
{
public:
    explicit InformWindow(const std::string& message);
    ~InformWindow() override;

    void Draw(Tolm::Graphics* g) override;
    void KeyDown(int keyCode) override;
    void ButtonClicked(int buttonId) override;

    std::unique_ptr<BaseWindowButton> okButton;
    std::string text;
};

void ShowInformMessage(const std::string& message);
