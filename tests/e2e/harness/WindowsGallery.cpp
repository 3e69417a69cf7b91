#include "WindowsGallery.h"

#include "app/GameState.h"
#include "app/TolmAppBase.h"
#include "bricks/BrickHelper.h"
#include "graphics/Graphics.h"
#include "graphics/MemoryImage.h"
#include "hud/TimerPanel.h"
#include "hud/TopPanel.h"
#include "resources/ResourceLookups.h"
#include "widgets/WidgetManager.h"
#include "windows/HelpWindow.h"
#include "windows/HintWindow.h"
#include "windows/LevelCompleteWindow.h"

namespace {

constexpr int kBoardX = 112;
constexpr int kBoardY = 70;
constexpr int kCell = 36;
constexpr int kColumns = 16;
constexpr int kRows = 12;

// A fixed mix of bricks and locks, so that every screenshot shows the same board.
int BrickAt(int column, int row)
{
    return 1 + (column * 7 + row * 5 + column * row) % 26;
}

bool LockedAt(int column, int row)
{
    return (column * 3 + row * 11) % 7 == 0;
}

} // namespace

void WindowsGallery::OnEnter()
{
    TopPanel* top = TopPanel::Instance();
    top->SetShown(true, true);
    TimerPanel* timer = TimerPanel::Instance();
    timer->Reset();
    timer->SetGoal(40);
    timer->SetShown(true, true);
    Tolm::WidgetManager* manager = Tolm::gTolmApp->widgetManager.get();
    manager->AddWidget(top);
    manager->AddWidget(timer);
    manager->SetFocus(this);
}

void WindowsGallery::OnLeave()
{
    Tolm::WidgetManager* manager = Tolm::gTolmApp->widgetManager.get();
    manager->RemoveWidget(TopPanel::Instance());
    manager->RemoveWidget(TimerPanel::Instance());
    BaseScreen::OnLeave();
}

void WindowsGallery::Draw(Tolm::Graphics* g)
{
    for (int y = 0; y < height; y += 4) {
        int warm = y * 255 / height;
        g->SetColor(Tolm::Color(29 + warm * 160 / 255, 63 + warm * 110 / 255, 96 + warm * 30 / 255));
        g->FillRect(0, y, width, 4);
    }
    DrawBoard(g);
}

void WindowsGallery::DrawBoard(Tolm::Graphics* g)
{
    Tolm::Image* plain = GetImageById("FIELD_CELL_SIMPLE");
    Tolm::Image* locked = GetImageById("FIELD_CELL_LOCKED");
    for (int column = 0; column < kColumns; ++column) {
        for (int row = 0; row < kRows; ++row) {
            int x = kBoardX + column * kCell;
            int y = kBoardY + row * kCell;
            if (Tolm::Image* cell = LockedAt(column, row) ? locked : plain) {
                g->DrawImage(cell, x, y);
            }
            Tolm::Image* brick = nullptr;
            if (GetBrickImage(BrickAt(column, row), brick)) {
                g->DrawImage(brick, x, y);
            }
        }
    }
}

void WindowsGallery::KeyChar(char ch)
{
    switch (ch) {
    case 'g':
        TopPanel::Instance()->AddGold(240);
        TopPanel::Instance()->AddFood(135);
        TopPanel::Instance()->AddSupplies(90);
        TopPanel::Instance()->AddScore(4250);
        break;
    case 'p':
        TimerPanel::Instance()->AddProgress(20);
        TimerPanel::Instance()->SyncDisplay();
        break;
    case 't': {
        LevelCompleteWindow* tally = LevelCompleteWindow::Instance();
        tally->SetTally(240, 135, 90, 4250, 0.86f);
        ShowWindowModal(tally, 1, 2);
        break;
    }
    case 'h':
        ShowWindowModal(HelpWindow::Instance(), 1, 2);
        break;
    case 'l':
        Tolm::gTolmApp->SetBoolProperty("hide_links", !Tolm::gTolmApp->GetBoolProperty("hide_links", false));
        break;
    case 'b':
        ShowBubble();
        break;
    default:
        break;
    }
}

void WindowsGallery::ShowBubble()
{
    struct Target
    {
        int x;
        int y;
        const char* text;
    };
    // The menu button, a locked cell, the hammer's button and a gold brick: one in each quarter.
    const Target targets[] = {
        {748, 286, "hint_menubutton"},
        {kBoardX + 3 * kCell + 18, kBoardY + 2 * kCell + 18, "hint_lockedcell"},
        {256, 560, "hint_hamer"},
        {kBoardX + 13 * kCell + 18, kBoardY + 9 * kCell + 18, "hint_gold10_brick"},
    };
    const Target& target = targets[quarter];
    quarter = (quarter + 1) % 4;
    auto* bubble = new HintWindow();
    bubble->SetHint(Tolm::GetLocalizedText(target.text), target.x, target.y, 0);
    ShowWindowModal(bubble, 1, 2);
}

void RegisterWindowsGallery(GameStateListener* states, const std::string& name)
{
    auto* gallery = new WindowsGallery();
    gallery->listener = states;
    states->Register(name, gallery);
}
