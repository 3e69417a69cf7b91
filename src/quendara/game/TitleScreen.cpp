#include "game/TitleScreen.h"

#include "game/GameApp.h"
#include "graphics/Graphics.h"
#include "graphics/MemoryImage.h"
#include "resources/ResourceLookups.h"
#include "widgets/WidgetManager.h"

#include <cmath>

namespace {

// The splash pictures in the order they show.
const char* const kSplashIds[] = {"IMAGE_SPLASH_BRAND1", "IMAGE_SPLASH_BRAND2", "IMAGE_SPLASH_TARVEL"};

} // namespace

void SplashSlideshow::Advance()
{
    if (!IsOver() && fade.current == fade.target) {
        holdTime = kHoldTime;
        ++index;
        fade.current = 0.0f;
    }
}

void SplashSlideshow::UpdateFade(float steps)
{
    if (IsOver()) {
        return;
    }
    if (holdTime > 0 && std::abs(fade.current - 0.5f) <= 0.01f) {
        holdTime -= steps;
        return;
    }
    fade.Update(steps);
}

void SplashSlideshow::Skip()
{
    holdTime = 0;
    if (fade.current <= 0.5f) {
        fade.current = 1.0f - fade.current;
    }
}

TitleScreen::TitleScreen(GameApp* owner) : app(owner), slideshow(std::make_unique<SplashSlideshow>())
{
    Resize(0, 0, app->width, app->height);
    flagsChange.add |= Tolm::WidgetFlagMarkDirty;
    for (const char* id : kSplashIds) {
        if (Tolm::Image* image = GetImageById(id)) {
            slideshow->images.push_back(image);
        }
    }
}

void TitleScreen::Update()
{
    slideshow->Advance();
    if (!loadingDone || !slideshow->IsOver()) {
        return;
    }
    app->widgetManager->RemoveWidget(this);
    app->DeferWidgetDeletion(this);
    app->TitleDone();
}

void TitleScreen::UpdateFraction(float steps)
{
    slideshow->UpdateFade(steps);
}

void TitleScreen::KeyDown(int)
{
    slideshow->Skip();
}

void TitleScreen::MouseDown(int, int, int)
{
    slideshow->Skip();
}

void TitleScreen::Draw(Tolm::Graphics* g)
{
    g->SetColor(Tolm::Color(0, 0, 0, 255));
    g->FillRect(0, 0, width, height);
    if (!slideshow->IsOver()) {
        DrawSplash(g);
    } else {
        DrawLoadingBar(g);
    }
}

void TitleScreen::DrawSplash(Tolm::Graphics* g)
{
    Tolm::Image* image = slideshow->images[std::size_t(slideshow->index)];
    g->PushState();
    g->DrawImage(image, (app->width - image->width) / 2, (app->height - image->height) / 2);
    // Hidden at fade values 0 and 1, fully shown at 0.5.
    Tolm::Color cover = slideshow->color;
    cover.alpha = 255 - int(std::sin(slideshow->fade.current * 3.1415925) * 255);
    g->SetColor(cover);
    g->FillRect(0, 0, app->width, app->height);
    g->PopState();
}

void TitleScreen::DrawLoadingBar(Tolm::Graphics* g)
{
    Tolm::Image* back = GetImageById("IMAGE_LOADING_BACK");
    Tolm::Image* progress = GetImageById("IMAGE_LOADING_PROGRESS");
    // Without its pictures the title stays black until loading is done.
    if (!back) {
        return;
    }
    if (!barMeasured) {
        barMeasured = true;
        barWidth = back->width;
        barTop = app->height - back->height;
    }
    const int x = (width - barWidth) / 2;
    g->DrawImage(back, x, barTop);
    const int filled = int(app->GetLoadingProgress() * barWidth);
    if (filled > 0 && progress) {
        g->DrawImagePart(progress, x, barTop, Tolm::Rect(0, 0, filled, progress->height));
    }
}
