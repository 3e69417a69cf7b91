// A gallery of the dialogs and their controls, drawn by the widget manager from the built data set's
// dialog art and image fonts and written as "dialog_gallery.png" to look at: the settings dialog in the
// framework's art, a plain registry dialog, and the dialog buttons, checkboxes, sliders and edit fields in
// their states.
#include "graphics/FontData.h"
#include "graphics/Graphics.h"
#include "graphics/ImageFont.h"
#include "graphics/MemoryImage.h"
#include "support/ControlsShowcase.h"
#include "support/PngFile.h"
#include "support/SteppedApp.h"

#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

using namespace Tolm;

namespace {

const std::string kData = std::string(QUENDARA_BUILD_DATA) + "/";

constexpr int kWidth = 1000;
constexpr int kHeight = 640;

// A deep evening backdrop with a caption over every state.
class Backdrop : public Widget
{
public:
    explicit Backdrop(Font* font) : font(font) { Resize(0, 0, kWidth, kHeight); }

    void Draw(Graphics* g) override
    {
        for (int y = 0; y < height; y += 2) {
            g->SetColor(Color(29 + y / 24, 63 + y / 20, 96 + y / 18));
            g->FillRect(0, y, width, 2);
        }
        g->SetFont(font);
        g->SetColor(Color(255, 244, 220));
        for (const auto& [x, y, text] : captions) {
            g->DrawString(text, x, y);
        }
    }

    struct Caption
    {
        int x;
        int y;
        std::string text;
    };
    std::vector<Caption> captions;
    Font* font;
};

class DialogGalleryTest : public testing::Test
{
protected:
    std::unique_ptr<MemoryImage> Picture(const std::string& name)
    {
        auto image = app.GetImage(kData + "gfx/dialogs/" + name + ".png", true);
        EXPECT_TRUE(image) << name;
        return image;
    }
    std::unique_ptr<ImageFont> LoadFont(const std::string& name, int points = 0)
    {
        auto font = std::make_unique<ImageFont>(&app, kData + "fonts/" + name + ".txt");
        EXPECT_TRUE(font->fontData->loaded) << name;
        if (points > 0) {
            font->SetPointSize(points);
        }
        return font;
    }

    SteppedApp app;
};

} // namespace

TEST_F(DialogGalleryTest, DialogsAndControlsInTheirStatesAreDrawnAndWrittenAsPng)
{
    std::unique_ptr<MemoryImage> pictures[] = {
        Picture("frame"),        Picture("button"),       Picture("checkbox"),  Picture("checkbox_ticked"),
        Picture("slider_track"), Picture("slider_thumb"), Picture("edit_field")};
    for (auto& picture : pictures) {
        ASSERT_TRUE(picture);
    }
    auto title = LoadFont("window_title");
    auto text = LoadFont("window_text_dark");
    auto buttonLabel = LoadFont("button");
    auto ui = LoadFont("ui", 14);
    auto small = LoadFont("ui", 12);
    ShowcaseArt art{pictures[0].get(), pictures[1].get(), pictures[2].get(), pictures[3].get(),
                    pictures[4].get(), pictures[5].get(), pictures[6].get(), title.get(),
                    text.get(),        buttonLabel.get(), ui.get()};

    WidgetManager& manager = *app.widgetManager;
    manager.SetMouseMapping(Rect(0, 0, kWidth, kHeight), Rect(0, 0, kWidth, kHeight));
    MemoryImage screen;
    screen.Create(kWidth, kHeight);
    manager.screenImage = &screen;
    Backdrop backdrop(small.get());
    manager.AddWidget(&backdrop);
    std::vector<std::unique_ptr<Widget>> shown;
    auto add = [&](std::unique_ptr<Widget> widget, const char* caption) {
        if (caption) {
            backdrop.captions.push_back({widget->x, widget->y - 8, caption});
        }
        manager.AddWidget(widget.get());
        shown.push_back(std::move(widget));
    };

    // The settings dialog with a selection in its focused edit field and its first button hovered.
    auto settings = std::make_unique<ShowcaseDialog>(art, 1);
    settings->Move(20, 28);
    settings->edit.SetText("Harbour Town", true);
    settings->edit.cursor = 8;
    settings->edit.highlight = 12;
    settings->slider.SetValue(0.7);
    settings->checkbox.SetChecked(true, false);
    settings->firstButton->isOver = true;
    ShowcaseDialog* settingsDialog = settings.get();
    add(std::move(settings), "Dialog art: field focused, OK hovered");
    manager.SetFocus(&settingsDialog->edit);

    // What the application's registry makes: no pictures, the framed look.
    auto plain = std::make_unique<Dialog>(nullptr, nullptr, 2, false, "Leave the game?",
                                          "Your town and your progress are kept.", "", 1);
    plain->Resize(20, 400, 440, plain->GetPreferredHeight(440));
    add(std::move(plain), "A registry dialog: no pictures");

    const char* buttonStates[] = {"normal", "hovered", "pressed", "disabled"};
    for (int i = 0; i < 4; ++i) {
        auto button = std::make_unique<DialogButton>(art.button, 1000, nullptr);
        ShowcaseDialog::UseButtonSheet(*button, art.buttonLabel);
        button->label = "OK";
        button->Resize(500 + i * 120, 40, 108, 34);
        button->isOver = i == 1 || i == 2;
        button->isDown = i == 2;
        button->disabled = i == 3;
        add(std::move(button), buttonStates[i]);
    }

    const char* boxStates[] = {"unticked", "ticked", "plain", "plain, ticked"};
    for (int i = 0; i < 4; ++i) {
        bool pictured = i < 2;
        auto box = std::make_unique<Checkbox>(pictured ? art.checkbox : nullptr,
                                              pictured ? art.checkboxTicked : nullptr, i, nullptr);
        box->Resize(500 + i * 120, 118, pictured ? 30 : 18, pictured ? 30 : 18);
        box->SetChecked(i % 2 == 1, false);
        add(std::move(box), boxStates[i]);
    }

    const double values[] = {0.0, 0.5, 1.0};
    const char* sliderStates[] = {"slider at 0", "at 0.5", "at 1"};
    for (int i = 0; i < 3; ++i) {
        auto slider = std::make_unique<Slider>(art.sliderTrack, art.sliderThumb, i, nullptr);
        slider->Resize(500 + i * 160, 200, 140, 30);
        slider->SetValue(values[i]);
        add(std::move(slider), sliderStates[i]);
    }

    struct EditState
    {
        const char* caption;
        const char* text;
        int cursor;
        int highlight;
        bool active;
        bool caret;
        char password;
    };
    const EditState editStates[] = {
        {"empty, caret shown", "", 0, -1, true, true, 0},
        {"text, not active", "Mira", 4, -1, false, false, 0},
        {"a word selected", "Mira of the Hills", 5, 7, true, false, 0},
        {"password", "secret", 6, -1, true, true, '*'},
        {"long text scrolled to the caret", "A very long name for a small town", 33, -1, true, true, 0},
    };
    for (int i = 0; i < 5; ++i) {
        const EditState& state = editStates[i];
        int x = 500 + (i % 2) * 240;
        int y = 290 + (i / 2) * 70;
        auto edit = std::make_unique<EditWidget>(i, nullptr);
        edit->SetFont(art.edit);
        edit->SetColor(EditWidget::ColorBackground, Color(0, 0, 0, 0));
        edit->SetColor(EditWidget::ColorOutline, Color(0, 0, 0, 0));
        edit->SetColor(EditWidget::ColorText, Color(58, 34, 24));
        edit->SetColor(EditWidget::ColorHilite, Color(46, 140, 140));
        edit->passwordChar = state.password;
        edit->Resize(x + 6, y + 4, 208, 26);
        edit->SetText(state.text, false);
        edit->cursor = state.cursor;
        edit->highlight = state.highlight;
        edit->alwaysActive = state.active;
        edit->caretShown = state.caret;
        edit->ScrollToCursor(false);
        backdrop.captions.push_back({x, y - 8, state.caption});
        class Well : public Widget
        {
        public:
            explicit Well(Image* image) : image(image) {}
            void Draw(Graphics* g) override { g->DrawTiledBox(Rect(0, 0, width, height), image); }
            Image* image;
        };
        auto wellPicture = std::make_unique<Well>(art.editField);
        wellPicture->Resize(x, y, 220, 34);
        add(std::move(wellPicture), nullptr);
        add(std::move(edit), nullptr);
    }

    ASSERT_TRUE(manager.DrawScreen());
    EXPECT_TRUE(PngFile::Write("dialog_gallery.png", kWidth, kHeight, screen.GetBits()));

    manager.SetFocus(nullptr);
    for (auto& widget : shown) {
        manager.RemoveWidget(widget.get());
    }
    manager.RemoveWidget(&backdrop);
    manager.screenImage = nullptr;
}
