// The arithmetic a recipe's numbers may hold once a part's $names are filled in: numbers, + - * /,
// parentheses and a leading minus, as in "w - 2 * 12" or "(h - 40) / 2".
#pragma once

#include <string>

namespace ArtGen {

// False, with the error, when the text is no such expression.
bool Evaluate(const std::string& text, double& value, std::string& error);

} // namespace ArtGen
