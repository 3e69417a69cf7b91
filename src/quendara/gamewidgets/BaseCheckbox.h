// The options window's checkbox: the framework checkbox on the game's box pictures, with a label
// right-aligned to the left of the box.
#pragma once

#include "widgets/Checkbox.h"

#include <string>

class BaseCheckbox : public Tolm::Checkbox
{
public:
    BaseCheckbox(int id, Tolm::CheckboxListener* listener);

    virtual void SetLabel(const std::string& text);

    void Draw(Tolm::Graphics* g) override;

    // Nothing is drawn for an empty label.
    std::string label;
    // In "FONT_WINDOW_TEXT".
    int labelWidth = 0;
};
