// The one-time tutorial hints: a bubble with an arrow pointing at something on the screen, at most once
// per player profile for each of the 37 kinds. The profile keeps a shown-bit per kind; this singleton
// keeps the time of the last bubble, so that the game screen can space the hints out.
#pragma once

#include "core/Singleton.h"

#include <string>

constexpr int kHintTypeCount = 37;
// Not a bubble: the game screen keeps the one-time help window's bit under this kind.
constexpr int kHintHelpWindow = 4;

// The text id of the kind's bubble; null for the help window's kind and for kinds past the last.
const char* HintTextId(int type);
// Kinds past the last count as shown, so nothing is ever shown for them.
bool IsHintShown(int type);
void SetHintShownBit(int type);

class FieldHints : public Singleton<FieldHints>
{
public:
    // Two bubbles at least this many updates apart, counted from the opening of the first.
    static constexpr int kGap = 1500;

    bool IsHintAllowed() const;
    // Blocks until the player has closed the bubble.
    void ShowHintWindow(const std::string& text, int x, int y);

    // The application's update count when the last bubble opened; the first hint may come at once.
    int lastShown = -kGap;
};

// Shows the kind's bubble pointing at (x, y), once per profile: the bit is set before the bubble opens,
// and asking again shows nothing. The gap between bubbles is left to the callers.
void ShowFieldHint(int type, int x, int y);
