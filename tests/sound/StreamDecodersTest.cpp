// The stream decoders on small files made by hand: each opens as the layout its header gives and decodes
// to the samples it holds, or is refused; an empty or damaged file is refused, never read out of bounds.
#include "platform/StreamDecoders.h"

#include "MusicFiles.h"

#include <gtest/gtest.h>

namespace {

using MusicFiles::Le;

std::string Format(uint16_t channels, uint32_t rate, uint16_t bits)
{
    const uint32_t align = uint32_t(channels) * bits / 8;
    return "fmt " + Le(16, 4) + Le(1, 2) + Le(channels, 2) + Le(rate, 4) + Le(rate * align, 4) + Le(align, 2) +
           Le(bits, 2);
}

// The chunks after a RIFF WAVE header.
std::string Riff(const std::string& chunks)
{
    return "RIFF" + Le(uint32_t(4 + chunks.size()), 4) + "WAVE" + chunks;
}

std::string Data(const std::string& samples)
{
    return "data" + Le(uint32_t(samples.size()), 4) + samples;
}

// Samples 1000 and -2000, little-endian.
const std::string kTwoSamples("\xE8\x03\x30\xF8", 4);

TEST(StreamDecodersTest, FilesOpenAsTheirHeadersSayOrAreRefused)
{
    const struct
    {
        const char* name;
        std::string file;
        // 0: refused.
        int channels;
        int rate;
        std::vector<int16_t> samples;
    } cases[] = {
        {"empty file", "", 0, 0, {}},
        {"RIFF alone", "RIFF", 0, 0, {}},
        {"Ogg mark alone", "OggS", 0, 0, {}},
        {"three stray bytes", "\x01\x02\x03", 0, 0, {}},
        {"WAVE with its data before any format", Riff(Data(kTwoSamples) + Format(1, 44100, 16)), 0, 0, {}},
        {"WAVE of three channels", Riff(Format(3, 44100, 16) + Data(kTwoSamples + "ab")), 0, 0, {}},
        {"WAVE of 12-bit samples", Riff(Format(1, 44100, 12) + Data(kTwoSamples)), 0, 0, {}},
        {"mono 16-bit WAVE", Riff(Format(1, 44100, 16) + Data(kTwoSamples)), 1, 44100, {1000, -2000}},
        {"stereo 16-bit WAVE", Riff(Format(2, 32000, 16) + Data(kTwoSamples)), 2, 32000, {1000, -2000}},
        // Unsigned bytes around 128, widened to 16 bits.
        {"mono 8-bit WAVE",
         Riff(Format(1, 22050, 8) + Data(std::string("\x80\xFF\x00", 3))),
         1,
         22050,
         {0, 32512, -32768}},
        {"data longer than the file plays what is there",
         Riff(Format(1, 44100, 16) + "data" + Le(100, 4) + kTwoSamples),
         1,
         44100,
         {1000, -2000}},
        {"half a sample at the end is dropped", Riff(Format(1, 44100, 16) + Data("\xE8\x03\x30")), 1, 44100, {1000}},
    };
    for (const auto& entry : cases) {
        SCOPED_TRACE(entry.name);
        const std::vector<uint8_t> bytes(entry.file.begin(), entry.file.end());
        std::unique_ptr<Platform::PcmSource> source = Platform::OpenStreamSource(bytes);
        if (entry.channels == 0) {
            EXPECT_EQ(source, nullptr);
            continue;
        }
        ASSERT_NE(source, nullptr);
        EXPECT_EQ(source->Channels(), entry.channels);
        EXPECT_EQ(source->Rate(), entry.rate);
        std::vector<int16_t> pcm;
        EXPECT_TRUE(Platform::DecodeToEnd(*source, 16, pcm));
        EXPECT_EQ(pcm, entry.samples);
    }
}

} // namespace
