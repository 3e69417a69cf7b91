#include "display/D3DInterface.h"

#include "core/DirectXErrors.h"
#include "display/DDInterface.h"

namespace Tolm {

// Our DirectDraw has no Direct3D to give: the question fails as it does on a machine without 3D.
bool D3DInterface::Init(DDInterface* display)
{
    Platform::HRESULT result = Platform::E_NOINTERFACE;
    if (display && display->directDraw7) {
        void* direct3D = nullptr;
        result = display->directDraw7->QueryInterface(Platform::IID_IDirect3D7, &direct3D);
    }
    errorText = "QueryInterface IID_IDirect3D7: " + DirectXErrorName(result);
    return false;
}

void D3DInterface::Flush()
{
    sceneOpen = false;
    errorText.clear();
}

} // namespace Tolm
