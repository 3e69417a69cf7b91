// The live board as the game screen hosts it: the game screen added to the widget manager, the board made
// by it for the profile's level, and input given to the widget manager as the window would give it.
// Scripts name cells, and the mouse goes to the cell's centre; a column or row of -1 lies off the board.
#pragma once

#include "BoardFixture.h"

#include <cstdint>
#include <string>

class FieldLive;
class GameScreen;

class LiveBoardFixture : public BoardFixture
{
protected:
    LiveBoardFixture();
    ~LiveBoardFixture() override;

    // Lays the rows out as the board (BoardFixture::LayBoard), every brick at rest, and recounts.
    void Lay(const std::string& rows);
    // The cell's centre pixel.
    int PixelX(int x) const;
    int PixelY(int y) const;

    // Plays a script, one command a line, and returns what its "show" lines print:
    //   press X Y, release X Y, click X Y   the left button at the cell (click: down and up)
    //   rpress X Y, rrelease X Y            the right button
    //   move X Y                            the mouse there; with the left button down it is a drag
    //   drag X Y [X Y ...]                  moves with the left button down, cell after cell
    //   update N                            N frames
    //   show                                the board rows, then "chain:", "counters:" (gold, food,
    //                                       supplies, score of the top panel), "people:" (the seven
    //                                       people-bonus counters), "sounds:" and "draws:"
    //   sounds                              the "sounds:" line alone
    std::string Run(const std::string& script);
    // The board, the chain, the counters and the countdown as one number.
    uint64_t BoardHash() const;
    std::string Counters() const;
    void MouseTo(int x, int y, bool drag);

    GameScreen* screen = nullptr;
    FieldLive* field = nullptr;
};
