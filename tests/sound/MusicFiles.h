// Small music files the music tests write: a stereo PCM WAVE file of given samples, and a four-channel
// ProTracker module whose first pattern sounds a square wave and whose second one silences it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace MusicFiles {

inline std::string Le(uint32_t value, int bytes)
{
    std::string out;
    for (int i = 0; i < bytes; ++i) {
        out += char((value >> (8 * i)) & 0xFF);
    }
    return out;
}

inline std::string Be16(uint16_t value)
{
    return {char(value >> 8), char(value & 0xFF)};
}

// 16-bit samples, interleaved when there are two channels.
inline std::string Wave(const std::vector<int16_t>& samples, int channels, uint32_t rate)
{
    std::string data;
    for (int16_t sample : samples) {
        data += Le(uint16_t(sample), 2);
    }
    const auto align = uint32_t(2 * channels);
    return "RIFF" + Le(uint32_t(36 + data.size()), 4) + "WAVE" + "fmt " + Le(16, 4) + Le(1, 2) +
           Le(uint32_t(channels), 2) + Le(rate, 4) + Le(rate * align, 4) + Le(align, 2) + Le(16, 2) + "data" +
           Le(uint32_t(data.size()), 4) + data;
}

// Interleaved left, right at 44100 Hz.
inline std::string StereoWave(const std::vector<int16_t>& samples)
{
    return Wave(samples, 2, 44100);
}

// Left and right of frame i: a ramp that repeats every 100 frames, and its negation.
inline std::vector<int16_t> RampFrames(int frames)
{
    std::vector<int16_t> samples;
    for (int i = 0; i < frames; ++i) {
        const auto value = int16_t((i % 100) * 200 - 10000);
        samples.push_back(value);
        samples.push_back(int16_t(-value));
    }
    return samples;
}

inline std::vector<int16_t> ConstantFrames(int frames, int16_t value)
{
    return std::vector<int16_t>(size_t(2 * frames), value);
}

// One pattern cell: sample 1 at period 428 (C-3), with an effect.
inline std::string NoteCell(uint8_t effect, uint8_t parameter)
{
    return {char(0x01), char(0xAC), char(0x10 | effect), char(parameter)};
}

// Orders 0 and 1 play patterns 0 and 1. Pattern 0 starts sample 1, a looping square wave at full
// volume, on channel 1; pattern 1 starts it again with effect C00, volume 0.
inline std::string SquareModule()
{
    std::string file(20, '\0');
    for (int sample = 1; sample <= 31; ++sample) {
        file += std::string(22, '\0');
        const bool square = sample == 1;
        file += Be16(square ? 16 : 0) + char(0) + char(square ? 64 : 0) + Be16(0) + Be16(square ? 16 : 1);
    }
    file += char(2);
    file += char(127);
    std::string orders(128, '\0');
    orders[1] = 1;
    file += orders + "M.K.";
    const std::string emptyCell(4, '\0');
    for (uint8_t volumeEffect : {uint8_t(0), uint8_t(0x0C)}) {
        file += NoteCell(volumeEffect, 0) + emptyCell + emptyCell + emptyCell;
        for (int cell = 4; cell < 64 * 4; ++cell) {
            file += emptyCell;
        }
    }
    file += std::string(16, char(100)) + std::string(16, char(-100));
    return file;
}

} // namespace MusicFiles
