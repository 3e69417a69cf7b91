// A recipe for one of the game's image fonts: which installed family, at which point sizes, and how its
// letters are painted (a fill running from a top to a bottom colour, an outline, a drop shadow). Recipes
// are written in the descriptor language itself, one command per setting:
//
//     Family 'DejaVu Sans';   Bold 1;   Italic 0;
//     Sizes (24, 36);                        the point sizes rendered; the first is the default
//     Fill (1, 0.97, 0.86) (1, 0.8, 0.42);   colours (red, green, blue [, alpha], 0 to 1) at the top and
//                                            the bottom of the line
//     Outline 2 (0.38, 0.2, 0.06);           radius in pixels at the first size, and colour
//     Shadow (1, 2) (0.2, 0.1, 0, 0.45);     offset in pixels at the first size, and colour
//     Spacing 1;                             pixels added between letters
//     Baked 1;                               the outline painted into the letters' own layer, for texts
//                                            drawn from the first layer alone (the board's letter
//                                            effects), which would otherwise show no outline
//     Output 'title';                        the descriptor's name in the fonts folder
#pragma once

#include "graphics/Color.h"
#include "graphics/DescParser.h"

#include <string>
#include <vector>

struct FontRecipe
{
    std::string family = "DejaVu Sans";
    bool bold = false;
    bool italic = false;
    std::vector<int> sizes;
    Tolm::Color fillTop = Tolm::Color(255, 255, 255, 255);
    Tolm::Color fillBottom = Tolm::Color(255, 255, 255, 255);
    double outlineRadius = 0;
    Tolm::Color outlineColor = Tolm::Color(0, 0, 0, 255);
    bool shadow = false;
    int shadowX = 0;
    int shadowY = 0;
    Tolm::Color shadowColor = Tolm::Color(0, 0, 0, 128);
    int spacing = 0;
    bool baked = false;
    std::string output;
};

class RecipeParser : public Tolm::DescParser
{
public:
    FontRecipe recipe;

    // False, after a message on stderr, when the file is missing, malformed or incomplete.
    bool Load(const std::string& fileName);

    bool Error(const std::string& text) override;
    bool RunCommand(const Tolm::ListDataElement& command) override;

private:
    bool ReadColor(const Tolm::DataElement& element, Tolm::Color& color);
    bool ReadInt(const Tolm::DataElement& element, int& value);

    std::string fileName;
};
