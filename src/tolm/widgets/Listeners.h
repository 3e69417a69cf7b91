// How widgets report what the user did to their owners: an owner implements an interface, hands
// itself to the widget with an id, and the widget calls back with that id. Every operation has an
// empty or trivial default, so an owner overrides only what it needs.
#pragma once

#include <string>

namespace Tolm {

class ButtonListener
{
public:
    virtual ~ButtonListener() = default;
    virtual void ButtonPressed(int id, int /*clickCount*/) { ButtonPressed(id); }
    virtual void ButtonPressed(int /*id*/) {}
    virtual void ButtonClicked(int /*id*/) {}
    virtual void ButtonHeld(int /*id*/) {}
    virtual void ButtonMouseEnter(int /*id*/) {}
    virtual void ButtonMouseLeave(int /*id*/) {}
    virtual void ButtonMouseMove(int /*id*/, int /*x*/, int /*y*/) {}
};

class DialogListener
{
public:
    virtual ~DialogListener() = default;
    virtual void DialogButtonPressed(int /*dialogId*/, int /*buttonId*/) {}
    virtual void DialogButtonClicked(int /*dialogId*/, int /*buttonId*/) {}
};

class EditListener
{
public:
    virtual ~EditListener() = default;
    virtual void TextSubmitted(int /*id*/, const std::string& /*text*/) {}
    virtual bool AllowKey(int /*id*/, int /*keyCode*/) { return true; }
    virtual bool AllowChar(int /*id*/, char /*ch*/) { return true; }
    virtual bool AllowText(int /*id*/, const std::string& /*text*/) { return true; }
};

class SliderListener
{
public:
    virtual ~SliderListener() = default;
    virtual void SliderMoved(int /*id*/, double /*value*/) {}
};

class CheckboxListener
{
public:
    virtual ~CheckboxListener() = default;
    virtual void CheckboxToggled(int /*id*/, bool /*on*/) {}
};

} // namespace Tolm
