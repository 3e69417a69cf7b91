// The framework's settings dialog in a program of its own, for the whole-program dialog test: an
// 800 x 600 window showing the loading picture, whose bar keeps filling and emptying behind the dialog,
// and the dialog waiting modally for its answer. It reads its pictures and fonts from "main.pak" beside
// it, and writes on stdout "shown" once the dialog is on the screen, every change of the controls as it
// happens ("text=...", "checkbox=1", "slider=0.50"), and at the end the answer with the controls' values.
#include "app/CustomTolmAppBase.h"
#include "graphics/Graphics.h"
#include "graphics/ImageFont.h"
#include "resources/ResourceLookups.h"
#include "resources/ResourceManager.h"
#include "support/ControlsShowcase.h"
#include "widgets/WidgetManager.h"

#include <cstdio>
#include <memory>
#include <string>

using namespace Tolm;

namespace {

constexpr int kDialogId = 1;

void Say(const std::string& line)
{
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

// The loading picture with its bar filling over three seconds, again and again.
class Backdrop : public Widget
{
public:
    void Update() override
    {
        Widget::Update();
        ++ticks;
        Invalidate();
    }
    void Draw(Graphics* g) override
    {
        g->DrawImage(back, 0, 0);
        Graphics bar(*g);
        bar.IntersectClip(0, 0, 44 + 712 * (ticks % 300) / 300, height);
        bar.DrawImage(progress, 0, 0);
    }

    Image* back = nullptr;
    Image* progress = nullptr;
    int ticks = 0;
};

class ShowcaseApp : public CustomTolmAppBase
{
public:
    ShowcaseApp()
    {
        companyName = "Tarvel Studio";
        productName = "DialogShowcase";
        title = "Dialog Showcase";
        registryKey = "Tarvel Studio\\DialogShowcase";
        windowed = true;
        width = 800;
        height = 600;
        autoStartLoadingThread = false;
    }
    ~ShowcaseApp() override
    {
        widgetManager->RemoveWidget(&backdrop);
        resourceManager->UnloadGroup("");
    }

    void Init() override
    {
        CustomTolmAppBase::Init();
        if (shutDown) {
            return;
        }
        bool loaded = resourceManager->ParseResourcesFile("properties\\resources.xml") &&
                      resourceManager->ParseResourcesFile("properties\\loading.xml") &&
                      resourceManager->LoadGroup("Dialogs") && resourceManager->LoadGroup("Loading");
        if (!loaded) {
            Say("error=" + resourceManager->GetErrorText());
            Shutdown();
            return;
        }
        titleFont = LoadFont("window_title", 0);
        textFont = LoadFont("window_text_dark", 0);
        buttonFont = LoadFont("button", 0);
        editFont = LoadFont("ui", 14);
        art = ShowcaseArt{GetImageById("IMAGE_DIALOG_FRAME"),
                          GetImageById("IMAGE_DIALOG_BUTTON"),
                          GetImageById("IMAGE_DIALOG_CHECKBOX"),
                          GetImageById("IMAGE_DIALOG_CHECKBOX_TICKED"),
                          GetImageById("IMAGE_DIALOG_SLIDER_TRACK"),
                          GetImageById("IMAGE_DIALOG_SLIDER_THUMB"),
                          GetImageById("IMAGE_DIALOG_EDIT_FIELD"),
                          titleFont.get(),
                          textFont.get(),
                          buttonFont.get(),
                          editFont.get()};
        backdrop.back = GetImageById("IMAGE_LOADING_BACK");
        backdrop.progress = GetImageById("IMAGE_LOADING_PROGRESS");
        backdrop.Resize(0, 0, width, height);
        widgetManager->AddWidget(&backdrop);
    }

    // The dialog opens in the first update and waits there, as a game window waits in the update or
    // the click that opened it; the updates meanwhile run nested in the wait.
    void Update() override
    {
        CustomTolmAppBase::Update();
        if (dialog && dialog->edit.text != shownText) {
            shownText = dialog->edit.text;
            Say("text=" + shownText);
        }
        if (!opened && !shutDown) {
            opened = true;
            RunDialog();
        }
    }

    void PresentScreen(const Rect* rect) override
    {
        CustomTolmAppBase::PresentScreen(rect);
        if (dialog && !announced) {
            announced = true;
            Say("shown");
        }
    }

private:
    std::unique_ptr<ImageFont> LoadFont(const std::string& name, int points)
    {
        auto font = std::make_unique<ImageFont>(this, "fonts\\" + name + ".txt");
        if (points > 0) {
            font->SetPointSize(points);
        }
        return font;
    }

    void RunDialog()
    {
        dialog = new ShowcaseDialog(art, kDialogId);
        dialog->report = Say;
        dialog->Move((width - ShowcaseDialog::kWidth) / 2, (height - ShowcaseDialog::kHeight) / 2);
        AddDialog(dialog);
        widgetManager->SetFocus(&dialog->edit);
        int result = dialog->WaitForResult(false);
        char values[64];
        std::snprintf(values, sizeof values, " checkbox=%d slider=%.2f", dialog->checkbox.IsChecked() ? 1 : 0,
                      dialog->slider.value);
        Say("result=" + std::to_string(result) + values + " text=" + dialog->edit.text);
        KillDialogId(kDialogId);
        dialog = nullptr;
        Shutdown();
    }

    ShowcaseArt art;
    std::unique_ptr<ImageFont> titleFont;
    std::unique_ptr<ImageFont> textFont;
    std::unique_ptr<ImageFont> buttonFont;
    std::unique_ptr<ImageFont> editFont;
    Backdrop backdrop;
    ShowcaseDialog* dialog = nullptr;
    std::string shownText;
    bool opened = false;
    bool announced = false;
};

} // namespace

int main()
{
    auto* app = new ShowcaseApp();
    app->Init();
    app->Start();
    delete app;
    return 0;
}
