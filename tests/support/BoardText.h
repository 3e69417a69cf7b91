// The board as characters, as the board tests and the harness print it: two characters per slot, the
// brick ('.' none, a-j gold, k-r food, s-z supplies, 1-5 tools, '+' the live bonus) and the locks (' ',
// '1' one layer, '2' two); a hole is two blanks.
#pragma once

#include <string>

class FieldActions;

char BrickChar(int type);
// The brick type of a character of BrickChar; empty for any other.
int BrickTypeOf(char c);
std::string BoardText(const FieldActions& board);
// BoardText without the blanks at the ends of the rows, nor the rows of holes at the end.
std::string BoardRows(const FieldActions& board);
std::string TrimRows(const std::string& boardText);
