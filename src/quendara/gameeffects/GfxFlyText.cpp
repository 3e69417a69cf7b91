#include "gameeffects/GfxFlyText.h"

#include "core/StringUtils.h"
#include "graphics/Graphics.h"
#include "resources/ResourceLookups.h"

#include <cmath>
#include <numbers>

GfxFlyText::GfxFlyText(std::string line, float startX, float startY, Tolm::Font* textFont)
    : font(textFont), x(startX), y(startY), text(std::move(line))
{
    progress.target = 1;
}

bool GfxFlyText::Start()
{
    progress.speed = progressSpeed;
    return true;
}

int GfxFlyText::Update()
{
    return progress.current == progress.target ? -1 : 0;
}

void GfxFlyText::Tick(float dt)
{
    progress.Update(dt);
}

void GfxFlyText::Draw(Tolm::Graphics& g)
{
    if (!font) {
        return;
    }
    g.PushState();
    g.SetColor(Tolm::Color::White);
    g.SetFont(font);
    g.SetAlphaMultiplier(std::sin(progress.current * std::numbers::pi_v<float>));
    g.TranslateF(x, y - riseDistance * progress.current);
    g.DrawTextLine(text, 0, 0, -1, 0);
    g.PopState();
}

GfxFlyScore::GfxFlyScore(int points, float startX, float startY)
    : GfxFlyText(Tolm::FormatString("%d", points), startX, startY, GetFontById("FONT_FLY_SCORE")), score(points)
{}

bool GfxFlyScore::Start()
{
    return score >= 1 && GfxFlyText::Start();
}
