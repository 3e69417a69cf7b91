// The board's vocabulary of effects: explosions, expanding and flying bricks, scores and fluid streams,
// the highlight of an armed tool's targets, the board's texts, and the whole board appearing, holding
// and disappearing. x and y are cells; effects go over the bricks unless said otherwise.
#pragma once

#include "board/FieldRender.h"
#include "board/FieldSfx.h"

class baseCallback;

class FieldGfx : public FieldRender, public FieldSfx
{
public:
    void Update() override;
    // Also busy while a global effect is pending, or any brick or cell animates.
    bool IsBusy() const override;

    // Particles at the cell and, under the bricks, the slot's brick shrinking away.
    void AddBrickExplode(int x, int y);
    // A lock layer breaking: kind 0 the first layer, 1 the second.
    void AddCellExplode(int kind, int x, int y);
    // The brick glows a step and a copy of it swells and fades.
    void AddExpandEffect(int x, int y, BrickBase* brick);
    void AddFlyScore(int amount, int x, int y);
    // A stream of that much progress flies from the cell over everything to the progress bar.
    void AddTimerFluids(int x, int y, float amount);
    // A stream from the lightning button to the cell after a random wait; takes ownership of the callback.
    void AddFluids(int x, int y, baseCallback* callback);
    // A random wait that then runs the callback, and both bricks swelling; takes ownership.
    void AddSwapEffect(int x1, int y1, int x2, int y2, baseCallback* callback);
    // The type's picture flying from one cell to another; takes ownership of the callback.
    void AddFlyingBrick(int type, int fromX, int fromY, int toX, int toY, baseCallback* callback);
    void AddLiveBonusParticles(int x, int y);

    // A cell inside the grid shows the highlight.
    void HighlightCell(int x, int y);
    // Every cell whose brick has the type.
    void HighlightType(int type);
    void ClearHighlights();

    // Every brick and cell stops, stands on its slot and is hidden, ready to appear.
    void ResetBoardVisuals();
    // Every brick and cell waits that many seconds before whatever it is told next.
    void HoldAll(float delay);
    // After the delay, the cells fade in in one of two random patterns, each brick 0.3 s after its cell.
    void ShowBoard(float delay);
    // After the delay, the board fades out from its top-left corner.
    void HideBoard(float delay);
    // The texts over the middle of the screen.
    void ShowComboText(int count);
    // The text id of a combo of that many chains.
    static const char* ComboTextId(int count);
    void ShowLongChainText(float multiplier);
    void ShowNoMovesText();

private:
    // Every slot with its coordinates, in index order.
    template <typename Visit>
    void ForEachSlot(Visit&& visit);
};
