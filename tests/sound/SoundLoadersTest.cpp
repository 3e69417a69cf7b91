// The sound file loaders on files the tests write: WAVE with its own chunks, Sun audio, Ogg Vorbis
// from the data set and MP3 through the FMOD stand-in. What loaded is heard through the mixer.
#include "SoundFixture.h"
#include "sound/SoundManager.h"

#include <filesystem>
#include <fstream>
#include <utime.h>

namespace {

class SoundLoadersTest : public SoundFixture
{
protected:
    void SetUp() override { MakeManager(); }

    // Loads the file (named without extension) into id 0 and renders frames of what one instance plays.
    std::vector<int> LoadAndRender(const std::string& name, int frames)
    {
        manager->DeleteAllInstances();
        if (!manager->LoadSound(0, temp.Path() + name)) {
            return {};
        }
        manager->NewInstance(0)->Play(false, true);
        return Render(frames);
    }

    static std::string Riff(const std::string& chunks)
    {
        return "RIFF" + Le32(uint32_t(4 + chunks.size())) + "WAVE" + chunks;
    }

    static std::string Au(uint32_t offset, uint32_t size, uint32_t encoding, uint32_t rate, uint32_t channels,
                          const std::string& data)
    {
        std::string header = ".snd" + Be32(offset) + Be32(size) + Be32(encoding) + Be32(rate) + Be32(channels);
        header.resize(offset, '\0');
        return header + data;
    }

    static std::string Be32(uint32_t value)
    {
        return {char(value >> 24), char((value >> 16) & 0xFF), char((value >> 8) & 0xFF), char(value & 0xFF)};
    }

    // A chunk holding a file name and that file's last-write time as a FILETIME.
    static std::string Dep(const std::string& name, uint64_t fileTime)
    {
        return Chunk("dep ",
                     Le16(uint16_t(name.size())) + name + Le32(uint32_t(fileTime)) + Le32(uint32_t(fileTime >> 32)));
    }
};

const std::string kMono16 = SoundFixture::Chunk("fmt ", SoundFixture::Fmt(1, 1, 44100, 16));
// Samples 1000 and -2000, little-endian.
const std::string kTwoSamples = std::string("\xE8\x03\x30\xF8", 4);

TEST_F(SoundLoadersTest, WaveFilesLoadOrFailAsTheirChunksSay)
{
    const std::string odd = SoundFixture::Chunk("junk", "abc");
    const struct
    {
        const char* name;
        std::string file;
        std::vector<int> expected;
    } cases[] = {
        {"plain", Riff(kMono16 + Chunk("data", kTwoSamples)), {1000, 1000, -2000, -2000}},
        {"odd chunk without a pad byte", Riff(odd + kMono16 + Chunk("data", kTwoSamples)), {1000, 1000, -2000, -2000}},
        {"xor before data restores the samples",
         Riff(kMono16 + Chunk("xor ", "\x5A") + Chunk("data", std::string("\xB2\x59\x6A\xA2", 4))),
         {1000, 1000, -2000, -2000}},
        {"xor after data does nothing",
         Riff(kMono16 + Chunk("data", kTwoSamples) + Chunk("xor ", "\x5A")),
         {1000, 1000, -2000, -2000}},
        // 22050 Hz plays at half a frame per output frame: 1000, then halfway to -2000.
        {"no fmt chunk is 16-bit mono at 22050 Hz", Riff(Chunk("data", kTwoSamples)), {1000, 1000, -500, -500}},
        {"8-bit stereo", Riff(Chunk("fmt ", Fmt(1, 2, 44100, 8)) + Chunk("data", "\xC0\x40\x80\x80")), {16384, -16384}},
        {"float format fails", Riff(Chunk("fmt ", Fmt(3, 1, 44100, 16)) + Chunk("data", kTwoSamples)), {}},
        {"three channels fail", Riff(Chunk("fmt ", Fmt(1, 3, 44100, 16)) + Chunk("data", kTwoSamples + "ab")), {}},
        {"rate 0 fails", Riff(Chunk("fmt ", Fmt(1, 1, 0, 16)) + Chunk("data", kTwoSamples)), {}},
        // Header fields as large as they go: the buffer's layout must be refused before any product of them.
        {"65535 channels of 65535 bits fail",
         Riff(Chunk("fmt ", Fmt(1, 0xFFFF, 44100, 0xFFFF)) + Chunk("data", kTwoSamples)),
         {}},
        {"no channels fail", Riff(Chunk("fmt ", Fmt(1, 0, 44100, 16)) + Chunk("data", kTwoSamples)), {}},
        {"12-bit samples fail", Riff(Chunk("fmt ", Fmt(1, 1, 44100, 12)) + Chunk("data", kTwoSamples)), {}},
        {"data longer than the file fails", Riff(kMono16 + "data" + Le32(0xFFFFFFF0u) + kTwoSamples), {}},
        {"data cut short fails", Riff(kMono16 + "data" + Le32(8) + kTwoSamples), {}},
        {"no data chunk fails", Riff(kMono16), {}},
        {"short fmt at the end fails", Riff("fmt " + Le32(16) + "\x01"), {}},
        {"not RIFF fails", "RIFX" + Riff(kMono16 + Chunk("data", kTwoSamples)).substr(4), {}},
        {"not WAVE fails", "RIFF" + Le32(0) + "AVI " + kMono16 + Chunk("data", kTwoSamples), {}},
        {"empty file fails", "", {}},
    };
    for (const auto& entry : cases) {
        SCOPED_TRACE(entry.name);
        temp.Write("sound.wav", entry.file);
        EXPECT_EQ(LoadAndRender("sound", int(entry.expected.size() / 2)), entry.expected);
        EXPECT_EQ(manager->GetSoundCount(), entry.expected.empty() ? 0 : 1);
    }
}

TEST_F(SoundLoadersTest, DependencyChunkFallsBackToTheNextFormatWhenStale)
{
    const std::string dependency = temp.Path() + "source.txt";
    temp.Write("source.txt", "x");
    // 2001-09-09 01:46:40 UTC, 10^9 seconds after 1970: (10^9 + 11644473600) x 10^7 ticks since 1601.
    utimbuf times{1000000000, 1000000000};
    ASSERT_EQ(utime(dependency.c_str(), &times), 0);
    const uint64_t fileTime = (1000000000ull + 11644473600ull) * 10000000ull;
    temp.Write("fresh.wav", Riff(kMono16 + Dep(dependency, fileTime) + Chunk("data", kTwoSamples)));
    EXPECT_EQ(LoadAndRender("fresh", 1), (std::vector<int>{1000, 1000}));

    // The stale WAVE file gives way to the Sun audio file beside it: mu-law 0x81 is 30592.
    temp.Write("stale.wav", Riff(kMono16 + Dep(dependency, fileTime + 1) + Chunk("data", kTwoSamples)));
    temp.Write("stale.au", Au(24, 4, 1, 44100, 1, "\x81\x81\x81\x81"));
    EXPECT_EQ(LoadAndRender("stale", 1), (std::vector<int>{30592, 30592}));
    temp.Write("missing.wav", Riff(kMono16 + Dep(temp.Path() + "nowhere", fileTime) + Chunk("data", kTwoSamples)));
    EXPECT_FALSE(manager->LoadSound(0, temp.Path() + "missing"));
}

TEST_F(SoundLoadersTest, WaveWinsOverOggAndNamesTakeNoExtension)
{
    temp.Write("click.wav", Riff(kMono16 + Chunk("data", kTwoSamples)));
    std::filesystem::copy_file(std::string(QUENDARA_BUILD_DATA) + "/sounds/button_down.ogg", temp.Path() + "click.ogg");
    EXPECT_EQ(LoadAndRender("click", 1), (std::vector<int>{1000, 1000}));
    EXPECT_FALSE(manager->LoadSound(1, temp.Path() + "click.wav"));
}

TEST_F(SoundLoadersTest, SunAudioDecodesMuLawAndSigned8Bit)
{
    temp.Write("mulaw.au", Au(24, 6, 1, 44100, 1, std::string("\xFF\x7F\x81\x01\x80\x00", 6)));
    EXPECT_EQ(LoadAndRender("mulaw", 6),
              (std::vector<int>{0, 0, 0, 0, 30592, 30592, -30592, -30592, 1020, 1020, -1020, -1020}));
    // Signed 64 and -64 are 0xC0 and 0x40 in the buffer's unsigned bytes.
    temp.Write("linear.au", Au(32, 4, 2, 44100, 1, std::string("\x40\xC0\x00\x00", 4)));
    EXPECT_EQ(LoadAndRender("linear", 2), (std::vector<int>{16384, 16384, -16384, -16384}));
    temp.Write("unknown.au", Au(24, 0xFFFFFFFFu, 2, 44100, 1, "\x40\x40\x40\x40"));
    EXPECT_EQ(LoadAndRender("unknown", 4), (std::vector<int>(8, 16384)));

    for (const std::string& bad :
         {Au(24, 5, 1, 44100, 1, "\x81\x81\x81\x81"), Au(24, 0x80000000u, 1, 44100, 1, "abcd"),
          Au(24, 4, 3, 44100, 1, "abcd"), Au(24, 4, 2, 0, 1, "abcd"), Au(24, 4, 2, 44100, 0, "abcd"),
          "snd." + Au(24, 4, 2, 44100, 1, "abcd").substr(4), Au(24, 4, 2, 44100, 1, "abcd").substr(0, 20),
          Au(24, 4, 2, 44100, 1, "abcd").substr(0, 10) + Be32(999)}) {
        temp.Write("bad.au", bad);
        EXPECT_FALSE(manager->LoadSound(0, temp.Path() + "bad"));
        EXPECT_EQ(manager->GetSoundCount(), 0);
    }
}

TEST_F(SoundLoadersTest, OggVorbisLoadsWholeAndDamagedStreamsFail)
{
    std::ifstream in(std::string(QUENDARA_BUILD_DATA) + "/sounds/chain_explode.ogg", std::ios::binary);
    const std::string ogg((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_GT(ogg.size(), 1000u);
    temp.Write("boom.ogg", ogg);
    ASSERT_TRUE(manager->LoadSound(0, temp.Path() + "boom"));
    Tolm::SoundInstance* instance = manager->NewInstance(0);
    instance->Play(false, true);
    const std::vector<int> heard = Render(4410);
    int loudest = 0;
    for (int sample : heard) {
        loudest = std::max(loudest, std::abs(sample));
    }
    // The effect peaks at -7 dB below full scale: 32767 x 10^(-7/20) = 14640, give or take the codec.
    EXPECT_NEAR(loudest, 14640, 1500);

    const std::pair<const char*, std::string> damaged[] = {
        {"headers cut", ogg.substr(0, 200)},
        {"not Ogg", "OggS garbage"},
        {"a WAVE file named .ogg", Riff(kMono16 + Chunk("data", kTwoSamples))},
    };
    for (const auto& [name, bad] : damaged) {
        SCOPED_TRACE(name);
        temp.Write("bad.ogg", bad);
        EXPECT_FALSE(manager->LoadSound(0, temp.Path() + "bad"));
        EXPECT_EQ(manager->GetSoundCount(), 0);
    }
}

// MPEG-1 layer III frames at 128 kbit/s, 44100 Hz, stereo, without CRC: 417 bytes each, and all-zero
// side information and main data decode to silence.
std::string SilentMp3(int frames)
{
    std::string frame(417, '\0');
    frame[0] = '\xFF';
    frame[1] = '\xFB';
    frame[2] = '\x90';
    std::string file;
    for (int i = 0; i < frames; ++i) {
        file += frame;
    }
    return file;
}

TEST_F(SoundLoadersTest, Mp3LoadsOnlyWithTheFmodFlag)
{
    temp.Write("quiet.mp3", SilentMp3(40));
    EXPECT_FALSE(manager->LoadSound(0, temp.Path() + "quiet"));
    MakeManager(true);
    ASSERT_TRUE(manager->LoadSound(0, temp.Path() + "quiet"));
    manager->NewInstance(0)->Play(false, true);
    EXPECT_EQ(Render(2), (std::vector<int>{0, 0, 0, 0}));
    temp.Write("noise.mp3", "ID3 not an mp3 at all");
    EXPECT_FALSE(manager->LoadSound(1, temp.Path() + "noise"));
}

} // namespace
