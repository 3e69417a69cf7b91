// A Direct3D back end for tests that draws nothing: it records what the devices were asked to draw, and
// at the end of each scene lets the test write chosen pixels into the render target, as a card that
// blends rightly or wrongly would have drawn them. Its identity and video memory are the test's.
#pragma once

#include "platform/Direct3D.h"

#include <functional>
#include <string>
#include <vector>

namespace Platform {

struct RecordedDraw
{
    uint32_t type = 0;
    std::vector<D3DTLVERTEX> vertices;
    // Not owned; compared only.
    const IDirectDrawSurface7* texture = nullptr;
    bool blending = false;
    uint32_t sourceBlend = 0;
    uint32_t destBlend = 0;
    uint32_t minFilter = 0;
    uint32_t alphaOp = 0;
};

class RecordingBackEnd : public Direct3DBackEnd
{
public:
    IDirect3DDevice7* MakeDevice(IDirectDrawSurface7* target, HRESULT& result) override;
    std::optional<AdapterIdentity> Identity() override { return identity; }
    std::optional<uint64_t> VideoMemory() override { return videoMemory; }

    // "Clear", "Draw" and "EndScene", in order, for every device.
    std::vector<std::string> calls;
    std::vector<RecordedDraw> draws;
    // Called at every EndScene with the render target's memory to write into; the count of scenes ended
    // before this one.
    std::function<void(IDirectDrawSurface7& target, int scene)> endSceneHook;
    int scenesEnded = 0;
    std::optional<AdapterIdentity> identity;
    std::optional<uint64_t> videoMemory;
    uint32_t largestTexture = 2048;
};

} // namespace Platform
