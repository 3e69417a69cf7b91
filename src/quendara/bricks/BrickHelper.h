// What many parts of the board share about bricks: the image and colour group of every brick type, where
// the board lies on the screen and how large its cells are, the brick codes of the data files and the
// display names of the brick kinds. The singleton reads its images and properties once, at its first use,
// which must come after the brick images and the game's properties are loaded.
#pragma once

#include "bricks/BoardTypes.h"
#include "core/Singleton.h"

#include <string>

namespace Tolm {
class Image;
}

class BrickHelper : public Singleton<BrickHelper>
{
public:
    BrickHelper();

    // By brick type; entry 0 unused. Images are the resource manager's, null where one is missing.
    Tolm::Image* images[kBrickLiveBonus + 1] = {};
    // The colour group of each type (set_color_...); 0 for the live bonus and where none is given.
    int colours[kBrickLiveBonus + 1] = {};
    // The top-left pixel of the board's first cell.
    int originX = 112;
    int originY = 70;
};

// The resource id of a brick type's image ("BRICK_GOLD1"); null outside 1..32.
const char* BrickImageId(int type);

// False with a null image for a type outside 1..32; else whether the type's image exists.
bool GetBrickImage(int type, Tolm::Image*& image);
// 0 outside 1..32.
int GetBrickColor(int type);
int GetBoardOriginX();
int GetBoardOriginY();
// The frame width of the type-1 brick; cells are square. 0 while that image is missing.
int GetCellSize();
// The top-left pixel of cell (x, y); the cell need not lie on the board.
void CellToPixel(int x, int y, int& px, int& py);
void CellToPixelF(int x, int y, float& px, float& py);

// The type a brick code of the level and town files names: G1-G10, F1-F8, S1-S8, B1-B5 (the tools) and
// B6 (the live bonus). The digits are not checked: "Gx" gives 72 and "G/" -1, so callers keep to the
// types they can hold. Shorter than two characters, or another letter: 0.
int ParseBrickCode(const std::string& code);

// "Gold", "Food", "Supplies" or "Bonus" in the player's language; empty for other types.
std::string GetBrickKindName(int type);
