#include "board/FieldSfx.h"

#include "resources/ResourceLookups.h"

void FieldSfx::PlaySound(const std::string& id)
{
    PlaySoundById(id);
}
