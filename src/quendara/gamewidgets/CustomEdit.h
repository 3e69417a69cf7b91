// The profile-name field: the framework edit field on a slot picture, its text 20 pixels in, at most 15
// characters, every typed letter a to z stored in upper case.
#pragma once

#include "widgets/EditWidget.h"

class CustomEdit : public Tolm::EditWidget
{
public:
    static constexpr int kMaxNameChars = 15;

    CustomEdit(int id, Tolm::EditListener* listener);

    // Letters a to z become A to Z (as the C locale has it); every other character is passed on as it is.
    // Text pasted from the clipboard is not changed.
    void ProcessKey(int keyCode, char ch) override;
    // The pointer shape stays as it is.
    void MouseEnter() override;
    void MouseLeave() override;
    void Draw(Tolm::Graphics* g) override;

    // "UI_PROFILE_EDIT_SLOT"; a resource.
    Tolm::Image* slot;
};
