#include "platform/SettingsStore.h"

#include "platform/FileSystem.h"
#include "support/TempFolder.h"

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <random>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace Platform;

namespace {

std::vector<uint8_t> Bytes(std::string_view text)
{
    return std::vector<uint8_t>(text.begin(), text.end());
}

class SettingsStoreTest : public testing::Test
{
protected:
    bool Set(SettingsStore& store, const std::string& subkey, const std::string& name, uint32_t type,
             const std::vector<uint8_t>& data)
    {
        return store.SetValue(subkey, name, type, data.data(), data.size());
    }

    TempFolder temp;
    std::string path = temp.Path() + "Tarvel Studio/Quendara.registry";
};

TEST_F(SettingsStoreTest, ValuesRoundTripWithTheirTypesThroughTheFile)
{
    const std::vector<uint8_t> volume = {85, 0, 0, 0};
    const std::vector<uint8_t> error = Bytes("No device");
    {
        SettingsStore store(path);
        ASSERT_TRUE(store.CreateKey(""));
        ASSERT_TRUE(store.CreateKey("Test3D"));
        ASSERT_TRUE(Set(store, "", "MusicVolume", kRegDword, volume));
        ASSERT_TRUE(Set(store, "Test3D", "RuntimeError", kRegSz, error));
        ASSERT_TRUE(Set(store, "", "Empty", kRegSz, {}));
        // Names with spaces, '%', '=' and bytes above 127 survive the file's escaping.
        ASSERT_TRUE(Set(store, "", "odd name%=\xE9", 7, {0, 255}));
    }
    SettingsStore reopened(path);
    SettingsValue value;
    ASSERT_TRUE(reopened.QueryValue("", "MusicVolume", value));
    EXPECT_EQ(value, (SettingsValue{kRegDword, volume}));
    ASSERT_TRUE(reopened.QueryValue("Test3D", "RuntimeError", value));
    EXPECT_EQ(value, (SettingsValue{kRegSz, error}));
    ASSERT_TRUE(reopened.QueryValue("", "Empty", value));
    EXPECT_EQ(value, (SettingsValue{kRegSz, {}}));
    ASSERT_TRUE(reopened.QueryValue("", "odd name%=\xE9", value));
    EXPECT_EQ(value, (SettingsValue{7, {0, 255}}));
    EXPECT_FALSE(reopened.QueryValue("", "RuntimeError", value)) << "a subkey's value is not the key's";
}

TEST_F(SettingsStoreTest, TheFileIsTheDocumentedLineFormat)
{
    SettingsStore store(path);
    ASSERT_TRUE(store.CreateKey(""));
    ASSERT_TRUE(store.CreateKey("Test3D"));
    ASSERT_TRUE(Set(store, "", "MusicVolume", kRegDword, {85, 0, 0, 0}));
    ASSERT_TRUE(Set(store, "Test3D", "Runtime Error", kRegSz, Bytes("No")));
    EXPECT_EQ(temp.Read("Tarvel Studio/Quendara.registry"), "TolmRegistry 1\n"
                                                            "key \n"
                                                            "value MusicVolume 4 55000000\n"
                                                            "key Test3D\n"
                                                            "value Runtime%20Error 1 4e6f\n"
                                                            "end\n");
}

TEST_F(SettingsStoreTest, KeyAndValueNamesCompareWithoutRegardToCase)
{
    SettingsStore store(path);
    ASSERT_TRUE(store.CreateKey("Test3D"));
    EXPECT_TRUE(store.KeyExists("TEST3D"));
    ASSERT_TRUE(Set(store, "test3d", "RuntimeError", kRegSz, Bytes("a")));
    ASSERT_TRUE(Set(store, "Test3D", "RUNTIMEERROR", kRegSz, Bytes("b")));
    SettingsValue value;
    ASSERT_TRUE(store.QueryValue("TEST3D", "runtimeerror", value));
    EXPECT_EQ(value.data, Bytes("b"));
    EXPECT_NE(temp.Read("Tarvel Studio/Quendara.registry").find("value RuntimeError "), std::string::npos)
        << "the name keeps the case it was first stored with";
}

TEST_F(SettingsStoreTest, ValuesNeedAnExistingKey)
{
    SettingsStore store(path);
    SettingsValue value;
    EXPECT_FALSE(store.KeyExists(""));
    EXPECT_FALSE(Set(store, "", "MusicVolume", kRegDword, {1, 0, 0, 0}));
    EXPECT_FALSE(store.QueryValue("", "MusicVolume", value));
    EXPECT_FALSE(Exists(path)) << "nothing is written for a failed set";
}

TEST_F(SettingsStoreTest, DeletedValuesStayDeleted)
{
    {
        SettingsStore store(path);
        ASSERT_TRUE(store.CreateKey(""));
        ASSERT_TRUE(Set(store, "", "Is3D", kRegDword, {1, 0, 0, 0}));
        ASSERT_TRUE(store.DeleteValue("", "IS3D"));
        EXPECT_FALSE(store.DeleteValue("", "Is3D"));
        EXPECT_FALSE(store.DeleteValue("Missing", "Is3D"));
    }
    SettingsStore reopened(path);
    SettingsValue value;
    EXPECT_TRUE(reopened.KeyExists(""));
    EXPECT_FALSE(reopened.QueryValue("", "Is3D", value));
}

TEST_F(SettingsStoreTest, AFailedWriteReportsFailureAndKeepsTheOldValue)
{
    // A file where the store's folder should be: nothing below it can be written, even by root.
    temp.Write("blocker", "");
    SettingsStore store(temp.Path() + "blocker/Quendara.registry");
    EXPECT_FALSE(store.CreateKey(""));
    EXPECT_FALSE(store.KeyExists(""));

    SettingsStore good(path);
    ASSERT_TRUE(good.CreateKey(""));
    ASSERT_TRUE(Set(good, "", "SfxVolume", kRegDword, {50, 0, 0, 0}));
    temp.Write("Tarvel Studio/Quendara.registry.tmp" + std::to_string(getpid()) + "/x", "");
    EXPECT_FALSE(Set(good, "", "SfxVolume", kRegDword, {60, 0, 0, 0}));
    SettingsValue value;
    ASSERT_TRUE(good.QueryValue("", "SfxVolume", value));
    EXPECT_EQ(value.data, (std::vector<uint8_t>{50, 0, 0, 0}));
    ASSERT_TRUE(SettingsStore(path).QueryValue("", "SfxVolume", value));
    EXPECT_EQ(value.data, (std::vector<uint8_t>{50, 0, 0, 0}));
}

TEST(SettingsStoreKeyTest, KeysAreSanitisedIntoTheConfigFolder)
{
    struct Case
    {
        const char* key;
        const char* expected;
    } cases[] = {
        {"Tarvel Studio\\Quendara", "Tarvel Studio/Quendara.registry"},
        {"Tarvel Studio\\Quendara\\", "Tarvel Studio/Quendara.registry"},
        {"Tarvel Studio/Quendara/", "Tarvel Studio/Quendara.registry"},
        {"..\\..\\etc\\passwd", "etc/passwd.registry"},
        {"/etc/passwd", "etc/passwd.registry"},
        {"a\\.\\\\b", "a/b.registry"},
        {"a\\..", "a.registry"},
        {"a\x01"
         "b",
         "a_b.registry"},
        {"..", ""},
        {"\\/./", ""},
        {"", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SettingsStore::SanitizedKeyPath(c.key), c.expected) << c.key;
    }
}

TEST(SettingsStoreKeyTest, TheStoreLivesUnderTheXdgConfigFolder)
{
    TempFolder temp;
    setenv("XDG_CONFIG_HOME", temp.Path().c_str(), 1);
    std::unique_ptr<SettingsStore> store = SettingsStore::ForKey("Tarvel Studio\\Quendara");
    ASSERT_TRUE(store);
    EXPECT_EQ(store->FilePath(), temp.Path() + "Tarvel Studio/Quendara.registry");
    EXPECT_TRUE(store->CreateKey(""));
    EXPECT_TRUE(Exists(temp.Path() + "Tarvel Studio/Quendara.registry"));
    EXPECT_FALSE(SettingsStore::ForKey("..\\.."));
    unsetenv("XDG_CONFIG_HOME");
}

TEST(SettingsStoreParseTest, RefusesAnythingTheWriterWouldNotWrite)
{
    struct Case
    {
        const char* name;
        std::string text;
    } cases[] = {
        {"empty", ""},
        {"wrong header", "TolmRegistry 2\nend\n"},
        {"no end line", "TolmRegistry 1\nkey \n"},
        {"cut short", "TolmRegistry 1\nend"},
        {"text after the end", "TolmRegistry 1\nend\nkey \n"},
        {"value outside a key", "TolmRegistry 1\nvalue a 4 00000000\nend\n"},
        {"odd hex", "TolmRegistry 1\nkey \nvalue a 4 000\nend\n"},
        {"upper-case hex", "TolmRegistry 1\nkey \nvalue a 4 0A\nend\n"},
        {"signed type", "TolmRegistry 1\nkey \nvalue a -4 00\nend\n"},
        {"type above 32 bits", "TolmRegistry 1\nkey \nvalue a 4294967296 00\nend\n"},
        {"leading zero type", "TolmRegistry 1\nkey \nvalue a 04 00\nend\n"},
        {"missing field", "TolmRegistry 1\nkey \nvalue a 4\nend\n"},
        {"extra field", "TolmRegistry 1\nkey \nvalue a 4 00 00\nend\n"},
        {"bad escape", "TolmRegistry 1\nkey %4\nend\n"},
        {"lower-case escape", "TolmRegistry 1\nkey %4a\nend\n"},
        {"raw byte in a name", "TolmRegistry 1\nkey a\xE9\nend\n"},
        {"carriage return", "TolmRegistry 1\r\nend\r\n"},
        {"key twice", "TolmRegistry 1\nkey a\nkey A\nend\n"},
        {"value twice", "TolmRegistry 1\nkey \nvalue a 4 00\nvalue A 4 00\nend\n"},
        {"unknown line", "TolmRegistry 1\nkeys \nend\n"},
        {"binary", std::string("TolmRegistry 1\n\0\nend\n", 20)},
    };
    for (const Case& c : cases) {
        SettingsData data;
        std::string error;
        EXPECT_FALSE(SettingsStore::Parse(c.text, data, error)) << c.name;
        EXPECT_FALSE(error.empty()) << c.name;
    }
    SettingsData data;
    std::string error;
    EXPECT_TRUE(SettingsStore::Parse("TolmRegistry 1\nend\n", data, error)) << error;
    EXPECT_TRUE(data.empty());
}

TEST_F(SettingsStoreTest, ACorruptStoreIsReportedOnceKeptAsideAndTreatedAsEmpty)
{
    temp.Write("Tarvel Studio/Quendara.registry", "TolmRegistry 1\nkey \nvalue MusicVolume 4 550000");
    SettingsStore store(path);
    testing::internal::CaptureStderr();
    SettingsValue value;
    EXPECT_FALSE(store.QueryValue("", "MusicVolume", value));
    EXPECT_FALSE(store.KeyExists(""));
    std::string message = testing::internal::GetCapturedStderr();
    EXPECT_EQ(message, "Settings store '" + path + "' is corrupt (line 3: cut short), kept as '" + path +
                           ".corrupt'; starting with empty settings.\n");
    EXPECT_EQ(temp.Read("Tarvel Studio/Quendara.registry.corrupt"), "TolmRegistry 1\nkey \nvalue MusicVolume 4 550000");

    ASSERT_TRUE(store.CreateKey(""));
    ASSERT_TRUE(Set(store, "", "MusicVolume", kRegDword, {85, 0, 0, 0}));
    EXPECT_TRUE(SettingsStore(path).QueryValue("", "MusicVolume", value));
}

TEST_F(SettingsStoreTest, AnUnreadableStoreIsReportedAndTreatedAsEmpty)
{
    temp.Write("Tarvel Studio/Quendara.registry/inside", "a folder where the file should be");
    SettingsStore store(path);
    testing::internal::CaptureStderr();
    EXPECT_FALSE(store.KeyExists(""));
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "Settings store '" + path +
                  "' cannot be read (Is a directory) and is left as it is; starting with empty "
                  "settings.\n");
    EXPECT_FALSE(store.CreateKey(""));
}

// A store its user may not read may still hold the user's settings: it is reported and nothing is
// written over it. Root reads whatever the mode says, so the store is used by a child that gives up
// root first; the folders let that child write, as the user's own folders would.
TEST_F(SettingsStoreTest, AStoreThatCannotBeReadIsReportedAndNeverWrittenOver)
{
    constexpr uid_t kNobody = 65534;
    const std::string text = "TolmRegistry 1\nkey \nvalue MusicVolume 4 25000000\nend\n";
    temp.Write("Tarvel Studio/Quendara.registry", text);
    ASSERT_EQ(chmod(path.c_str(), 0), 0);
    ASSERT_EQ(chmod(temp.Path().c_str(), 0777), 0);
    ASSERT_EQ(chmod((temp.Path() + "Tarvel Studio").c_str(), 0777), 0);
    int output[2];
    ASSERT_EQ(pipe(output), 0);
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        close(output[0]);
        dup2(output[1], STDERR_FILENO);
        if (geteuid() == 0 && (setgid(kNobody) != 0 || setuid(kNobody) != 0)) {
            _exit(2);
        }
        SettingsStore store(path);
        SettingsValue value;
        const uint8_t volume[4] = {85, 0, 0, 0};
        const bool wrote = store.QueryValue("", "MusicVolume", value) || store.CreateKey("") ||
                           store.SetValue("", "MusicVolume", kRegDword, volume, sizeof volume);
        _exit(wrote ? 3 : 0);
    }
    close(output[1]);
    std::string message;
    char block[1024];
    for (ssize_t got; (got = read(output[0], block, sizeof block)) > 0;) {
        message.append(block, size_t(got));
    }
    close(output[0]);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_EQ(std::filesystem::status(path).permissions(), std::filesystem::perms::none);
    chmod(path.c_str(), 0600);
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == 2) {
        GTEST_SKIP() << "root here may not give up root, and root reads whatever the mode says";
    }
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the store read or wrote the file";
    EXPECT_EQ(message,
              "Settings store '" + path +
                  "' cannot be read (Permission denied) and is left as it is; starting with empty settings.\n");
    EXPECT_EQ(temp.Read("Tarvel Studio/Quendara.registry"), text);
}

// The writer runs in a child process that is killed with SIGKILL at a random moment, as a crash or a
// power cut would stop it; whatever it leaves must load, with values the writer actually wrote.
TEST_F(SettingsStoreTest, AWriterKilledAtRandomMomentsNeverLeavesAStoreThatFailsToLoad)
{
    constexpr int kWrites = 200;
    constexpr int kRounds = 12;
    std::mt19937 random(20240611);
    for (int round = 0; round < kRounds; ++round) {
        int progress[2];
        ASSERT_EQ(pipe(progress), 0);
        pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            close(progress[0]);
            SettingsStore store(path);
            bool ok = store.CreateKey("") && store.CreateKey("Test3D");
            for (int i = 0; ok && i < kWrites; ++i) {
                std::vector<uint8_t> counter = {uint8_t(i), uint8_t(round), 0, 0};
                std::vector<uint8_t> text(size_t(i * 37 % 700), uint8_t('a' + i % 26));
                ok = i % 2 == 0 ? store.SetValue("", "Counter", kRegDword, counter.data(), counter.size())
                                : store.SetValue("Test3D", "Text", kRegSz, text.data(), text.size());
                ok = ok && write(progress[1], "+", 1) == 1;
            }
            _exit(ok ? 0 : 1);
        }
        close(progress[1]);
        int writesBeforeKill = int(random() % kWrites);
        char mark;
        for (int i = 0; i < writesBeforeKill && read(progress[0], &mark, 1) == 1; ++i) {
        }
        usleep(useconds_t(random() % 3000));
        kill(child, SIGKILL);
        int status = 0;
        waitpid(child, &status, 0);
        close(progress[0]);
        ASSERT_TRUE(WIFSIGNALED(status) || (WIFEXITED(status) && WEXITSTATUS(status) == 0)) << "round " << round;

        std::vector<uint8_t> contents;
        if (!Exists(path)) {
            continue;
        }
        ASSERT_TRUE(ReadWholeFile(path, contents));
        SettingsData data;
        std::string error;
        ASSERT_TRUE(SettingsStore::Parse(
            std::string_view(reinterpret_cast<const char*>(contents.data()), contents.size()), data, error))
            << "round " << round << ": " << error;
        SettingsValue value;
        SettingsStore store(path);
        if (store.QueryValue("", "Counter", value)) {
            ASSERT_EQ(value.type, kRegDword);
            ASSERT_EQ(value.data.size(), 4u);
            EXPECT_EQ(value.data[0] % 2, 0);
        }
        if (store.QueryValue("Test3D", "Text", value)) {
            ASSERT_EQ(value.type, kRegSz);
            if (!value.data.empty()) {
                EXPECT_EQ(value.data, std::vector<uint8_t>(value.data.size(), value.data[0]));
            }
        }
    }
}

} // namespace
