// The device's states, scene and argument checks, the Direct3D object, the adapter's identity and the
// tests' seams. Drawing is the back end's (GlDevice.cpp, RecordingDevice.cpp).
#include "platform/Direct3D.h"

#include "platform/DirectDrawSeam.h"
#include "platform/ScreenPresenter.h"
#include "platform/Window.h"

#include <algorithm>
#include <cstring>
#include <ctime>
#include <mutex>
#include <set>
#include <sys/stat.h>

namespace Platform {

namespace {

struct Direct3DSeamState
{
    std::mutex lock;
    Direct3DBackEnd* backEnd = nullptr;
    std::optional<D3DDEVICEDESC7> caps;
    std::set<SurfaceLayout> droppedFormats;
    std::optional<std::optional<AdapterIdentity>> identity;
    bool direct3D8Removed = false;
};

Direct3DSeamState& SeamState()
{
    static Direct3DSeamState state;
    return state;
}

// Direct3D 7's defaults for what the program sets or relies on.
void SetDefaultStates(std::array<uint32_t, 256>& renderStates, std::array<uint32_t, 32>& stageStates)
{
    renderStates[D3DRENDERSTATE_ZENABLE] = 1;
    renderStates[D3DRENDERSTATE_ZWRITEENABLE] = 1;
    renderStates[D3DRENDERSTATE_SRCBLEND] = D3DBLEND_ONE;
    renderStates[D3DRENDERSTATE_DESTBLEND] = D3DBLEND_ZERO;
    renderStates[D3DRENDERSTATE_CULLMODE] = D3DCULL_CCW;
    renderStates[D3DRENDERSTATE_LIGHTING] = 1;
    stageStates[D3DTSS_COLOROP] = D3DTOP_MODULATE;
    stageStates[D3DTSS_ALPHAOP] = D3DTOP_SELECTARG1;
    stageStates[D3DTSS_ADDRESSU] = D3DTADDRESS_WRAP;
    stageStates[D3DTSS_ADDRESSV] = D3DTADDRESS_WRAP;
    stageStates[D3DTSS_MAGFILTER] = D3DTFG_POINT;
    stageStates[D3DTSS_MINFILTER] = D3DTFN_POINT;
    stageStates[D3DTSS_MIPFILTER] = D3DTFP_NONE;
}

template <std::size_t N>
void CopyText(char (&out)[N], const std::string& text)
{
    std::size_t count = std::min(text.size(), N - 1);
    std::memcpy(out, text.data(), count);
    out[count] = '\0';
}

void FillIdentifier(const AdapterIdentity& identity, DDDEVICEIDENTIFIER2& out)
{
    out = DDDEVICEIDENTIFIER2();
    CopyText(out.driver, identity.driver);
    CopyText(out.description, identity.description);
    out.deviceIdentifier = identity.guid;
}

std::optional<AdapterIdentity> IdentityOf(WindowHandle window)
{
    if (auto given = Direct3DIdentityOverride()) {
        return *given;
    }
    Direct3DBackEnd* backEnd = Direct3DBackEndFor(window);
    return backEnd ? backEnd->Identity() : std::nullopt;
}

class Direct3D8 : public IDirect3D8
{
public:
    HRESULT GetAdapterIdentifier(uint32_t adapter, uint32_t, DDDEVICEIDENTIFIER2* out) override
    {
        if (adapter != 0 || !out) {
            return DDERR_INVALIDPARAMS;
        }
        std::optional<AdapterIdentity> identity = IdentityOf(0);
        if (!identity) {
            return D3DERR_INITFAILED;
        }
        FillIdentifier(*identity, *out);
        return DD_OK;
    }
    void Release() override { delete this; }
};

IDirect3D8* Direct3DCreate8(uint32_t)
{
    if (SeamState().direct3D8Removed || !IdentityOf(0)) {
        return nullptr;
    }
    return new Direct3D8();
}

// FNV-1a over the text, from a given start.
uint64_t HashText(const std::string& text, uint64_t hash)
{
    for (unsigned char byte : text) {
        hash = (hash ^ byte) * 0x100000001B3ull;
    }
    return hash;
}

} // namespace

IDirect3DDevice7::IDirect3DDevice7(IDirectDrawSurface7* target) : target(target)
{
    target->AddRef();
    SetDefaultStates(renderStates, stageStates);
    viewport.width = uint32_t(target->Width());
    viewport.height = uint32_t(target->Height());
}

IDirect3DDevice7::~IDirect3DDevice7()
{
    if (texture) {
        texture->Release();
    }
    target->Release();
}

HRESULT IDirect3DDevice7::QueryInterface(InterfaceId, void** out)
{
    if (out) {
        *out = nullptr;
    }
    return E_NOINTERFACE;
}

HRESULT IDirect3DDevice7::GetCaps(D3DDEVICEDESC7* desc)
{
    if (HRESULT injected = DirectDrawSeam::Injected("GetCaps"); Failed(injected)) {
        return injected;
    }
    if (!desc) {
        return DDERR_INVALIDPARAMS;
    }
    if (std::optional<D3DDEVICEDESC7> given = Direct3DCapsOverride()) {
        *desc = *given;
        return DD_OK;
    }
    *desc = D3DDEVICEDESC7();
    desc->textureCaps = D3DPTEXTURECAPS_ALPHAPALETTE;
    desc->minTextureWidth = 1;
    desc->minTextureHeight = 1;
    desc->maxTextureWidth = LargestTexture();
    desc->maxTextureHeight = LargestTexture();
    return DD_OK;
}

HRESULT IDirect3DDevice7::EnumTextureFormats(TextureFormatCallback callback, void* context)
{
    if (HRESULT injected = DirectDrawSeam::Injected("EnumTextureFormats"); Failed(injected)) {
        return injected;
    }
    if (!callback) {
        return DDERR_INVALIDPARAMS;
    }
    for (SurfaceLayout layout : kTextureLayouts) {
        if (Direct3DFormatDropped(layout)) {
            continue;
        }
        DDPIXELFORMAT format = PixelFormatOf(layout);
        if (callback(&format, context) == D3DENUMRET_CANCEL) {
            break;
        }
    }
    return DD_OK;
}

HRESULT IDirect3DDevice7::SetViewport(const D3DVIEWPORT7* given)
{
    if (HRESULT injected = DirectDrawSeam::Injected("SetViewport"); Failed(injected)) {
        return injected;
    }
    if (!given) {
        return DDERR_INVALIDPARAMS;
    }
    viewport = *given;
    return DD_OK;
}

HRESULT IDirect3DDevice7::Clear(uint32_t count, const RECT* rects, uint32_t flags, uint32_t color, float, uint32_t)
{
    if (HRESULT injected = DirectDrawSeam::Injected("Clear"); Failed(injected)) {
        return injected;
    }
    if ((count != 0) != (rects != nullptr) || count != 0 || flags != D3DCLEAR_TARGET) {
        return DDERR_INVALIDPARAMS;
    }
    if (HRESULT usable = target->IsLost(); Failed(usable)) {
        return usable;
    }
    ClearViewport(color);
    return DD_OK;
}

HRESULT IDirect3DDevice7::SetRenderTarget(IDirectDrawSurface7* newTarget, uint32_t)
{
    if (HRESULT injected = DirectDrawSeam::Injected("SetRenderTarget"); Failed(injected)) {
        return injected;
    }
    if (!newTarget) {
        return DDERR_INVALIDPARAMS;
    }
    if (HRESULT usable = newTarget->IsLost(); Failed(usable)) {
        return usable;
    }
    if (newTarget == target) {
        return DD_OK;
    }
    if (HRESULT accepted = AcceptTarget(*newTarget); Failed(accepted)) {
        return accepted;
    }
    newTarget->AddRef();
    target->Release();
    target = newTarget;
    return DD_OK;
}

HRESULT IDirect3DDevice7::BeginScene()
{
    if (HRESULT injected = DirectDrawSeam::Injected("BeginScene"); Failed(injected)) {
        return injected;
    }
    if (inScene) {
        return D3DERR_SCENE_IN_SCENE;
    }
    inScene = true;
    return DD_OK;
}

HRESULT IDirect3DDevice7::EndScene()
{
    if (HRESULT injected = DirectDrawSeam::Injected("EndScene"); Failed(injected)) {
        return injected;
    }
    if (!inScene) {
        return D3DERR_SCENE_NOT_IN_SCENE;
    }
    inScene = false;
    FinishScene();
    return DD_OK;
}

HRESULT IDirect3DDevice7::SetRenderState(uint32_t state, uint32_t value)
{
    if (HRESULT injected = DirectDrawSeam::Injected("SetRenderState"); Failed(injected)) {
        return injected;
    }
    if (state >= renderStates.size()) {
        return DDERR_INVALIDPARAMS;
    }
    renderStates[state] = value;
    return DD_OK;
}

HRESULT IDirect3DDevice7::SetTextureStageState(uint32_t stage, uint32_t type, uint32_t value)
{
    if (HRESULT injected = DirectDrawSeam::Injected("SetTextureStageState"); Failed(injected)) {
        return injected;
    }
    if (stage != 0 || type >= stageStates.size()) {
        return DDERR_INVALIDPARAMS;
    }
    stageStates[type] = value;
    return DD_OK;
}

HRESULT IDirect3DDevice7::SetTexture(uint32_t stage, IDirectDrawSurface7* newTexture)
{
    if (HRESULT injected = DirectDrawSeam::Injected("SetTexture"); Failed(injected)) {
        return injected;
    }
    if (stage != 0 || (newTexture && (newTexture->Caps() & DDSCAPS_TEXTURE) == 0)) {
        return DDERR_INVALIDPARAMS;
    }
    if (newTexture) {
        newTexture->AddRef();
    }
    if (texture) {
        texture->Release();
    }
    texture = newTexture;
    return DD_OK;
}

HRESULT IDirect3DDevice7::DrawPrimitive(uint32_t type, uint32_t vertexFormat, const void* vertices, uint32_t count,
                                        uint32_t)
{
    if (HRESULT injected = DirectDrawSeam::Injected("DrawPrimitive"); Failed(injected)) {
        return injected;
    }
    if (!inScene) {
        return D3DERR_SCENE_NOT_IN_SCENE;
    }
    bool knownType = type == D3DPT_LINESTRIP || type == D3DPT_TRIANGLELIST || type == D3DPT_TRIANGLESTRIP ||
                     type == D3DPT_TRIANGLEFAN;
    if (!knownType) {
        return D3DERR_INVALIDPRIMITIVETYPE;
    }
    if (vertexFormat != D3DFVF_TLVERTEX) {
        return D3DERR_INVALIDVERTEXFORMAT;
    }
    if (!vertices) {
        return DDERR_INVALIDPARAMS;
    }
    if (HRESULT usable = target->IsLost(); Failed(usable)) {
        return usable;
    }
    Draw(type, static_cast<const D3DTLVERTEX*>(vertices), count);
    return DD_OK;
}

HRESULT IDirect3D7::QueryInterface(InterfaceId id, void** out)
{
    if (!out) {
        return DDERR_INVALIDPARAMS;
    }
    *out = nullptr;
    if (id != IID_IDirect3D7) {
        return E_NOINTERFACE;
    }
    AddRef();
    *out = this;
    return DD_OK;
}

HRESULT IDirect3D7::CreateDevice(InterfaceId id, IDirectDrawSurface7* target, IDirect3DDevice7** out)
{
    if (HRESULT injected = DirectDrawSeam::Injected("CreateDevice"); Failed(injected)) {
        return injected;
    }
    if (!out || !target) {
        return DDERR_INVALIDPARAMS;
    }
    *out = nullptr;
    if (id != IID_IDirect3DHALDevice) {
        return E_NOINTERFACE;
    }
    if ((target->Caps() & DDSCAPS_3DDEVICE) == 0) {
        return DDERR_INVALIDCAPS;
    }
    HRESULT result = DD_OK;
    *out = backEnd.MakeDevice(target, result);
    return *out ? DD_OK : result;
}

HRESULT IDirectDraw7::GetDeviceIdentifier(DDDEVICEIDENTIFIER2* out, uint32_t)
{
    if (HRESULT injected = DirectDrawSeam::Injected("GetDeviceIdentifier"); Failed(injected)) {
        return injected;
    }
    if (!out) {
        return DDERR_INVALIDPARAMS;
    }
    FillIdentifier(IdentityOf(window).value_or(AdapterIdentity()), *out);
    return DD_OK;
}

HRESULT IDirectDraw7::QueryDirect3D(void** out)
{
    Direct3DBackEnd* backEnd = Direct3DBackEndFor(window);
    if (!backEnd) {
        return E_NOINTERFACE;
    }
    *out = new IDirect3D7(*backEnd);
    return DD_OK;
}

std::optional<uint64_t> IDirectDraw7::DriverVideoMemory() const
{
    Direct3DBackEnd* backEnd = Direct3DBackEndFor(window);
    return backEnd ? backEnd->VideoMemory() : std::nullopt;
}

Direct3DBackEnd* Direct3DBackEndFor(WindowHandle window)
{
    {
        Direct3DSeamState& state = SeamState();
        std::lock_guard<std::mutex> guard(state.lock);
        if (state.backEnd) {
            return state.backEnd;
        }
    }
    Window* shownOn = window ? Window::FromHandle(window) : Window::Primary();
    ScreenPresenter* presenter = shownOn ? shownOn->Presenter() : nullptr;
    return presenter ? presenter->Direct3D() : nullptr;
}

std::optional<D3DDEVICEDESC7> Direct3DCapsOverride()
{
    Direct3DSeamState& state = SeamState();
    std::lock_guard<std::mutex> guard(state.lock);
    return state.caps;
}

bool Direct3DFormatDropped(SurfaceLayout layout)
{
    Direct3DSeamState& state = SeamState();
    std::lock_guard<std::mutex> guard(state.lock);
    return state.droppedFormats.count(layout) != 0;
}

std::optional<std::optional<AdapterIdentity>> Direct3DIdentityOverride()
{
    Direct3DSeamState& state = SeamState();
    std::lock_guard<std::mutex> guard(state.lock);
    return state.identity;
}

GUID HashAdapterStrings(const std::string& vendor, const std::string& renderer, const std::string& version)
{
    std::string all = vendor + '\n' + renderer + '\n' + version;
    uint64_t low = HashText(all, 0xCBF29CE484222325ull);
    uint64_t high = HashText(all, low ^ 0x9E3779B97F4A7C15ull);
    GUID guid;
    std::memcpy(guid.bytes, &low, 8);
    std::memcpy(guid.bytes + 8, &high, 8);
    return guid;
}

std::string SystemDirectory()
{
    return "/usr/lib";
}

int FileModificationYear(const std::string& path)
{
    struct stat status
    {};
    if (stat(path.c_str(), &status) != 0) {
        return 0;
    }
    struct tm local
    {};
    localtime_r(&status.st_mtime, &local);
    return local.tm_year + 1900;
}

std::vector<LibraryExport> Direct3D8Exports()
{
    return {{"Direct3DCreate8", reinterpret_cast<LibraryProc>(&Direct3DCreate8)}};
}

namespace Direct3DSeam {

void SetBackEnd(Direct3DBackEnd* backEnd)
{
    Direct3DSeamState& state = SeamState();
    std::lock_guard<std::mutex> guard(state.lock);
    state.backEnd = backEnd;
}

void SetCaps(const D3DDEVICEDESC7& caps)
{
    Direct3DSeamState& state = SeamState();
    std::lock_guard<std::mutex> guard(state.lock);
    state.caps = caps;
}

void DropTextureFormat(SurfaceLayout layout)
{
    Direct3DSeamState& state = SeamState();
    std::lock_guard<std::mutex> guard(state.lock);
    state.droppedFormats.insert(layout);
}

void SetIdentity(std::optional<AdapterIdentity> identity)
{
    Direct3DSeamState& state = SeamState();
    std::lock_guard<std::mutex> guard(state.lock);
    state.identity = std::move(identity);
}

void RemoveDirect3D8()
{
    Direct3DSeamState& state = SeamState();
    std::lock_guard<std::mutex> guard(state.lock);
    state.direct3D8Removed = true;
}

void Reset()
{
    Direct3DSeamState& state = SeamState();
    std::lock_guard<std::mutex> guard(state.lock);
    state.backEnd = nullptr;
    state.caps.reset();
    state.droppedFormats.clear();
    state.identity.reset();
    state.direct3D8Removed = false;
}

} // namespace Direct3DSeam

} // namespace Platform
