#include "display/D3DTester.h"

namespace Tolm {

void D3DTester::Evaluate(Platform::WindowHandle, Platform::IDirectDraw7*)
{
    failureReason = "No Direct3D device";
    warning.clear();
    freshResult = false;
}

} // namespace Tolm
