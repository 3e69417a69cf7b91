// The text key of each tutorial hint kind, written out apart from the game's own table so that tests can
// tell a bubble's kind by its text. Kind 4 has no bubble: the game keeps the help window's bit there.
#pragma once

#include <array>

inline constexpr std::array<const char*, 37> kHintKeysByKind = {
    "hint_menubutton",      "hint_townbutton",      "hint_lockedcell",      "hint_plus_brick",
    nullptr,                "hint_hamer_brick",     "hint_bomb_brick",      "hint_lightning_brick",
    "hint_mixer_brick",     "hint_destroy_brick",   "hint_gold5_brick",     "hint_gold6_brick",
    "hint_gold7_brick",     "hint_gold8_brick",     "hint_gold9_brick",     "hint_gold10_brick",
    "hint_food1_brick",     "hint_food2_brick",     "hint_food3_brick",     "hint_food4_brick",
    "hint_food5_brick",     "hint_food6_brick",     "hint_food7_brick",     "hint_food8_brick",
    "hint_supplies1_brick", "hint_supplies2_brick", "hint_supplies3_brick", "hint_supplies4_brick",
    "hint_supplies5_brick", "hint_supplies6_brick", "hint_supplies7_brick", "hint_supplies8_brick",
    "hint_hamer",           "hint_bomb",            "hint_lightning",       "hint_mixer",
    "hint_destroy",
};
