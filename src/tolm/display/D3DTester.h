// The hardware test before the display draws in 3D: small pictures rendered off screen with alpha,
// additive, alpha-add and alpha-modulated blending and past the target's edge, read back and compared
// with the colours they should have; the video memory checked and the adapter looked up in two optional
// lists of cards. The outcome (a failure reason and a warning) is kept in the registry's "Test3D" key,
// keyed to the adapter and the game's memory needs, so the test runs again only when something changed.
#pragma once

#include "platform/Direct3D.h"
#include "platform/Library.h"
#include "platform/SettingsStore.h"

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace Tolm {

class D3DTestImage
{
public:
    virtual ~D3DTestImage() = default;

    void Resize(int newWidth, int newHeight);
    void Fill(uint32_t color);
    // Column i opaque white when i is odd, opaque black when even.
    void FillStripes();
    // Pixels of the top-left area whose colour lies farther than the threshold from the expected one;
    // uniform when all equal the first.
    int CountBadPixels(uint32_t expected, int areaWidth, int areaHeight, bool& uniform) const;
    int CountStripeErrors(int areaWidth, int areaHeight) const;

    std::vector<uint32_t> pixels;
    int width = 0;
    int height = 0;
};

class D3DTester
{
public:
    class TestException : public std::runtime_error
    {
    public:
        using std::runtime_error::runtime_error;
    };

    D3DTester() = default;
    virtual ~D3DTester();
    D3DTester(const D3DTester&) = delete;
    D3DTester& operator=(const D3DTester&) = delete;

    void Evaluate(Platform::WindowHandle window, Platform::IDirectDraw7* directDraw);
    bool SetUp(Platform::WindowHandle window, Platform::IDirectDraw7* directDraw);
    bool RunBlendTests();
    bool ReadCachedResult();
    void WriteResult();
    bool IsCardSupported(const std::string& cardDescription);
    // Whether a line of the list file occurs in the description, ignoring case.
    static bool FileListsCard(const char* file, const std::string& cardDescription);
    static void Require(Platform::HRESULT result, const std::string& step);
    void ReleaseInterfaces();
    // Neither a failure nor a warning: the display may turn 3D on by itself.
    bool Recommends3D() const { return failureReason.empty() && warning.empty(); }
    // A new outcome with a problem takes back the player's stored 3D choice, so that it is made again.
    bool DiscardsStored3DChoice() const { return freshResult && !Recommends3D(); }

    std::string failureReason;
    std::string warning;
    bool freshResult = false;
    int minVideoMemory = 0;
    int recommendedVideoMemory = 0;
    int driverYear = 0;
    bool writeResult = false;
    Platform::GUID displayGuid;
    std::string driver;
    std::string description;
    D3DTestImage testImage;

private:
    void SetUpDevice(Platform::WindowHandle window);
    // False when the card reports too little.
    bool CheckVideoMemory();
    void ReadDriverYear();
    Platform::IDirectDrawSurface7* CreateTestTexture(int format, const char* step);
    void BeginTest(uint32_t sourceBlend, uint32_t destBlend, bool modulateAlpha);
    bool RunBlendTest(uint32_t sourceBlend, uint32_t destBlend, bool modulateAlpha, uint32_t firstFill,
                      uint32_t firstColor, uint32_t secondFill, uint32_t secondColor, uint32_t expected,
                      const char* failure, const char* notUniform);
    bool RunClipTest();
    void DrawTestImage(const D3DTestImage& picture, int x, int y, uint32_t vertexColor);
    void DrawQuad(Platform::IDirectDrawSurface7* texture, const D3DTestImage& picture, int x, int y, int sourceX,
                  int sourceY, int quadWidth, int quadHeight, uint32_t vertexColor);
    void CopyRenderTarget();

    // The library the DirectDraw object came from when none was given; freed after the object.
    Platform::Library* directDrawLibrary = nullptr;
    Platform::IDirectDraw7* directDraw = nullptr;
    Platform::IDirectDrawSurface7* renderTarget = nullptr;
    Platform::IDirectDrawSurface7* texture1 = nullptr;
    Platform::IDirectDrawSurface7* texture2 = nullptr;
    Platform::IDirect3D7* direct3D = nullptr;
    Platform::IDirect3DDevice7* device = nullptr;
    // The application's store, with the subkey made; not owned.
    Platform::SettingsStore* registryKey = nullptr;
    // The test textures' format: A8R8G8B8 where the device has it.
    int textureFormat = 1;
};

// The adapter's identity through Direct3D 8; false when it cannot be had.
bool ReadAdapterIdentifier8(Platform::GUID& guid, std::string& driver, std::string& description);

} // namespace Tolm
