// Tracker modules (MOD, S3M, XM, IT and the other formats libopenmpt reads) rendered to 16-bit stereo.
// The module's data is copied when it opens, so the file may be freed at once.
#pragma once

#include "platform/PcmSource.h"

#include <cstdint>
#include <memory>
#include <span>

struct openmpt_module;

namespace Platform {

class ModuleSource : public PcmSource
{
public:
    // Null when the bytes are no module libopenmpt knows.
    static std::unique_ptr<ModuleSource> Open(std::span<const uint8_t> file, int rate);
    ~ModuleSource() override;
    ModuleSource(const ModuleSource&) = delete;
    ModuleSource& operator=(const ModuleSource&) = delete;

    int Channels() const override { return 2; }
    int Rate() const override { return rate; }
    size_t Read(int16_t* out, size_t frames) override;
    // A looping module follows its own jumps back for ever; otherwise it ends where the song ends.
    void SetLooping(bool looping) override;
    bool Seek(uint64_t frame) override;

    // To the start of a row of a position in the order list; false when the order list has no such position.
    bool SeekOrder(int order, int row);
    // Volume ramping smooths notes that start and stop; without it they start on the sample.
    void SetVolumeRamping(bool ramping);
    // A gain on the rendered module, in hundredths of a decibel; 0 renders it as written.
    void SetGainMillibels(int32_t millibels);

private:
    ModuleSource(openmpt_module* module, int rate) : module(module), rate(rate) {}

    openmpt_module* module;
    int rate;
};

} // namespace Platform
