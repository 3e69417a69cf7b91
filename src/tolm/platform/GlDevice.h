// Direct3D 7 devices on OpenGL 3.3 core: one shader, one vertex buffer, a texture per texture surface and
// a framebuffer per render target, all on one context (the window's, or an off-screen one in tests).
//
// Where Direct3D puts a pixel's centre on whole coordinates, OpenGL puts it half a pixel further, so
// every vertex moves by half a pixel: a quad drawn from x - 0.5 then covers whole pixels and samples
// texel centres, as on the hardware the program was made for.
//
// A surface and its OpenGL copy take turns at being the newer one. Drawing first uploads what changed in
// memory; locking the surface reads the picture back; a blit onto a target whose picture is newer is
// drawn in OpenGL, after what the scene drew before it. Textures upload when their memory changed.
// Objects of surfaces that go on another thread are deleted later on the context's thread.
#pragma once

#include "platform/Direct3D.h"

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace Platform {

// An OpenGL 3.3 core context that can be made current on the calling thread.
class GlContext
{
public:
    virtual ~GlContext() = default;
    virtual bool MakeCurrent() = 0;
    virtual void* ProcAddress(const char* name) = 0;
    // Bytes of video memory, when the driver tells (GLX_MESA_query_renderer).
    virtual std::optional<uint64_t> VideoMemory() = 0;
};

struct GlDeviceFunctions;

class GlBackEnd : public Direct3DBackEnd, public SurfaceHolder
{
public:
    // Null when the context lacks what the devices need.
    static std::unique_ptr<GlBackEnd> Create(GlContext& context);
    ~GlBackEnd() override;

    IDirect3DDevice7* MakeDevice(IDirectDrawSurface7* target, HRESULT& result) override;
    std::optional<AdapterIdentity> Identity() override;
    std::optional<uint64_t> VideoMemory() override { return context.VideoMemory(); }

    void CopyToMemory(IDirectDrawSurface7& surface) override;
    bool DrawBlt(IDirectDrawSurface7& target, const RECT& dest, IDirectDrawSurface7& source, const RECT& from,
                 const DDCOLORKEY* key) override;
    void Forget(IDirectDrawSurface7& surface) override;

    // For the devices.
    uint32_t LargestTexture() const { return largestTexture; }
    bool CanDrawInto(SurfaceLayout layout) const;
    bool BindTarget(IDirectDrawSurface7& target);
    void ClearViewport(IDirectDrawSurface7& target, const D3DVIEWPORT7& viewport, uint32_t color);
    void Draw(const IDirect3DDevice7& device, uint32_t type, const D3DTLVERTEX* vertices, uint32_t count);
    // Leaves the context as the window's presenter expects it.
    void Finish();

private:
    struct GlSurface
    {
        uint32_t texture = 0;
        uint32_t framebuffer = 0;
        // The memory's change count the OpenGL copy matches; none before the first upload.
        std::optional<uint64_t> uploaded;
        const void* palette = nullptr;
    };

    explicit GlBackEnd(GlContext& context);
    bool SetUp();
    bool Current();
    GlSurface& Adopt(IDirectDrawSurface7& surface);
    void DeleteForgotten();
    void UploadTarget(IDirectDrawSurface7& target, GlSurface& held);
    void UploadTexture(IDirectDrawSurface7& texture, GlSurface& held);
    void ApplyStates(const IDirect3DDevice7& device);
    void DrawVertices(uint32_t mode, const D3DTLVERTEX* vertices, uint32_t count);

    GlContext& context;
    std::unique_ptr<GlDeviceFunctions> gl;
    uint32_t program = 0;
    uint32_t vertexArray = 0;
    uint32_t vertexBuffer = 0;
    uint32_t blitTexture = 0;
    int targetSizeLocation = -1;
    int texturedLocation = -1;
    int alphaModulateLocation = -1;
    int keyedLocation = -1;
    uint32_t largestTexture = 0;
    std::recursive_mutex surfacesLock;
    std::map<IDirectDrawSurface7*, GlSurface> surfaces;
    // Objects of surfaces that went, to be deleted on the context's thread.
    std::vector<GlSurface> forgotten;
};

} // namespace Platform
