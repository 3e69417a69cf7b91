// A settings dialog in the framework's dialog art, with an edit field, a slider and a checkbox under
// captions: what the dialog gallery draws in its states and what the whole-program dialog test drives
// with real input. It reports every change of its controls as a line of text.
#pragma once

#include "widgets/Checkbox.h"
#include "widgets/Dialog.h"
#include "widgets/EditWidget.h"
#include "widgets/Listeners.h"
#include "widgets/Slider.h"

#include <functional>
#include <memory>
#include <string>

namespace Tolm {
class Font;
class Image;
} // namespace Tolm

// The pictures and fonts it is drawn with; none is owned.
struct ShowcaseArt
{
    Tolm::Image* frame = nullptr;
    // The button's four states side by side.
    Tolm::Image* button = nullptr;
    Tolm::Image* checkbox = nullptr;
    Tolm::Image* checkboxTicked = nullptr;
    Tolm::Image* sliderTrack = nullptr;
    Tolm::Image* sliderThumb = nullptr;
    Tolm::Image* editField = nullptr;
    Tolm::Font* title = nullptr;
    Tolm::Font* text = nullptr;
    Tolm::Font* buttonLabel = nullptr;
    Tolm::Font* edit = nullptr;
};

class ShowcaseDialog : public Tolm::Dialog,
                       public Tolm::CheckboxListener,
                       public Tolm::SliderListener,
                       public Tolm::EditListener
{
public:
    static constexpr int kWidth = 440;
    static constexpr int kHeight = 316;

    ShowcaseDialog(const ShowcaseArt& art, int id);
    ~ShowcaseDialog() override;

    void Draw(Tolm::Graphics* g) override;
    void CheckboxToggled(int id, bool on) override;
    void SliderMoved(int id, double value) override;
    void TextSubmitted(int id, const std::string& text) override;

    // Cuts the four states of the button art into a dialog button.
    static void UseButtonSheet(Tolm::DialogButton& button, Tolm::Font* labelFont);

    // "checkbox=1", "slider=0.50", "submitted=..." as they happen.
    std::function<void(const std::string&)> report;
    Tolm::EditWidget edit{1, this};
    Tolm::Slider slider;
    Tolm::Checkbox checkbox;

private:
    void Report(const std::string& line);

    ShowcaseArt art;
};
