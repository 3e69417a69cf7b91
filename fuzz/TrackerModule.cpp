// Tracker modules on arbitrary bytes, through the module source over libopenmpt as the music back ends
// play them. The input's first byte picks the output rate, looping, volume ramping and a gain; the second
// an order and row to jump to; the rest is the module. What opens is rendered for a few blocks, sought
// by order and by time and rendered again: the source must stay stereo at its rate and never give more
// frames than asked.
#include "platform/ModuleSource.h"

#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

namespace {

constexpr int kRates[] = {8000, 22050, 44100, 48000};
constexpr size_t kBlockFrames = 1024;

void Render(Platform::ModuleSource& source, int blocks)
{
    std::vector<int16_t> out(2 * kBlockFrames);
    for (int block = 0; block < blocks; ++block) {
        const size_t got = source.Read(out.data(), kBlockFrames);
        if (got > kBlockFrames) {
            std::abort();
        }
        if (got == 0) {
            return;
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2) {
        return 0;
    }
    const uint8_t options = data[0];
    const uint8_t position = data[1];
    const int rate = kRates[options & 3];
    std::unique_ptr<Platform::ModuleSource> source = Platform::ModuleSource::Open(std::span(data + 2, size - 2), rate);
    if (!source) {
        return 0;
    }
    if (source->Channels() != 2 || source->Rate() != rate) {
        std::abort();
    }
    source->SetLooping(options & 4);
    source->SetVolumeRamping(options & 8);
    source->SetGainMillibels((int32_t(options >> 4) - 8) * 600);
    Render(*source, 8);
    source->SeekOrder(position >> 4, position & 15);
    Render(*source, 2);
    source->Seek(uint64_t(position) * uint64_t(rate) / 16);
    Render(*source, 2);
    source->SetLooping(!(options & 4));
    source->Seek(0);
    Render(*source, 2);
    return 0;
}
