#include "town/CloudStrip.h"

#include "app/TolmAppBase.h"
#include "graphics/Graphics.h"
#include "graphics/MemoryImage.h"
#include "resources/ResourceLookups.h"

#include <cmath>

CloudStrip::CloudStrip() : image(GetImageById("TOWN_CLOUDS")) {}

int CloudStrip::ImageWidth() const
{
    return image ? image->GetWidth() : 0;
}

void CloudStrip::Update(float dt)
{
    const float screenWidth = float(Tolm::gTolmApp->width);
    const float width = float(ImageWidth());
    x += dt * speed;
    if (speed > 0 && x > screenWidth) {
        x = -width;
    } else if (speed < 0 && x < -width) {
        x = screenWidth;
    }
}

void CloudStrip::Draw(Tolm::Graphics& g)
{
    if (!image) {
        return;
    }
    const int screenWidth = Tolm::gTolmApp->width;
    const int width = ImageWidth();
    // Whole pixels: two copies meeting between pixels would both blend into the pixel where they meet
    // and draw a seam there.
    const int left = int(std::floor(x));
    g.DrawImage(image, left, y);
    if (x + float(width) > float(screenWidth)) {
        g.DrawImage(image, left - width, y);
    } else if (x + float(width) < float(screenWidth)) {
        g.DrawImage(image, left + width, y);
    }
}
