// The game screen on the built data set with its windows: the live board's fixture on a manual clock, so
// that the modal windows' waits run the real main loop (one update per 10 ms of that clock), with the
// window groups loaded, a screen to draw into and a state machine of recording states around the screen.
// A script runs at every update, also inside the windows' waits: it sees which window is open and
// answers it as a player would.
#pragma once

#include "LiveBoardFixture.h"
#include "app/GameStateManager.h"
#include "graphics/MemoryImage.h"
#include "platform/Clock.h"
#include "resources/ResourceLookups.h"

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

class HintWindow;

// Set before the application is made, which reads the clock then.
struct ManualClockFirst
{
    ManualClockFirst();
    ~ManualClockFirst();
    Platform::ManualClock clock{uint64_t(1000) * 1000000000};
};

// A registered state that notes what the machine does with it.
class NotedState : public GameState
{
public:
    NotedState(std::vector<std::string>& notes, std::string name) : notes(notes), name(std::move(name)) {}
    void Enter() override { notes.push_back(name + " enter"); }
    void Leave() override { notes.push_back(name + " leave"); }
    bool Pause() override { return false; }
    void Resume() override { notes.push_back(name + " resume"); }

    std::vector<std::string>& notes;
    std::string name;
};

class GameScreenFixture : private ManualClockFirst, public LiveBoardFixture
{
protected:
    GameScreenFixture();
    ~GameScreenFixture() override;

    // Frames until the condition holds; false when it has not after `limit` frames.
    bool RunUntil(const std::function<bool()>& condition, int limit);
    // The bubble that is open, or null.
    static HintWindow* OpenHint();
    template <typename Window>
    static bool IsOpen()
    {
        Window* window = Window::RegisteredInstance();
        return window && IsWindowShown(window);
    }
    // The hint kind of a bubble, by its text; -1 when no kind has it.
    static int HintKind(const HintWindow& hint);
    // Writes the level file "levels/levelNNN.level" of rows of '0' hole, '1' plain, '2' and '3' locked.
    void WriteLevel(int index, const std::vector<std::string>& rows);
    // The profile's level becomes `level` (levels past the archive's come from the test's folder).
    static void GoToLevel(int level);

    // Runs at every update of the application, inside windows too.
    std::function<void()> script;
    std::vector<std::string> notes;
    GameStateManager states;
    Tolm::MemoryImage screenImage;

private:
    class ScriptWidget;
    std::unique_ptr<ScriptWidget> scriptWidget;
};
