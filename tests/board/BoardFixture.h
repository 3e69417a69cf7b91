// The board on the built data set: the game's properties and the groups "Field", "Blocks", "BonusPanel"
// and "Sounds" read from main.pak, the board's singletons made fresh for each test and deleted after it,
// a fixed seed, and a working folder of the test's own for level files it writes. A board prints as
// characters and renders to a PNG file in the tests' folder, to be looked at; it is laid out from the
// same characters, and plays scripts of chains and tools.
#pragma once

#include "board/FieldActions.h"
#include "support/BoardText.h"
#include "support/SteppedApp.h"
#include "support/TempFolder.h"
#include "support/TestResources.h"

#include <cstdint>
#include <gtest/gtest.h>
#include <map>
#include <string>
#include <vector>

// The board's layers the tests build on: everything below the live board.
class TestBoard : public FieldActions
{};

// Plays no sound, but notes which resource ids were played.
class BoardSoundManager;

class BoardFixture : public testing::Test
{
protected:
    static constexpr unsigned kSeed = 20240611;

    BoardFixture();
    ~BoardFixture() override;

    // One frame of one update: the core time moves on by 10 ms.
    void Frame() { app.Frame(); }
    // One frame of one update for the board as the live board runs it: the fixed update (bricks and
    // cells, the chain's arrows, the effect lists, the global effects), then the frame's tick.
    void Step(TestBoard& board);
    void Steps(TestBoard& board, int count);

    // The game's particle effects with their pictures, which the layer leaves out until a test asks.
    void LoadParticleEffects();
    // Sets the profile's level and lays it out with the level code, as a level start does.
    bool SetUpLevel(TestBoard& board, int level, bool retry = false);
    // Bricks at rest on their cells and the frame's border bits, as the live board shows a level.
    static void PlaceForShow(FieldActions& board);
    // The reverse of BoardRows: rows of two characters per slot, a missing character a blank, so a row
    // may end early. Then the board is placed for show.
    static void LayBoard(FieldActions& board, const std::string& rows);
    // The board drawn as the live board draws it (cells, effects, bricks, then the chain's arrows and the
    // global effects) over a plain backdrop, written to `name` in the tests' folder.
    void RenderBoard(TestBoard& board, const std::string& name) const;

    // Draws from the game's generator since the fixture seeded it; the generator is left where it was.
    int GeneratorPosition();
    // The sounds played since the last call, by resource id.
    std::vector<std::string> TakeSounds();

    // Plays a script, one command a line, and returns what its "show" lines print:
    //   press X Y, drag X Y   the chain takes the brick when it is idle (a press starts afresh)
    //   release               a chain of three or more explodes brick by brick and collapses, the
    //                         move finder recounts; the chain is dropped in any case
    //   bomb X Y, hammer X Y, destroy TYPE, lightning [X Y], mix
    //   update N              N frames
    //   show                  the board rows, then "busy:" with the busy list, "sounds:" with the
    //                         sounds played since the last show, and "draws:" with GeneratorPosition
    std::string Play(TestBoard& board, const std::string& script);

    std::string testsFolder;
    TempFolder temp;
    SteppedApp app;
    // Reads the game's manifests; a test may declare resources of its own beside them.
    TestResourceManager* resources = nullptr;
    BoardSoundManager* sounds = nullptr;
};

// The game's generator, written out apart from the program's: one step and the integer draw of a range.
class ReferenceRandom
{
public:
    explicit ReferenceRandom(uint32_t seed) : state(seed) {}
    uint32_t Step()
    {
        state = state * 214013u + 2531011u;
        return state;
    }
    // From a to b inclusive.
    int Range(int a, int b)
    {
        const uint32_t x = Step();
        return a + int((x ^ (x >> 15)) % uint32_t(b - a + 1));
    }
    // From a to b, as the float draws make it.
    float Float(float a, float b)
    {
        const uint32_t x = Step();
        return a + (b - a) * float(x >> 16) * 1.5259021893143654e-05f;
    }

    uint32_t state;
};
