#include "FontRecipe.h"

#include "core/StringUtils.h"

#include <algorithm>
#include <cstdio>

namespace {

const std::string& Text(const Tolm::DataElement& element)
{
    return static_cast<const Tolm::SingleDataElement&>(element).value;
}

int Channel(double value)
{
    return std::clamp(int(value * 255 + 0.5), 0, 255);
}

} // namespace

bool RecipeParser::Load(const std::string& name)
{
    fileName = name;
    if (!LoadDescFile(name)) {
        if (error.empty()) {
            std::fprintf(stderr, "fontgen: cannot read %s\n", name.c_str());
        }
        return false;
    }
    if (recipe.sizes.empty() || recipe.output.empty()) {
        std::fprintf(stderr, "fontgen: %s needs Sizes and Output\n", name.c_str());
        return false;
    }
    return true;
}

bool RecipeParser::Error(const std::string& text)
{
    DescParser::Error(text);
    std::fprintf(stderr, "fontgen: %s, line %d: %s\n", fileName.c_str(), commandLine, text.c_str());
    return false;
}

bool RecipeParser::ReadColor(const Tolm::DataElement& element, Tolm::Color& color)
{
    std::vector<double> values;
    if (!GetDoubleListParam(element, values) || values.size() < 3 || values.size() > 4) {
        return Error("a colour is 3 or 4 numbers from 0 to 1");
    }
    color = Tolm::Color(Channel(values[0]), Channel(values[1]), Channel(values[2]),
                        values.size() == 4 ? Channel(values[3]) : 255);
    return true;
}

bool RecipeParser::ReadInt(const Tolm::DataElement& element, int& value)
{
    if (element.isList || !Tolm::StringToInt(Text(element), value)) {
        return Error("a whole number was expected");
    }
    return true;
}

bool RecipeParser::RunCommand(const Tolm::ListDataElement& command)
{
    std::string name = Tolm::StringToUpper(Text(*command.elements[0]));
    std::size_t count = command.elements.size();
    auto parameter = [&command](std::size_t i) -> const Tolm::DataElement& { return *command.elements[i]; };
    int flag = 0;
    if (name == "FAMILY" && count == 2) {
        return GetStringParam(parameter(1), recipe.family) || Error("a family name was expected");
    }
    if ((name == "BOLD" || name == "ITALIC" || name == "BAKED") && count == 2) {
        if (!ReadInt(parameter(1), flag)) {
            return false;
        }
        (name == "BOLD" ? recipe.bold : name == "ITALIC" ? recipe.italic : recipe.baked) = flag != 0;
        return true;
    }
    if (name == "SIZES" && count == 2) {
        if (!GetIntListParam(parameter(1), recipe.sizes) || recipe.sizes.empty() ||
            std::any_of(recipe.sizes.begin(), recipe.sizes.end(), [](int size) { return size < 4 || size > 200; })) {
            return Error("sizes are a list of point sizes from 4 to 200");
        }
        return true;
    }
    if (name == "FILL" && count == 3) {
        return ReadColor(parameter(1), recipe.fillTop) && ReadColor(parameter(2), recipe.fillBottom);
    }
    if (name == "OUTLINE" && count == 3) {
        double radius = 0;
        if (parameter(1).isList || !Tolm::StringToDouble(Text(parameter(1)), radius) || radius < 0 || radius > 20) {
            return Error("an outline radius from 0 to 20 pixels was expected");
        }
        recipe.outlineRadius = radius;
        return ReadColor(parameter(2), recipe.outlineColor);
    }
    if (name == "SHADOW" && count == 3) {
        std::vector<int> offset;
        if (!GetIntListParam(parameter(1), offset) || offset.size() != 2) {
            return Error("a shadow offset is two whole numbers");
        }
        recipe.shadow = true;
        recipe.shadowX = offset[0];
        recipe.shadowY = offset[1];
        return ReadColor(parameter(2), recipe.shadowColor);
    }
    if (name == "SPACING" && count == 2) {
        return ReadInt(parameter(1), recipe.spacing);
    }
    if (name == "OUTPUT" && count == 2) {
        return GetStringParam(parameter(1), recipe.output) || Error("an output name was expected");
    }
    return Error("unknown setting or wrong number of values: " + ElementToText(command));
}
