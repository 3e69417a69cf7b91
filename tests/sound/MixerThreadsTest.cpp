// Sounds started, changed and stopped on the main thread while another thread renders, as the audio
// callback does; the ThreadSanitizer build runs it to show the mixer's locking.
#include "SoundFixture.h"

#include <atomic>
#include <thread>

namespace {

class MixerThreadsTest : public SoundFixture
{};

TEST_F(MixerThreadsTest, MainThreadPlaysWhileTheCallbackMixes)
{
    MakeManager();
    temp.Write("tone.wav", Wave(std::vector<int16_t>(600, 3000)));
    ASSERT_TRUE(manager->LoadSound(0, temp.Path() + "tone"));
    Platform::SoundMixer& mixer = manager->GetDevice()->Mixer();
    std::atomic<bool> done{false};
    std::atomic<int> blocks{0};
    std::thread callback([&] {
        std::vector<int16_t> out(2 * 256);
        while (!done) {
            mixer.Render(out.data(), 256);
            ++blocks;
        }
    });
    for (int i = 0; i < 2000; ++i) {
        if (Tolm::SoundInstance* instance = manager->NewInstance(0)) {
            instance->SetPan(i % 2 ? 3000 : -3000);
            instance->SetPitch(i % 12);
            instance->Play(i % 7 == 0, true);
        }
        manager->SetVolume((i % 10) / 10.0);
        if (i % 50 == 0) {
            manager->StopAll();
            manager->DeleteAllInstances();
            manager->LoadSound(1, temp.Path() + "tone");
        }
        clock.Advance(3);
    }
    while (blocks < 10) {
        std::this_thread::yield();
    }
    done = true;
    callback.join();
    manager->DeleteAllInstances();
    EXPECT_GE(blocks.load(), 10);
}

} // namespace
