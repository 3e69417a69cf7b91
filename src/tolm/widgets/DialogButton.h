// The button of a dialog: a push button that can be drawn from a tiled component image, either the whole
// image as one box for every state or a sheet of state boxes cut by the button's source rectangles.
// Without a component image it is the framed push button.
#pragma once

#include "widgets/ButtonWidget.h"

namespace Tolm {

class DialogButton : public ButtonWidget
{
public:
    // The component image is not owned and may be null.
    DialogButton(Image* componentImage, int id, ButtonListener* listener);

    void Draw(Graphics* g) override;

    Image* componentImage;
    // How far the content moves while the button is pressed.
    int pressOffsetX = 1;
    int pressOffsetY = 1;
    // Added to the centred label position.
    int labelOffsetX = 0;
    int labelOffsetY = 0;

private:
    // The state box cut from the sheet.
    void DrawStateBox(Graphics* g, bool down);
};

} // namespace Tolm
