// Which pieces of the board's frame each cell draws, worked out at the start of a level from the
// playability of every cell's eight neighbours. The live board calls it once its level is laid out.
#pragma once

class FieldMovement;

// ORs the border bits into every cell: the open sides and outer corners of playable cells, the inner
// corners of holes between two playable neighbours.
void SetCellBorders(FieldMovement& board);
