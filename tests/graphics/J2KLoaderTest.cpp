#include "ImageFileFixtures.h"
#include "ImageFileTest.h"
#include "app/TolmAppBase.h"
#include "platform/Jpeg2000Codec.h"

using namespace Tolm;
using ImageFileFixtures::Argb;
using ImageFileFixtures::J2K;
using ImageFileFixtures::J2KSpec;

namespace {

class J2KLoaderTest : public ImageFileTest
{
protected:
    void SetUp() override { LoadJ2KCodec(); }
    void TearDown() override
    {
        Platform::InstallDefaultLibraries();
        LoadJ2KCodec();
    }

    std::unique_ptr<ImageLib::Image> Load(const std::string& bytes, const char* name = "pic.jp2")
    {
        return ImageLib::LoadJ2K(Write(name, bytes));
    }
};

std::vector<int> Plane(int width, int height, int base, int step)
{
    std::vector<int> plane;
    for (int i = 0; i < width * height; ++i) {
        plane.push_back((base + i * step) & 0xFF);
    }
    return plane;
}

J2KSpec Rgb(int width, int height)
{
    J2KSpec spec;
    spec.width = width;
    spec.height = height;
    spec.components = 3;
    spec.planes = {Plane(width, height, 10, 17), Plane(width, height, 200, 5), Plane(width, height, 3, 29)};
    return spec;
}

std::vector<uint32_t> ExpectedRgb(const J2KSpec& spec)
{
    std::vector<uint32_t> pixels;
    for (size_t i = 0; i < spec.planes[0].size(); ++i) {
        pixels.push_back(
            Argb(255, uint32_t(spec.planes[0][i]), uint32_t(spec.planes[1][i]), uint32_t(spec.planes[2][i])));
    }
    return pixels;
}

TEST_F(J2KLoaderTest, BoxedColourImageDecodesExactly)
{
    J2KSpec spec = Rgb(5, 3);
    auto image = Load(J2K(spec));
    ASSERT_TRUE(image);
    EXPECT_EQ(image->width, 5);
    EXPECT_EQ(image->height, 3);
    EXPECT_EQ(PixelsOf(*image), ExpectedRgb(spec));
}

TEST_F(J2KLoaderTest, BareCodestreamDecodesExactly)
{
    J2KSpec spec = Rgb(7, 4);
    spec.boxed = false;
    auto image = Load(J2K(spec), "pic.j2k");
    ASSERT_TRUE(image);
    EXPECT_EQ(PixelsOf(*image), ExpectedRgb(spec));
}

TEST_F(J2KLoaderTest, GreyLayoutsSpreadToThreeChannelsAndAlphaIsAlwaysOpaque)
{
    J2KSpec grey;
    grey.width = 4;
    grey.height = 2;
    grey.components = 1;
    grey.planes = {{0, 1, 0x7F, 0x80, 0xFE, 0xFF, 0x33, 0x44}};
    const std::vector<uint32_t> expectedGrey = {0xFF000000, 0xFF010101, 0xFF7F7F7F, 0xFF808080,
                                                0xFFFEFEFE, 0xFFFFFFFF, 0xFF333333, 0xFF444444};

    J2KSpec greyAlpha = grey;
    greyAlpha.components = 2;
    greyAlpha.planes.push_back({0, 0x10, 0x20, 0x30, 0x40, 0x50, 0x60, 0x70});

    // Twelve-bit samples keep their top eight bits.
    J2KSpec twelveBits = grey;
    twelveBits.precision = 12;
    twelveBits.planes = {{0x000, 0x01F, 0x7F0, 0x80F, 0xFE0, 0xFFF, 0x33A, 0x445}};

    J2KSpec rgba = Rgb(3, 2);
    rgba.components = 4;
    rgba.planes.push_back({0, 1, 2, 3, 4, 5});

    struct Case
    {
        const char* name;
        J2KSpec spec;
        std::vector<uint32_t> expected;
    };
    const Case cases[] = {
        {"grey", grey, expectedGrey},
        {"grey with alpha", greyAlpha, expectedGrey},
        {"twelve-bit grey", twelveBits, expectedGrey},
        {"RGBA", rgba, ExpectedRgb(Rgb(3, 2))},
    };
    for (const Case& c : cases) {
        auto image = Load(J2K(c.spec));
        ASSERT_TRUE(image) << c.name;
        EXPECT_EQ(PixelsOf(*image), c.expected) << c.name;
    }
}

TEST_F(J2KLoaderTest, SubsampledLuminanceAndChromaBecomeRgb)
{
    J2KSpec spec;
    spec.width = 4;
    spec.height = 2;
    spec.components = 3;
    spec.ycc = true;
    spec.chromaStep = 2;
    // Neutral chroma on the left half, a strong red difference on the right.
    spec.planes = {{10, 50, 100, 100, 20, 60, 100, 100}, {128, 128}, {128, 228}};
    auto image = Load(J2K(spec));
    ASSERT_TRUE(image);
    // Red = Y + 1.402 (Cr - 128) = 240.2; green = Y - 0.714136 (Cr - 128) = 28.59; blue = Y.
    EXPECT_EQ(PixelsOf(*image), (std::vector<uint32_t>{0xFF0A0A0A, 0xFF323232, 0xFFF01D64, 0xFFF01D64, 0xFF141414,
                                                       0xFF3C3C3C, 0xFFF01D64, 0xFFF01D64}));
}

TEST_F(J2KLoaderTest, MissingCodecFailsTheLoad)
{
    const std::string file = J2K(Rgb(2, 2));
    UnloadJ2KCodec();
    EXPECT_FALSE(Load(file));

    Platform::RemoveLibrary(Platform::kJ2KCodecLibraryName);
    LoadJ2KCodec();
    EXPECT_FALSE(Load(file));

    Platform::InstallDefaultLibraries();
    LoadJ2KCodec();
    EXPECT_TRUE(Load(file));
}

TEST_F(J2KLoaderTest, ApplicationHoldsTheCodecForItsLifetime)
{
    const std::string file = J2K(Rgb(2, 2));
    UnloadJ2KCodec();
    {
        TolmAppBase app;
        EXPECT_TRUE(Load(file));
    }
    EXPECT_FALSE(Load(file));
}

int OldVersion()
{
    return 0x11FFFF;
}

TEST_F(J2KLoaderTest, IncompleteOrOldCodecIsGivenUpForGood)
{
    const std::string file = J2K(Rgb(2, 2));
    std::vector<Platform::LibraryExport> withoutDecode;
    for (const Platform::LibraryExport& entry : Platform::J2KCodecExports()) {
        if (std::string(entry.name) != "_J2K_Decode@20") {
            withoutDecode.push_back(entry);
        }
    }
    std::vector<Platform::LibraryExport> old = Platform::J2KCodecExports();
    old[0] = {"_J2K_getVersion@0", reinterpret_cast<Platform::LibraryProc>(&OldVersion)};

    for (const auto& exports : {withoutDecode, old}) {
        Platform::InstallLibrary(Platform::kJ2KCodecLibraryName, exports);
        LoadJ2KCodec();
        EXPECT_FALSE(Load(file));
        // The library was let go: putting the good one in place changes nothing until it is loaded again.
        Platform::InstallDefaultLibraries();
        EXPECT_FALSE(Load(file));
    }
}

TEST_F(J2KLoaderTest, MalformedFilesAreRefused)
{
    const std::string good = J2K(Rgb(16, 16));
    struct Case
    {
        const char* name;
        std::string bytes;
    };
    const Case cases[] = {
        {"cut in the header", good.substr(0, 60)},
        {"cut in the data", good.substr(0, good.size() - 40)},
        {"not a JPEG 2000 file", "\xFF\xD8\xFF\xE0 a jpeg, perhaps"},
        {"empty file", ""},
    };
    for (const Case& c : cases) {
        EXPECT_FALSE(Load(c.bytes)) << c.name;
    }
    EXPECT_FALSE(ImageLib::LoadJ2K(PathOf("missing.jp2")));
}

} // namespace
