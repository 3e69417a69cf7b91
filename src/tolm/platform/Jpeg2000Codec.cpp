// The JPEG 2000 codec on OpenJPEG. A stream holds the whole file in memory, its decompressor and the
// image header; decoding brings any component layout OpenJPEG hands back (grey, grey with alpha, RGB,
// sYCC, RGBA; any precision, signed or not, subsampled or not) to 8-bit 0xAARRGGBB pixels.
#include "platform/Jpeg2000Codec.h"

#include "platform/FileSystem.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <openjpeg.h>
#include <string>

namespace Platform {

namespace {

enum J2KError
{
    kNoError = 0,
    kBadArguments,
    kReadFailed,
    kNotJpeg2000,
    kHeaderFailed,
    kDecodeFailed,
    kUnsupportedImage,
    kBufferTooSmall,
    kBadOptions,
};

thread_local int lastError = kNoError;

int Fail(int code)
{
    lastError = code;
    return code;
}

// The file in memory, read through by OpenJPEG.
struct MemoryStream
{
    std::vector<uint8_t> data;
    size_t position = 0;
};

OPJ_SIZE_T MemoryRead(void* buffer, OPJ_SIZE_T count, void* user)
{
    MemoryStream* stream = static_cast<MemoryStream*>(user);
    size_t left = stream->data.size() - stream->position;
    if (left == 0) {
        return OPJ_SIZE_T(-1);
    }
    size_t taken = std::min<size_t>(count, left);
    std::memcpy(buffer, stream->data.data() + stream->position, taken);
    stream->position += taken;
    return taken;
}

OPJ_OFF_T MemorySkip(OPJ_OFF_T count, void* user)
{
    MemoryStream* stream = static_cast<MemoryStream*>(user);
    if (count < 0) {
        return -1;
    }
    stream->position += std::min<size_t>(size_t(count), stream->data.size() - stream->position);
    return count;
}

OPJ_BOOL MemorySeek(OPJ_OFF_T offset, void* user)
{
    MemoryStream* stream = static_cast<MemoryStream*>(user);
    if (offset < 0 || uint64_t(offset) > stream->data.size()) {
        return OPJ_FALSE;
    }
    stream->position = size_t(offset);
    return OPJ_TRUE;
}

bool StartsWith(const std::vector<uint8_t>& data, const uint8_t* prefix, size_t length)
{
    return data.size() >= length && std::memcmp(data.data(), prefix, length) == 0;
}

// The codec that reads the file's format: the JP2 box file or a bare codestream.
opj_codec_t* CreateDecompressor(const std::vector<uint8_t>& data)
{
    static const uint8_t jp2Signature[] = {0, 0, 0, 0x0C, 'j', 'P', ' ', ' ', 0x0D, 0x0A, 0x87, 0x0A};
    static const uint8_t codestreamStart[] = {0xFF, 0x4F, 0xFF, 0x51};
    if (StartsWith(data, jp2Signature, sizeof jp2Signature)) {
        return opj_create_decompress(OPJ_CODEC_JP2);
    }
    if (StartsWith(data, codestreamStart, sizeof codestreamStart)) {
        return opj_create_decompress(OPJ_CODEC_J2K);
    }
    return nullptr;
}

// One component brought to 8 bits, sampled at an output pixel.
class ComponentSampler
{
public:
    ComponentSampler(const opj_image_comp_t& component, int outputWidth, int outputHeight)
        : component(component), outputWidth(uint64_t(outputWidth)), outputHeight(uint64_t(outputHeight))
    {}

    bool Usable() const { return component.data && component.w > 0 && component.h > 0 && component.prec >= 1; }

    // Subsampled components are stretched over the image by nearest neighbour.
    int At(int x, int y) const
    {
        uint64_t column = uint64_t(x) * component.w / outputWidth;
        uint64_t row = uint64_t(y) * component.h / outputHeight;
        int64_t value = component.data[row * component.w + column];
        if (component.sgnd) {
            value += int64_t(1) << (component.prec - 1);
        }
        if (component.prec > 8) {
            value >>= component.prec - 8;
        } else if (component.prec < 8) {
            value = value * 255 / ((int64_t(1) << component.prec) - 1);
        }
        return int(std::clamp<int64_t>(value, 0, 255));
    }

private:
    const opj_image_comp_t& component;
    uint64_t outputWidth;
    uint64_t outputHeight;
};

uint8_t ClampByte(double value)
{
    return uint8_t(std::clamp(value + 0.5, 0.0, 255.0));
}

uint32_t Pack(int alpha, int red, int green, int blue)
{
    return uint32_t(alpha) << 24 | uint32_t(red) << 16 | uint32_t(green) << 8 | uint32_t(blue);
}

// Full-range YCbCr to RGB, the transform sYCC images are stored with.
uint32_t FromYcc(int luma, int blueDifference, int redDifference, int alpha)
{
    double cb = blueDifference - 128.0;
    double cr = redDifference - 128.0;
    return Pack(alpha, ClampByte(luma + 1.402 * cr), ClampByte(luma - 0.344136 * cb - 0.714136 * cr),
                ClampByte(luma + 1.772 * cb));
}

struct Options
{
    int bytesPerPixel = 4;
    int resolutionLevel = 0;
};

bool ParseOptions(const char* text, Options& options)
{
    std::string rest = text ? text : "";
    while (!rest.empty()) {
        size_t comma = rest.find(',');
        std::string pair = rest.substr(0, comma);
        rest = comma == std::string::npos ? std::string() : rest.substr(comma + 1);
        size_t equals = pair.find('=');
        if (equals == std::string::npos) {
            return false;
        }
        std::string name = pair.substr(0, equals);
        int value = std::atoi(pair.c_str() + equals + 1);
        if (name == "bpp") {
            options.bytesPerPixel = value;
        } else if (name == "rl") {
            options.resolutionLevel = value;
        } else {
            return false;
        }
    }
    return options.bytesPerPixel == 4 && options.resolutionLevel >= 0 && options.resolutionLevel < 32;
}

int CeilShift(uint32_t value, int shift)
{
    return int((uint64_t(value) + (uint64_t(1) << shift) - 1) >> shift);
}

} // namespace

struct J2KStream
{
    MemoryStream memory;
    opj_stream_t* stream = nullptr;
    opj_codec_t* codec = nullptr;
    opj_image_t* image = nullptr;

    ~J2KStream()
    {
        if (image) {
            opj_image_destroy(image);
        }
        if (codec) {
            opj_destroy_codec(codec);
        }
        if (stream) {
            opj_stream_destroy(stream);
        }
    }
};

namespace {

// Sets up the decompressor on the stream's data and reads the image header.
J2KStream* Start(J2KStream* stream)
{
    stream->codec = CreateDecompressor(stream->memory.data);
    if (!stream->codec) {
        Fail(kNotJpeg2000);
        delete stream;
        return nullptr;
    }
    stream->stream = opj_stream_create(OPJ_J2K_STREAM_CHUNK_SIZE, OPJ_TRUE);
    opj_stream_set_user_data(stream->stream, &stream->memory, nullptr);
    opj_stream_set_user_data_length(stream->stream, stream->memory.data.size());
    opj_stream_set_read_function(stream->stream, MemoryRead);
    opj_stream_set_skip_function(stream->stream, MemorySkip);
    opj_stream_set_seek_function(stream->stream, MemorySeek);
    opj_dparameters_t parameters;
    opj_set_default_decoder_parameters(&parameters);
    if (!opj_setup_decoder(stream->codec, &parameters) ||
        !opj_read_header(stream->stream, stream->codec, &stream->image) || stream->image->numcomps == 0 ||
        stream->image->x1 <= stream->image->x0 || stream->image->y1 <= stream->image->y0) {
        Fail(kHeaderFailed);
        delete stream;
        return nullptr;
    }
    lastError = kNoError;
    return stream;
}

int J2KGetVersion()
{
    return kJ2KCodecVersion;
}

J2KStream* J2KOpenCustom(const J2KCallbacks* callbacks, void* handle)
{
    if (!callbacks || !callbacks->seek || !callbacks->read) {
        Fail(kBadArguments);
        return nullptr;
    }
    if (callbacks->seek(handle, 0) != 0) {
        Fail(kReadFailed);
        return nullptr;
    }
    J2KStream* stream = new J2KStream;
    std::vector<uint8_t>& data = stream->memory.data;
    constexpr int kBlock = 65536;
    for (;;) {
        size_t used = data.size();
        data.resize(used + kBlock);
        int got = callbacks->read(data.data() + used, kBlock, handle);
        data.resize(used + size_t(std::clamp(got, 0, kBlock)));
        if (got < kBlock) {
            break;
        }
    }
    if (callbacks->close) {
        callbacks->close(handle);
    }
    return Start(stream);
}

J2KStream* J2KOpenFile(const char* fileName)
{
    J2KStream* stream = new J2KStream;
    if (!fileName || !ReadWholeFile(fileName, stream->memory.data)) {
        Fail(kReadFailed);
        delete stream;
        return nullptr;
    }
    return Start(stream);
}

void J2KClose(J2KStream* stream)
{
    delete stream;
}

int J2KGetResolutionDimensions(J2KStream* stream, int level, int* width, int* height)
{
    if (!stream || !width || !height || level < 0 || level >= 32) {
        return Fail(kBadArguments);
    }
    const opj_image_t& image = *stream->image;
    *width = CeilShift(image.x1, level) - CeilShift(image.x0, level);
    *height = CeilShift(image.y1, level) - CeilShift(image.y0, level);
    return kNoError;
}

int J2KGetInfo(J2KStream* stream, int* width, int* height, int* components)
{
    if (!stream || !components) {
        return Fail(kBadArguments);
    }
    *components = int(stream->image->numcomps);
    return J2KGetResolutionDimensions(stream, 0, width, height);
}

// The colour of one pixel from however many components the image has.
uint32_t PixelAt(const std::vector<ComponentSampler>& samplers, bool ycc, int x, int y)
{
    switch (samplers.size()) {
    case 1:
        return Pack(255, samplers[0].At(x, y), samplers[0].At(x, y), samplers[0].At(x, y));
    case 2: {
        int grey = samplers[0].At(x, y);
        return Pack(samplers[1].At(x, y), grey, grey, grey);
    }
    default: {
        int alpha = samplers.size() > 3 ? samplers[3].At(x, y) : 255;
        if (ycc) {
            return FromYcc(samplers[0].At(x, y), samplers[1].At(x, y), samplers[2].At(x, y), alpha);
        }
        return Pack(alpha, samplers[0].At(x, y), samplers[1].At(x, y), samplers[2].At(x, y));
    }
    }
}

int WritePixels(const opj_image_t& image, int width, int height, unsigned char* buffer, int pitch)
{
    if (image.color_space == OPJ_CLRSPC_CMYK || image.color_space == OPJ_CLRSPC_EYCC) {
        return Fail(kUnsupportedImage);
    }
    std::vector<ComponentSampler> samplers;
    for (uint32_t i = 0; i < std::min<uint32_t>(image.numcomps, 4); ++i) {
        samplers.emplace_back(image.comps[i], width, height);
        if (!samplers.back().Usable()) {
            return Fail(kUnsupportedImage);
        }
    }
    const bool ycc = image.color_space == OPJ_CLRSPC_SYCC && samplers.size() >= 3;
    for (int y = 0; y < height; ++y) {
        unsigned char* row = buffer + size_t(y) * size_t(pitch);
        for (int x = 0; x < width; ++x) {
            uint32_t pixel = PixelAt(samplers, ycc, x, y);
            std::memcpy(row + size_t(x) * 4, &pixel, 4);
        }
    }
    return kNoError;
}

int J2KDecode(J2KStream* stream, unsigned char* buffer, int bufferSize, const char* options, int pitch)
{
    Options parsed;
    if (!stream || !buffer) {
        return Fail(kBadArguments);
    }
    if (!ParseOptions(options, parsed)) {
        return Fail(kBadOptions);
    }
    int width = 0;
    int height = 0;
    if (J2KGetResolutionDimensions(stream, parsed.resolutionLevel, &width, &height) != kNoError || width <= 0 ||
        height <= 0) {
        return Fail(kBadArguments);
    }
    if (int64_t(pitch) < int64_t(width) * 4 || int64_t(pitch) * (height - 1) + int64_t(width) * 4 > bufferSize) {
        return Fail(kBufferTooSmall);
    }
    if ((parsed.resolutionLevel > 0 &&
         !opj_set_decoded_resolution_factor(stream->codec, OPJ_UINT32(parsed.resolutionLevel))) ||
        !opj_decode(stream->codec, stream->stream, stream->image) ||
        !opj_end_decompress(stream->codec, stream->stream)) {
        return Fail(kDecodeFailed);
    }
    return WritePixels(*stream->image, width, height, buffer, pitch);
}

int J2KGetLastError()
{
    return lastError;
}

const char* J2KGetErrorStr(int code)
{
    static const char* const texts[] = {
        "No error",
        "Bad arguments",
        "Cannot read the file",
        "Not a JPEG 2000 file",
        "Cannot read the image header",
        "Cannot decode the image",
        "Unsupported image layout",
        "Buffer too small",
        "Bad decoding options",
    };
    return code >= 0 && code < int(std::size(texts)) ? texts[code] : "Unknown error";
}

template <typename Function>
LibraryProc Export(Function function)
{
    return reinterpret_cast<LibraryProc>(function);
}

} // namespace

std::vector<LibraryExport> J2KCodecExports()
{
    return {
        {"_J2K_getVersion@0", Export<J2KGetVersionProc>(J2KGetVersion)},
        {"_J2K_OpenCustom@8", Export<J2KOpenCustomProc>(J2KOpenCustom)},
        {"_J2K_OpenFile@4", Export<J2KOpenFileProc>(J2KOpenFile)},
        {"_J2K_Close@4", Export<J2KCloseProc>(J2KClose)},
        {"_J2K_GetInfo@16", Export<J2KGetInfoProc>(J2KGetInfo)},
        {"_J2K_GetResolutionDimensions@16", Export<J2KGetResolutionDimensionsProc>(J2KGetResolutionDimensions)},
        {"_J2K_Decode@20", Export<J2KDecodeProc>(J2KDecode)},
        {"_J2K_getLastError@0", Export<J2KGetLastErrorProc>(J2KGetLastError)},
        {"_J2K_getErrorStr@4", Export<J2KGetErrorStrProc>(J2KGetErrorStr)},
    };
}

} // namespace Platform
