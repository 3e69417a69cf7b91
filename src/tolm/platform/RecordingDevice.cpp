#include "platform/RecordingDevice.h"

namespace Platform {

namespace {

class RecordingDevice : public IDirect3DDevice7
{
public:
    RecordingDevice(RecordingBackEnd& backEnd, IDirectDrawSurface7* target) : IDirect3DDevice7(target), backEnd(backEnd)
    {}

protected:
    uint32_t LargestTexture() const override { return backEnd.largestTexture; }
    HRESULT AcceptTarget(IDirectDrawSurface7&) override { return DD_OK; }
    void ClearViewport(uint32_t) override { backEnd.calls.push_back("Clear"); }
    void Draw(uint32_t type, const D3DTLVERTEX* vertices, uint32_t count) override
    {
        backEnd.calls.push_back("Draw");
        RecordedDraw draw;
        draw.type = type;
        draw.vertices.assign(vertices, vertices + count);
        draw.texture = Texture();
        draw.blending = RenderState(D3DRENDERSTATE_ALPHABLENDENABLE) != 0;
        draw.sourceBlend = RenderState(D3DRENDERSTATE_SRCBLEND);
        draw.destBlend = RenderState(D3DRENDERSTATE_DESTBLEND);
        draw.minFilter = StageState(D3DTSS_MINFILTER);
        draw.alphaOp = StageState(D3DTSS_ALPHAOP);
        backEnd.draws.push_back(std::move(draw));
    }
    void FinishScene() override
    {
        backEnd.calls.push_back("EndScene");
        if (backEnd.endSceneHook) {
            backEnd.endSceneHook(*Target(), backEnd.scenesEnded);
        }
        ++backEnd.scenesEnded;
    }

private:
    RecordingBackEnd& backEnd;
};

} // namespace

IDirect3DDevice7* RecordingBackEnd::MakeDevice(IDirectDrawSurface7* target, HRESULT&)
{
    return new RecordingDevice(*this, target);
}

} // namespace Platform
