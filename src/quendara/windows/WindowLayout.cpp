#include "windows/WindowLayout.h"

#include "app/TolmAppBase.h"
#include "gamewidgets/BaseSlider.h"
#include "gamewidgets/BaseWindowButton.h"
#include "graphics/Graphics.h"
#include "resources/ResourceLookups.h"
#include "widgets/Widget.h"
#include "windows/BaseWindow.h"

namespace {

constexpr int kEscapeKey = 27;

} // namespace

void SetWindowFrame(BaseWindow& window, int dialogId, const Tolm::Insets& insets, const std::string& headerKey)
{
    window.id = dialogId;
    window.backgroundInsets = insets;
    if (headerKey.empty()) {
        return;
    }
    window.SetHeaderFont(GetFontById("FONT_WINDOW_TITLE"));
    window.header = Tolm::GetLocalizedText(headerKey);
}

std::unique_ptr<BaseWindowButton> AddWindowButton(BaseWindow& window, int id, const std::string& captionKey, int x,
                                                  int y)
{
    auto button = std::make_unique<BaseWindowButton>(id, &window);
    button->label = Tolm::GetLocalizedText(captionKey);
    button->Move(x, y);
    window.AddWidget(button.get());
    return button;
}

std::unique_ptr<BaseWindowButton> AddCentredButton(BaseWindow& window, int id, const std::string& captionKey, int y)
{
    auto button = AddWindowButton(window, id, captionKey, 0, y);
    button->Move((window.width - button->width) / 2, y);
    return button;
}

std::unique_ptr<BaseSlider> AddWindowSlider(BaseWindow& window, Tolm::SliderListener* listener, int id,
                                            const std::string& labelKey, int x, int y, double value)
{
    auto slider = std::make_unique<BaseSlider>(id, listener);
    slider->label = Tolm::GetLocalizedText(labelKey);
    slider->Move(x, y);
    slider->SetValue(value);
    window.AddWidget(slider.get());
    return slider;
}

void SetSfxVolumeFromSlider(const BaseSlider& slider, double value)
{
    Tolm::gTolmApp->SetSfxVolume(value);
    if (!slider.dragging) {
        PlaySoundById("SOUND_SFX_SLIDER");
    }
}

Tolm::Rect WindowBodyRect(const BaseWindow& window, int dx, int dy, int dw, int dh)
{
    const Tolm::Insets& insets = window.backgroundInsets;
    return Tolm::Rect(insets.left + dx, insets.top + dy, window.width - insets.left - insets.right - dw,
                      window.height - insets.top - insets.bottom - dh);
}

void DrawWindowText(Tolm::Graphics* g, const std::string& fontId, const Tolm::Rect& rect, const std::string& text,
                    int lineSpacing)
{
    Tolm::Font* font = GetFontById(fontId);
    if (!font) {
        return;
    }
    g->SetFont(font);
    g->SetColor(Tolm::Color::White);
    g->DrawWrappedText(rect, text, lineSpacing, 0);
}

void EscapeAnswersZero(BaseWindow& window, int keyCode)
{
    if (!window.visible) {
        return;
    }
    window.Tolm::Widget::KeyDown(keyCode);
    if (keyCode == kEscapeKey) {
        window.result = 0;
    }
}
