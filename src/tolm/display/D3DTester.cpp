#include "display/D3DTester.h"

#include "app/TolmAppBase.h"
#include "core/DirectXErrors.h"
#include "core/StringUtils.h"
#include "display/TexturePieceGrid.h"
#include "platform/Library.h"

#include <algorithm>
#include <bit>
#include <cctype>
#include <cstdio>
#include <cstring>

namespace Tolm {

using namespace Platform;

namespace {

constexpr uint32_t kCacheVersion = 2;
constexpr int kTargetSide = 100;
constexpr int kTextureSide = 64;
// Squared distance in 8-bit channels beyond which a pixel counts as wrong.
constexpr int kColourThreshold = 768;
// Read back up to this many bytes of a stored text.
constexpr std::size_t kStoredTextRoom = 4096;
constexpr int kListLineRoom = 4000;
constexpr int kOldDriverYear = 2002;
constexpr const char* kSubkey = "Test3D";

template <typename Interface>
void ReleaseInterface(Interface*& pointer)
{
    if (pointer) {
        pointer->Release();
        pointer = nullptr;
    }
}

int ColourDistance(uint32_t a, uint32_t b)
{
    int distance = 0;
    for (int shift : {16, 8, 0}) {
        int d = int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF);
        distance += d * d;
    }
    return distance;
}

std::string Lowered(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return text;
}

std::string Trimmed(const std::string& text)
{
    std::size_t first = text.find_first_not_of(" \t\r\n\v\f");
    if (first == std::string::npos) {
        return "";
    }
    std::size_t last = text.find_last_not_of(" \t\r\n\v\f");
    return text.substr(first, last - first + 1);
}

// The channel moved so that the mask's top bit lands on the given bit; the lower bits stay zero.
uint32_t AlignChannel(uint32_t pixel, uint32_t mask, int topBit)
{
    if (mask <= 1) {
        return 0;
    }
    int maskTop = 31 - std::countl_zero(mask);
    uint32_t channel = pixel & mask;
    return maskTop >= topBit ? channel >> (maskTop - topBit) : channel << (topBit - maskTop);
}

bool ReadDword(SettingsStore& store, const char* name, uint32_t& value)
{
    SettingsValue stored;
    if (!store.QueryValue(kSubkey, name, stored) || stored.type != kRegDword || stored.data.size() != 4) {
        return false;
    }
    std::memcpy(&value, stored.data.data(), 4);
    return true;
}

// Up to the room, always ended at the first zero byte.
bool ReadText(SettingsStore& store, const char* name, std::string& text)
{
    SettingsValue stored;
    if (!store.QueryValue(kSubkey, name, stored) || stored.type != kRegSz) {
        return false;
    }
    std::size_t length = std::min(stored.data.size(), kStoredTextRoom - 1);
    const char* bytes = reinterpret_cast<const char*>(stored.data.data());
    text.assign(bytes, strnlen(bytes, length));
    return true;
}

void WriteDword(SettingsStore& store, const char* name, uint32_t value)
{
    uint8_t bytes[4];
    std::memcpy(bytes, &value, 4);
    store.SetValue(kSubkey, name, kRegDword, bytes, 4);
}

void WriteText(SettingsStore& store, const char* name, const std::string& text)
{
    store.SetValue(kSubkey, name, kRegSz, reinterpret_cast<const uint8_t*>(text.c_str()), text.size() + 1);
}

struct BlendTest
{
    uint32_t sourceBlend;
    uint32_t destBlend;
    bool modulateAlpha;
    uint32_t firstFill;
    uint32_t firstColor;
    uint32_t secondFill;
    uint32_t secondColor;
    uint32_t expected;
    const char* failure;
    const char* notUniform;
};

constexpr BlendTest kBlendTests[] = {
    {D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA, false, 0xFF0000FF, 0xFFFFFFFF, 0x80FF0000, 0xFFFFFFFF, 0x7F007F,
     "Alpha blend Not Supported", "Alpha blend test not uniform."},
    {D3DBLEND_ONE, D3DBLEND_ONE, false, 0xFF404040, 0xFFFFFFFF, 0xFF404040, 0xFFFFFFFF, 0x808080,
     "Additive blend not supported.", "Additive blend test not uniform."},
    {D3DBLEND_SRCALPHA, D3DBLEND_ONE, false, 0xFF404040, 0xFFFFFFFF, 0x80808080, 0xFFFFFFFF, 0x808080,
     "AlphaAdd blend not supported.", "AlphaAdd blend test not uniform."},
    {D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA, true, 0xFF0000FF, 0xFFFFFFFF, 0xFFFF0000, 0x80FFFFFF, 0x7F007F,
     "AlphaModulated blend not supported.", "AlphaModulated blend test not uniform."},
};

const char* SourceBlendStep(uint32_t blend)
{
    return blend == D3DBLEND_ONE ? "D3DRENDERSTATE_SRCBLEND, D3DBLEND_ONE"
                                 : "D3DRENDERSTATE_SRCBLEND, D3DBLEND_SRCALPHA";
}

const char* DestBlendStep(uint32_t blend)
{
    return blend == D3DBLEND_ONE ? "D3DRENDERSTATE_DESTBLEND, D3DBLEND_ONE"
                                 : "D3DRENDERSTATE_DESTBLEND, D3DBLEND_INVSRCALPHA";
}

HRESULT CollectFormat(DDPIXELFORMAT* format, void* context)
{
    *static_cast<int*>(context) |= TexturePixelFormatCode(*format);
    return D3DENUMRET_OK;
}

} // namespace

void D3DTestImage::Resize(int newWidth, int newHeight)
{
    pixels.clear();
    width = 0;
    height = 0;
    if (newWidth > 0 && newHeight > 0) {
        pixels.assign(std::size_t(newWidth) * std::size_t(newHeight), 0);
        width = newWidth;
        height = newHeight;
    }
}

void D3DTestImage::Fill(uint32_t color)
{
    std::fill(pixels.begin(), pixels.end(), color);
}

void D3DTestImage::FillStripes()
{
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            pixels[std::size_t(y * width + x)] = (x % 2 == 1) ? 0xFFFFFFFF : 0xFF000000;
        }
    }
}

int D3DTestImage::CountBadPixels(uint32_t expected, int areaWidth, int areaHeight, bool& uniform) const
{
    int bad = 0;
    uniform = true;
    for (int y = 0; y < std::min(areaHeight, height); ++y) {
        for (int x = 0; x < std::min(areaWidth, width); ++x) {
            uint32_t pixel = pixels[std::size_t(y * width + x)];
            bad += ColourDistance(pixel, expected) > kColourThreshold ? 1 : 0;
            uniform = uniform && pixel == pixels[0];
        }
    }
    return bad;
}

int D3DTestImage::CountStripeErrors(int areaWidth, int areaHeight) const
{
    int errors = 0;
    for (int y = 0; y < std::min(areaHeight, height); ++y) {
        for (int x = 0; x < std::min(areaWidth, width); ++x) {
            uint32_t expected = x % 2 == 1 ? 0xFFFFFF : 0x000000;
            errors += ColourDistance(pixels[std::size_t(y * width + x)], expected) > kColourThreshold ? 1 : 0;
        }
    }
    return errors;
}

D3DTester::~D3DTester()
{
    ReleaseInterfaces();
}

void D3DTester::ReleaseInterfaces()
{
    ReleaseInterface(texture1);
    ReleaseInterface(texture2);
    ReleaseInterface(device);
    ReleaseInterface(direct3D);
    ReleaseInterface(renderTarget);
    ReleaseInterface(directDraw);
    if (directDrawLibrary) {
        FreeLibrary(directDrawLibrary);
        directDrawLibrary = nullptr;
    }
    registryKey = nullptr;
}

void D3DTester::Require(HRESULT result, const std::string& step)
{
    if (Failed(result)) {
        throw TestException("DXError - " + step + ": " + DirectXErrorName(result));
    }
}

void D3DTester::Evaluate(WindowHandle window, IDirectDraw7* givenDirectDraw)
{
    TolmAppBase* app = gTolmApp;
    if (!app || !app->playingDemo) {
        writeResult = false;
        if (SetUp(window, givenDirectDraw)) {
            RunBlendTests();
        } else if (!writeResult) {
            SettingsValue stored;
            freshResult = !registryKey || !registryKey->QueryValue(kSubkey, "FailureReason", stored);
            writeResult = true;
        }
        if (writeResult) {
            WriteResult();
        }
        ReleaseInterfaces();
    }
    if (app) {
        app->SyncDemoString(failureReason);
        app->SyncDemoString(warning);
        uint8_t fresh = freshResult ? 1 : 0;
        app->SyncDemoByte(fresh);
        freshResult = fresh != 0;
    }
}

bool D3DTester::SetUp(WindowHandle window, IDirectDraw7* givenDirectDraw)
{
    ReleaseInterfaces();
    driverYear = 0;
    registryKey = gTolmApp ? gTolmApp->RegistryStore() : nullptr;
    if (registryKey && !registryKey->CreateKey(kSubkey)) {
        registryKey = nullptr;
    }
    try {
        if (givenDirectDraw) {
            givenDirectDraw->AddRef();
            directDraw = givenDirectDraw;
        } else {
            directDrawLibrary = LoadLibrary(kDirectDrawLibraryName);
            auto create =
                reinterpret_cast<DirectDrawCreateExProc>(GetProcAddress(directDrawLibrary, "DirectDrawCreateEx"));
            if (!create) {
                failureReason = "No DirectDrawCreateEx";
                return false;
            }
            void* made = nullptr;
            Require(create(nullptr, &made, IID_IDirectDraw7, nullptr), "DirectDrawCreateEx");
            directDraw = static_cast<IDirectDraw7*>(made);
        }
        if (!ReadAdapterIdentifier8(displayGuid, driver, description)) {
            DDDEVICEIDENTIFIER2 identifier;
            Require(directDraw->GetDeviceIdentifier(&identifier, 0), "GetDeviceIdentifier");
            displayGuid = identifier.deviceIdentifier;
            driver = identifier.driver;
            description = identifier.description;
        }
        if (!CheckVideoMemory()) {
            failureReason = "Not enough video memory.";
            return false;
        }
        if (ReadCachedResult()) {
            return false;
        }
        writeResult = true;
        failureReason.clear();
        warning.clear();
        ReadDriverYear();
        if (!IsCardSupported(description)) {
            warning = FormatString("Unsupported video card: %s", description.c_str());
        }
        SetUpDevice(window);
        return failureReason.empty();
    } catch (const TestException& exception) {
        failureReason = exception.what();
        return false;
    }
}

// The screen's own buffer counts in. Summed in 64 bits: a card reporting nearly 4 GB must not wrap.
bool D3DTester::CheckVideoMemory()
{
    DDSCAPS2 caps;
    caps.caps = DDSCAPS_VIDEOMEMORY;
    uint32_t total = 0;
    uint32_t free = 0;
    if (Failed(directDraw->GetAvailableVidMem(&caps, &total, &free))) {
        return true;
    }
    DesktopMode screen = GetDesktopMode();
    int bitsPerPixel = screen.layout ? int(InfoOf(*screen.layout).bitsPerPixel) : 0;
    uint64_t screenBytes =
        uint64_t(bitsPerPixel / 8) * uint64_t(std::max(screen.height, 0)) * uint64_t(std::max(screen.width, 0));
    uint64_t megabytes = (uint64_t(total) + screenBytes) >> 20;
    return megabytes >= uint64_t(std::max(minVideoMemory, 0));
}

void D3DTester::ReadDriverYear()
{
    bool bare = driver.find('/') == std::string::npos && driver.find('\\') == std::string::npos;
    std::string path = bare ? SystemDirectory() + "/" + driver : driver;
    driverYear = FileModificationYear(path);
}

void D3DTester::SetUpDevice(WindowHandle window)
{
    void* made = nullptr;
    Require(directDraw->QueryInterface(IID_IDirect3D7, &made), "QueryInterface IID_IDirect3D7");
    direct3D = static_cast<IDirect3D7*>(made);
    Require(directDraw->SetCooperativeLevel(window, DDSCL_NORMAL), "SetCooperativeLevel");
    DDSURFACEDESC2 desc;
    desc.flags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH;
    desc.width = kTargetSide;
    desc.height = kTargetSide;
    desc.caps.caps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_3DDEVICE;
    Require(directDraw->CreateSurface(&desc, &renderTarget), "CreateSurface (Primary)");
    testImage.Resize(kTargetSide, kTargetSide);
    Require(direct3D->CreateDevice(IID_IDirect3DHALDevice, renderTarget, &device), "CreateDevice");
    int formats = 0;
    Require(device->EnumTextureFormats(&CollectFormat, &formats), "EnumTextureFormats");
    if ((formats & kTextureA8R8G8B8) == 0) {
        warning = "A8R8G8B8 texture format not supported.";
        if ((formats & kTextureA4R4G4B4) == 0) {
            failureReason = "A4R4G4B4 and A8R8G8B8 texture formats not supported.";
            return;
        }
    }
    textureFormat = (formats & kTextureA8R8G8B8) != 0 ? kTextureA8R8G8B8 : kTextureA4R4G4B4;
    texture1 = CreateTestTexture(textureFormat, "CreateSurface (TextureSurface1)");
    texture2 = CreateTestTexture(textureFormat, "CreateSurface (TextureSurfacd2)");
}

IDirectDrawSurface7* D3DTester::CreateTestTexture(int format, const char* step)
{
    DDSURFACEDESC2 desc;
    desc.flags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH | DDSD_PIXELFORMAT;
    desc.width = kTextureSide;
    desc.height = kTextureSide;
    desc.caps.caps = DDSCAPS_TEXTURE;
    desc.caps.caps2 = DDSCAPS2_TEXTUREMANAGE;
    GetTexturePixelFormat(format, desc.pixelFormat);
    IDirectDrawSurface7* texture = nullptr;
    Require(directDraw->CreateSurface(&desc, &texture), step);
    return texture;
}

bool D3DTester::ReadCachedResult()
{
    freshResult = true;
    if (!registryKey) {
        return false;
    }
    uint32_t version = 0;
    uint32_t minimum = 0;
    uint32_t recommended = 0;
    SettingsValue guid;
    if (!ReadDword(*registryKey, "Version", version) || version != kCacheVersion ||
        !ReadDword(*registryKey, "MinVidMemory", minimum) || minimum != uint32_t(minVideoMemory) ||
        !ReadDword(*registryKey, "RecVidMemory", recommended) || recommended != uint32_t(recommendedVideoMemory) ||
        !registryKey->QueryValue(kSubkey, "DisplayGUID", guid) || guid.type != kRegBinary || guid.data.size() != 16 ||
        std::memcmp(guid.data.data(), displayGuid.bytes, 16) != 0) {
        return false;
    }
    if (!ReadText(*registryKey, "FailureReason", failureReason) || !ReadText(*registryKey, "Warning", warning)) {
        return false;
    }
    freshResult = false;
    return failureReason.empty();
}

void D3DTester::WriteResult()
{
    if (!registryKey) {
        return;
    }
    WriteDword(*registryKey, "Version", kCacheVersion);
    WriteDword(*registryKey, "MinVidMemory", uint32_t(minVideoMemory));
    WriteDword(*registryKey, "RecVidMemory", uint32_t(recommendedVideoMemory));
    registryKey->SetValue(kSubkey, "DisplayGUID", kRegBinary, displayGuid.bytes, 16);
    WriteText(*registryKey, "FailureReason", failureReason);
    WriteText(*registryKey, "Warning", warning);
}

bool D3DTester::FileListsCard(const char* file, const std::string& cardDescription)
{
    FILE* list = std::fopen(file, "r");
    if (!list) {
        return false;
    }
    std::string card = Lowered(cardDescription);
    bool listed = false;
    char line[kListLineRoom + 1];
    while (!listed && std::fgets(line, sizeof(line), list)) {
        std::string entry = Lowered(Trimmed(line));
        listed = !entry.empty() && card.find(entry) != std::string::npos;
    }
    std::fclose(list);
    return listed;
}

bool D3DTester::IsCardSupported(const std::string& cardDescription)
{
    if (FileListsCard("vhwb.dat", cardDescription)) {
        return false;
    }
    if (FILE* accepted = std::fopen("vhw.dat", "r")) {
        std::fclose(accepted);
        return FileListsCard("vhw.dat", cardDescription);
    }
    std::string card = Lowered(cardDescription);
    if (driverYear < kOldDriverYear && card.find("nvidia") == std::string::npos &&
        card.find("radeon") == std::string::npos) {
        return card.find("ati ") != std::string::npos;
    }
    return true;
}

bool D3DTester::RunBlendTests()
{
    for (const BlendTest& test : kBlendTests) {
        if (!RunBlendTest(test.sourceBlend, test.destBlend, test.modulateAlpha, test.firstFill, test.firstColor,
                          test.secondFill, test.secondColor, test.expected, test.failure, test.notUniform)) {
            return false;
        }
    }
    return RunClipTest();
}

void D3DTester::BeginTest(uint32_t sourceBlend, uint32_t destBlend, bool modulateAlpha)
{
    Require(device->BeginScene(), "");
    Require(device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0), "Clear");
    Require(device->SetRenderState(D3DRENDERSTATE_ALPHABLENDENABLE, 1), "D3DRENDERSTATE_ALPHABLENDENABLE, TRUE");
    Require(device->SetRenderState(D3DRENDERSTATE_SRCBLEND, sourceBlend), SourceBlendStep(sourceBlend));
    Require(device->SetRenderState(D3DRENDERSTATE_DESTBLEND, destBlend), DestBlendStep(destBlend));
    Require(device->SetRenderState(D3DRENDERSTATE_CULLMODE, D3DCULL_NONE), "D3DRENDERSTATE_CULLMODE, D3DCULL_NONE");
    if (modulateAlpha) {
        Require(device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE), "D3DTSS_ALPHAOP, D3DTOP_MODULATE");
    }
}

bool D3DTester::RunBlendTest(uint32_t sourceBlend, uint32_t destBlend, bool modulateAlpha, uint32_t firstFill,
                             uint32_t firstColor, uint32_t secondFill, uint32_t secondColor, uint32_t expected,
                             const char* failure, const char* notUniform)
{
    try {
        BeginTest(sourceBlend, destBlend, modulateAlpha);
        D3DTestImage picture;
        picture.Resize(kTextureSide, kTextureSide);
        picture.Fill(firstFill);
        DrawTestImage(picture, 0, 0, firstColor);
        picture.Fill(secondFill);
        DrawTestImage(picture, 0, 0, secondColor);
        device->EndScene();
        CopyRenderTarget();
    } catch (const TestException& exception) {
        device->EndScene();
        failureReason = exception.what();
        return false;
    }
    bool uniform = true;
    if (testImage.CountBadPixels(expected, 10, 10, uniform) > 0) {
        failureReason = failure;
        return false;
    }
    if (!uniform) {
        warning = notUniform;
    }
    return true;
}

bool D3DTester::RunClipTest()
{
    try {
        BeginTest(D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA, false);
        D3DTestImage picture;
        picture.Resize(kTextureSide, kTextureSide);
        picture.FillStripes();
        DrawTestImage(picture, -2, -2, 0xFFFFFFFF);
        device->EndScene();
        CopyRenderTarget();
    } catch (const TestException& exception) {
        device->EndScene();
        failureReason = exception.what();
        return false;
    }
    if (testImage.CountStripeErrors(62, 62) > 0) {
        warning = "Clip problem detected.";
    }
    return true;
}

void D3DTester::DrawTestImage(const D3DTestImage& picture, int x, int y, uint32_t vertexColor)
{
    for (int blockY = 0; blockY < picture.height; blockY += kTextureSide) {
        for (int blockX = 0; blockX < picture.width; blockX += kTextureSide) {
            DrawQuad(texture1, picture, x + blockX, y + blockY, blockX, blockY, kTextureSide, kTextureSide,
                     vertexColor);
        }
    }
}

void D3DTester::DrawQuad(IDirectDrawSurface7* texture, const D3DTestImage& picture, int x, int y, int sourceX,
                         int sourceY, int quadWidth, int quadHeight, uint32_t vertexColor)
{
    DDSURFACEDESC2 desc;
    Require(texture->Lock(nullptr, &desc, DDLOCK_WAIT | DDLOCK_WRITEONLY), "Lock Texture");
    int copyWidth = std::min(quadWidth, picture.width - sourceX);
    int copyHeight = std::min(quadHeight, picture.height - sourceY);
    auto* rows = static_cast<uint8_t*>(desc.surface);
    if (copyWidth < quadWidth || copyHeight < quadHeight) {
        std::memset(rows, 0, std::size_t(desc.pitch) * desc.height);
    }
    for (int j = 0; j < copyHeight; ++j) {
        const uint32_t* in = picture.pixels.data() + std::size_t((sourceY + j) * picture.width + sourceX);
        uint8_t* out = rows + std::ptrdiff_t(j) * desc.pitch;
        for (int i = 0; i < copyWidth; ++i) {
            uint32_t argb = in[i];
            if (textureFormat == kTextureA8R8G8B8) {
                std::memcpy(out + i * 4, &argb, 4);
            } else {
                auto texel = uint16_t((argb >> 28) << 12 | ((argb >> 20) & 0xF) << 8 | ((argb >> 12) & 0xF) << 4 |
                                      ((argb >> 4) & 0xF));
                std::memcpy(out + i * 2, &texel, 2);
            }
        }
    }
    Require(texture->Unlock(nullptr), "Texture Unlock");
    auto corner = [vertexColor](float cx, float cy, float u, float v) {
        D3DTLVERTEX vertex;
        vertex.sx = cx;
        vertex.sy = cy;
        vertex.color = vertexColor;
        vertex.tu = u;
        vertex.tv = v;
        return vertex;
    };
    float left = float(x) - 0.5f;
    float top = float(y) - 0.5f;
    float u = float(quadWidth) / kTextureSide;
    float v = float(quadHeight) / kTextureSide;
    const D3DTLVERTEX quad[] = {corner(left, top, 0, 0), corner(left, top + float(quadHeight), 0, v),
                                corner(left + float(quadWidth), top, u, 0),
                                corner(left + float(quadWidth), top + float(quadHeight), u, v)};
    Require(device->SetTexture(0, texture), "SetTexture theTexture");
    Require(device->DrawPrimitive(D3DPT_TRIANGLESTRIP, D3DFVF_TLVERTEX, quad, 4, D3DDP_WAIT), "DrawPrimitive");
    Require(device->SetTexture(0, nullptr), "SetTexture NULL");
}

void D3DTester::CopyRenderTarget()
{
    DDSURFACEDESC2 desc;
    Require(renderTarget->Lock(nullptr, &desc, DDLOCK_WAIT), "CopyPrimary Lock");
    const DDPIXELFORMAT& format = desc.pixelFormat;
    if (format.rgbBitCount != 32 && format.rgbBitCount != 16) {
        renderTarget->Unlock(nullptr);
        throw TestException(format.rgbBitCount == 24 ? "Can't test 24-bit mode." : "Invalid Color Depth");
    }
    int bytes = int(format.rgbBitCount / 8);
    for (int y = 0; y < testImage.height && y < int(desc.height); ++y) {
        const uint8_t* row = static_cast<const uint8_t*>(desc.surface) + std::ptrdiff_t(y) * desc.pitch;
        for (int x = 0; x < testImage.width && x < int(desc.width); ++x) {
            uint32_t pixel = ReadPixelValue(row + x * bytes, bytes);
            testImage.pixels[std::size_t(y * testImage.width + x)] =
                0xFF000000u | (AlignChannel(pixel, format.redMask, 23) & 0xFF0000) |
                (AlignChannel(pixel, format.greenMask, 15) & 0xFF00) | (AlignChannel(pixel, format.blueMask, 7) & 0xFF);
        }
    }
    renderTarget->Unlock(nullptr);
}

bool ReadAdapterIdentifier8(GUID& guid, std::string& driver, std::string& description)
{
    Library* library = LoadLibrary(kDirect3D8LibraryName);
    auto create = reinterpret_cast<Direct3DCreate8Proc>(GetProcAddress(library, "Direct3DCreate8"));
    IDirect3D8* direct3D8 = create ? create(220) : nullptr;
    bool read = false;
    if (direct3D8) {
        DDDEVICEIDENTIFIER2 identifier;
        read = !Failed(direct3D8->GetAdapterIdentifier(0, D3DENUM_NO_WHQL_LEVEL, &identifier));
        if (read) {
            guid = identifier.deviceIdentifier;
            driver = identifier.driver;
            description = identifier.description;
        }
        direct3D8->Release();
    }
    if (library) {
        FreeLibrary(library);
    }
    return read;
}

} // namespace Tolm
