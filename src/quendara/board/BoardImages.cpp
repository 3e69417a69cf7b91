#include "board/BoardImages.h"

#include "board/ArrowHelper.h"
#include "board/CellGfx.h"
#include "board/CellSimple.h"
#include "bricks/BrickHelper.h"
#include "resources/ResourceLookups.h"

#include <vector>

bool CheckBoardImages(std::string& error)
{
    std::vector<const char*> ids = {
        CellWithBorder::kBorderImageId, CellWithBorder::kCornerImageId, CellWithBorder::kInnerImageId,
        CellGfx::kLineImageId,          CellSimple::kPlainImageId,      CellSimple::kLockedImageId,
        CellSimple::kLocked2ImageId,    ArrowHelper::kImageId,
    };
    for (int type = kBrickGoldFirst; type <= kBrickLiveBonus; ++type) {
        ids.push_back(BrickImageId(type));
    }
    for (const char* id : ids) {
        if (!GetImageById(id)) {
            error = std::string("The board's picture ") + id + " is missing.";
            return false;
        }
    }
    return true;
}
