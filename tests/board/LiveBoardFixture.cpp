#include "LiveBoardFixture.h"

#include "board/BonusManHelper.h"
#include "board/FieldLive.h"
#include "board/PathStorage.h"
#include "board/Solver.h"
#include "hud/TopPanel.h"
#include "profile/UserProfile.h"
#include "screens/GameScreen.h"
#include "sound/MusicManager.h"
#include "widgets/WidgetManager.h"

#include <sstream>

LiveBoardFixture::LiveBoardFixture()
{
    UserProfile::Instance();
    // The player has seen every hint and the rules: a bubble would wait for an answer inside a chain or an
    // update, and the game screen opens the rules 1.5 s into the first level.
    UserProfile::SetHintMaskLow(0xFFFFFFFFu);
    UserProfile::SetHintMaskHigh(0x1Fu);
    // Any other window the board's play opens (a town person's arrival) closes as soon as it is shown, as
    // if the player closed it at its first update.
    app.exitNestedLoops = true;
    screen = new GameScreen();
    app.widgetManager->AddWidget(screen);
    screen->OnEnter();
    field = FieldLive::Instance();
    while (field->HasQueuedSounds()) {
        app.Frame();
    }
    TakeSounds();
}

LiveBoardFixture::~LiveBoardFixture()
{
    app.exitNestedLoops = false;
    app.widgetManager->RemoveWidget(screen);
    delete screen;
    delete TopPanel::RegisteredInstance();
    // Entering the screen starts the level's music.
    delete MusicManager::RegisteredInstance();
}

void LiveBoardFixture::Lay(const std::string& rows)
{
    LayBoard(*field, rows);
    field->totalLocks = 0;
    field->clearedLocks = 0;
    for (int i = 0; i < kFieldSlots; ++i) {
        const CellBase* cell = field->GetCell(i % kFieldWidth, i / kFieldWidth);
        field->totalLocks += (cell->HasFlag(kCellLock1) ? 1 : 0) + (cell->HasFlag(kCellLock2) ? 1 : 0);
    }
    Solver::Instance()->Recount(*field);
}

int LiveBoardFixture::PixelX(int x) const
{
    return field->originX + x * field->cellW + field->cellW / 2;
}

int LiveBoardFixture::PixelY(int y) const
{
    return field->originY + y * field->cellH + field->cellH / 2;
}

std::string LiveBoardFixture::Counters() const
{
    const TopPanel* top = TopPanel::Instance();
    const BonusManHelper* people = BonusManHelper::Instance();
    std::ostringstream text;
    text << "counters: " << top->GetGold() << ' ' << top->GetFood() << ' ' << top->GetSupplies() << ' '
         << top->GetScore() << "\npeople: " << people->gold << ' ' << people->food << ' ' << people->supplies << ' '
         << people->cells << ' ' << people->combos << ' ' << people->lastChain << ' ' << people->lastCombo << '\n';
    return text.str();
}

// A mouse that stays where it is sends no move: a move or drag to the point it is at goes a pixel aside,
// still inside the cell, as a hand on a real mouse would.
void LiveBoardFixture::MouseTo(int x, int y, bool drag)
{
    int px = PixelX(x);
    const int py = PixelY(y);
    Tolm::WidgetManager& widgets = *app.widgetManager;
    if (px == widgets.lastMouseX && py == widgets.lastMouseY) {
        ++px;
    }
    if (drag) {
        widgets.MouseDrag(px, py);
    } else {
        widgets.MouseMove(px, py);
    }
}

std::string LiveBoardFixture::Run(const std::string& script)
{
    Tolm::WidgetManager& widgets = *app.widgetManager;
    std::istringstream lines(script);
    std::ostringstream shown;
    for (std::string line; std::getline(lines, line);) {
        std::istringstream words(line);
        std::string command;
        words >> command;
        int x = -1;
        int y = -1;
        if (command == "drag") {
            while (words >> x >> y) {
                MouseTo(x, y, true);
            }
            continue;
        }
        words >> x >> y;
        if (command == "press") {
            widgets.MouseDown(PixelX(x), PixelY(y), 1);
        } else if (command == "release") {
            widgets.MouseUp(PixelX(x), PixelY(y), 1);
        } else if (command == "click") {
            widgets.MouseDown(PixelX(x), PixelY(y), 1);
            widgets.MouseUp(PixelX(x), PixelY(y), 1);
        } else if (command == "rpress") {
            widgets.MouseDown(PixelX(x), PixelY(y), -1);
        } else if (command == "rrelease") {
            widgets.MouseUp(PixelX(x), PixelY(y), -1);
        } else if (command == "move") {
            MouseTo(x, y, false);
        } else if (command == "update") {
            app.Frames(x);
        } else if (command == "show" || command == "sounds") {
            if (command == "show") {
                shown << BoardRows(*field) << "chain:";
                PathStorage* path = PathStorage::Instance();
                int cx = 0;
                int cy = 0;
                for (path->Rewind(); path->Next(&cx, &cy);) {
                    shown << ' ' << cx << ',' << cy;
                }
                shown << '\n' << Counters();
            }
            shown << "sounds:";
            for (const std::string& sound : TakeSounds()) {
                shown << ' ' << sound;
            }
            shown << '\n';
            if (command == "show") {
                shown << "draws: " << GeneratorPosition() << '\n';
            }
        } else if (!command.empty()) {
            ADD_FAILURE() << "unknown script line: " << line;
        }
    }
    return shown.str();
}

// FNV-1a over the board's characters, the chain, the counters and the countdown.
uint64_t LiveBoardFixture::BoardHash() const
{
    std::ostringstream state;
    state << BoardText(*field) << Counters() << field->noMoveCounter << ' ' << field->comboCount << ' '
          << field->tick;
    PathStorage* path = PathStorage::Instance();
    int cx = 0;
    int cy = 0;
    for (path->Rewind(); path->Next(&cx, &cy);) {
        state << ' ' << cx << ',' << cy;
    }
    uint64_t hash = 14695981039346656037ull;
    for (unsigned char c : state.str()) {
        hash = (hash ^ c) * 1099511628211ull;
    }
    return hash;
}
