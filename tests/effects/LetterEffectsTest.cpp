// Texts laid out letter by letter: the letters of an image font through its character map, the spread
// placement, the particled text's fade-in with a burst per letter, its hold and its final burst, and
// the swirl text's four draws per letter, its flight in, its rest exactly in place and its flight out;
// and texts without letters, which still run and end.
#include "ParticleFixtures.h"
#include "core/Random.h"
#include "effects/GfxManager.h"
#include "effects/ImageText.h"
#include "gameeffects/GfxParticledText.h"
#include "gameeffects/GfxSwirlText.h"
#include "graphics/FontData.h"
#include "graphics/ImageFont.h"
#include "support/FixedWidthFont.h"

#include <cmath>

namespace {

using ParticleFixtures::Key;
using ParticleFixtures::ParticleFile;

// Every draw as its position, the matrix it went through (identity for plain ones) and its colour.
class LetterRecorder : public Tolm::Image
{
public:
    struct Draw
    {
        Tolm::Rect source;
        float x;
        float y;
        Tolm::Matrix3 matrix;
        Tolm::Color color;
    };

    LetterRecorder()
    {
        width = 800;
        height = 600;
    }
    void BlitF(Tolm::Image*, float x, float y, const Tolm::Rect& sourceRect, const Tolm::Rect&,
               const Tolm::Color& color, int) override
    {
        draws.push_back({sourceRect, x, y, Tolm::Matrix3(), color});
    }
    void BlitMatrix(Tolm::Image*, float x, float y, const Tolm::Matrix3& matrix, const Tolm::Rect&,
                    const Tolm::Color& color, int, const Tolm::Rect& sourceRect, bool) override
    {
        draws.push_back({sourceRect, x, y, matrix, color});
    }

    std::vector<Draw> draws;
};

// A font 11 high whose glyphs sit side by side: A 11 wide, B 12, C 14 and the Latin-1 E acute 9; a
// space is 6 wide and has no glyph. Lower case maps to upper case.
class LetterEffectsTest : public ParticleFixtures::ParticleTest
{
protected:
    void SetUp() override
    {
        ParticleTest::SetUp();
        LoadDot();
        glyphs.Create(46, 11);
        glyphs.Clear();
        temp.Write("widths.txt", "6 9 A 11 B 12 C 14 \xC9 9");
        font = Tolm::ImageFont::ImageFontFromImage(&glyphs, temp.Path() + "widths.txt");
        ASSERT_TRUE(font->fontData->loaded);
    }

    // One-shot bursts of five particles that live `life` seconds.
    void LoadLetterExplode(const std::string& life)
    {
        ASSERT_TRUE(Load("letter_explode",
                         ParticleFile(Key("image_id", "GFX_TEST_DOT") + Key("emission", "5") + Key("lifetime", "-3") +
                                      Key("particle_life_min", life) + Key("particle_life_max", life))));
    }

    // One update pass and one tick of dt.
    void Frame(float dt = 1)
    {
        list.UpdateEffects();
        list.TickEffects(dt);
    }
    // Frames until the list is empty, at most `limit`; how many ran.
    int RunOut(int limit, float dt = 1)
    {
        int frames = 0;
        while (!list.IsEmpty() && frames < limit) {
            Frame(dt);
            ++frames;
        }
        return frames;
    }

    Tolm::MemoryImage glyphs;
    std::unique_ptr<Tolm::ImageFont> font;
    GfxManager list;
    LetterRecorder screen;
    Tolm::Graphics g{&screen};
};

TEST_F(LetterEffectsTest, LettersComeFromTheFirstLayerThroughTheCharacterMap)
{
    ImageText text("aBc\xC9", font.get(), 100, 50);
    EXPECT_EQ(text.glyphImage, font->activeLayers.at(0)->image);
    EXPECT_EQ(text.height, 11);
    EXPECT_EQ(text.totalWidth, 11 + 12 + 14 + 9);
    ASSERT_EQ(text.LetterCount(), 4);
    const Tolm::Rect rects[] = {{0, 0, 11, 11}, {11, 0, 12, 11}, {23, 0, 14, 11}, {37, 0, 9, 11}};
    const unsigned char characters[] = {'A', 'B', 'C', 0xC9};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(text.letters[std::size_t(i)].source, rects[i]) << i;
        EXPECT_EQ(text.letters[std::size_t(i)].character, characters[i]) << i;
    }
    // Drawn as the font sets them, from 100 - 46 / 2 on, their tops at 50 - 11 / 2.
    g.SetColor(Tolm::Color(255, 0, 0, 200));
    text.Draw(g);
    ASSERT_EQ(screen.draws.size(), 4u);
    const float lefts[] = {77, 88, 100, 114};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(screen.draws[std::size_t(i)].x, lefts[i]) << i;
        EXPECT_EQ(screen.draws[std::size_t(i)].y, 44.5f) << i;
        EXPECT_EQ(screen.draws[std::size_t(i)].color.ToPacked(), 0xC8FF0000u) << "tinted";
    }
}

// "ABC" round x = 100: the pen starts at 100 - 37 / 2 - 3 x 4 / 2 = 76 in integers and moves by each
// width plus 4; a letter's centre is half its width on, in floats. The particled text takes its centre
// y as 50 - 11 x 0.5 in floats, the swirl text as 50 - 11 / 2 in integers.
TEST_F(LetterEffectsTest, LettersAreSpreadFourPixelsWiderAndCentred)
{
    const float centres[] = {76 + 5.5f, 91 + 6, 107 + 7};
    GfxParticledText particled("ABC", font.get(), 100, 50);
    GfxSwirlText swirl("ABC", font.get(), 100, 50);
    ASSERT_EQ(particled.letterStates.size(), 3u);
    ASSERT_EQ(swirl.paths.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(particled.letterStates[i].centreX, centres[i]) << i;
        EXPECT_EQ(particled.letterStates[i].centreY, 44.5f) << i;
        EXPECT_EQ(swirl.paths[i].targetX, centres[i]) << i;
        EXPECT_EQ(swirl.paths[i].targetY, 45) << i;
    }
}

// Letter i of 3 shows once trunc((2 fade - i / 3) x 255) > 0: at fades of 0.005, 0.17 and 0.34, the
// 1st, 34th and 68th ticks at 0.005 a tick. Each bursts then, once; the three bursts of the end come at
// half the emission, 5 / 2 = 2.
TEST_F(LetterEffectsTest, EachLetterBurstsOnceAsItFirstShows)
{
    LoadLetterExplode("10");
    auto* text = new GfxParticledText("ABC", font.get(), 100, 50);
    list.AddEffect(text, false);
    const std::pair<int, int> emittersAfter[] = {{1, 1}, {33, 1}, {34, 2}, {67, 2}, {68, 3}, {150, 3}};
    int frames = 0;
    for (const auto& [frame, count] : emittersAfter) {
        while (frames < frame) {
            Frame();
            ++frames;
        }
        EXPECT_EQ(text->particles.count, count) << "after " << frame;
    }
    const float centres[] = {81.5f, 97, 114};
    for (int i = 0; i < 3; ++i) {
        const ParticleEmitter& emitter = *text->particles.emitters[std::size_t(i)];
        EXPECT_EQ(emitter.currentX, centres[i]) << i;
        EXPECT_EQ(emitter.currentY, 44.5f) << i;
        EXPECT_EQ(emitter.config.emission, 5) << i;
    }
    while (!text->exploding) {
        Frame();
    }
    ASSERT_EQ(text->particles.count, 6);
    for (int i = 3; i < 6; ++i) {
        EXPECT_EQ(text->particles.emitters[std::size_t(i)]->config.emission, 2) << i;
        EXPECT_EQ(text->particles.emitters[std::size_t(i)]->currentX, centres[i - 3]) << i;
    }
}

// At a fade of 0.25 (50 ticks) the letters show at (0.5 - i / 3) x 255, truncated and held at 0.
TEST_F(LetterEffectsTest, ParticledLettersFadeInOneAfterAnother)
{
    auto* text = new GfxParticledText("ABC", font.get(), 100, 50);
    list.AddEffect(text, false);
    for (int i = 0; i < 50; ++i) {
        Frame();
    }
    text->Draw(g);
    ASSERT_EQ(screen.draws.size(), 3u);
    const int alphas[] = {127, 42, 0};
    const float centres[] = {81.5f, 97, 114};
    const int widths[] = {11, 12, 14};
    for (std::size_t i = 0; i < 3; ++i) {
        const LetterRecorder::Draw& draw = screen.draws[i];
        EXPECT_EQ(draw.color.ToPacked(), uint32_t(alphas[i]) << 24 | 0xFFFFFF) << i;
        // Centred on the letter's centre, rounded to the nearest pixel as plain transformed draws are.
        EXPECT_EQ(draw.x, centres[i] - float(widths[i]) / 2 + 0.5f) << i;
        EXPECT_EQ(draw.y, 44.5f - 5.5f + 0.5f) << i;
    }
}

// The fade reaches 1 after about 200 ticks: the hold is armed to 50 in that tick, runs out 50 ticks
// later, and in that tick the text turns to fading out at 0.02 with every letter at offset -1.
TEST_F(LetterEffectsTest, TheHoldIsArmedAfterTheFadeInAndTheBurstFollowsIt)
{
    LoadLetterExplode("0.05");
    auto* text = new GfxParticledText("ABC", font.get(), 100, 50);
    list.AddEffect(text, false);
    EXPECT_EQ(text->hold, GfxParticledText::kHoldUnarmed);
    int frames = 0;
    while (text->fade.current < 1 && frames < 300) {
        Frame();
        ++frames;
    }
    EXPECT_NEAR(frames, 200, 1);
    EXPECT_EQ(text->hold, 50);
    for (int i = 0; i < 49; ++i) {
        Frame();
    }
    EXPECT_FALSE(text->exploding);
    EXPECT_EQ(text->fade.current, 1);
    Frame();
    EXPECT_TRUE(text->exploding);
    EXPECT_EQ(text->fade.target, 0);
    EXPECT_EQ(text->fade.speed, 0.02f);
    for (const GfxParticledText::LetterState& letter : text->letterStates) {
        EXPECT_EQ(letter.alphaOffset, -1);
    }
    // The letters are gone in 25 ticks; the fade in 50, when the bursts have died too.
    for (int i = 0; i < 25; ++i) {
        Frame();
    }
    screen.draws.clear();
    text->Draw(g);
    for (const LetterRecorder::Draw& draw : screen.draws) {
        EXPECT_EQ(draw.color.alpha, 0);
    }
    const int rest = RunOut(40);
    EXPECT_NEAR(rest, 26, 1) << "ends once the fade is out and no burst is left";
}

// The swirl draws its numbers letter by letter: start x, start y, spin size, spin sign.
TEST_F(LetterEffectsTest, SwirlLettersDrawFourNumbersEach)
{
    GfxSwirlText swirl("ABC", font.get(), 100, 50);
    SeedRandom(3);
    std::vector<GfxSwirlText::LetterPath> expected;
    for (const GfxSwirlText::LetterPath& path : swirl.paths) {
        const float x = RandomFloat(path.targetX - 100, path.targetX + 100);
        const float y = RandomFloat(path.targetY - 100, path.targetY + 100);
        const float size = RandomFloat(1, 5);
        expected.push_back({x, y, path.targetX, path.targetY, float(RandomSign()) * size});
    }
    const float next = RandomFloat(0, 1);
    SeedRandom(3);
    ASSERT_TRUE(swirl.Start());
    EXPECT_EQ(RandomFloat(0, 1), next);
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(swirl.paths[i].startX, expected[i].startX) << i;
        EXPECT_EQ(swirl.paths[i].startY, expected[i].startY) << i;
        EXPECT_EQ(swirl.paths[i].spin, expected[i].spin) << i;
    }
    EXPECT_EQ(swirl.fade.target, 1);
    EXPECT_EQ(swirl.fade.speed, 0.008f);
}

// The fade stops exactly at 0.5 for the hold, however long the frames: then sin(0.5 pi) is 1 and the
// letters stand on their targets at full size, unturned and opaque. With 10 ms frames the fade gets
// there in 63 ticks, rests 150 and climbs on for 63 more; with 40 ms frames (0.032 a tick) it would
// jump from 0.48 to 0.512 past the rest, so it is stopped at 0.5 in 16 ticks, rests 38 and climbs 16.
// The update after the fade reaches 1 ends it.
TEST_F(LetterEffectsTest, SwirlLettersRestExactlyOnTheirTargets)
{
    struct Case
    {
        float dt;
        int climb;
        int rest;
        int total;
    };
    for (const Case& c : {Case{1, 63, 150, 277}, Case{4, 16, 38, 71}}) {
        auto* swirl = new GfxSwirlText("ABC", font.get(), 100, 50);
        list.AddEffect(swirl, false);
        int frames = 0;
        while (swirl->fade.current != 0.5f && frames < 400) {
            Frame(c.dt);
            ++frames;
        }
        EXPECT_EQ(frames, c.climb) << c.dt;
        for (int i = 0; i < c.rest; ++i) {
            EXPECT_EQ(swirl->fade.current, 0.5f) << c.dt << " resting, tick " << i;
            screen.draws.clear();
            swirl->Draw(g);
            ASSERT_EQ(screen.draws.size(), 3u);
            for (std::size_t k = 0; k < 3; ++k) {
                const LetterRecorder::Draw& draw = screen.draws[k];
                EXPECT_EQ(draw.matrix.m02, swirl->paths[k].targetX) << k;
                EXPECT_EQ(draw.matrix.m12, swirl->paths[k].targetY) << k;
                EXPECT_EQ(draw.matrix.m00, 1) << k;
                EXPECT_EQ(draw.matrix.m11, 1) << k;
                EXPECT_EQ(draw.matrix.m01, 0) << k;
                EXPECT_EQ(draw.matrix.m10, 0) << k;
                EXPECT_EQ(draw.color.alpha, 255) << k;
            }
            Frame(c.dt);
            ++frames;
        }
        Frame(c.dt);
        ++frames;
        EXPECT_GT(swirl->fade.current, 0.5f) << c.dt << " on its way out";
        frames += RunOut(400, c.dt);
        EXPECT_EQ(frames, c.total) << c.dt;
    }
}

// Mid-flight a letter is smaller, turned, faded and between its start and its target.
TEST_F(LetterEffectsTest, SwirlLettersFlyInGrowingAndUnwinding)
{
    auto* swirl = new GfxSwirlText("ABC", font.get(), 100, 50);
    list.AddEffect(swirl, false);
    for (int i = 0; i < 25; ++i) {
        Frame();
    }
    const float f = std::sin(swirl->fade.current * 3.1415925f);
    swirl->Draw(g);
    ASSERT_EQ(screen.draws.size(), 3u);
    for (std::size_t k = 0; k < 3; ++k) {
        const GfxSwirlText::LetterPath& path = swirl->paths[k];
        const LetterRecorder::Draw& draw = screen.draws[k];
        const float angle = (1 - f) * path.spin;
        EXPECT_NEAR(draw.matrix.m00, f * std::cos(angle), 1e-5) << k;
        EXPECT_NEAR(draw.matrix.m02, path.startX + f * (path.targetX - path.startX), 1e-3) << k;
        EXPECT_NEAR(draw.matrix.m12, path.startY + f * (path.targetY - path.startY), 1e-3) << k;
        EXPECT_EQ(draw.color.alpha, int(255 * f)) << k;
    }
}

// A missing font, a font that is not an image font, one whose data did not load and an empty text:
// no letters and nothing drawn, but the particled text still fades, holds and ends (about 200 + 50 +
// 50 ticks), and the swirl text ends when its fade reaches 1 (63 + 150 + 63 ticks).
TEST_F(LetterEffectsTest, TextsWithoutLettersStillRunAndEnd)
{
    LoadLetterExplode("0.05");
    FixedWidthFont plain(8, 9, 11);
    auto unloaded = Tolm::ImageFont::ImageFontFromImage(&glyphs, temp.Path() + "missing.txt");
    ASSERT_FALSE(unloaded->fontData->loaded);
    struct Case
    {
        const char* name;
        Tolm::Font* font;
        const char* text;
    };
    const Case cases[] = {
        {"a missing font", GetFontById("FONT_MISSING"), "ABC"},
        {"not an image font", &plain, "ABC"},
        {"an image font that did not load", unloaded.get(), "ABC"},
        {"an empty text", font.get(), ""},
    };
    for (const Case& c : cases) {
        auto* particled = new GfxParticledText(c.text, c.font, 100, 50);
        EXPECT_TRUE(particled->letters.empty()) << c.name;
        list.AddEffect(particled, false);
        EXPECT_NEAR(RunOut(400), 301, 2) << c.name;
        list.AddEffect(new GfxSwirlText(c.text, c.font, 100, 50), false);
        list.DrawEffects(g);
        EXPECT_EQ(RunOut(400), 277) << c.name;
        EXPECT_TRUE(screen.draws.empty()) << c.name;
    }
}

TEST_F(LetterEffectsTest, WithoutItsBurstsTheParticledTextStillFadesAndEnds)
{
    auto* text = new GfxParticledText("ABC", font.get(), 100, 50);
    list.AddEffect(text, false);
    for (int i = 0; i < 100; ++i) {
        Frame();
    }
    EXPECT_EQ(text->lastBurstLetter, 2) << "every letter has shown";
    EXPECT_FALSE(text->particles.HasEmitters());
    EXPECT_NEAR(RunOut(400), 201, 2);
}

} // namespace
