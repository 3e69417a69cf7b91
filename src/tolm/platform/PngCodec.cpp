// libpng behind our decoder and encoder. Library errors long-jump back to the call that was running:
// the functions holding a setjmp keep nothing with a destructor alive across it, and the structures are
// destroyed by the owner afterwards, which libpng allows after an error.
#include "platform/PngCodec.h"

#include <bit>
#include <png.h>

namespace Platform {

static_assert(std::endian::native == std::endian::little, "pixel words are read and written as bytes");

namespace {

// Errors end the call that raised them; the loaders report failure as a null image, not as text.
[[noreturn]] void PngError(png_structp png, png_const_charp)
{
    png_longjmp(png, 1);
}

void PngWarning(png_structp, png_const_charp) {}

void PngPakRead(png_structp png, png_bytep data, size_t length)
{
    ByteReader* reader = static_cast<ByteReader*>(png_get_io_ptr(png));
    if (reader->Read(data, length) < length) {
        png_error(png, "Read Error");
    }
}

void PngMemoryWrite(png_structp png, png_bytep data, size_t length)
{
    std::vector<uint8_t>* file = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
    file->insert(file->end(), data, data + length);
}

void PngNoFlush(png_structp) {}

bool WriteImage(png_structp png, png_infop info, const uint32_t* pixels, int width, int height)
{
    if (setjmp(png_jmpbuf(png))) {
        return false;
    }
    png_color_8 significantBits{};
    significantBits.red = 8;
    significantBits.green = 8;
    significantBits.blue = 8;
    significantBits.alpha = 8;
    png_set_sBIT(png, info, &significantBits);
    png_set_bgr(png);
    png_set_IHDR(png, info, png_uint_32(width), png_uint_32(height), 8, PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < height; ++y) {
        // The words of a row are blue, green, red, alpha in memory: with the BGR swap, RGBA bytes.
        png_write_row(png, reinterpret_cast<png_const_bytep>(pixels + size_t(y) * size_t(width)));
    }
    png_write_end(png, nullptr);
    return true;
}

} // namespace

struct PngDecoder::State
{
    png_structp png = nullptr;
    png_infop info = nullptr;
    int width = 0;
    int height = 0;
    int passes = 1;
};

PngDecoder::PngDecoder(ByteReader& reader) : state(std::make_unique<State>())
{
    // The version is the one we are built against: libpng refuses a read structure asked for with
    // another major version.
    state->png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, PngError, PngWarning);
    if (!state->png) {
        return;
    }
    state->info = png_create_info_struct(state->png);
    png_set_read_fn(state->png, &reader, PngPakRead);
}

PngDecoder::~PngDecoder()
{
    if (state->png) {
        png_destroy_read_struct(&state->png, state->info ? &state->info : nullptr, nullptr);
    }
}

bool PngDecoder::ReadHeader(int& width, int& height)
{
    png_structp png = state->png;
    png_infop info = state->info;
    if (!png || !info) {
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        return false;
    }
    png_read_info(png, info);
    // Palettes, low-depth grey and transparency chunks become 8-bit channels, every pixel gets an alpha
    // byte, grey is spread to three channels, and the channels swap to blue first: the bytes of a row
    // are then exactly the little-endian 0xAARRGGBB words.
    png_set_expand(png);
    png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
    png_set_gray_to_rgb(png);
    png_set_bgr(png);
    png_set_strip_16(png);
    state->passes = png_set_interlace_handling(png);
    png_read_update_info(png, info);
    state->width = int(png_get_image_width(png, info));
    state->height = int(png_get_image_height(png, info));
    if (png_get_rowbytes(png, info) != size_t(state->width) * 4) {
        png_error(png, "Unexpected row layout");
    }
    width = state->width;
    height = state->height;
    return true;
}

bool PngDecoder::ReadPixels(uint32_t* pixels)
{
    png_structp png = state->png;
    if (!png || !state->info) {
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        return false;
    }
    // An interlaced file delivers every row once per pass; each pass fills in its own pixels.
    for (int pass = 0; pass < state->passes; ++pass) {
        for (int y = 0; y < state->height; ++y) {
            png_read_row(png, reinterpret_cast<png_bytep>(pixels + size_t(y) * size_t(state->width)), nullptr);
        }
    }
    png_read_end(png, nullptr);
    return true;
}

bool EncodePng(const uint32_t* pixels, int width, int height, std::vector<uint8_t>& file)
{
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, PngError, PngWarning);
    if (!png) {
        return false;
    }
    png_infop info = png_create_info_struct(png);
    file.clear();
    png_set_write_fn(png, &file, PngMemoryWrite, PngNoFlush);
    bool written = info && WriteImage(png, info, pixels, width, height);
    png_destroy_write_struct(&png, info ? &info : nullptr);
    return written;
}

} // namespace Platform
