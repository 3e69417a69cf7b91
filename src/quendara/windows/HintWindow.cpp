#include "windows/HintWindow.h"

#include "app/TolmAppBase.h"
#include "core/Matrix.h"
#include "core/VectorMath.h"
#include "gamewidgets/BaseWindowButton.h"
#include "graphics/Graphics.h"
#include "graphics/MemoryImage.h"
#include "resources/ResourceLookups.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int kContinueId = 0;
constexpr int kKeyEscape = 27;
constexpr int kKeyEnter = 13;
constexpr float kPi = 3.1415925f;
// Phase per update period: one wobble in about 126 updates, 10 pixels either way.
constexpr float kWobbleRate = 0.05f;
constexpr float kWobbleReach = 10.0f;
// The arrow's tip stays this far from the point.
constexpr float kArrowGap = 10.0f;
constexpr float kFadeInSpeed = 0.02f;
constexpr float kFadeOutSpeed = 0.1f;

int ArrowWidth(Tolm::Image* arrow)
{
    return arrow ? arrow->GetWidth() : 0;
}

} // namespace

void BaseHintWindow::PlayShowSound()
{
    PlaySoundById("SOUND_SHOW_HINT_WINDOW");
}

void BaseHintWindow::PlayHideSound()
{
    PlaySoundById("SOUND_HIDE_HINT_WINDOW");
}

HintWindow::HintWindow()
    : BaseHintWindow(GetImageById("HINT_WINDOW_FIELD"), kDialogId, false, "", "", ""), arrow(GetImageById("HINT_ARROW"))
{
    clip = false;
    backgroundInsets = kTextInsets;
    arrowAlpha.target = 1.0f;
    continueButton = std::make_unique<BaseWindowButton>(kContinueId, this);
    continueButton->label = Tolm::GetLocalizedText("but_continue");
    continueButton->Move((width - continueButton->width) / 2, height - continueButton->height - kButtonBottomMargin);
    AddWidget(continueButton.get());
}

HintWindow::~HintWindow()
{
    RemoveAllWidgets(false, false);
}

void HintWindow::SetHint(const std::string& hintText, int x, int y, int arrowOffset)
{
    text = hintText;
    targetX = x;
    targetY = y;
    offset = arrowOffset;
    phase = 0;
    int centreX = Tolm::gTolmApp->width / 2;
    int centreY = Tolm::gTolmApp->height / 2;
    float dx = float(centreX - x);
    float dy = float(centreY - y);
    // At the very middle the direction is (0, 0), not a division by zero: the bubble centres on the point.
    float inverse = Tolm::FastInvSqrt(dx * dx + dy * dy);
    float nx = dx * inverse;
    float ny = dy * inverse;
    angle = kPi - std::atan2(ny, nx);
    float distance = float(ArrowWidth(arrow)) * (std::fabs(std::cos(angle) * 0.5f) + 1.0f);
    int left = int(float(x) + nx * distance) - width / 2;
    int top = int(float(y) + ny * distance) - height / 2;
    left = std::max(left, 0);
    top = std::max(top, 0);
    if (left + width > Tolm::gTolmApp->width) {
        left = Tolm::gTolmApp->width - width;
    }
    if (top + height > Tolm::gTolmApp->height) {
        top = Tolm::gTolmApp->height - height;
    }
    Move(left, top);
}

void HintWindow::Update()
{
    BaseHintWindow::Update();
    if (visible) {
        arrowAlpha.speed = kFadeInSpeed;
    }
    if (pendingResult == kNoResult) {
        return;
    }
    arrowAlpha.target = 0;
    arrowAlpha.speed = kFadeOutSpeed;
    if (arrowAlpha.current == 0) {
        result = pendingResult;
    }
}

void HintWindow::UpdateFraction(float dt)
{
    BaseHintWindow::UpdateFraction(dt);
    phase += dt * kWobbleRate;
    arrowAlpha.Update(dt);
}

void HintWindow::Draw(Tolm::Graphics* g)
{
    g->PushState();
    DrawArrow(g);
    BaseHintWindow::Draw(g);
    g->SetFont(GetFontById("FONT_HINT_WINDOW_TEXT"));
    g->SetColor(Tolm::Color::White);
    const Tolm::Insets& insets = backgroundInsets;
    g->DrawWrappedText(
        Tolm::Rect(insets.left, insets.top, width - insets.left - insets.right, height - insets.top - insets.bottom),
        text, kTextLineSpacing, 0);
    g->PopState();
}

void HintWindow::DrawArrow(Tolm::Graphics* g)
{
    if (!arrow) {
        return;
    }
    g->PushState();
    // The arrow is placed in screen coordinates, and drawn first so that the bubble covers its inner end.
    g->Translate(-x, -y);
    g->SetTintImages(true);
    g->SetColor(Tolm::Color(255, 255, 255, int(arrowAlpha.current * 255.0f)));
    Tolm::Transform transform;
    if (arrowAlpha.current != 1.0f) {
        transform.Scale(arrowAlpha.current, arrowAlpha.current);
    }
    transform.Translate(-float(arrow->GetWidth()) * 0.5f - kArrowGap, 0);
    transform.Translate(-float(offset), 0);
    transform.Translate(std::sin(phase) * kWobbleReach, 0);
    transform.Rotate(angle);
    transform.Translate(float(targetX), float(targetY));
    g->DrawImageTransformF(arrow, transform, 0, 0);
    g->PopState();
}

void HintWindow::KeyDown(int keyCode)
{
    if (!visible) {
        return;
    }
    BaseHintWindow::KeyDown(keyCode);
    if (keyCode == kKeyEscape || keyCode == kKeyEnter) {
        pendingResult = 0;
    }
}

void HintWindow::ButtonClicked(int id)
{
    BaseHintWindow::ButtonClicked(id);
    if (id == kContinueId) {
        pendingResult = 0;
    }
}
