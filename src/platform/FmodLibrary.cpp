// The FMOD sample functions on libmpg123. A sample decodes its whole file at once into 16-bit
// interleaved PCM at the file's own rate and channels.
#include "platform/FmodLibrary.h"

#include "platform/FileSystem.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <mpg123.h>

namespace Platform {

class FmodSample
{
public:
    int channels = 0;
    long rate = 0;
    std::vector<uint8_t> pcm;
};

namespace {

// More decoded audio than any effect needs (about 25 minutes of stereo at 44.1 kHz): a file that
// claims more is refused instead of filling memory.
constexpr size_t kMaxDecodedBytes = size_t(256) << 20;

struct HandleDeleter
{
    void operator()(mpg123_handle* handle) const
    {
        mpg123_close(handle);
        mpg123_delete(handle);
    }
};

bool DecodeAll(mpg123_handle* handle, FmodSample& sample)
{
    int encoding = 0;
    int channels = 0;
    long rate = 0;
    uint8_t block[16384];
    for (;;) {
        size_t done = 0;
        int result = mpg123_read(handle, block, sizeof block, &done);
        if (sample.pcm.size() + done > kMaxDecodedBytes) {
            return false;
        }
        sample.pcm.insert(sample.pcm.end(), block, block + done);
        if (result == MPG123_NEW_FORMAT) {
            mpg123_getformat(handle, &rate, &channels, &encoding);
            if (sample.channels != 0 && (channels != sample.channels || rate != sample.rate)) {
                return false;
            }
            sample.channels = channels;
            sample.rate = rate;
        } else if (result == MPG123_DONE) {
            return sample.channels != 0 && !sample.pcm.empty();
        } else if (result != MPG123_OK) {
            return false;
        }
    }
}

FmodSample* SampleLoad(int, const char* name, uint32_t, int)
{
    if (!name) {
        return nullptr;
    }
    std::unique_ptr<mpg123_handle, HandleDeleter> handle(mpg123_new(nullptr, nullptr));
    if (!handle) {
        return nullptr;
    }
    mpg123_param(handle.get(), MPG123_ADD_FLAGS, MPG123_QUIET, 0.0);
    mpg123_format_none(handle.get());
    const long* rates = nullptr;
    size_t rateCount = 0;
    mpg123_rates(&rates, &rateCount);
    for (size_t i = 0; i < rateCount; ++i) {
        mpg123_format(handle.get(), rates[i], MPG123_MONO | MPG123_STEREO, MPG123_ENC_SIGNED_16);
    }
    if (mpg123_open(handle.get(), DiskPath(name).c_str()) != MPG123_OK) {
        return nullptr;
    }
    auto sample = std::make_unique<FmodSample>();
    if (!DecodeAll(handle.get(), *sample)) {
        return nullptr;
    }
    return sample.release();
}

void SampleFree(FmodSample* sample)
{
    delete sample;
}

uint32_t SampleGetMode(FmodSample* sample)
{
    return FSOUND_16BITS | (sample && sample->channels == 1 ? FSOUND_MONO : FSOUND_STEREO);
}

signed char SampleGetDefaults(FmodSample* sample, int* frequency, int* volume, int* pan, int* priority)
{
    if (!sample) {
        return 0;
    }
    if (frequency) {
        *frequency = int(sample->rate);
    }
    if (volume) {
        *volume = 255;
    }
    if (pan) {
        *pan = 128;
    }
    if (priority) {
        *priority = 128;
    }
    return 1;
}

uint32_t SampleGetLength(FmodSample* sample)
{
    return sample ? uint32_t(sample->pcm.size() / (2 * size_t(sample->channels))) : 0;
}

signed char SampleLock(FmodSample* sample, int offset, int length, void** first, void** second, uint32_t* firstBytes,
                       uint32_t* secondBytes)
{
    if (!sample || offset < 0 || length < 0 || size_t(offset) > sample->pcm.size()) {
        return 0;
    }
    *first = sample->pcm.data() + offset;
    *firstBytes = uint32_t(std::min(size_t(length), sample->pcm.size() - size_t(offset)));
    *second = nullptr;
    *secondBytes = 0;
    return 1;
}

signed char SampleUnlock(FmodSample* sample, void*, void*, uint32_t, uint32_t)
{
    return sample ? 1 : 0;
}

signed char SetBufferSize(int)
{
    return 1;
}

signed char SetHWND(void*)
{
    return 1;
}

signed char Init(int, int, uint32_t)
{
    return 1;
}

void Close() {}

template <typename Proc>
LibraryProc Export(Proc proc)
{
    return reinterpret_cast<LibraryProc>(proc);
}

} // namespace

std::vector<LibraryExport> FmodExports()
{
    return {
        {"_FSOUND_SetBufferSize@4", Export<FSOUND_SetBufferSizeProc>(SetBufferSize)},
        {"_FSOUND_SetHWND@4", Export<FSOUND_SetHWNDProc>(SetHWND)},
        {"_FSOUND_Init@12", Export<FSOUND_InitProc>(Init)},
        {"_FSOUND_Close@0", Export<FSOUND_CloseProc>(Close)},
        {"_FSOUND_Sample_Load@16", Export<FSOUND_Sample_LoadProc>(SampleLoad)},
        {"_FSOUND_Sample_Free@4", Export<FSOUND_Sample_FreeProc>(SampleFree)},
        {"_FSOUND_Sample_Lock@28", Export<FSOUND_Sample_LockProc>(SampleLock)},
        {"_FSOUND_Sample_Unlock@20", Export<FSOUND_Sample_UnlockProc>(SampleUnlock)},
        {"_FSOUND_Sample_GetLength@4", Export<FSOUND_Sample_GetLengthProc>(SampleGetLength)},
        {"_FSOUND_Sample_GetDefaults@20", Export<FSOUND_Sample_GetDefaultsProc>(SampleGetDefaults)},
        {"_FSOUND_Sample_GetMode@4", Export<FSOUND_Sample_GetModeProc>(SampleGetMode)},
    };
}

} // namespace Platform
