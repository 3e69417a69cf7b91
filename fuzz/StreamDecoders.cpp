// The stream decoders (PCM WAVE, Ogg Vorbis, MPEG audio) on arbitrary bytes, from memory of exactly the
// input's size, as the music libraries stream their files. The input's first byte says whether the source
// loops and where it is sought to; the rest is the file. What opens must be one or two channels at a
// rate above zero; it is decoded to its end (within a cap), sought and read again, and read past its
// end while looping, so that the seek and loop paths see it too.
#include "platform/StreamDecoders.h"

#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

namespace {

// About ten seconds at 44.1 kHz: enough to reach the end of anything the fuzzer makes quickly.
constexpr size_t kMostFrames = 1 << 19;
constexpr size_t kBlockFrames = 1024;

void ReadBlock(Platform::PcmSource& source)
{
    std::vector<int16_t> out(2 * kBlockFrames);
    if (source.Read(out.data(), kBlockFrames) > kBlockFrames) {
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1) {
        return 0;
    }
    const uint8_t options = data[0];
    // A copy of exactly the file's size, so that a read past it is caught.
    const std::vector<uint8_t> file(data + 1, data + size);
    std::unique_ptr<Platform::PcmSource> source = Platform::OpenStreamSource(file);
    if (!source) {
        return 0;
    }
    if (source->Channels() < 1 || source->Channels() > 2 || source->Rate() <= 0) {
        std::abort();
    }
    std::vector<int16_t> pcm;
    const bool whole = Platform::DecodeToEnd(*source, kMostFrames, pcm);
    if (pcm.size() % size_t(source->Channels()) != 0 || pcm.size() / size_t(source->Channels()) > kMostFrames) {
        std::abort();
    }
    const uint64_t frames = pcm.size() / size_t(source->Channels());
    if (whole && source->Seek(frames * (options >> 1) / 128)) {
        ReadBlock(*source);
    }
    source->SetLooping(options & 1);
    source->Seek(0);
    ReadBlock(*source);
    ReadBlock(*source);
    return 0;
}
