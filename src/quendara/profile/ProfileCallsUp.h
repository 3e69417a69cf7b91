// The profile's three calls into the layers above it. Saving and restoring a level hands the board to
// the level, which knows the cells' layout, and a progress reset has a town already built show the
// reset. They are declared here and defined beside what they reach (board/Level.cpp, town/Town.cpp), so
// that the profile names no header of the board or the town.
#pragma once

class FieldBase;

// The board's cells and bricks into the profile's saved level.
void SaveBoardToProfile(const FieldBase& board);
// The profile's saved level onto the board.
void LoadBoardFromProfile(FieldBase& board);
// A town that exists shows the buildings the profile holds built; before the town is built, nothing.
void RefreshTownFromProfile();
