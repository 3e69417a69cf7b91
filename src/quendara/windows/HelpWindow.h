// The help: three pages shown one at a time in one window, paged with ">>" and "<<" and closed with its
// button or Esc. It always opens on the first page.
#pragma once

#include "core/Singleton.h"
#include "windows/BaseWindow.h"

#include <array>
#include <memory>

class BaseHelpPage;
class SmallWindowButton;

class HelpWindow : public BaseWindow, public Singleton<HelpWindow>
{
public:
    // Apart from the level-complete window's id: the level may end under an open help window.
    static constexpr int kDialogId = 204;
    static constexpr int kPageCount = 3;

    HelpWindow();
    ~HelpWindow() override;

    void Update() override;
    void Draw(Tolm::Graphics* g) override;
    void KeyDown(int keyCode) override;
    void ButtonClicked(int id) override;

    std::unique_ptr<SmallWindowButton> closeButton;
    std::unique_ptr<SmallWindowButton> nextButton;
    std::unique_ptr<SmallWindowButton> prevButton;
    std::array<std::unique_ptr<BaseHelpPage>, kPageCount> pages;
    // 0 to 2.
    int page = 0;
};
