#include "AudioFiles.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>

namespace Synth {

namespace {

void PutLe(std::vector<uint8_t>& out, uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i) {
        out.push_back(uint8_t(value >> (8 * i)));
    }
}

} // namespace

std::vector<int16_t> ToPcm(const Samples& samples)
{
    std::vector<int16_t> pcm(samples.size());
    for (size_t i = 0; i < samples.size(); ++i) {
        pcm[i] = int16_t(std::lround(std::clamp(samples[i], -1.0f, 1.0f) * 32767.0f));
    }
    return pcm;
}

std::vector<uint8_t> WaveFile(const std::vector<int16_t>& pcm, int channels, int rate)
{
    const auto bytes = uint32_t(pcm.size() * 2);
    const auto align = uint32_t(2 * channels);
    std::vector<uint8_t> out{'R', 'I', 'F', 'F'};
    PutLe(out, 36 + bytes, 4);
    out.insert(out.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    PutLe(out, 16, 4);
    PutLe(out, 1, 2);
    PutLe(out, uint32_t(channels), 2);
    PutLe(out, uint32_t(rate), 4);
    PutLe(out, uint32_t(rate) * align, 4);
    PutLe(out, align, 2);
    PutLe(out, 16, 2);
    out.insert(out.end(), {'d', 'a', 't', 'a'});
    PutLe(out, bytes, 4);
    for (int16_t sample : pcm) {
        PutLe(out, uint16_t(sample), 2);
    }
    return out;
}

bool WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes)
{
    std::error_code error;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), error);
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return bool(out);
}

} // namespace Synth
