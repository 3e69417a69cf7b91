#include "gamewidgets/CursorPointer.h"

#include "graphics/Animator.h"
#include "graphics/MemoryImage.h"
#include "resources/ResourceLookups.h"

CursorPointer::CursorPointer() : BaseCursor(GetImageById("CURSOR_POINTER")) {}

void CursorPointer::Draw(Tolm::Graphics* g)
{
    animator->Draw(*g, MouseX(), MouseY());
}
