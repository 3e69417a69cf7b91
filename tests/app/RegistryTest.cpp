#include "app/TolmAppBase.h"
#include "platform/FileSystem.h"
#include "platform/SettingsStore.h"
#include "support/TempFolder.h"

#include <cstdlib>
#include <gtest/gtest.h>

using namespace Tolm;
using Platform::Exists;
using Platform::kRegDword;
using Platform::kRegSz;
using Platform::SettingsStore;
using Platform::SettingsValue;

namespace {

class CursorCountingApp : public TolmAppBase
{
public:
    void ApplyCursor() override { ++cursorsApplied; }

    int cursorsApplied = 0;
};

std::vector<uint8_t> Dword(uint32_t value)
{
    return {uint8_t(value), uint8_t(value >> 8), uint8_t(value >> 16), uint8_t(value >> 24)};
}

class RegistryTest : public testing::Test
{
protected:
    RegistryTest()
    {
        setenv("XDG_CONFIG_HOME", temp.Path().c_str(), 1);
        app.registryKey = "Tarvel Studio\\Quendara";
    }
    ~RegistryTest() override { unsetenv("XDG_CONFIG_HOME"); }

    std::string StorePath() const { return temp.Path() + "Tarvel Studio/Quendara.registry"; }

    // What the store file holds, read apart from the application.
    SettingsValue Stored(const std::string& subkey, const std::string& name) const
    {
        SettingsStore store(StorePath());
        SettingsValue value;
        EXPECT_TRUE(store.QueryValue(subkey, name, value)) << name;
        return value;
    }

    void Store(const std::string& name, uint32_t type, const std::vector<uint8_t>& data) const
    {
        SettingsStore store(StorePath());
        ASSERT_TRUE(store.CreateKey(""));
        ASSERT_TRUE(store.SetValue("", name, type, data.data(), data.size()));
    }

    TempFolder temp;
    CursorCountingApp app;
};

TEST_F(RegistryTest, SettingsWrittenAtExitAreTheDocumentedNumbers)
{
    app.musicVolume = 0.85;
    app.sfxVolume = 0.29;
    app.muteCount = 2;
    app.autoMuteCount = 1;
    app.windowed = false;
    app.preferredX = 120;
    app.preferredY = -1;
    app.customCursors = true;
    app.waitForVSync = false;
    app.mouseSensitivity = 0.53f;
    app.WriteToRegistry();

    struct Case
    {
        const char* name;
        uint32_t expected;
    } cases[] = {
        {"MusicVolume", 85},
        // Rounded, not truncated: 0.29 x 100 and 0.53f x 100 fall just below 29 and 53.
        {"SfxVolume", 29},
        {"Muted", 1},
        {"ScreenMode", 1},
        {"PreferredX", 120},
        {"PreferredY", 0xFFFFFFFF},
        {"CustomCursors", 1},
        {"InProgress", 0},
        {"WaitForVSync", 0},
        {"MouseSensitivity", 53},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Stored("", c.name), (SettingsValue{kRegDword, Dword(c.expected)})) << c.name;
    }
}

TEST_F(RegistryTest, MutedOnlyWhenMutedByHandBeyondTheAutomaticMutes)
{
    app.muteCount = 1;
    app.autoMuteCount = 1;
    app.WriteToRegistry();
    EXPECT_EQ(Stored("", "Muted").data, Dword(0));
}

TEST_F(RegistryTest, SettingsReadBackAsTheyWereWritten)
{
    app.musicVolume = 0.85;
    app.sfxVolume = 0.4;
    app.muteCount = 1;
    app.windowed = true;
    app.preferredX = 20;
    app.preferredY = 30;
    app.customCursors = true;
    app.waitForVSync = true;
    app.mouseSensitivity = 1.0f;
    app.WriteToRegistry();

    CursorCountingApp next;
    next.registryKey = app.registryKey;
    next.windowed = false;
    next.ReadFromRegistry();
    EXPECT_TRUE(next.registryRead);
    EXPECT_DOUBLE_EQ(next.musicVolume, 0.85);
    EXPECT_DOUBLE_EQ(next.sfxVolume, 0.4);
    EXPECT_EQ(next.muteCount, 1);
    EXPECT_TRUE(next.windowed);
    EXPECT_EQ(next.preferredX, 20);
    EXPECT_EQ(next.preferredY, 30);
    EXPECT_TRUE(next.customCursors);
    EXPECT_EQ(next.cursorsApplied, 1);
    EXPECT_TRUE(next.waitForVSync);
    EXPECT_EQ(next.mouseSensitivity, 1.0f);
}

TEST_F(RegistryTest, MissingValuesKeepTheDefaultsAndTheRunIsFlaggedInProgress)
{
    app.windowed = false;
    app.ReadFromRegistry();
    EXPECT_TRUE(app.registryRead);
    EXPECT_EQ(app.musicVolume, 0.85);
    EXPECT_EQ(app.sfxVolume, 0.85);
    EXPECT_EQ(app.muteCount, 0);
    EXPECT_FALSE(app.windowed);
    EXPECT_EQ(app.preferredX, -1);
    EXPECT_EQ(app.preferredY, -1);
    EXPECT_FALSE(app.customCursors);
    EXPECT_EQ(app.cursorsApplied, 0);
    EXPECT_FALSE(app.waitForVSync);
    EXPECT_EQ(app.mouseSensitivity, 1.0f);
    EXPECT_EQ(Stored("", "InProgress"), (SettingsValue{kRegDword, Dword(1)}));
}

TEST_F(RegistryTest, AScreenSaverRunIsNotFlaggedInProgress)
{
    app.screenSaverMode = true;
    app.ReadFromRegistry();
    EXPECT_FALSE(Exists(StorePath()));
}

TEST_F(RegistryTest, ScreenModeZeroStartsInAWindow)
{
    Store("ScreenMode", kRegDword, Dword(0));
    app.windowed = false;
    app.ReadFromRegistry();
    EXPECT_TRUE(app.windowed);
}

TEST_F(RegistryTest, ValuesOfAnotherTypeAreIgnoredByTheNumberReaders)
{
    Store("MusicVolume", kRegSz, {'5', '0'});
    Store("SfxVolume", kRegDword, {50, 0});
    app.ReadFromRegistry();
    EXPECT_EQ(app.musicVolume, 0.85);
    EXPECT_EQ(app.sfxVolume, 0.85);
    int number = 7;
    bool flag = true;
    EXPECT_FALSE(app.ReadRegistryInt("MusicVolume", number));
    EXPECT_FALSE(app.ReadRegistryBool("MusicVolume", flag));
    EXPECT_EQ(number, 7);
    EXPECT_TRUE(flag);
}

TEST_F(RegistryTest, TheRegistryKeyPropertyChoosesTheKeyWithOrWithoutTrailingSeparator)
{
    Store("MusicVolume", kRegDword, Dword(40));
    app.registryKey = "Other\\Game";
    app.SetStringProperty("RegistryKey", u"Tarvel Studio\\Quendara\\");
    app.ReadFromRegistry();
    EXPECT_EQ(app.registryKey, "Tarvel Studio\\Quendara\\");
    EXPECT_DOUBLE_EQ(app.musicVolume, 0.4);
    EXPECT_FALSE(Exists(temp.Path() + "Other"));
}

TEST_F(RegistryTest, StringsAreStoredWithoutTerminatorAndNamesMayCarryASubkey)
{
    ASSERT_TRUE(app.WriteRegistryString("Test3D\\RuntimeError", "No device"));
    EXPECT_EQ(Stored("Test3D", "RuntimeError"), (SettingsValue{kRegSz, {'N', 'o', ' ', 'd', 'e', 'v', 'i', 'c', 'e'}}));

    uint32_t type = 0;
    uint8_t data[16] = {};
    uint32_t count = sizeof data;
    ASSERT_TRUE(app.ReadRegistryValue("Test3D\\RuntimeError", type, data, count));
    EXPECT_EQ(type, kRegSz);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(data), count), "No device");
    count = 8;
    EXPECT_FALSE(app.ReadRegistryValue("Test3D\\RuntimeError", type, data, count)) << "larger than the room given";
    count = sizeof data;
    EXPECT_FALSE(app.ReadRegistryValue("RuntimeError", type, data, count)) << "not in the application's key";
}

TEST_F(RegistryTest, IntegersAndFlagsRoundTrip)
{
    ASSERT_TRUE(app.WriteRegistryInt("UserProfile", -3));
    ASSERT_TRUE(app.WriteRegistryInt("Is3D", 1));
    int number = 0;
    bool flag = false;
    ASSERT_TRUE(app.ReadRegistryInt("UserProfile", number));
    EXPECT_EQ(number, -3);
    ASSERT_TRUE(app.ReadRegistryBool("Is3D", flag));
    EXPECT_TRUE(flag);
    EXPECT_FALSE(app.ReadRegistryInt("language_id", number));
}

TEST_F(RegistryTest, ErasedValuesAreGone)
{
    ASSERT_TRUE(app.WriteRegistryInt("Is3D", 1));
    app.EraseRegistryValue("Is3D");
    int number = 0;
    EXPECT_FALSE(app.ReadRegistryInt("Is3D", number));
    app.EraseRegistryValue("Is3D");
}

TEST_F(RegistryTest, WithoutAKeyNothingIsReadOrWritten)
{
    for (const char* key : {"", "..\\.."}) {
        app.registryKey = key;
        EXPECT_FALSE(app.WriteRegistryInt("Is3D", 1)) << key;
        EXPECT_FALSE(app.WriteRegistryString("Name", "x")) << key;
        int number = 0;
        EXPECT_FALSE(app.ReadRegistryInt("Is3D", number)) << key;
        app.EraseRegistryValue("Is3D");
        app.muteCount = 0;
        app.WriteToRegistry();
    }
    EXPECT_FALSE(Exists(temp.Path() + "Tarvel Studio"));
    EXPECT_FALSE(Exists(temp.Path() + ".registry"));
}

TEST_F(RegistryTest, AWriteThatCannotReachTheDiskReportsFailure)
{
    temp.Write("Blocked", "a file where the key's folder should be");
    app.registryKey = "Blocked\\Quendara";
    EXPECT_FALSE(app.WriteRegistryInt("Is3D", 1));
    EXPECT_FALSE(app.WriteRegistryString("Test3D\\RuntimeError", "x"));
}

TEST(LocalizedTextTest, TextsComeFromTheRunningApplication)
{
    EXPECT_EQ(GetLocalizedText("but_start"), "");
    {
        TolmAppBase app;
        EXPECT_EQ(gTolmApp, &app);
        app.SetStringProperty("but_start", u"Start");
        EXPECT_EQ(GetLocalizedText("but_start"), "Start");
        EXPECT_EQ(GetLocalizedText("lab_score"), "");
    }
    EXPECT_EQ(gTolmApp, nullptr);
}

} // namespace
