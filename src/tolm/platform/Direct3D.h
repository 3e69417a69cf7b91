// Our Direct3D 7: the object a DirectDraw object gives for IID_IDirect3D7 and the devices it makes, with
// the calls the display and its capability test make. A device draws pre-transformed, lit vertices into
// a DirectDraw surface with the blend and texture-stage states Direct3D 7 defines, starting from its
// defaults (no blending, texture alpha, point filtering, wrapping).
//
// The device keeps the states, the scene and the argument checks; drawing is its back end's: OpenGL
// (GlDevice.h) on the window's context or on an off-screen one, or a recording back end for tests
// (RecordingDevice.h). Without OpenGL there is no Direct3D: IID_IDirect3D7 is E_NOINTERFACE.
//
// The adapter's identity (DirectDraw's device identifier and Direct3D 8's adapter identifier) comes from
// the OpenGL strings: description = renderer and vendor, driver = the OpenGL library's file, GUID = a
// hash of vendor, renderer and version. Tests may give another one, or none.
#pragma once

#include "platform/DirectDraw.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace Platform {

struct GUID
{
    uint8_t bytes[16] = {};
};

// A vertex already in screen pixels: pixel centres lie on whole coordinates.
struct D3DTLVERTEX
{
    float sx = 0.0f;
    float sy = 0.0f;
    float sz = 0.0f;
    float rhw = 1.0f;
    // 0xAARRGGBB.
    uint32_t color = 0;
    uint32_t specular = 0;
    float tu = 0.0f;
    float tv = 0.0f;
};
static_assert(sizeof(D3DTLVERTEX) == 32);

struct D3DVIEWPORT7
{
    uint32_t x = 0;
    uint32_t y = 0;
    uint32_t width = 0;
    uint32_t height = 0;
    float minZ = 0.0f;
    float maxZ = 1.0f;
};

// What a device can do, as far as anyone here asks.
struct D3DDEVICEDESC7
{
    uint32_t textureCaps = 0;
    uint32_t minTextureWidth = 0;
    uint32_t minTextureHeight = 0;
    uint32_t maxTextureWidth = 0;
    uint32_t maxTextureHeight = 0;
    uint32_t maxTextureAspectRatio = 0;
};

struct DDDEVICEIDENTIFIER2
{
    char driver[512] = {};
    char description[512] = {};
    GUID deviceIdentifier;
};

// The identity an adapter reports, before it is cut into the fixed records above.
struct AdapterIdentity
{
    std::string driver;
    std::string description;
    GUID guid;
};

constexpr uint32_t D3DRENDERSTATE_ZENABLE = 7;
constexpr uint32_t D3DRENDERSTATE_ZWRITEENABLE = 14;
constexpr uint32_t D3DRENDERSTATE_SRCBLEND = 19;
constexpr uint32_t D3DRENDERSTATE_DESTBLEND = 20;
constexpr uint32_t D3DRENDERSTATE_CULLMODE = 22;
constexpr uint32_t D3DRENDERSTATE_DITHERENABLE = 26;
constexpr uint32_t D3DRENDERSTATE_ALPHABLENDENABLE = 27;
constexpr uint32_t D3DRENDERSTATE_SPECULARENABLE = 29;
constexpr uint32_t D3DRENDERSTATE_LIGHTING = 137;

constexpr uint32_t D3DBLEND_ZERO = 1;
constexpr uint32_t D3DBLEND_ONE = 2;
constexpr uint32_t D3DBLEND_SRCALPHA = 5;
constexpr uint32_t D3DBLEND_INVSRCALPHA = 6;

constexpr uint32_t D3DCULL_NONE = 1;
constexpr uint32_t D3DCULL_CW = 2;
constexpr uint32_t D3DCULL_CCW = 3;

constexpr uint32_t D3DTSS_COLOROP = 1;
constexpr uint32_t D3DTSS_ALPHAOP = 4;
constexpr uint32_t D3DTSS_ADDRESSU = 13;
constexpr uint32_t D3DTSS_ADDRESSV = 14;
constexpr uint32_t D3DTSS_MAGFILTER = 16;
constexpr uint32_t D3DTSS_MINFILTER = 17;
constexpr uint32_t D3DTSS_MIPFILTER = 18;

constexpr uint32_t D3DTOP_SELECTARG1 = 2;
constexpr uint32_t D3DTOP_MODULATE = 4;

constexpr uint32_t D3DTADDRESS_WRAP = 1;
constexpr uint32_t D3DTADDRESS_CLAMP = 3;

constexpr uint32_t D3DTFG_POINT = 1;
constexpr uint32_t D3DTFG_LINEAR = 2;
constexpr uint32_t D3DTFN_POINT = 1;
constexpr uint32_t D3DTFN_LINEAR = 2;
constexpr uint32_t D3DTFP_NONE = 1;
constexpr uint32_t D3DTFP_POINT = 2;

constexpr uint32_t D3DPT_LINESTRIP = 3;
constexpr uint32_t D3DPT_TRIANGLELIST = 4;
constexpr uint32_t D3DPT_TRIANGLESTRIP = 5;
constexpr uint32_t D3DPT_TRIANGLEFAN = 6;

// Screen position with rhw, diffuse, specular and one texture coordinate pair.
constexpr uint32_t D3DFVF_TLVERTEX = 0x1C4;
constexpr uint32_t D3DDP_WAIT = 0x1;
constexpr uint32_t D3DCLEAR_TARGET = 0x1;
constexpr uint32_t D3DPTEXTURECAPS_ALPHAPALETTE = 0x80;
constexpr HRESULT D3DENUMRET_OK = 1;
constexpr HRESULT D3DENUMRET_CANCEL = 0;
constexpr uint32_t D3DENUM_NO_WHQL_LEVEL = 0x2;

using TextureFormatCallback = HRESULT (*)(DDPIXELFORMAT* format, void* context);

// The texture formats a device offers, in the order it offers them.
constexpr SurfaceLayout kTextureLayouts[] = {SurfaceLayout::Argb8888, SurfaceLayout::Argb4444, SurfaceLayout::Rgb565,
                                             SurfaceLayout::Xrgb8888, SurfaceLayout::Argb1555, SurfaceLayout::Palette8};

class IDirect3DDevice7 : public IUnknown
{
public:
    HRESULT QueryInterface(InterfaceId id, void** out) override;
    HRESULT GetCaps(D3DDEVICEDESC7* desc);
    HRESULT EnumTextureFormats(TextureFormatCallback callback, void* context);
    HRESULT SetViewport(const D3DVIEWPORT7* viewport);
    // Only D3DCLEAR_TARGET: the viewport filled with the colour.
    HRESULT Clear(uint32_t count, const RECT* rects, uint32_t flags, uint32_t color, float z, uint32_t stencil);
    HRESULT SetRenderTarget(IDirectDrawSurface7* target, uint32_t flags);
    HRESULT BeginScene();
    HRESULT EndScene();
    HRESULT SetRenderState(uint32_t state, uint32_t value);
    HRESULT SetTextureStageState(uint32_t stage, uint32_t type, uint32_t value);
    // A texture surface, or null for none.
    HRESULT SetTexture(uint32_t stage, IDirectDrawSurface7* texture);
    // Only D3DFVF_TLVERTEX; D3DERR_SCENE_NOT_IN_SCENE outside a scene.
    HRESULT DrawPrimitive(uint32_t type, uint32_t vertexFormat, const void* vertices, uint32_t count, uint32_t flags);

    uint32_t RenderState(uint32_t state) const { return renderStates[state % renderStates.size()]; }
    uint32_t StageState(uint32_t type) const { return stageStates[type % stageStates.size()]; }
    IDirectDrawSurface7* Target() const { return target; }
    IDirectDrawSurface7* Texture() const { return texture; }
    const D3DVIEWPORT7& Viewport() const { return viewport; }
    bool InScene() const { return inScene; }

protected:
    explicit IDirect3DDevice7(IDirectDrawSurface7* target);
    ~IDirect3DDevice7() override;

    // The back end's share of each call.
    virtual uint32_t LargestTexture() const = 0;
    virtual HRESULT AcceptTarget(IDirectDrawSurface7& surface) = 0;
    virtual void ClearViewport(uint32_t color) = 0;
    virtual void Draw(uint32_t type, const D3DTLVERTEX* vertices, uint32_t count) = 0;
    virtual void FinishScene() = 0;

private:
    IDirectDrawSurface7* target;
    IDirectDrawSurface7* texture = nullptr;
    D3DVIEWPORT7 viewport;
    bool inScene = false;
    std::array<uint32_t, 256> renderStates{};
    std::array<uint32_t, 32> stageStates{};
};

// What stands behind Direct3D: it makes the devices and names the adapter.
class Direct3DBackEnd
{
public:
    virtual ~Direct3DBackEnd() = default;
    // A device drawing into the target; null with the reason in result.
    virtual IDirect3DDevice7* MakeDevice(IDirectDrawSurface7* target, HRESULT& result) = 0;
    virtual std::optional<AdapterIdentity> Identity() = 0;
    // Bytes of video memory, when the driver tells.
    virtual std::optional<uint64_t> VideoMemory() = 0;
};

class IDirect3D7 : public IUnknown
{
public:
    HRESULT QueryInterface(InterfaceId id, void** out) override;
    // Only IID_IDirect3DHALDevice; the target must be a 3D-device surface of a layout the device draws.
    HRESULT CreateDevice(InterfaceId id, IDirectDrawSurface7* target, IDirect3DDevice7** out);

private:
    friend class IDirectDraw7;
    explicit IDirect3D7(Direct3DBackEnd& backEnd) : backEnd(backEnd) {}

    Direct3DBackEnd& backEnd;
};

// The back end Direct3D uses for the window: tests set their own, null puts back the window's OpenGL.
namespace Direct3DSeam {

void SetBackEnd(Direct3DBackEnd* backEnd);
// What a device reports instead of its own caps; the texture formats it offers, by layout.
void SetCaps(const D3DDEVICEDESC7& caps);
void DropTextureFormat(SurfaceLayout layout);
// The adapter identity to report; null identity: Direct3D 8 cannot be had.
void SetIdentity(std::optional<AdapterIdentity> identity);
void RemoveDirect3D8();
// Puts everything back.
void Reset();

} // namespace Direct3DSeam

// The back end for a window, or the one the tests set; null when there is no OpenGL.
Direct3DBackEnd* Direct3DBackEndFor(WindowHandle window);
// Overridden caps and formats, when tests set them.
std::optional<D3DDEVICEDESC7> Direct3DCapsOverride();
bool Direct3DFormatDropped(SurfaceLayout layout);
// The identity tests set: none to ask the back end; a set empty one when there is to be none.
std::optional<std::optional<AdapterIdentity>> Direct3DIdentityOverride();
// The adapter's GUID made from the OpenGL strings.
GUID HashAdapterStrings(const std::string& vendor, const std::string& renderer, const std::string& version);

// Where a driver named without a folder lies.
std::string SystemDirectory();
// The local year of the file's last change; 0 when there is no such file.
int FileModificationYear(const std::string& path);

// Direct3D 8, as far as the adapter's identity: the entry point of "d3d8.dll".
class IDirect3D8
{
public:
    virtual ~IDirect3D8() = default;
    virtual HRESULT GetAdapterIdentifier(uint32_t adapter, uint32_t flags, DDDEVICEIDENTIFIER2* out) = 0;
    virtual void Release() = 0;
};
using Direct3DCreate8Proc = IDirect3D8* (*)(uint32_t sdkVersion);
constexpr const char* kDirect3D8LibraryName = "d3d8.dll";
std::vector<LibraryExport> Direct3D8Exports();

} // namespace Platform
