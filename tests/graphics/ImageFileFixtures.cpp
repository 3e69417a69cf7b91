#include "ImageFileFixtures.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <jpeglib.h>
#include <map>
#include <openjpeg.h>
#include <png.h>
#include <stdexcept>

namespace ImageFileFixtures {

namespace {

void Put16(std::string& out, int value)
{
    out += char(value & 0xFF);
    out += char((value >> 8) & 0xFF);
}

// Codes of varying width, least significant bit first.
class BitWriter
{
public:
    void Put(int code, int bits)
    {
        buffer |= uint32_t(code) << count;
        count += bits;
        while (count >= 8) {
            bytes += char(buffer & 0xFF);
            buffer >>= 8;
            count -= 8;
        }
    }
    std::string Finish()
    {
        if (count > 0) {
            bytes += char(buffer & 0xFF);
        }
        return bytes;
    }

private:
    std::string bytes;
    uint32_t buffer = 0;
    int count = 0;
};

std::string SubBlocks(const std::string& data)
{
    std::string out;
    for (size_t at = 0; at < data.size(); at += 255) {
        std::string block = data.substr(at, 255);
        out += char(block.size());
        out += block;
    }
    out += '\0';
    return out;
}

std::string ColorTable(const std::vector<uint32_t>& table)
{
    std::string out;
    for (uint32_t entry : table) {
        out += char((entry >> 16) & 0xFF);
        out += char((entry >> 8) & 0xFF);
        out += char(entry & 0xFF);
    }
    return out;
}

// The flag bits of a table of 2^(k+1) entries.
int TableSizeBits(size_t entries)
{
    int bits = 0;
    while ((size_t(2) << bits) < entries) {
        ++bits;
    }
    return bits;
}

void PngWrite(png_structp png, png_bytep data, size_t length)
{
    static_cast<std::string*>(png_get_io_ptr(png))->append(reinterpret_cast<const char*>(data), length);
}

void PngFlush(png_structp) {}

struct JpegError
{
    jpeg_error_mgr manager;
    std::jmp_buf jump;
};

[[noreturn]] void JpegFail(j_common_ptr info)
{
    std::longjmp(reinterpret_cast<JpegError*>(info->err)->jump, 1);
}

// A growing file in memory that the JP2 writer can seek back in, to fill in box lengths.
struct MemoryFile
{
    std::string bytes;
    size_t position = 0;
};

OPJ_SIZE_T OpjWrite(void* buffer, OPJ_SIZE_T count, void* user)
{
    MemoryFile* file = static_cast<MemoryFile*>(user);
    if (file->bytes.size() < file->position + count) {
        file->bytes.resize(file->position + count);
    }
    std::memcpy(file->bytes.data() + file->position, buffer, count);
    file->position += count;
    return count;
}

OPJ_OFF_T OpjSkip(OPJ_OFF_T count, void* user)
{
    MemoryFile* file = static_cast<MemoryFile*>(user);
    file->position += size_t(count);
    if (file->bytes.size() < file->position) {
        file->bytes.resize(file->position);
    }
    return count;
}

OPJ_BOOL OpjSeek(OPJ_OFF_T offset, void* user)
{
    static_cast<MemoryFile*>(user)->position = size_t(offset);
    return OPJ_TRUE;
}

} // namespace

std::string Tga(uint8_t imageType, int width, int height, uint8_t bitsPerPixel, uint8_t descriptor,
                const std::string& body, const std::string& id)
{
    std::string out;
    out += char(id.size());
    out += '\0';
    out += char(imageType);
    out.append(9, '\0');
    Put16(out, width);
    Put16(out, height);
    out += char(bitsPerPixel);
    out += char(descriptor);
    return out + id + body;
}

LzwStream LzwEncode(const std::vector<uint8_t>& indexes, int minimumCodeSize, bool clearWhenFull)
{
    const int clear = 1 << minimumCodeSize;
    const int end = clear + 1;
    int codeSize = minimumCodeSize + 1;
    int nextCode = clear + 2;
    std::map<std::pair<int, int>, int> table;
    BitWriter bits;
    LzwStream stream;
    stream.indexesBeforeFullTable = indexes.size();
    bool full = false;
    bits.Put(clear, codeSize);
    if (indexes.empty()) {
        bits.Put(end, codeSize);
        stream.subBlocks = SubBlocks(bits.Finish());
        return stream;
    }
    int current = indexes[0];
    for (size_t i = 1; i < indexes.size(); ++i) {
        auto found = table.find({current, indexes[i]});
        if (found != table.end()) {
            current = found->second;
            continue;
        }
        bits.Put(current, codeSize);
        if (nextCode < 4096) {
            table[{current, indexes[i]}] = nextCode++;
            if (nextCode > (1 << codeSize) && codeSize < 12) {
                ++codeSize;
            }
        } else if (clearWhenFull) {
            bits.Put(clear, codeSize);
            table.clear();
            nextCode = clear + 2;
            codeSize = minimumCodeSize + 1;
        } else if (!full) {
            full = true;
            // The decoder reads one more code before its own table is full: the one just written.
            stream.indexesBeforeFullTable = i;
        }
        current = indexes[i];
    }
    bits.Put(current, codeSize);
    bits.Put(end, codeSize);
    stream.subBlocks = SubBlocks(bits.Finish());
    return stream;
}

std::string GraphicControl(int transparentIndex)
{
    std::string out = "\x21\xF9\x04";
    out += char(transparentIndex >= 0 ? 1 : 0);
    out += '\0';
    out += '\0';
    out += char(transparentIndex >= 0 ? transparentIndex : 0);
    out += '\0';
    return out;
}

std::string Gif(const GifParts& parts)
{
    std::string out = parts.signature;
    Put16(out, parts.width);
    Put16(out, parts.height);
    out += char(parts.globalTable.empty() ? 0 : 0x80 | TableSizeBits(parts.globalTable.size()));
    out += '\0';
    out += '\0';
    out += ColorTable(parts.globalTable);
    out += parts.beforeImage;
    out += '\x2C';
    Put16(out, 0);
    Put16(out, 0);
    Put16(out, parts.width);
    Put16(out, parts.height);
    int flags = parts.interlaced ? 0x40 : 0;
    if (!parts.localTable.empty()) {
        flags |= 0x80 | TableSizeBits(parts.localTable.size());
    }
    out += char(flags);
    out += ColorTable(parts.localTable);
    out += char(parts.minimumCodeSize);
    out += parts.data.empty() ? LzwEncode(parts.indexes, parts.minimumCodeSize).subBlocks : parts.data;
    return out + parts.afterImage;
}

std::string Png(const PngSpec& spec)
{
    std::string out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        throw std::runtime_error("libpng could not write the fixture");
    }
    png_set_write_fn(png, &out, PngWrite, PngFlush);
    png_set_IHDR(png, info, png_uint_32(spec.width), png_uint_32(spec.height), spec.bitDepth, spec.colorType,
                 spec.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    std::vector<png_color> palette;
    for (uint32_t entry : spec.palette) {
        palette.push_back({png_byte(entry >> 16), png_byte(entry >> 8), png_byte(entry)});
    }
    if (!palette.empty()) {
        png_set_PLTE(png, info, palette.data(), int(palette.size()));
    }
    if (!spec.transparency.empty()) {
        png_set_tRNS(png, info, spec.transparency.data(), int(spec.transparency.size()), nullptr);
    }
    png_write_info(png, info);
    std::vector<png_bytep> rows;
    for (const std::string& row : spec.rows) {
        rows.push_back(reinterpret_cast<png_bytep>(const_cast<char*>(row.data())));
    }
    png_write_image(png, rows.data());
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return out;
}

std::string Jpeg(int width, int height, int components, const std::vector<uint8_t>& samples, int quality)
{
    jpeg_compress_struct info{};
    JpegError error{};
    info.err = jpeg_std_error(&error.manager);
    error.manager.error_exit = JpegFail;
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    if (setjmp(error.jump)) {
        jpeg_destroy_compress(&info);
        throw std::runtime_error("libjpeg could not write the fixture");
    }
    jpeg_create_compress(&info);
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = JDIMENSION(width);
    info.image_height = JDIMENSION(height);
    info.input_components = components;
    info.in_color_space = components == 1 ? JCS_GRAYSCALE : components == 3 ? JCS_RGB : JCS_CMYK;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(samples.data() + size_t(info.next_scanline) * size_t(width * components));
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    std::string out(reinterpret_cast<const char*>(buffer), size);
    std::free(buffer);
    return out;
}

std::vector<uint32_t> DecodeJpegDirectly(const std::string& file)
{
    jpeg_decompress_struct info{};
    JpegError error{};
    info.err = jpeg_std_error(&error.manager);
    error.manager.error_exit = JpegFail;
    if (setjmp(error.jump)) {
        jpeg_destroy_decompress(&info);
        throw std::runtime_error("libjpeg could not read the fixture");
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(file.data()), file.size());
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    std::vector<uint32_t> pixels;
    std::vector<JSAMPLE> row(info.output_width * 3);
    while (info.output_scanline < info.output_height) {
        JSAMPROW rowPointer = row.data();
        jpeg_read_scanlines(&info, &rowPointer, 1);
        for (JDIMENSION x = 0; x < info.output_width; ++x) {
            pixels.push_back(Argb(255, row[x * 3], row[x * 3 + 1], row[x * 3 + 2]));
        }
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return pixels;
}

std::string J2K(const J2KSpec& spec)
{
    std::vector<opj_image_cmptparm_t> parameters(size_t(spec.components));
    for (int c = 0; c < spec.components; ++c) {
        const int step = (c == 1 || c == 2) ? spec.chromaStep : 1;
        opj_image_cmptparm_t& component = parameters[size_t(c)];
        std::memset(&component, 0, sizeof component);
        component.dx = OPJ_UINT32(step);
        component.dy = OPJ_UINT32(step);
        component.w = OPJ_UINT32((spec.width + step - 1) / step);
        component.h = OPJ_UINT32((spec.height + step - 1) / step);
        component.prec = OPJ_UINT32(spec.precision);
        component.sgnd = 0;
    }
    OPJ_COLOR_SPACE space = spec.components <= 2 ? OPJ_CLRSPC_GRAY : spec.ycc ? OPJ_CLRSPC_SYCC : OPJ_CLRSPC_SRGB;
    opj_image_t* image = opj_image_create(OPJ_UINT32(spec.components), parameters.data(), space);
    image->x0 = 0;
    image->y0 = 0;
    image->x1 = OPJ_UINT32(spec.width);
    image->y1 = OPJ_UINT32(spec.height);
    for (int c = 0; c < spec.components; ++c) {
        const std::vector<int>& plane = spec.planes[size_t(c)];
        std::copy(plane.begin(), plane.end(), image->comps[c].data);
    }
    if (spec.components == 2 || spec.components == 4) {
        image->comps[spec.components - 1].alpha = 1;
    }
    opj_cparameters_t settings;
    opj_set_default_encoder_parameters(&settings);
    settings.tcp_numlayers = 1;
    settings.tcp_rates[0] = 0;
    settings.cp_disto_alloc = 1;
    settings.irreversible = 0;
    settings.numresolution = 1;
    settings.tcp_mct = spec.components >= 3 && !spec.ycc && spec.chromaStep == 1 ? 1 : 0;
    opj_codec_t* codec = opj_create_compress(spec.boxed ? OPJ_CODEC_JP2 : OPJ_CODEC_J2K);
    MemoryFile out;
    opj_stream_t* stream = opj_stream_create(OPJ_J2K_STREAM_CHUNK_SIZE, OPJ_FALSE);
    opj_stream_set_user_data(stream, &out, nullptr);
    opj_stream_set_write_function(stream, OpjWrite);
    opj_stream_set_skip_function(stream, OpjSkip);
    opj_stream_set_seek_function(stream, OpjSeek);
    bool written = opj_setup_encoder(codec, &settings, image) && opj_start_compress(codec, image, stream) &&
                   opj_encode(codec, stream) && opj_end_compress(codec, stream);
    opj_stream_destroy(stream);
    opj_destroy_codec(codec);
    opj_image_destroy(image);
    if (!written) {
        throw std::runtime_error("OpenJPEG could not write the fixture");
    }
    return out.bytes;
}

} // namespace ImageFileFixtures
