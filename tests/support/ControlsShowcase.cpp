#include "support/ControlsShowcase.h"

#include "graphics/Font.h"
#include "graphics/Graphics.h"
#include "graphics/Image.h"

#include <cstdio>

using namespace Tolm;

namespace {

// The button art: four states of 96 x 34 side by side.
constexpr int kButtonCellWidth = 96;
constexpr int kButtonCellHeight = 34;

// The rows of controls: a caption on the left, the control from x 150.
constexpr int kCaptionX = 34;
constexpr int kControlX = 150;
constexpr int kControlWidth = 254;
constexpr int kEditRowY = 96;
constexpr int kSliderRowY = 148;
constexpr int kCheckboxRowY = 194;

const Color kInk(58, 34, 24);

} // namespace

ShowcaseDialog::ShowcaseDialog(const ShowcaseArt& art, int id)
    : Dialog(art.frame, art.button, id, true, "Settings", "Set up your town and the game.", "", 2),
      slider(art.sliderTrack, art.sliderThumb, 2, this), checkbox(art.checkbox, art.checkboxTicked, 3, this), art(art)
{
    // The title sits on the frame's caption plate.
    contentInsets.top = 8;
    headerSpacing = 16;
    SetHeaderFont(art.title);
    SetLinesFont(art.text);
    // The fonts bring their own colours; white leaves them as they are.
    SetColor(ColorLines, Color(255, 255, 255));
    for (DialogButton* button : {firstButton.get(), secondButton.get()}) {
        UseButtonSheet(*button, art.buttonLabel);
    }
    Resize(0, 0, kWidth, kHeight);

    edit.SetFont(art.edit);
    edit.SetColor(EditWidget::ColorBackground, Color(0, 0, 0, 0));
    edit.SetColor(EditWidget::ColorOutline, Color(0, 0, 0, 0));
    edit.SetColor(EditWidget::ColorText, kInk);
    edit.SetColor(EditWidget::ColorHilite, Color(46, 140, 140));
    edit.SetColor(EditWidget::ColorHiliteText, Color(255, 255, 255));
    edit.maxChars = 24;
    edit.Resize(kControlX + 6, kEditRowY + 4, kControlWidth - 12, 26);
    slider.Resize(kControlX, kSliderRowY, kControlWidth, art.sliderThumb ? art.sliderThumb->GetHeight() : 30);
    slider.SetValue(0.5);
    checkbox.Resize(kControlX, kCheckboxRowY, art.checkbox ? art.checkbox->GetWidth() : 30,
                    art.checkbox ? art.checkbox->GetHeight() : 30);
    AddWidget(&edit);
    AddWidget(&slider);
    AddWidget(&checkbox);
}

ShowcaseDialog::~ShowcaseDialog()
{
    RemoveWidget(&edit);
    RemoveWidget(&slider);
    RemoveWidget(&checkbox);
}

void ShowcaseDialog::UseButtonSheet(DialogButton& button, Font* labelFont)
{
    auto cell = [](int index) { return Rect(index * kButtonCellWidth, 0, kButtonCellWidth, kButtonCellHeight); };
    button.normalRect = cell(0);
    button.overRect = cell(1);
    button.downRect = cell(2);
    button.disabledRect = cell(3);
    button.SetFont(labelFont);
    // The label sits a little high on the pill, which is lit from above.
    button.labelOffsetY = -1;
}

void ShowcaseDialog::Draw(Graphics* g)
{
    Dialog::Draw(g);
    if (art.editField) {
        g->DrawTiledBox(Rect(kControlX, kEditRowY, kControlWidth, 34), art.editField);
    }
    if (!art.text) {
        return;
    }
    g->SetFont(art.text);
    g->SetColor(Color(255, 255, 255));
    int baseline = art.text->GetAscent() / 2;
    g->DrawString("Town name", kCaptionX, kEditRowY + 17 + baseline - 2);
    g->DrawString("Music", kCaptionX, kSliderRowY + slider.height / 2 + baseline - 2);
    g->DrawString("Full screen", kCaptionX, kCheckboxRowY + checkbox.height / 2 + baseline - 2);
}

void ShowcaseDialog::Report(const std::string& line)
{
    if (report) {
        report(line);
    }
}

void ShowcaseDialog::CheckboxToggled(int, bool on)
{
    Report(std::string("checkbox=") + (on ? "1" : "0"));
}

void ShowcaseDialog::SliderMoved(int, double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "slider=%.2f", value);
    Report(text);
}

void ShowcaseDialog::TextSubmitted(int, const std::string& text)
{
    Report("submitted=" + text);
}
