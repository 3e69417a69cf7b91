// libjpeg (the IJG interface of libjpeg-turbo) behind our decoder. The source manager reads through the
// caller's reader in blocks of 4096 bytes; the error exit prints the library's message and long-jumps
// back to the call that was running, whose frame keeps nothing with a destructor alive across it.
#include "platform/JpegCodec.h"

#include <bit>
#include <csetjmp>
#include <cstdio>
#include <jerror.h>
#include <jpeglib.h>

namespace Platform {

static_assert(std::endian::native == std::endian::little, "pixel words are written as bytes");

namespace {

constexpr size_t kSourceBufferSize = 4096;
// Progressive images keep their whole coefficient set in memory; above this the library refuses the
// image instead of growing without bound on a header that claims a huge size.
constexpr long kMaxLibraryMemory = 512L * 1024 * 1024;

struct JpegErrorManager
{
    jpeg_error_mgr library;
    std::jmp_buf jump;
};

struct JpegPakSource
{
    jpeg_source_mgr library;
    ByteReader* reader;
    JOCTET* buffer;
    bool startOfFile;
};

[[noreturn]] void JpegErrorExit(j_common_ptr info)
{
    (*info->err->output_message)(info);
    std::longjmp(reinterpret_cast<JpegErrorManager*>(info->err)->jump, 1);
}

void InitSource(j_decompress_ptr info)
{
    reinterpret_cast<JpegPakSource*>(info->src)->startOfFile = true;
}

boolean FillInputBuffer(j_decompress_ptr info)
{
    JpegPakSource* source = reinterpret_cast<JpegPakSource*>(info->src);
    size_t got = source->reader->Read(source->buffer, kSourceBufferSize);
    if (got == 0) {
        if (source->startOfFile) {
            ERREXIT(info, JERR_INPUT_EMPTY);
        }
        // A file cut short still ends cleanly: the decoder sees an end-of-image marker.
        WARNMS(info, JWRN_JPEG_EOF);
        source->buffer[0] = 0xFF;
        source->buffer[1] = JPEG_EOI;
        got = 2;
    }
    source->library.next_input_byte = source->buffer;
    source->library.bytes_in_buffer = got;
    source->startOfFile = false;
    return TRUE;
}

void SkipInputData(j_decompress_ptr info, long count)
{
    if (count <= 0) {
        return;
    }
    jpeg_source_mgr* source = info->src;
    while (count > long(source->bytes_in_buffer)) {
        count -= long(source->bytes_in_buffer);
        FillInputBuffer(info);
    }
    source->next_input_byte += count;
    source->bytes_in_buffer -= size_t(count);
}

void TermSource(j_decompress_ptr) {}

void InstallSource(j_decompress_ptr info, ByteReader& reader)
{
    JpegPakSource* source = static_cast<JpegPakSource*>(
        (*info->mem->alloc_small)(reinterpret_cast<j_common_ptr>(info), JPOOL_PERMANENT, sizeof(JpegPakSource)));
    source->buffer = static_cast<JOCTET*>(
        (*info->mem->alloc_small)(reinterpret_cast<j_common_ptr>(info), JPOOL_PERMANENT, kSourceBufferSize));
    source->reader = &reader;
    source->startOfFile = true;
    source->library.init_source = InitSource;
    source->library.fill_input_buffer = FillInputBuffer;
    source->library.skip_input_data = SkipInputData;
    source->library.resync_to_restart = jpeg_resync_to_restart;
    source->library.term_source = TermSource;
    source->library.bytes_in_buffer = 0;
    source->library.next_input_byte = nullptr;
    info->src = &source->library;
}

} // namespace

struct JpegDecoder::State
{
    jpeg_decompress_struct info{};
    JpegErrorManager error{};
    ByteReader* reader = nullptr;
    bool created = false;
};

JpegDecoder::JpegDecoder(ByteReader& reader) : state(std::make_unique<State>())
{
    state->reader = &reader;
}

JpegDecoder::~JpegDecoder()
{
    if (state->created) {
        jpeg_destroy_decompress(&state->info);
    }
}

bool JpegDecoder::ReadHeader(int& width, int& height)
{
    jpeg_decompress_struct* info = &state->info;
    info->err = jpeg_std_error(&state->error.library);
    state->error.library.error_exit = JpegErrorExit;
    if (setjmp(state->error.jump)) {
        return false;
    }
    jpeg_create_decompress(info);
    state->created = true;
    info->mem->max_memory_to_use = kMaxLibraryMemory;
    InstallSource(info, *state->reader);
    jpeg_read_header(info, TRUE);
    width = int(info->image_width);
    height = int(info->image_height);
    return true;
}

bool JpegDecoder::ReadPixels(uint32_t* pixels)
{
    jpeg_decompress_struct* info = &state->info;
    if (!state->created) {
        return false;
    }
    if (setjmp(state->error.jump)) {
        return false;
    }
    // Grey and colour images alike come out as blue, green, red and an opaque alpha byte: on a
    // little-endian machine, the image's pixel words, written straight into its rows.
    const int components = info->num_components;
    if (components != 1 && components != 3) {
        ERREXIT(info, JERR_CONVERSION_NOTIMPL);
    }
    info->out_color_space = JCS_EXT_BGRA;
    jpeg_start_decompress(info);
    if (info->output_width != info->image_width || info->output_height != info->image_height) {
        ERREXIT(info, JERR_CONVERSION_NOTIMPL);
    }
    while (info->output_scanline < info->output_height) {
        JSAMPROW row = reinterpret_cast<JSAMPROW>(pixels + size_t(info->output_scanline) * info->output_width);
        if (jpeg_read_scanlines(info, &row, 1) != 1) {
            ERREXIT(info, JERR_INPUT_EOF);
        }
    }
    jpeg_finish_decompress(info);
    return true;
}

} // namespace Platform
