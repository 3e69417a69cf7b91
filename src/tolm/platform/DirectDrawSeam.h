// For tests only: makes our DirectDraw fail where a real one might, and shows what it holds. A call
// can be made to fail by its name ("CreateSurface", "Lock", "Blt", "DirectDrawCreateEx", ...) after a
// number of its calls have passed; surfaces can be lost; the desktop's size, format and refresh rate
// can be pretended; and the live surfaces and any write past a surface's rows are counted.
//
// Reset puts everything back; a test that sets anything resets it.
#pragma once

#include "platform/DirectXResults.h"
#include "platform/SurfaceLayout.h"

#include <optional>
#include <string>

namespace Platform {
class IDirectDrawSurface7;
}

namespace Platform::DirectDrawSeam {

// The call of that name after `passing` more calls of it fails once with the result.
void FailCall(const std::string& name, HRESULT result, int passing = 0);
// The result a call of that name is to give instead of doing its work: DD_OK when it is to work.
HRESULT Injected(const char* name);

// Every live surface is lost.
void LoseAllSurfaces();
int LiveSurfaceCount();
// Writes found outside a surface's rows since the last Reset.
int CanaryViolations();

struct DesktopOverride
{
    int width = 1024;
    int height = 768;
    std::optional<SurfaceLayout> layout = SurfaceLayout::Xrgb8888;
    int refreshRate = 0;
};
void SetDesktop(const DesktopOverride& desktop);
std::optional<DesktopOverride> Desktop();
// GetAvailableVidMem's answer, in bytes.
void SetVideoMemory(uint32_t total, uint32_t free);
bool VideoMemory(uint32_t& total, uint32_t& free);

void Reset();

// Kept by the layer.
void NoteSurfaceMade(IDirectDrawSurface7* surface);
void NoteSurfaceGone(IDirectDrawSurface7* surface);
void NoteCanaryViolation();

} // namespace Platform::DirectDrawSeam
