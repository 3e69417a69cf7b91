// Ogg Vorbis decoding with Tremor, the integer decoder, from a source the caller reads through its
// own callbacks (the sound loader hands it the pak layer's file functions).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

struct OggVorbis_File;

namespace Platform {

// The callbacks Tremor reads the source through, with the meanings of fread, fseek, fclose and ftell.
struct OggCallbacks
{
    size_t (*read)(void* buffer, size_t size, size_t count, void* source);
    int (*seek)(void* source, int64_t offset, int origin);
    int (*close)(void* source);
    long (*tell)(void* source);
};

class OggVorbisDecoder
{
public:
    // Null when the source is not an Ogg Vorbis stream; the source is then left open.
    static std::unique_ptr<OggVorbisDecoder> Open(void* source, const OggCallbacks& callbacks);
    // Ends the stream, which closes the source.
    ~OggVorbisDecoder();
    OggVorbisDecoder(const OggVorbisDecoder&) = delete;
    OggVorbisDecoder& operator=(const OggVorbisDecoder&) = delete;

    // Of the current link.
    int Channels() const;
    long Rate() const;
    // True when every link of a chained stream has the first one's channels and rate.
    bool LinksAgree() const;
    // Frames of the whole stream; negative when unknown.
    int64_t TotalFrames() const;
    // Up to bytes of interleaved 16-bit little-endian samples; 0 at the end, negative on a damaged stream.
    long Read(void* buffer, int bytes);
    // What Read gives for a gap in the pages: the samples lost there are skipped, the stream goes on.
    static constexpr long kHole = -3;
    // To a frame of the whole stream; false when the source cannot seek or has no such frame.
    bool SeekFrame(int64_t frame);

private:
    OggVorbisDecoder();

    std::unique_ptr<OggVorbis_File> file;
};

} // namespace Platform
