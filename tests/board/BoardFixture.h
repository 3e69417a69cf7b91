// The board on the built data set: the game's properties and the groups "Field" and "Blocks" read from
// main.pak, the board's singletons made fresh for each test and deleted after it, a fixed seed, and a
// working folder of the test's own for level files it writes. A board prints as characters and renders
// to a PNG file in the tests' folder, to be looked at.
#pragma once

#include "board/FieldMovement.h"
#include "support/SteppedApp.h"
#include "support/TempFolder.h"

#include <cstdint>
#include <gtest/gtest.h>
#include <string>

// The board's layers the tests build on: the grid and its predicates.
class TestBoard : public FieldMovement
{};

class BoardFixture : public testing::Test
{
protected:
    static constexpr unsigned kSeed = 20240611;

    BoardFixture();
    ~BoardFixture() override;

    // One frame of one update: the core time moves on by 10 ms.
    void Frame() { app.Frame(); }

    // Sets the profile's level and lays it out with the level code, as a level start does.
    bool SetUpLevel(TestBoard& board, int level, bool retry = false);
    // Bricks at rest on their cells and the frame's border bits, as the live board shows a level.
    static void PlaceForShow(TestBoard& board);
    // Two characters per slot: the brick ('.' none, a-j gold, k-r food, s-z supplies, 1-5 tools, '+' the
    // live bonus) and the locks (' ', '1' one layer, '2' two); a hole is two blanks.
    static std::string BoardText(const TestBoard& board);
    // The board drawn as the live board draws it (cell backs, cell fronts, bricks) over a plain
    // backdrop, written to `name` in the tests' folder.
    void RenderBoard(const TestBoard& board, const std::string& name) const;

    std::string testsFolder;
    TempFolder temp;
    SteppedApp app;
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

    uint32_t state;
};
