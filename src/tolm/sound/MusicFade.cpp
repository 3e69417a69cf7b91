#include "sound/MusicFade.h"

namespace Tolm {

bool MusicFade::Step(bool& stopNow)
{
    stopNow = false;
    if (fadeStep == 0.0) {
        return false;
    }
    volume += fadeStep;
    if (volume > volumeCap) {
        volume = volumeCap;
        fadeStep = 0.0;
    }
    if (volume < 0.0) {
        volume = 0.0;
        fadeStep = 0.0;
        stopNow = stopWhenSilent;
    }
    return true;
}

} // namespace Tolm
