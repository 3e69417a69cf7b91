// The board's sounds.
#pragma once

#include <string>

class FieldSfx
{
public:
    virtual ~FieldSfx() = default;

    // Plays the sound of the resource id at once.
    static void PlaySound(const std::string& id);
};
