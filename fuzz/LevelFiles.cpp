// The level files on arbitrary contents: the input's first two bytes give the length of the layout
// (".level"); the rest is the kinds file (".xml"). Both are written to a scratch folder and read as a
// level's files are, onto a board.
#include "app/TolmAppBase.h"
#include "board/FieldMovement.h"
#include "board/Level.h"
#include "platform/FileSystem.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

namespace {

class FuzzBoard : public FieldMovement
{};

void WriteFile(const std::string& path, const uint8_t* data, size_t size)
{
    if (std::FILE* file = std::fopen(path.c_str(), "wb")) {
        std::fwrite(data, 1, size, file);
        std::fclose(file);
    }
}

// The scratch folder for the two files. It is the working folder only while an input runs, since the
// fuzzer reads its corpus by paths relative to the folder it was started in.
const std::string& ScratchFolder()
{
    static const std::string folder = [] {
        const std::filesystem::path path = std::filesystem::temp_directory_path() / "quendara-fuzz-levels";
        std::filesystem::create_directories(path / "levels");
        return path.string();
    }();
    return folder;
}

bool Check(const uint8_t* data, size_t size)
{
    const size_t layout = std::min<size_t>(size - 2, size_t(data[0]) | size_t(data[1]) << 8);
    WriteFile("levels/fuzz.level", data + 2, layout);
    WriteFile("levels/fuzz.xml", data + 2 + layout, size - 2 - layout);

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
    const std::string previous = Platform::CurrentFolder();
    Platform::SetCurrentFolder(ScratchFolder());
    const bool sound = Check(data, size);
    Platform::SetCurrentFolder(previous);
    if (!sound) {
        __builtin_trap();
    }
    return 0;
}
