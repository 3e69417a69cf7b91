#include "display/D3DInterface.h"

#include "app/TolmAppBase.h"
#include "core/CriticalSection.h"
#include "core/DirectXErrors.h"
#include "core/Matrix.h"
#include "display/DDImage.h"
#include "display/DDInterface.h"
#include "display/TexturePieceGrid.h"
#include "display/VertexList.h"
#include "graphics/Color.h"
#include "graphics/MemoryImage.h"
#include "graphics/MemoryImageRegistry.h"
#include "platform/Window.h"

#include <algorithm>

namespace Tolm {

using namespace Platform;

namespace {

// The largest texture side the grids use, whatever the device offers.
constexpr uint32_t kLargestPiece = 1024;
constexpr int kUnlimitedAspect = 65536;

template <typename Interface>
void ReleaseInterface(Interface*& pointer)
{
    if (pointer) {
        pointer->Release();
        pointer = nullptr;
    }
}

D3DTLVERTEX PlainVertex(float x, float y, uint32_t color)
{
    D3DTLVERTEX vertex;
    vertex.sx = x;
    vertex.sy = y;
    vertex.color = color;
    return vertex;
}

HRESULT CollectFormat(DDPIXELFORMAT* format, void* context)
{
    *static_cast<int*>(context) |= TexturePixelFormatCode(*format);
    return D3DENUMRET_OK;
}

} // namespace

D3DRuntimeState& D3DState()
{
    static D3DRuntimeState state;
    return state;
}

bool CheckD3DResult(HRESULT result, const char* step)
{
    if (!Failed(result)) {
        return false;
    }
    D3DRuntimeState& state = D3DState();
    state.errorText = std::string(step) + ": " + DirectXErrorName(result);
    state.failedDuringRun = true;
    if (gTolmApp) {
        gTolmApp->WriteRegistryString("Test3D\\RuntimeError", state.errorText);
    }
    return true;
}

void DrawClippedPolygon(const VertexList& polygon, const Rect& clipRect, IDirect3DDevice7* device)
{
    VertexList a;
    VertexList b;
    ClipPolygon(polygon, a, VertexComponent::X, float(clipRect.x), true);
    ClipPolygon(a, b, VertexComponent::Y, float(clipRect.y), true);
    ClipPolygon(b, a, VertexComponent::X, float(clipRect.x + clipRect.width), false);
    ClipPolygon(a, b, VertexComponent::Y, float(clipRect.y + clipRect.height), false);
    if (b.Count() > 2) {
        CheckD3DResult(device->DrawPrimitive(D3DPT_TRIANGLEFAN, D3DFVF_TLVERTEX, b.Data(), uint32_t(b.Count()), 0),
                       "DrawPrimitive (Tri) 2");
    }
}

D3DInterface::D3DInterface()
{
    GetTextureLimits().Reset();
}

D3DInterface::~D3DInterface()
{
    ReleaseAll();
}

bool D3DInterface::Init(DDInterface* newDisplay)
{
    D3DState().errorText.clear();
    display = newDisplay;
    if (!display || !display->directDraw7 || !display->drawSurface) {
        CheckD3DResult(E_NOINTERFACE, "QueryInterface IID_IDirect3D7");
        return false;
    }
    directDraw = display->directDraw7;
    window = display->window;
    width = display->drawWidth;
    height = display->drawHeight;
    return InitDevice(*display);
}

bool D3DInterface::InitDevice(DDInterface& shown)
{
    void* made = nullptr;
    if (CheckD3DResult(shown.drawSurface->QueryInterface(IID_IDirectDrawSurface7, &made), "Query DrawSurface")) {
        return false;
    }
    renderTarget = static_cast<IDirectDrawSurface7*>(made);
    if (CheckD3DResult(directDraw->QueryInterface(IID_IDirect3D7, &made), "QueryInterface IID_IDirect3D7")) {
        return false;
    }
    direct3D = static_cast<IDirect3D7*>(made);
    if (CheckD3DResult(direct3D->CreateDevice(IID_IDirect3DHALDevice, renderTarget, &device),
                       "CreateDevice IID_IDirect3DHALDevice")) {
        return false;
    }
    D3DDEVICEDESC7 caps;
    if (CheckD3DResult(device->GetCaps(&caps), "")) {
        return false;
    }
    ReadLimits(caps);
    int formats = 0;
    device->EnumTextureFormats(&CollectFormat, &formats);
    if ((caps.textureCaps & D3DPTEXTURECAPS_ALPHAPALETTE) == 0) {
        formats &= ~kTexturePalette8;
    }
    GetTextureLimits().supportedFormats = formats;
    viewport = D3DVIEWPORT7();
    viewport.width = uint32_t(width);
    viewport.height = uint32_t(height);
    if (Window* shownOn = Window::FromHandle(window)) {
        ScreenRect client = shownOn->ClientRectOnScreen();
        viewport.width = uint32_t(std::max(client.width, 0));
        viewport.height = uint32_t(std::max(client.height, 0));
    }
    device->SetViewport(&viewport);
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
    return true;
}

void D3DInterface::ReadLimits(const D3DDEVICEDESC7& caps)
{
    TextureLimits& limits = GetTextureLimits();
    if (caps.maxTextureWidth == 0) {
        limits.Reset();
    } else {
        limits.minWidth = int(std::max<uint32_t>(caps.minTextureWidth, 1));
        limits.minHeight = int(std::max<uint32_t>(caps.minTextureHeight, 1));
        limits.maxWidth = int(std::min(caps.maxTextureWidth, kLargestPiece));
        limits.maxHeight = int(std::min(std::max<uint32_t>(caps.maxTextureHeight, 1), kLargestPiece));
        limits.maxAspect = caps.maxTextureAspectRatio == 0 ? kUnlimitedAspect
                                                           : int(std::min<uint32_t>(caps.maxTextureAspectRatio, 65536));
    }
    D3DState().linearFiltering = false;
}

void D3DInterface::Flush()
{
    if (sceneOpen) {
        device->EndScene();
        sceneOpen = false;
    }
    D3DState().errorText.clear();
}

void D3DInterface::ReleaseAll()
{
    Flush();
    std::set<MemoryImage*> images;
    {
        CriticalSectionGuard guard(MemoryImageRegistry::Instance().GetDisplayLock());
        images.swap(texturedImages);
    }
    for (MemoryImage* image : images) {
        delete image->textureData;
        image->textureData = nullptr;
    }
    ReleaseInterface(device);
    ReleaseInterface(direct3D);
    ReleaseInterface(renderTarget);
    directDraw = nullptr;
}

bool D3DInterface::EnsureScene()
{
    if ((gTolmApp && gTolmApp->minimized) || !device) {
        return false;
    }
    if (sceneOpen) {
        return true;
    }
    D3DRuntimeState& state = D3DState();
    if (Failed(device->SetRenderTarget(renderTarget, 0))) {
        state.renderTargetFailed = true;
        return false;
    }
    state.renderTargetFailed = false;
    device->BeginScene();
    device->SetRenderState(D3DRENDERSTATE_ALPHABLENDENABLE, 1);
    device->SetRenderState(D3DRENDERSTATE_SRCBLEND, D3DBLEND_SRCALPHA);
    device->SetRenderState(D3DRENDERSTATE_DESTBLEND, D3DBLEND_INVSRCALPHA);
    device->SetRenderState(D3DRENDERSTATE_LIGHTING, 0);
    device->SetTextureStageState(0, D3DTSS_MINFILTER, D3DTFN_POINT);
    device->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTFG_POINT);
    device->SetTextureStageState(0, D3DTSS_MIPFILTER, D3DTFP_NONE);
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    device->SetTextureStageState(0, D3DTSS_ADDRESSU, D3DTADDRESS_CLAMP);
    device->SetTextureStageState(0, D3DTSS_ADDRESSV, D3DTADDRESS_CLAMP);
    for (uint32_t off : {D3DRENDERSTATE_DITHERENABLE, D3DRENDERSTATE_SPECULARENABLE, D3DRENDERSTATE_ZWRITEENABLE,
                         D3DRENDERSTATE_ZENABLE}) {
        device->SetRenderState(off, 0);
    }
    device->SetRenderState(D3DRENDERSTATE_CULLMODE, D3DCULL_NONE);
    sceneOpen = true;
    state.linearFiltering = false;
    return true;
}

void D3DInterface::SetBlendMode(bool additive)
{
    device->SetRenderState(D3DRENDERSTATE_SRCBLEND, D3DBLEND_SRCALPHA);
    device->SetRenderState(D3DRENDERSTATE_DESTBLEND, additive ? D3DBLEND_ONE : D3DBLEND_INVSRCALPHA);
}

void D3DInterface::SetFiltering(bool linear)
{
    D3DRuntimeState& state = D3DState();
    if (linear == state.linearFiltering) {
        return;
    }
    const char* step = linear ? "SetTextureStageState LINEAR" : "SetTextureStageState Point";
    CheckD3DResult(device->SetTextureStageState(0, D3DTSS_MINFILTER, linear ? D3DTFN_LINEAR : D3DTFN_POINT), step);
    CheckD3DResult(device->SetTextureStageState(0, D3DTSS_MAGFILTER, linear ? D3DTFG_LINEAR : D3DTFG_POINT), step);
    CheckD3DResult(device->SetTextureStageState(0, D3DTSS_MIPFILTER, linear ? D3DTFP_POINT : D3DTFP_NONE), step);
    state.linearFiltering = linear;
}

bool D3DInterface::PrepareTextures(MemoryImage& image)
{
    bool purged = false;
    if (!image.textureData) {
        image.textureData = new TexturePieceGrid();
        purged = image.bitsReleased;
        CriticalSectionGuard guard(MemoryImageRegistry::Instance().GetDisplayLock());
        texturedImages.insert(&image);
    }
    TexturePieceGrid& grid = *image.textureData;
    if (grid.format == 0 || image.width != grid.imageWidth || image.height != grid.imageHeight ||
        image.bitsChangedCount != grid.changeCount || image.textureFlags != grid.textureFlags) {
        grid.Upload(image, device, directDraw);
    }
    if (purged) {
        image.ReleaseBits();
    }
    return grid.format != 0;
}

void D3DInterface::RemoveImageTextures(MemoryImage& image)
{
    if (!image.textureData) {
        return;
    }
    delete image.textureData;
    image.textureData = nullptr;
    CriticalSectionGuard guard(MemoryImageRegistry::Instance().GetDisplayLock());
    texturedImages.erase(&image);
}

bool D3DInterface::ReadBackTextures(MemoryImage& image)
{
    const TexturePieceGrid* grid = image.textureData;
    if (!grid || grid->changeCount != image.bitsChangedCount) {
        return false;
    }
    return grid->ReadBack(image);
}

bool D3DInterface::BeginTexturedDraw(MemoryImage& image, int additive, bool bilinear)
{
    if (!EnsureScene() || !PrepareTextures(image)) {
        return false;
    }
    SetBlendMode(additive != 0);
    SetFiltering(bilinear);
    return true;
}

void D3DInterface::Blit(MemoryImage& image, float x, float y, const Rect& sourceRect, const Color& color, int additive,
                        bool bilinear)
{
    if (BeginTexturedDraw(image, additive, bilinear)) {
        image.textureData->DrawAligned(device, x, y, sourceRect, color.ToPacked());
    }
}

void D3DInterface::BlitClipped(MemoryImage& image, float x, float y, const Rect& sourceRect, const Rect& clipRect,
                               const Color& color, int additive)
{
    Matrix3 matrix;
    matrix.Translate(x, y);
    BlitTransformed(image, &clipRect, color, additive, sourceRect, matrix, true, 0, 0, false);
}

void D3DInterface::BlitMirror(MemoryImage& image, float x, float y, const Rect& sourceRect, const Color& color,
                              int additive, bool bilinear)
{
    Matrix3 matrix;
    matrix.Translate(-float(sourceRect.width), 0);
    matrix.Scale(-1, 1);
    matrix.Translate(x, y);
    BlitTransformed(image, nullptr, color, additive, sourceRect, matrix, bilinear, 0, 0, false);
}

void D3DInterface::StretchBlit(MemoryImage& image, const Rect& destRect, const Rect& sourceRect, const Rect& clipRect,
                               const Color& color, int additive, bool fast, bool mirror)
{
    float scaleX = float(destRect.width) / float(sourceRect.width);
    float scaleY = float(destRect.height) / float(sourceRect.height);
    Matrix3 matrix;
    if (mirror) {
        matrix.Translate(-float(sourceRect.width), 0);
        scaleX = -scaleX;
    }
    matrix.Scale(scaleX, scaleY);
    matrix.Translate(float(destRect.x), float(destRect.y));
    BlitTransformed(image, &clipRect, color, additive, sourceRect, matrix, !fast, 0, 0, false);
}

void D3DInterface::BlitRotated(MemoryImage& image, float x, float y, const Rect& clipRect, const Color& color,
                               int additive, double angle, float centerX, float centerY, const Rect& sourceRect)
{
    Matrix3 matrix;
    matrix.Translate(-centerX, -centerY);
    matrix.Rotate(float(angle));
    matrix.Translate(centerX + x, centerY + y);
    BlitTransformed(image, &clipRect, color, additive, sourceRect, matrix, true, 0, 0, false);
}

void D3DInterface::BlitTransformed(MemoryImage& image, const Rect* clipRect, const Color& color, int additive,
                                   const Rect& sourceRect, const Matrix3& matrix, bool bilinear, float x, float y,
                                   bool centred)
{
    if (BeginTexturedDraw(image, additive, bilinear)) {
        image.textureData->DrawTransformed(device, matrix, sourceRect, color.ToPacked(), clipRect, x, y, centred);
    }
}

void D3DInterface::DrawTrianglesTextured(const TexVertex* vertices, int triangleCount, const Color& color, int additive,
                                         MemoryImage& image, float x, float y, bool bilinear)
{
    if (BeginTexturedDraw(image, additive, bilinear)) {
        image.textureData->DrawTriangles(device, vertices, triangleCount, color.ToPacked(), x, y);
    }
}

void D3DInterface::DrawUntextured(uint32_t type, const D3DTLVERTEX* vertices, int count, const char* step)
{
    CheckD3DResult(device->SetTexture(0, nullptr), "SetTexture NULL");
    CheckD3DResult(device->DrawPrimitive(type, D3DFVF_TLVERTEX, vertices, uint32_t(count), 0), step);
}

void D3DInterface::DrawLine(double x1, double y1, double x2, double y2, const Color& color, int additive)
{
    if (!EnsureScene()) {
        return;
    }
    SetBlendMode(additive != 0);
    uint32_t packed = color.ToPacked();
    const D3DTLVERTEX line[] = {PlainVertex(float(x1), float(y1), packed), PlainVertex(float(x2), float(y2), packed),
                                PlainVertex(float(x2 + 0.5), float(y2 + 0.5), packed)};
    DrawUntextured(D3DPT_LINESTRIP, line, 3, "DrawPrimitive (Line)");
}

void D3DInterface::FillRect(const Rect& rect, const Color& color, int additive)
{
    if (!EnsureScene()) {
        return;
    }
    SetBlendMode(additive != 0);
    uint32_t packed = color.ToPacked();
    float left = float(rect.x) - 0.5f;
    float top = float(rect.y) - 0.5f;
    float right = float(rect.x + rect.width) - 0.5f;
    float bottom = float(rect.y + rect.height) - 0.5f;
    const D3DTLVERTEX quad[] = {PlainVertex(left, top, packed), PlainVertex(left, bottom, packed),
                                PlainVertex(right, top, packed), PlainVertex(right, bottom, packed)};
    DrawUntextured(D3DPT_TRIANGLESTRIP, quad, 4, "DrawPrimitive (Rect)");
}

void D3DInterface::FillPolygon(const int* points, int count, const Rect* clipRect, const Color& color, int additive,
                               int offsetX, int offsetY)
{
    if (count <= 2 || !EnsureScene()) {
        return;
    }
    SetBlendMode(additive != 0);
    CheckD3DResult(device->SetTexture(0, nullptr), "SetTexture NULL");
    VertexList polygon;
    uint32_t packed = color.ToPacked();
    for (int i = 0; i < count; ++i) {
        polygon.Add(PlainVertex(float(points[i * 2] + offsetX), float(points[i * 2 + 1] + offsetY), packed));
    }
    if (clipRect) {
        DrawClippedPolygon(polygon, *clipRect, device);
        return;
    }
    CheckD3DResult(
        device->DrawPrimitive(D3DPT_TRIANGLEFAN, D3DFVF_TLVERTEX, polygon.Data(), uint32_t(polygon.Count()), 0),
        "DrawPrimitive (FillPoly)");
}

} // namespace Tolm
