// The board draws its bricks, cells and arrows without looking for missing pictures; this check, made
// before the first board is built, names the first one that is missing instead.
#pragma once

#include <string>

// True when every picture of the board is loaded; else false with an error text naming the id.
bool CheckBoardImages(std::string& error);
