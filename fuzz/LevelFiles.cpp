// The level files on arbitrary contents: the input's first two bytes give the length of the layout
// (".level"); the rest is the kinds file (".xml"). Both are written to the target's scratch folder and
// read as a level's files are, onto a board.
#include "ScratchFolder.h"
#include "app/TolmAppBase.h"
#include "board/FieldMovement.h"
#include "board/Level.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace {

class FuzzBoard : public FieldMovement
{};

std::string_view Bytes(const uint8_t* data, size_t size)
{
    return std::string_view(reinterpret_cast<const char*>(data), size);
}

bool Check(const uint8_t* data, size_t size)
{
    const size_t layout = std::min<size_t>(size - 2, size_t(data[0]) | size_t(data[1]) << 8);
    ScratchFolder::WriteFile("levels/fuzz.level", Bytes(data + 2, layout));
    ScratchFolder::WriteFile("levels/fuzz.xml", Bytes(data + 2 + layout, size - 2 - layout));

    FuzzBoard board;
    Level* level = Level::Instance();
    const bool loaded = level->LoadFiles(board, "fuzz");
    for (int type = -1; type <= 64; ++type) {
        if (level->IsTypeAllowed(type) && (type < 1 || type > 32)) {
            return false;
        }
    }
    for (int y = 0; y < kFieldHeight; ++y) {
        for (int x = 0; x < kFieldWidth; ++x) {
            if (loaded && !board.IsPlayable(x, y) && board.GetCell(x, y)->flags != 0) {
                return false;
            }
        }
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static Tolm::TolmAppBase app;
    static const bool configured = (app.SetIntProperty("set_total_levels", 60), true);
    (void)configured;
    if (size < 2) {
        return 0;
    }
    static const bool folder = std::filesystem::create_directories(ScratchFolder::Path() / "levels");
    (void)folder;
    const bool sound = [&] {
        ScratchFolder::AsWorkingFolder inFolder;
        return Check(data, size);
    }();
    if (!sound) {
        __builtin_trap();
    }
    return 0;
}
