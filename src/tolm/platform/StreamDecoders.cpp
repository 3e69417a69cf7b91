// The stream decoders over files in memory, and the looping shared by every file source.
#include "platform/StreamDecoders.h"

#include "platform/OggVorbisDecoder.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <mpg123.h>

namespace Platform {

size_t FileSource::Read(int16_t* out, size_t frames)
{
    size_t done = 0;
    // A loop that yields nothing right after its start is an empty file, not a reason to spin.
    bool restarted = false;
    while (done < frames) {
        const size_t got = Decode(out + done * size_t(Channels()), frames - done);
        done += got;
        if (got > 0) {
            restarted = false;
            continue;
        }
        if (!looping || restarted || !Seek(0)) {
            break;
        }
        restarted = true;
    }
    return done;
}

bool DecodeToEnd(PcmSource& source, size_t maxFrames, std::vector<int16_t>& pcm)
{
    const size_t channels = size_t(source.Channels());
    int16_t block[8192];
    for (;;) {
        const size_t got = source.Read(block, std::size(block) / channels);
        if (got == 0) {
            return true;
        }
        if (pcm.size() / channels + got > maxFrames) {
            return false;
        }
        pcm.insert(pcm.end(), block, block + got * channels);
    }
}

namespace {

uint32_t Le32(const uint8_t* bytes)
{
    return uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 | uint32_t(bytes[2]) << 16 | uint32_t(bytes[3]) << 24;
}

uint16_t Le16(const uint8_t* bytes)
{
    return uint16_t(bytes[0] | bytes[1] << 8);
}

// Canonical PCM WAVE: 8-bit unsigned or 16-bit signed samples, one or two channels. Chunks of odd
// length carry their pad byte, as the format has it.
class WaveSource : public FileSource
{
public:
    static std::unique_ptr<PcmSource> Open(std::span<const uint8_t> file)
    {
        if (file.size() < 12 || std::memcmp(file.data(), "RIFF", 4) != 0 ||
            std::memcmp(file.data() + 8, "WAVE", 4) != 0) {
            return nullptr;
        }
        auto source = std::unique_ptr<WaveSource>(new WaveSource);
        bool hasFormat = false;
        for (size_t at = 12; at + 8 <= file.size();) {
            const uint8_t* chunk = file.data() + at;
            const size_t length = std::min<size_t>(Le32(chunk + 4), file.size() - at - 8);
            if (std::memcmp(chunk, "fmt ", 4) == 0 && length >= 16) {
                hasFormat = Le16(chunk + 8) == 1 && source->ReadFormat(chunk + 8);
            } else if (std::memcmp(chunk, "data", 4) == 0 && hasFormat) {
                source->samples = file.subspan(at + 8, length - length % source->blockAlign);
                return source;
            }
            at += 8 + length + (length & 1);
        }
        return nullptr;
    }

    int Channels() const override { return channels; }
    int Rate() const override { return rate; }

    bool Seek(uint64_t frame) override
    {
        if (frame > samples.size() / blockAlign) {
            return false;
        }
        position = size_t(frame) * blockAlign;
        return true;
    }

protected:
    size_t Decode(int16_t* out, size_t frames) override
    {
        const size_t count = std::min(frames, (samples.size() - position) / blockAlign) * size_t(channels);
        const uint8_t* in = samples.data() + position;
        for (size_t i = 0; i < count; ++i) {
            out[i] = bits == 8 ? int16_t((in[i] - 128) * 256) : int16_t(Le16(in + 2 * i));
        }
        position += count * size_t(bits / 8);
        return count / size_t(channels);
    }

private:
    bool ReadFormat(const uint8_t* format)
    {
        channels = Le16(format + 2);
        rate = int(Le32(format + 4));
        bits = Le16(format + 14);
        blockAlign = size_t(channels) * size_t(bits / 8);
        return (channels == 1 || channels == 2) && (bits == 8 || bits == 16) && rate > 0;
    }

    std::span<const uint8_t> samples;
    size_t position = 0;
    int channels = 0;
    int rate = 0;
    int bits = 0;
    size_t blockAlign = 1;
};

// The file in memory as a seekable stream for the decoders' read callbacks.
struct MemoryFile
{
    std::span<const uint8_t> bytes;
    size_t position = 0;

    size_t Read(void* buffer, size_t count)
    {
        count = std::min(count, bytes.size() - position);
        // An empty file has no bytes to point at at all.
        if (count == 0) {
            return 0;
        }
        std::memcpy(buffer, bytes.data() + position, count);
        position += count;
        return count;
    }

    // The new position, or -1 when it would lie outside the file.
    int64_t Seek(int64_t offset, int origin)
    {
        const int64_t base = origin == SEEK_SET ? 0 : origin == SEEK_CUR ? int64_t(position) : int64_t(bytes.size());
        if (offset < -base || offset > int64_t(bytes.size()) - base) {
            return -1;
        }
        position = size_t(base + offset);
        return int64_t(position);
    }
};

class OggSource : public FileSource
{
public:
    static std::unique_ptr<PcmSource> Open(std::span<const uint8_t> file)
    {
        if (file.size() < 4 || std::memcmp(file.data(), "OggS", 4) != 0) {
            return nullptr;
        }
        auto source = std::unique_ptr<OggSource>(new OggSource(file));
        source->decoder = OggVorbisDecoder::Open(&source->memory, kCallbacks);
        // The ring a channel plays takes one layout: a chained file must keep its first link's.
        if (!source->decoder || !source->decoder->LinksAgree() || source->Channels() < 1 || source->Channels() > 2) {
            return nullptr;
        }
        return source;
    }

    int Channels() const override { return decoder->Channels(); }
    int Rate() const override { return int(decoder->Rate()); }
    bool Seek(uint64_t frame) override { return decoder->SeekFrame(int64_t(frame)); }

protected:
    size_t Decode(int16_t* out, size_t frames) override
    {
        const size_t frameBytes = 2 * size_t(Channels());
        char* bytes = reinterpret_cast<char*>(out);
        size_t done = 0;
        while (done < frames * frameBytes) {
            const long got = decoder->Read(bytes + done, int(std::min<size_t>(frames * frameBytes - done, 1 << 16)));
            // A hole in the pages only skips what was lost; anything else damaged ends the stream.
            if (got == OggVorbisDecoder::kHole) {
                continue;
            }
            if (got <= 0) {
                break;
            }
            done += size_t(got);
        }
        return done / frameBytes;
    }

private:
    explicit OggSource(std::span<const uint8_t> file) : memory{file} {}

    static size_t ReadMemory(void* buffer, size_t size, size_t count, void* source)
    {
        return size == 0 ? 0 : static_cast<MemoryFile*>(source)->Read(buffer, size * count) / size;
    }
    static int SeekMemory(void* source, int64_t offset, int origin)
    {
        return static_cast<MemoryFile*>(source)->Seek(offset, origin) < 0 ? -1 : 0;
    }
    static int CloseMemory(void*) { return 0; }
    static long TellMemory(void* source) { return long(static_cast<MemoryFile*>(source)->position); }

    static constexpr OggCallbacks kCallbacks{&ReadMemory, &SeekMemory, &CloseMemory, &TellMemory};

    MemoryFile memory;
    std::unique_ptr<OggVorbisDecoder> decoder;
};

class Mp3Source : public FileSource
{
public:
    static std::unique_ptr<PcmSource> Open(std::span<const uint8_t> file)
    {
        auto source = std::unique_ptr<Mp3Source>(new Mp3Source(file));
        return source->Start() ? std::move(source) : nullptr;
    }

    ~Mp3Source() override
    {
        if (handle) {
            mpg123_close(handle);
            mpg123_delete(handle);
        }
    }

    int Channels() const override { return channels; }
    int Rate() const override { return int(rate); }
    bool Seek(uint64_t frame) override { return mpg123_seek(handle, off_t(frame), SEEK_SET) >= 0; }

protected:
    size_t Decode(int16_t* out, size_t frames) override
    {
        const size_t frameBytes = 2 * size_t(channels);
        unsigned char* bytes = reinterpret_cast<unsigned char*>(out);
        size_t done = 0;
        while (done < frames * frameBytes) {
            size_t got = 0;
            const int result = mpg123_read(handle, bytes + done, frames * frameBytes - done, &got);
            done += got;
            // A change of layout half-way cannot go on in the same ring: the stream ends there.
            if (result != MPG123_OK || got == 0) {
                break;
            }
        }
        return done / frameBytes;
    }

private:
    explicit Mp3Source(std::span<const uint8_t> file) : memory{file} {}

    bool Start()
    {
        handle = mpg123_new(nullptr, nullptr);
        if (!handle) {
            return false;
        }
        mpg123_param(handle, MPG123_ADD_FLAGS, MPG123_QUIET, 0.0);
        mpg123_format_none(handle);
        const long* rates = nullptr;
        size_t rateCount = 0;
        mpg123_rates(&rates, &rateCount);
        for (size_t i = 0; i < rateCount; ++i) {
            mpg123_format(handle, rates[i], MPG123_MONO | MPG123_STEREO, MPG123_ENC_SIGNED_16);
        }
        int encoding = 0;
        return mpg123_replace_reader_handle(handle, &ReadMemory, &SeekMemory, nullptr) == MPG123_OK &&
               mpg123_open_handle(handle, &memory) == MPG123_OK &&
               mpg123_getformat(handle, &rate, &channels, &encoding) == MPG123_OK;
    }

    static ssize_t ReadMemory(void* source, void* buffer, size_t count)
    {
        return ssize_t(static_cast<MemoryFile*>(source)->Read(buffer, count));
    }
    static off_t SeekMemory(void* source, off_t offset, int origin)
    {
        return off_t(static_cast<MemoryFile*>(source)->Seek(offset, origin));
    }

    MemoryFile memory;
    mpg123_handle* handle = nullptr;
    long rate = 0;
    int channels = 0;
};

} // namespace

std::unique_ptr<PcmSource> OpenStreamSource(std::span<const uint8_t> file)
{
    if (file.size() >= 4 && std::memcmp(file.data(), "RIFF", 4) == 0) {
        return WaveSource::Open(file);
    }
    if (file.size() >= 4 && std::memcmp(file.data(), "OggS", 4) == 0) {
        return OggSource::Open(file);
    }
    return Mp3Source::Open(file);
}

} // namespace Platform
