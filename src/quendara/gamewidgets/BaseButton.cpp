#include "gamewidgets/BaseButton.h"

#include "graphics/Image.h"
#include "resources/ResourceLookups.h"

BaseButton::BaseButton(int id, Tolm::ButtonListener* listener) : Tolm::ButtonWidget(id, listener) {}

void BaseButton::SizeToImage()
{
    if (buttonImage) {
        Resize(x, y, buttonImage->GetFrameWidth(), buttonImage->GetFrameHeight());
    }
}

void BaseButton::MouseEnter()
{
    PlaySoundById("SOUND_BUTTON_ENTER");
    Tolm::ButtonWidget::MouseEnter();
}

void BaseButton::MouseDown(int x, int y, int signedCount)
{
    PlaySoundById("SOUND_BUTTON_DOWN");
    Tolm::ButtonWidget::MouseDown(x, y, signedCount);
}
