// Particle files: the keys with their defaults, the value readers on good and bad text, the files that
// do not load, and the manager's names, replacements and image lookups.
#include "ParticleFixtures.h"

#include <climits>
#include <functional>

namespace {

using namespace ParticleFixtures;

class ParticleConfigTest : public ParticleTest
{};

float Component(uint32_t packed, int shift)
{
    return float((packed >> shift) & 0xFF) / 255.0f;
}

void ExpectColour(const Tolm::FloatColor& colour, uint32_t packed)
{
    EXPECT_FLOAT_EQ(colour.alpha, Component(packed, 24));
    EXPECT_FLOAT_EQ(colour.red, Component(packed, 16));
    EXPECT_FLOAT_EQ(colour.green, Component(packed, 8));
    EXPECT_FLOAT_EQ(colour.blue, Component(packed, 0));
}

TEST_F(ParticleConfigTest, EveryKeyIsReadIntoItsField)
{
    const std::string keys[] = {
        Key("image_id", "GFX_TEST_DOT"),
        Key("emission", "25"),
        Key("lifetime", "-3"),
        Key("particle_life_min", "0.5"),
        Key("particle_life_max", "1.5"),
        Key("direction", "0.25"),
        Key("relative", "1"),
        Key("spread", "3.1"),
        Key("speed_min", "1.5"),
        Key("speed_max", "2.5"),
        Key("gravity_min", "0.01"),
        Key("gravity_max", "0.02"),
        Key("radial_acc_min", "-1"),
        Key("radial_acc_max", "2"),
        Key("tan_acc_min", "-3"),
        Key("tan_acc_max", "4"),
        Key("wave_size", "5"),
        Key("wave_speed", "6"),
        Key("size_start", "0.7"),
        Key("size_end", "0.1"),
        Key("size_var", "0.3"),
        Key("spin_start", "7"),
        Key("spin_end", "8"),
        Key("spin_var", "0.9"),
        Key("color_start", "FF102030"),
        Key("color_end", "0x00405060"),
        Key("color_var", "0.4"),
        Key("alpha_var", "0.6"),
        Key("alpha_repeat", "0.75"),
        Key("color_blend", "1"),
        Key("born_width", "12"),
        Key("born_height", "14"),
    };
    std::string elements;
    for (const std::string& key : keys) {
        elements += key;
    }
    LoadDot();
    ASSERT_TRUE(Load("all", ParticleFile(elements)));
    const ParticleConfig c = Get("all");
    EXPECT_EQ(c.image, GetImageById("GFX_TEST_DOT"));
    EXPECT_EQ(c.emission, 25);
    const std::pair<float, float> reals[] = {
        {c.lifetime, -3},
        {c.particle_life_min, 0.5f},
        {c.particle_life_max, 1.5f},
        {c.direction, 0.25f},
        {c.spread, 3.1f},
        {c.speed_min, 1.5f},
        {c.speed_max, 2.5f},
        {c.gravity_min, 0.01f},
        {c.gravity_max, 0.02f},
        {c.radial_acc_min, -1},
        {c.radial_acc_max, 2},
        {c.tan_acc_min, -3},
        {c.tan_acc_max, 4},
        {c.wave_size, 5},
        {c.wave_speed, 6},
        {c.size_start, 0.7f},
        {c.size_end, 0.1f},
        {c.size_var, 0.3f},
        {c.spin_start, 7},
        {c.spin_end, 8},
        {c.spin_var, 0.9f},
        {c.color_var, 0.4f},
        {c.alpha_var, 0.6f},
        {c.alpha_repeat, 0.75f},
        {c.born_width, 12},
        {c.born_height, 14},
    };
    for (std::size_t k = 0; k < std::size(reals); ++k) {
        EXPECT_EQ(reals[k].first, reals[k].second) << "real number " << k;
    }
    EXPECT_TRUE(c.relative);
    EXPECT_EQ(c.color_blend, 1);
    ExpectColour(c.color_start, 0xFF102030);
    ExpectColour(c.color_end, 0x00405060);
}

TEST_F(ParticleConfigTest, AnEmptyParticlesElementGivesZerosAndOpaqueBlack)
{
    LoadDot();
    ASSERT_TRUE(Load("empty", ParticleFile("")));
    const ParticleConfig c = Get("empty");
    EXPECT_EQ(c.image, nullptr) << "no image id";
    EXPECT_EQ(c.emission, 0);
    EXPECT_EQ(c.lifetime, 0);
    EXPECT_EQ(c.size_start, 0);
    EXPECT_EQ(c.born_height, 0);
    EXPECT_FALSE(c.relative);
    EXPECT_EQ(c.color_blend, 0);
    ExpectColour(c.color_start, 0xFF000000);
    ExpectColour(c.color_end, 0xFF000000);
}

// What a reader makes of the text of one key, against what the C library's readers would take from it;
// text that holds no number, or one that is not finite, reads as a missing key.
TEST_F(ParticleConfigTest, ValueTextsReadAsNumbersOrAsMissing)
{
    struct Case
    {
        const char* name;
        std::string elements;
        std::function<double(const ParticleConfig&)> field;
        double expected;
    };
    auto emission = [](const ParticleConfig& c) { return double(c.emission); };
    auto spread = [](const ParticleConfig& c) { return double(c.spread); };
    auto blend = [](const ParticleConfig& c) { return double(c.color_blend); };
    auto relative = [](const ParticleConfig& c) { return c.relative ? 1.0 : 0.0; };
    auto red = [](const ParticleConfig& c) { return double(c.color_start.red); };
    auto alpha = [](const ParticleConfig& c) { return double(c.color_start.alpha); };
    const Case cases[] = {
        {"an integer with trailing letters", Key("emission", "12abc"), emission, 12},
        {"a real with trailing letters", Key("spread", "1.5rad"), spread, 1.5},
        {"an integer written as a real", Key("emission", "7.9"), emission, 7},
        {"white space and a plus sign first", Key("spread", " \t+0.25"), spread, 0.25},
        {"an exponent", Key("spread", "2.5e-1"), spread, 0.25},
        {"no number at all", Key("spread", "abc"), spread, 0},
        {"an empty value", Key("emission", ""), emission, 0},
        {"no value attribute", "<spread val=\"3\"/>\n", spread, 0},
        {"a real beyond the double range", Key("spread", "1e999"), spread, 0},
        {"a real beyond the float range", Key("spread", "1e300"), spread, 0},
        {"not a number", Key("spread", "nan"), spread, 0},
        {"infinity", Key("spread", "-inf"), spread, 0},
        {"two signs", Key("spread", "+-2"), spread, 0},
        {"an integer beyond the int range", Key("emission", "99999999999"), emission, INT_MAX},
        {"a negative integer beyond the int range", Key("emission", "-99999999999"), emission, INT_MIN},
        {"the first of two elements of a key", Key("emission", "3") + Key("emission", "4"), emission, 3},
        {"an element of another name counts for nothing", Key("emissions", "4"), emission, 0},
        {"the blend keeps the low byte: 257 adds", Key("color_blend", "257"), blend, 1},
        {"the blend of -255 is byte 1 too", Key("color_blend", "-255"), blend, 1},
        {"any non-zero integer is true", Key("relative", "-2"), relative, 1},
        {"a colour without its prefix", Key("color_start", "80FF0000"), red, 1},
        {"a colour's alpha", Key("color_start", "80FF0000"), alpha, 128 / 255.0},
        {"a colour with white space and prefix", Key("color_start", " 0x40ff0000"), alpha, 64 / 255.0},
        {"a short colour is its low bytes", Key("color_start", "ff"), alpha, 0},
        {"nine hex digits saturate at 32 bits", Key("color_start", "1FF000000"), red, 1},
        {"nine hex digits saturate the alpha too", Key("color_start", "1FF000000"), alpha, 1},
        {"a minus sign negates in 32 bits", Key("color_start", "-1"), alpha, 1},
        {"'#' is no hex digit: missing, opaque black", Key("color_start", "#FF00FF00"), alpha, 1},
        {"'#' leaves red at black", Key("color_start", "#FF00FF00"), red, 0},
        {"a lone prefix reads its 0", Key("color_start", "0x"), alpha, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(Load("case", ParticleFile(c.elements)));
        EXPECT_FLOAT_EQ(float(c.field(Get("case"))), float(c.expected));
    }
}

TEST_F(ParticleConfigTest, FilesThatDoNotLoadLeaveTheNameAsItWas)
{
    struct Case
    {
        const char* name;
        std::string contents;
    } cases[] = {
        {"no particles element", "<effect><emission value=\"5\"/></effect>"},
        {"particles below the root", "<root><particles><emission value=\"5\"/></particles></root>"},
        {"not well-formed", "<particles><emission value=\"5\"></particles>"},
        {"empty", ""},
        {"UTF-16", std::string("\xFF\xFE<\0p\0>\0", 8)},
    };
    ASSERT_TRUE(Load("kept", ParticleFile(Key("emission", "9"))));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_FALSE(Load("kept", c.contents));
        EXPECT_EQ(Get("kept").emission, 9);
        EXPECT_FALSE(Load("absent", c.contents));
        ParticleConfig untouched;
        untouched.emission = 77;
        EXPECT_FALSE(GetParticleConfig("absent", untouched));
        EXPECT_EQ(untouched.emission, 77);
    }
    EXPECT_FALSE(ParticleConfigManager::Instance()->LoadConfig("properties\\particles\\missing.xml", "missing"));
    ParticleConfig other;
    EXPECT_FALSE(GetParticleConfig("Kept", other)) << "names are case-sensitive";
}

TEST_F(ParticleConfigTest, AByteOrderMarkIsSkipped)
{
    ASSERT_TRUE(Load("marked", "\xEF\xBB\xBF" + ParticleFile(Key("emission", "6"))));
    EXPECT_EQ(Get("marked").emission, 6);
}

TEST_F(ParticleConfigTest, ASecondFileUnderANameReplacesTheFirstWhole)
{
    ASSERT_TRUE(
        Load("twice", ParticleFile(Key("emission", "5") + Key("spread", "2") + Key("image_id", "GFX_TEST_DOT"))));
    temp.Write("other.xml", ParticleFile(Key("emission", "8")));
    ASSERT_TRUE(ParticleConfigManager::Instance()->LoadConfig("other.xml", "twice"));
    LoadDot();
    const ParticleConfig c = Get("twice");
    EXPECT_EQ(c.emission, 8);
    EXPECT_EQ(c.spread, 0) << "no key of the first file survives";
    EXPECT_EQ(c.image, nullptr);
}

TEST_F(ParticleConfigTest, TheImageIsLookedUpAtEveryCall)
{
    ASSERT_TRUE(Load("dot", ParticleFile(Key("image_id", "GFX_TEST_DOT") + Key("emission", "3"))));
    ASSERT_TRUE(Load("unknown", ParticleFile(Key("image_id", "GFX_NO_SUCH_DOT"))));
    EXPECT_EQ(Get("dot").image, nullptr) << "its group is not loaded yet";
    LoadDot();
    const ParticleConfig first = Get("dot");
    const ParticleConfig second = Get("dot");
    ASSERT_NE(first.image, nullptr);
    EXPECT_EQ(first.image, second.image);
    EXPECT_EQ(first.emission, second.emission);
    EXPECT_EQ(Get("unknown").image, nullptr) << "an unknown image still gives the record";
}

} // namespace
