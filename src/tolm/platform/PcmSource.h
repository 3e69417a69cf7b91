// What a streaming channel plays: a decoder giving 16-bit interleaved PCM at its own rate and
// channels, one block after another, looping when asked to. The channel asks for more as it plays.
#pragma once

#include <cstddef>
#include <cstdint>

namespace Platform {

class PcmSource
{
public:
    virtual ~PcmSource() = default;

    // 1 or 2.
    virtual int Channels() const = 0;
    virtual int Rate() const = 0;
    // Up to frames frames into out; fewer only where the source ends, and 0 once it has ended (a damaged
    // file ends where the damage starts). A looping source goes on from its loop start instead.
    virtual size_t Read(int16_t* out, size_t frames) = 0;
    virtual void SetLooping(bool looping) = 0;
    // To a frame counted from the start; false, with the position kept, when the source has no such frame.
    virtual bool Seek(uint64_t frame) = 0;
};

// A source that decodes a file from its start to its end and loops by seeking back to its start.
class FileSource : public PcmSource
{
public:
    size_t Read(int16_t* out, size_t frames) final;
    void SetLooping(bool value) final { looping = value; }

protected:
    // Up to frames frames; 0 at the end of the file.
    virtual size_t Decode(int16_t* out, size_t frames) = 0;

private:
    bool looping = false;
};

} // namespace Platform
