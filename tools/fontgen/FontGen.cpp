// fontgen: renders the game's image fonts from their recipes (data/fonts/*.recipe) with the installed
// DejaVu fonts, writing each font's descriptor and glyph sheets into the data set's fonts folder.
#include "FontGenerator.h"
#include "FontRecipe.h"

#include <cstdio>
#include <filesystem>
#include <string>

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: fontgen DATA_FOLDER RECIPE...\n"
                             "       writes DATA_FOLDER/fonts/<output>.txt and its glyph sheets per recipe\n");
        return 2;
    }
    std::string folder = std::string(argv[1]) + "/fonts";
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error) {
        std::fprintf(stderr, "fontgen: cannot make %s\n", folder.c_str());
        return 1;
    }
    for (int i = 2; i < argc; ++i) {
        RecipeParser parser;
        if (!parser.Load(argv[i]) || !GenerateFont(parser.recipe, folder)) {
            return 1;
        }
    }
    return 0;
}
