// The sound file loaders: RIFF WAVE (with the "dep " and "xor " chunks), MP3 through FMOD, Ogg Vorbis
// through Tremor and Sun audio. Each decodes the whole file into the id's new source buffer. WAVE, Ogg
// and AU files are read through the pak layer; FMOD opens the MP3 file from the disk by name.
//
// Length fields are checked against the bytes the file still holds, so a damaged file fails its load
// instead of asking for gigabytes.
#include "core/PakFile.h"
#include "core/PakInterface.h"
#include "platform/FileSystem.h"
#include "platform/OggVorbisDecoder.h"
#include "sound/DSoundManager.h"
#include "sound/FmodLibrary.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <utility>
#include <vector>

namespace Tolm {

namespace {

uint32_t ReadLE32(const uint8_t* bytes)
{
    return uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 | uint32_t(bytes[2]) << 16 | uint32_t(bytes[3]) << 24;
}

uint16_t ReadLE16(const uint8_t* bytes)
{
    return uint16_t(bytes[0] | bytes[1] << 8);
}

uint32_t ReadBE32(const uint8_t* bytes)
{
    return uint32_t(bytes[0]) << 24 | uint32_t(bytes[1]) << 16 | uint32_t(bytes[2]) << 8 | uint32_t(bytes[3]);
}

bool IsTag(const uint8_t* bytes, const char* tag)
{
    return std::memcmp(bytes, tag, 4) == 0;
}

// Sun audio mu-law: the sign from the top bit, the magnitude from the byte with its top bit set.
int16_t DecodeMuLaw(uint8_t byte)
{
    const int sign = byte >= 128 ? 1 : -1;
    const int l = byte | 128;
    int magnitude = 0;
    if (l >= 240) {
        magnitude = (255 - l) * 2;
    } else if (l >= 224) {
        magnitude = (247 - l) * 4;
    } else if (l >= 208) {
        magnitude = (235 - l) * 8;
    } else if (l >= 192) {
        magnitude = (221 - l) * 16;
    } else if (l >= 176) {
        magnitude = (206 - l) * 32;
    } else if (l >= 160) {
        magnitude = 12192 - 64 * l;
    } else if (l >= 144) {
        magnitude = 22368 - 128 * l;
    } else if (l >= 129) {
        magnitude = 40672 - 256 * l;
    } else {
        magnitude = 255;
    }
    return int16_t(sign * magnitude * 4);
}

size_t OggRead(void* buffer, size_t size, size_t count, void* file)
{
    const size_t most = size_t(INT_MAX);
    return size_t(
        PakFRead(buffer, int(std::min(size, most)), int(std::min(count, most)), static_cast<PakFileHandle*>(file)));
}

int OggSeek(void* file, int64_t offset, int origin)
{
    return PakFSeek(static_cast<PakFileHandle*>(file), long(int32_t(offset)), origin);
}

int OggClose(void* file)
{
    return PakFClose(static_cast<PakFileHandle*>(file));
}

long OggTell(void* file)
{
    return PakFTell(static_cast<PakFileHandle*>(file));
}

constexpr Platform::OggCallbacks kPakCallbacks{OggRead, OggSeek, OggClose, OggTell};

} // namespace

uint8_t* DSoundManager::CreateLockedBuffer(int id, int channels, uint32_t rate, int bits, uint32_t bytes)
{
    // The header's fields are the file's to choose: only a layout a buffer plays goes into the products.
    if ((channels != 1 && channels != 2) || (bits != 8 && bits != 16)) {
        return nullptr;
    }
    Platform::WaveFormat format;
    format.channels = uint16_t(channels);
    format.samplesPerSecond = rate;
    format.bitsPerSample = uint16_t(bits);
    format.blockAlign = uint16_t(channels * bits / 8);
    format.averageBytesPerSecond = rate * format.blockAlign;
    Platform::BufferDescription description;
    description.flags = kSourceBufferFlags;
    description.bufferBytes = bytes;
    description.format = &format;
    if (device->CreateSoundBuffer(description, slots[id].buffer) != Platform::DS_OK) {
        slots[id].buffer.reset();
        return nullptr;
    }
    void* data = nullptr;
    uint32_t locked = 0;
    if (slots[id].buffer->Lock(0, 0, &data, &locked, nullptr, nullptr, Platform::DSBLOCK_ENTIREBUFFER) !=
        Platform::DS_OK) {
        slots[id].buffer.reset();
        return nullptr;
    }
    return static_cast<uint8_t*>(data);
}

bool DSoundManager::UnlockBuffer(int id, uint8_t* data, uint32_t bytes)
{
    return slots[id].buffer->Unlock(data, bytes, nullptr, 0) == Platform::DS_OK;
}

bool DSoundManager::LoadWavSound(int id, const std::string& file)
{
    PakFile input(file);
    uint8_t header[12];
    if (!input || !input.Read(header, 12) || !IsTag(header, "RIFF") || !IsTag(header + 8, "WAVE")) {
        return false;
    }
    const int64_t fileSize = input.Size();
    int channels = 1;
    uint32_t rate = 22050;
    int bits = 16;
    uint8_t key = 0;
    uint8_t chunk[8];
    while (input.Read(chunk, 8)) {
        const uint32_t length = ReadLE32(chunk + 4);
        const int64_t start = input.Position();
        if (IsTag(chunk, "fmt ")) {
            uint8_t fields[16];
            if (!input.Read(fields, 16) || ReadLE16(fields) != Platform::WAVE_FORMAT_PCM) {
                return false;
            }
            channels = ReadLE16(fields + 2);
            rate = ReadLE32(fields + 4);
            bits = ReadLE16(fields + 14);
        } else if (IsTag(chunk, "dep ")) {
            uint8_t field[8];
            if (!input.Read(field, 2)) {
                return false;
            }
            char name[256] = {};
            const uint32_t nameLength = std::min<uint32_t>(ReadLE16(field), 255);
            if (!input.Read(name, nameLength) || !input.Read(field, 8)) {
                return false;
            }
            // A stale copy of the named file: another format is tried.
            if (Platform::FileLastWriteTime(name) != (uint64_t(ReadLE32(field + 4)) << 32 | ReadLE32(field))) {
                return false;
            }
        } else if (IsTag(chunk, "xor ")) {
            if (!input.Read(&key, 1)) {
                return false;
            }
        } else if (IsTag(chunk, "data")) {
            if (length > fileSize - start) {
                return false;
            }
            uint8_t* data = CreateLockedBuffer(id, channels, rate, bits, length);
            if (!data) {
                return false;
            }
            const bool whole = input.Read(data, length);
            input.Close();
            for (uint32_t i = 0; i < length; ++i) {
                data[i] ^= key;
            }
            if (!UnlockBuffer(id, data, length) || !whole) {
                slots[id].buffer.reset();
                return false;
            }
            return true;
        }
        // No pad byte follows an odd length: the next chunk starts right after the data.
        if (start + int64_t(length) > LONG_MAX || PakFSeek(input.Get(), long(start + length), SEEK_SET) != 0) {
            return false;
        }
    }
    return false;
}

bool DSoundManager::LoadFmodSound(int id, const std::string& file)
{
    Platform::FmodSample* sample = fmod->FSOUND_Sample_Load(Platform::FSOUND_FREE, file.c_str(), 0, 0);
    if (!sample) {
        return false;
    }
    const uint32_t mode = fmod->FSOUND_Sample_GetMode(sample);
    const int channels = (mode & Platform::FSOUND_MONO) ? 1 : 2;
    const int bits = (mode & Platform::FSOUND_8BITS) ? 8 : 16;
    int frequency = 0;
    fmod->FSOUND_Sample_GetDefaults(sample, &frequency, nullptr, nullptr, nullptr);
    const uint64_t bytes = uint64_t(fmod->FSOUND_Sample_GetLength(sample)) * uint64_t(channels * bits / 8);
    uint8_t* data =
        bytes <= INT_MAX ? CreateLockedBuffer(id, channels, uint32_t(frequency), bits, uint32_t(bytes)) : nullptr;
    if (!data) {
        fmod->FSOUND_Sample_Free(sample);
        return false;
    }
    void* first = nullptr;
    void* second = nullptr;
    uint32_t firstBytes = 0;
    uint32_t secondBytes = 0;
    if (fmod->FSOUND_Sample_Lock(sample, 0, int(bytes), &first, &second, &firstBytes, &secondBytes)) {
        std::memcpy(data, first, std::min<uint64_t>(firstBytes, bytes));
        fmod->FSOUND_Sample_Unlock(sample, first, second, firstBytes, secondBytes);
    }
    UnlockBuffer(id, data, uint32_t(bytes));
    fmod->FSOUND_Sample_Free(sample);
    return true;
}

bool DSoundManager::LoadOggSound(int id, const std::string& file)
{
    PakFile input(file);
    if (!input) {
        return false;
    }
    std::unique_ptr<Platform::OggVorbisDecoder> decoder = Platform::OggVorbisDecoder::Open(input.Get(), kPakCallbacks);
    if (!decoder) {
        return false;
    }
    // The decoder closes the file from here on.
    input.Release();
    const int channels = decoder->Channels();
    const int64_t frames = decoder->TotalFrames();
    // A chained stream whose links change layout would not fit a buffer sized from the first one.
    if (frames <= 0 || channels <= 0 || channels > 2 || !decoder->LinksAgree() ||
        frames > int64_t(UINT32_MAX) / (2 * channels)) {
        return false;
    }
    const auto bytes = uint32_t(frames * 2 * channels);
    uint8_t* data = CreateLockedBuffer(id, channels, uint32_t(decoder->Rate()), 16, bytes);
    if (!data) {
        return false;
    }
    uint32_t filled = 0;
    while (filled < bytes) {
        const long read = decoder->Read(data + filled, int(std::min<uint32_t>(bytes - filled, INT_MAX)));
        if (read <= 0) {
            break;
        }
        filled += uint32_t(read);
    }
    decoder.reset();
    if (!UnlockBuffer(id, data, bytes) || filled != bytes) {
        slots[id].buffer.reset();
        return false;
    }
    return true;
}

bool DSoundManager::LoadAuSound(int id, const std::string& file)
{
    PakFile input(file);
    uint8_t header[24];
    if (!input || !input.Read(header, 24) || !IsTag(header, ".snd")) {
        return false;
    }
    const uint32_t offset = ReadBE32(header + 4);
    uint32_t size = ReadBE32(header + 8);
    const uint32_t encoding = ReadBE32(header + 12);
    const uint32_t rate = ReadBE32(header + 16);
    const uint32_t channels = ReadBE32(header + 20);
    const int64_t fileSize = input.Size();
    if ((encoding != 1 && encoding != 2) || channels > 2 || offset > fileSize ||
        PakFSeek(input.Get(), long(offset), SEEK_SET) != 0) {
        return false;
    }
    const int64_t remaining = fileSize - offset;
    // All ones is the format's own "size unknown": the data runs to the end of the file.
    if (size == 0xFFFFFFFFu) {
        size = uint32_t(std::min<int64_t>(remaining, UINT32_MAX - 1));
    }
    if (size > remaining) {
        return false;
    }
    const int bits = encoding == 1 ? 16 : 8;
    const uint64_t bytes = uint64_t(size) * uint64_t(bits / 8);
    uint8_t* data = bytes <= UINT32_MAX ? CreateLockedBuffer(id, int(channels), rate, bits, uint32_t(bytes)) : nullptr;
    if (!data) {
        return false;
    }
    std::vector<uint8_t> encoded(size);
    const bool whole = input.Read(encoded.data(), size);
    input.Close();
    for (uint32_t i = 0; i < size; ++i) {
        if (encoding == 1) {
            const auto sample = uint16_t(DecodeMuLaw(encoded[i]));
            data[2 * i] = uint8_t(sample);
            data[2 * i + 1] = uint8_t(sample >> 8);
        } else {
            // AU's 8-bit linear samples are signed; the buffer's 8-bit samples are not.
            data[i] = encoded[i] ^ 0x80;
        }
    }
    if (!UnlockBuffer(id, data, uint32_t(bytes)) || !whole) {
        slots[id].buffer.reset();
        return false;
    }
    return true;
}

} // namespace Tolm
