#include "widgets/Checkbox.h"

#include "graphics/Graphics.h"

namespace Tolm {

Checkbox::Checkbox(Image* untickedImage, Image* tickedImage, int id, CheckboxListener* listener)
    : listener(listener), id(id), untickedImage(untickedImage), tickedImage(tickedImage)
{
    wantsHandCursor = true;
}

void Checkbox::SetChecked(bool isTicked, bool tellListener)
{
    ticked = isTicked;
    if (tellListener && listener) {
        listener->CheckboxToggled(id, ticked);
    }
    Invalidate();
}

bool Checkbox::IsChecked()
{
    return ticked;
}

void Checkbox::MouseDown(int /*x*/, int /*y*/, int /*button*/, int /*clickCount*/)
{
    ticked = !ticked;
    if (listener) {
        listener->CheckboxToggled(id, ticked);
    }
    Invalidate();
}

void Checkbox::Draw(Graphics* g)
{
    if (tickedSource.width == 0 && untickedImage && tickedImage) {
        g->DrawImage(ticked ? tickedImage : untickedImage, 0, 0);
    } else if (tickedSource.width != 0 && untickedImage) {
        g->DrawImagePart(untickedImage, 0, 0, ticked ? tickedSource : untickedSource);
    } else if (!untickedImage && !tickedImage) {
        DrawPlainBox(g);
    }
}

void Checkbox::DrawPlainBox(Graphics* g)
{
    g->SetColor(frameColor);
    g->FillRect(0, 0, width, height);
    g->SetColor(fillColor);
    g->FillRect(1, 1, width - 2, height - 2);
    if (!ticked) {
        return;
    }
    g->SetColor(checkColor);
    g->DrawLine(1, 1, width - 2, height - 2);
    // The second stroke starts one pixel further right than the first ends: the cross leans a little.
    g->DrawLine(width - 1, 1, 1, height - 2);
}

} // namespace Tolm
