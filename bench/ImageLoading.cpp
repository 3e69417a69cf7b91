// Image loading against the raw codecs: a set of PNG and JPEG files, like the game's art, is decoded by
// our loaders (file layer, codec set-up, pixel conversion) and by libpng and libjpeg called directly on
// the same files, in alternation within each iteration. The counter "ratio" is our time over theirs. Our
// loaders make a new image each time, so the JPEG reference decodes into a new buffer too.
#include "graphics/ImageLib.h"
#include "support/References.h"

#include <benchmark/benchmark.h>
#include <chrono>
#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <jpeglib.h>
#include <memory>
#include <png.h>
#include <random>
#include <string>
#include <vector>

namespace {

// The files, written once into a folder of their own that goes when the program ends.
struct ImageSet
{
    std::filesystem::path folder;
    std::vector<std::string> pngFiles;
    std::vector<std::string> jpegFiles;

    ~ImageSet()
    {
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }
};

using Rgba = std::vector<uint8_t>;

// A soft gradient with grain, as painted backgrounds and photographs have.
Rgba Backdrop(int width, int height, int seed)
{
    std::mt19937 random{uint32_t(seed)};
    Rgba pixels;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            int grain = int(random() % 9) - 4;
            pixels.push_back(uint8_t(std::clamp(int(120 + 100 * std::sin(x / 70.0)) + grain, 0, 255)));
            pixels.push_back(uint8_t(std::clamp(int(y * 200 / height + 30) + grain, 0, 255)));
            pixels.push_back(uint8_t(std::clamp(int(128 + 90 * std::cos((x + y) / 50.0)) + grain, 0, 255)));
            pixels.push_back(255);
        }
    }
    return pixels;
}

// Shaded discs with soft edges on a clear background, as a sheet of sprites.
Rgba Sprites(int width, int height)
{
    Rgba pixels;
    const int cell = 64;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            double dx = (x % cell) - cell / 2 + 0.5;
            double dy = (y % cell) - cell / 2 + 0.5;
            double edge = std::clamp(28.0 - std::sqrt(dx * dx + dy * dy), 0.0, 1.0);
            int kind = (x / cell + y / cell * 7) % 6;
            double shade = std::clamp(1.0 - (dx + dy) / 60.0, 0.3, 1.3);
            pixels.push_back(uint8_t(std::clamp((kind * 40 + 40) * shade, 0.0, 255.0)));
            pixels.push_back(uint8_t(std::clamp((220 - kind * 30) * shade, 0.0, 255.0)));
            pixels.push_back(uint8_t(std::clamp((kind % 3) * 100 * shade, 0.0, 255.0)));
            pixels.push_back(uint8_t(edge * 255));
        }
    }
    return pixels;
}

void WritePng(const std::string& name, int width, int height, const Rgba& pixels, bool alpha)
{
    std::FILE* file = std::fopen(name.c_str(), "wb");
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_init_io(png, file);
    png_set_IHDR(png, info, png_uint_32(width), png_uint_32(height), 8,
                 alpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    if (!alpha) {
        png_set_filler(png, 0, PNG_FILLER_AFTER);
    }
    for (int y = 0; y < height; ++y) {
        png_write_row(png, pixels.data() + size_t(y) * size_t(width) * 4);
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    std::fclose(file);
}

void WriteJpeg(const std::string& name, int width, int height, const Rgba& pixels)
{
    std::FILE* file = std::fopen(name.c_str(), "wb");
    jpeg_compress_struct info{};
    jpeg_error_mgr error{};
    info.err = jpeg_std_error(&error);
    jpeg_create_compress(&info);
    jpeg_stdio_dest(&info, file);
    info.image_width = JDIMENSION(width);
    info.image_height = JDIMENSION(height);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 90, TRUE);
    jpeg_start_compress(&info, TRUE);
    std::vector<uint8_t> row(size_t(width) * 3);
    while (info.next_scanline < info.image_height) {
        const uint8_t* source = pixels.data() + size_t(info.next_scanline) * size_t(width) * 4;
        for (int x = 0; x < width; ++x) {
            std::copy(source + x * 4, source + x * 4 + 3, row.begin() + x * 3);
        }
        JSAMPROW rowPointer = row.data();
        jpeg_write_scanlines(&info, &rowPointer, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    std::fclose(file);
}

const ImageSet& Images()
{
    static const ImageSet set = [] {
        ImageSet made;
        made.folder =
            std::filesystem::temp_directory_path() / ("quendara-bench-" + std::to_string(std::random_device()()));
        std::filesystem::create_directories(made.folder);
        auto path = [&](const char* name) { return (made.folder / name).string(); };
        made.pngFiles = {path("backdrop.png"), path("sprites.png"), path("panel.png")};
        WritePng(made.pngFiles[0], 800, 600, Backdrop(800, 600, 1), false);
        WritePng(made.pngFiles[1], 1024, 512, Sprites(1024, 512), true);
        WritePng(made.pngFiles[2], 320, 240, Backdrop(320, 240, 2), false);
        made.jpegFiles = {path("backdrop.jpg"), path("photo.jpg"), path("splash.jpg")};
        WriteJpeg(made.jpegFiles[0], 800, 600, Backdrop(800, 600, 3));
        WriteJpeg(made.jpegFiles[1], 1024, 1024, Backdrop(1024, 1024, 4));
        WriteJpeg(made.jpegFiles[2], 320, 240, Backdrop(320, 240, 5));
        return made;
    }();
    return set;
}

// libjpeg on its own: stdio input and the 32-bit rows our loader asks for too, into a fresh buffer as a
// loaded image's, row by row.
std::unique_ptr<uint32_t[]> RawJpegDecode(const std::string& name)
{
    std::FILE* file = std::fopen(name.c_str(), "rb");
    jpeg_decompress_struct info{};
    jpeg_error_mgr error{};
    info.err = jpeg_std_error(&error);
    jpeg_create_decompress(&info);
    jpeg_stdio_src(&info, file);
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_EXT_BGRA;
    jpeg_start_decompress(&info);
    std::unique_ptr<uint32_t[]> pixels(new uint32_t[size_t(info.output_width) * info.output_height]);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = reinterpret_cast<JSAMPROW>(pixels.get() + size_t(info.output_width) * info.output_scanline);
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    std::fclose(file);
    return pixels;
}

using Clock = std::chrono::steady_clock;

template <typename Ours, typename Theirs>
void Compare(benchmark::State& state, const std::vector<std::string>& files, Ours ours, Theirs theirs)
{
    double oursSeconds = 0;
    double theirsSeconds = 0;
    for (auto _ : state) {
        for (const std::string& file : files) {
            Clock::time_point start = Clock::now();
            theirs(file);
            Clock::time_point middle = Clock::now();
            ours(file);
            Clock::time_point end = Clock::now();
            theirsSeconds += std::chrono::duration<double>(middle - start).count();
            oursSeconds += std::chrono::duration<double>(end - middle).count();
        }
    }
    const double iterations = double(state.iterations());
    state.counters["ours_ms"] = oursSeconds * 1000 / iterations;
    state.counters["raw_ms"] = theirsSeconds * 1000 / iterations;
    state.counters["ratio"] = oursSeconds / theirsSeconds;
}

void PngAgainstLibpng(benchmark::State& state)
{
    std::vector<uint32_t> pixels;
    Compare(
        state, Images().pngFiles,
        [](const std::string& file) { benchmark::DoNotOptimize(Tolm::ImageLib::LoadPNG(file)); },
        [&](const std::string& file) {
            RawPngDecode(file, pixels);
            benchmark::DoNotOptimize(pixels.data());
        });
}

void JpegAgainstLibjpeg(benchmark::State& state)
{
    Compare(
        state, Images().jpegFiles,
        [](const std::string& file) { benchmark::DoNotOptimize(Tolm::ImageLib::LoadJPEG(file)); },
        [](const std::string& file) { benchmark::DoNotOptimize(RawJpegDecode(file)); });
}

} // namespace

BENCHMARK(PngAgainstLibpng)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(JpegAgainstLibjpeg)->Unit(benchmark::kMillisecond)->MinTime(2.0);
