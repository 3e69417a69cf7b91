#include "bricks/BrickHelper.h"

#include "app/TolmAppBase.h"
#include "core/StringUtils.h"
#include "graphics/MemoryImage.h"
#include "resources/ResourceLookups.h"

namespace {

// Indexed by brick type.
const char* const kBrickImageIds[kBrickLiveBonus + 1] = {
    nullptr,
    "BRICK_GOLD1",
    "BRICK_GOLD2",
    "BRICK_GOLD3",
    "BRICK_GOLD4",
    "BRICK_GOLD5",
    "BRICK_GOLD6",
    "BRICK_GOLD7",
    "BRICK_GOLD8",
    "BRICK_GOLD9",
    "BRICK_GOLD10",
    "BRICK_FOOD1",
    "BRICK_FOOD2",
    "BRICK_FOOD3",
    "BRICK_FOOD4",
    "BRICK_FOOD5",
    "BRICK_FOOD6",
    "BRICK_FOOD7",
    "BRICK_FOOD8",
    "BRICK_SUPPLIES1",
    "BRICK_SUPPLIES2",
    "BRICK_SUPPLIES3",
    "BRICK_SUPPLIES4",
    "BRICK_SUPPLIES5",
    "BRICK_SUPPLIES6",
    "BRICK_SUPPLIES7",
    "BRICK_SUPPLIES8",
    "BRICK_BONUS_HAMER",
    "BRICK_BONUS_BOMB",
    "BRICK_BONUS_LIGHTNING",
    "BRICK_BONUS_MIXER",
    "BRICK_BONUS_DESTROY",
    "BRICK_BONUS_PLUS",
};

// The property of a type's colour group; empty for the live bonus.
std::string ColourProperty(int type)
{
    if (type <= kBrickGoldLast) {
        return Tolm::FormatString("set_color_gold%d", type);
    }
    if (type <= kBrickFoodLast) {
        return Tolm::FormatString("set_color_food%d", type - kBrickGoldLast);
    }
    if (type <= kBrickSuppliesLast) {
        return Tolm::FormatString("set_color_supp%d", type - kBrickFoodLast);
    }
    if (type <= kBrickDestroy) {
        return Tolm::FormatString("set_color_bonus%d", type - kBrickSuppliesLast);
    }
    return {};
}

} // namespace

BrickHelper::BrickHelper()
{
    for (int type = kBrickGoldFirst; type <= kBrickLiveBonus; ++type) {
        images[type] = GetImageById(kBrickImageIds[type]);
        const std::string property = ColourProperty(type);
        colours[type] = property.empty() ? 0 : Tolm::gTolmApp->GetIntPropertyOr(property, 0);
    }
}

const char* BrickImageId(int type)
{
    return IsBrickType(type) ? kBrickImageIds[type] : nullptr;
}

bool GetBrickImage(int type, Tolm::Image*& image)
{
    image = IsBrickType(type) ? BrickHelper::Instance()->images[type] : nullptr;
    return image != nullptr;
}

int GetBrickColor(int type)
{
    return IsBrickType(type) ? BrickHelper::Instance()->colours[type] : 0;
}

int GetBoardOriginX()
{
    return BrickHelper::Instance()->originX;
}

int GetBoardOriginY()
{
    return BrickHelper::Instance()->originY;
}

int GetCellSize()
{
    const Tolm::Image* first = BrickHelper::Instance()->images[kBrickGoldFirst];
    return first ? first->GetFrameWidth() : 0;
}

void CellToPixel(int x, int y, int& px, int& py)
{
    const int size = GetCellSize();
    px = GetBoardOriginX() + x * size;
    py = GetBoardOriginY() + y * size;
}

void CellToPixelF(int x, int y, float& px, float& py)
{
    int ix = 0;
    int iy = 0;
    CellToPixel(x, y, ix, iy);
    px = float(ix);
    py = float(iy);
}

int ParseBrickCode(const std::string& code)
{
    if (code.size() < 2) {
        return 0;
    }
    const int first = code[1] - '0';
    switch (code[0]) {
    case 'G':
        return code.size() == 2 ? first : 10 * first + (code[2] - '0');
    case 'F':
        return first + kBrickGoldLast;
    case 'S':
        return first + kBrickFoodLast;
    case 'B':
        return first + kBrickSuppliesLast;
    default:
        return 0;
    }
}

std::string GetBrickKindName(int type)
{
    if (type >= kBrickGoldFirst && type <= kBrickGoldLast) {
        return Tolm::GetLocalizedText("lab_gold_name");
    }
    if (type >= kBrickFoodFirst && type <= kBrickFoodLast) {
        return Tolm::GetLocalizedText("lab_food_name");
    }
    if (type >= kBrickSuppliesFirst && type <= kBrickSuppliesLast) {
        return Tolm::GetLocalizedText("lab_supplies_name");
    }
    if (type >= kBrickHammer && type <= kBrickDestroy) {
        return Tolm::GetLocalizedText("lab_bonus_name");
    }
    return {};
}
