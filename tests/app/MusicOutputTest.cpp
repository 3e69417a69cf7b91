// The game's music recorded through SDL's disk audio driver: the menu track fades in, then cross-fades
// into the first level track as a level's music starts, with the music interface updated every 10 ms of
// playing, as the main loop updates it. The recording's loudness over time is printed and drawn into
// "music_crossfade.png" to look at.
#include "RecordedGameFixture.h"
#include "sound/MusicInterface.h"
#include "sound/MusicManager.h"
#include "support/PngFile.h"

#include <cmath>
#include <cstdio>

namespace {

constexpr size_t kBytesPerUpdate = kBytesPerSecond / 100;
// The loudness is measured over windows of this many seconds.
constexpr double kWindow = 0.1;

class MusicOutputTest : public RecordedGameFixture
{
protected:
    // Plays on for the seconds, updating the music interface once for every 10 ms recorded.
    void PlayFor(double seconds)
    {
        const size_t start = RecordedBytes();
        const size_t end = start + size_t(seconds * kBytesPerSecond);
        size_t updates = 0;
        while (RecordedBytes() < end) {
            WaitForRecording(std::min(end, RecordedBytes() + kBytesPerUpdate));
            for (; updates < (RecordedBytes() - start) / kBytesPerUpdate; ++updates) {
                app->musicInterface->Update();
            }
        }
    }

    // dB below full scale of each window of the recording from one byte offset to another.
    std::vector<double> Loudness(size_t from, size_t to) const
    {
        const std::vector<int16_t> samples = Recorded(from, to);
        const auto window = size_t(kWindow * kBytesPerSecond / 2);
        std::vector<double> levels;
        for (size_t at = 0; at + window <= samples.size(); at += window) {
            double squares = 0;
            for (size_t i = at; i < at + window; ++i) {
                squares += double(samples[i]) * samples[i];
            }
            levels.push_back(20 * std::log10(std::max(std::sqrt(squares / double(window)), 1.0) / 32768));
        }
        return levels;
    }
};

// A bar for each window, from -60 dBFS at the bottom to 0 at the top: blue before the switch, orange after.
void DrawLoudness(const std::vector<double>& levels, size_t switchWindow, const std::string& file)
{
    constexpr int kBar = 8;
    constexpr int kHeight = 240;
    const int width = int(levels.size()) * kBar;
    std::vector<uint32_t> pixels(size_t(width * kHeight), 0xFF202020);
    for (size_t window = 0; window < levels.size(); ++window) {
        const int top = int(kHeight * std::clamp(-levels[window] / 60.0, 0.0, 1.0));
        const uint32_t colour = window < switchWindow ? 0xFF4A90D9 : 0xFFE8963A;
        for (int y = top; y < kHeight; ++y) {
            for (int x = int(window) * kBar; x < int(window + 1) * kBar - 1; ++x) {
                pixels[size_t(y * width + x)] = colour;
            }
        }
    }
    // Every 10 dB.
    for (int y = 0; y < kHeight; y += kHeight / 6) {
        for (int x = 0; x < width; x += 2) {
            pixels[size_t(y * width + x)] = 0xFF909090;
        }
    }
    EXPECT_TRUE(PngFile::Write(file, width, kHeight, pixels.data()));
}

TEST_F(MusicOutputTest, TheMenuTrackCrossFadesIntoALevelTrack)
{
    ASSERT_NO_FATAL_FAILURE(StartGame());
    // The manager loads its four tracks on first use, which takes its time on a busy machine while the
    // recording goes on: the fade starts after that.
    MusicManager::Instance();
    WaitForRecording(kBytesPerSecond / 10);
    const size_t start = RecordedBytes();
    PlayMenuMusic();
    PlayFor(3.0);
    EXPECT_TRUE(app->musicInterface->IsPlaying(0));
    const size_t switched = RecordedBytes();
    PlayLevelMusic(1);
    PlayFor(3.0);
    const size_t end = RecordedBytes();

    EXPECT_FALSE(app->musicInterface->IsPlaying(0));
    EXPECT_TRUE(app->musicInterface->IsPlaying(1));
    const std::vector<double> levels = Loudness(start, end);
    const auto switchWindow = size_t(double(switched - start) / kBytesPerSecond / kWindow);
    std::printf("Loudness every %g s (dBFS), the level track's music starting at window %zu:\n", kWindow, switchWindow);
    for (size_t window = 0; window < levels.size(); ++window) {
        std::printf("%5.1f%s", levels[window], window % 10 == 9 ? "\n" : " ");
    }
    std::printf("\n");
    // Beside the test rather than in the data set the game runs in.
    DrawLoudness(levels, switchWindow, previousFolder + "/music_crossfade.png");

    // The menu track fades in over its first second and plays on.
    ASSERT_GT(levels.size(), switchWindow + 25);
    EXPECT_LT(levels[0], levels[15] - 10);
    for (size_t window = 12; window < switchWindow; ++window) {
        EXPECT_GT(levels[window], -40) << "menu, window " << window;
    }
    // Through the cross-fade and after it the music never drops out.
    for (size_t window = switchWindow; window < levels.size(); ++window) {
        EXPECT_GT(levels[window], -45) << "cross-fade, window " << window;
    }
    EXPECT_TRUE(popups.shown.empty());
}

} // namespace
