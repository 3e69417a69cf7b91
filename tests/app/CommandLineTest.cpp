// The command line split into parameters, the framework's options, and the game's own handler, which
// takes only the start level.
#include "AppFixture.h"
#include "GameFixture.h"
#include "core/PathUtils.h"
#include "platform/DebugOutput.h"
#include "platform/Folders.h"
#include "platform/MessageBox.h"
#include "platform/Process.h"

#include <fstream>

namespace {

using Parameters = std::vector<std::pair<std::string, std::string>>;

// Collects the parameters instead of acting on them.
class ParameterApp : public RecordingApp
{
public:
    void HandleCommandLineParam(const std::string& name, const std::string& value) override
    {
        parameters.push_back({name, value});
    }
    Parameters parameters;
};

class CommandLineTest : public AppFixture<ParameterApp>
{
protected:
    ~CommandLineTest() override { Platform::SetCommandLine(""); }
};

TEST_F(CommandLineTest, CommandLinesGiveTheirParameters)
{
    struct Case
    {
        const char* name;
        std::string text;
        Parameters expected;
    };
    const Case cases[] = {
        {"quoted value with a space",
         "-record -demofile=\"C:\\demos\\a b.dmo\"",
         {{"-record", ""}, {"-demofile", "C:\\demos\\a b.dmo"}}},
        {"names and values", "a=1 b=2 c", {{"a", "1"}, {"b", "2"}, {"c", ""}}},
        {"several spaces", "a   b", {{"a", ""}, {"b", ""}}},
        {"quoted name with '=' inside", "\"x=y z\" w", {{"x", "y z"}, {"w", ""}}},
        {"a second '=' is dropped", "k=a=b", {{"k", "ab"}}},
        {"a value without a name takes the rest into its value", "=v n", {}},
        {"closing quote ends the parameter", "\"a\"b", {{"a", ""}, {"b", ""}}},
        {"unbalanced quote runs to the end", "n=\"a b", {{"n", "a b"}}},
        {"empty text", "", {}},
        {"bytes above 127 kept", "name=\xE9t\xE9", {{"name", "\xE9t\xE9"}}},
    };
    StartApp();
    for (const Case& c : cases) {
        app->parameters.clear();
        app->ParseCommandLine(c.text);
        EXPECT_EQ(app->parameters, c.expected) << c.name;
    }
}

TEST_F(CommandLineTest, TheProgramPathIsSkippedBeforeTheParameters)
{
    struct Case
    {
        const char* name;
        std::string line;
        Parameters expected;
    };
    const Case cases[] = {
        {"quoted path with spaces", "\"/opt/my game/quendara\" a=1 b", {{"a", "1"}, {"b", ""}}},
        {"unquoted path", "quendara x", {{"x", ""}}},
        {"no parameters", "\"/opt/quendara\"", {}},
        {"no closing quote", "\"/opt/quendara a=1", {}},
    };
    for (const Case& c : cases) {
        ParameterApp parsed;
        Platform::SetCommandLine(c.line);
        parsed.ReadCommandLine();
        EXPECT_EQ(parsed.parameters, c.expected) << c.name;
        EXPECT_TRUE(parsed.commandLineRead) << c.name;
    }
}

TEST_F(CommandLineTest, ArgumentsAreQuotedAsWindowsHandsThemOver)
{
    const char* argv[] = {"/opt/quendara", "-record", "-demofile=/tmp/a b.dmo", "caf\xC3\xA9"};
    Platform::SetCommandLineArguments(4, argv);
    EXPECT_EQ(Platform::GetCommandLine(), "\"/opt/quendara\" -record \"-demofile=/tmp/a b.dmo\" caf\xE9");
    ParameterApp parsed;
    parsed.ReadCommandLine();
    EXPECT_EQ(parsed.parameters, (Parameters{{"-record", ""}, {"-demofile", "/tmp/a b.dmo"}, {"caf\xE9", ""}}));
}

class FrameworkOptionsTest : public AppFixture<RecordingApp>
{
protected:
    ~FrameworkOptionsTest() override { Platform::SetCommandLine(""); }

    std::string DemoFolder() { return Tolm::GetUserDataFolder(); }
    void TouchDemo(int number)
    {
        Platform::MakeFolders(DemoFolder());
        std::ofstream(DemoFolder() + "tolmapp" + std::to_string(number) + ".dmo") << "x";
    }
    bool DemoExists(int number) { return Platform::Exists(DemoFolder() + "tolmapp" + std::to_string(number) + ".dmo"); }
};

TEST_F(FrameworkOptionsTest, OptionsSetTheDemoModeFilesAndFolders)
{
    StartApp();
    std::string userData = Tolm::GetUserDataFolder();
    ASSERT_FALSE(userData.empty());
    app->HandleCommandLineParam("-record", "");
    EXPECT_TRUE(app->recordingDemo);
    EXPECT_FALSE(app->playingDemo);
    app->HandleCommandLineParam("-play", "");
    EXPECT_TRUE(app->playingDemo);
    EXPECT_FALSE(app->recordingDemo);
    app->playingDemo = false;

    app->HandleCommandLineParam("-demofile", "x.dmo");
    EXPECT_EQ(app->demoFileName, userData + "x.dmo");
    app->HandleCommandLineParam("-demofile", "D:x.dmo");
    EXPECT_EQ(app->demoFileName, "D:x.dmo");
    app->HandleCommandLineParam("-demofile", "ab\\c.dmo");
    EXPECT_EQ(app->demoFileName, "ab\\c.dmo") << "a '\\' third stands for a root";
    app->HandleCommandLineParam("-demofile", "/tmp/y.dmo");
    EXPECT_EQ(app->demoFileName, "/tmp/y.dmo");
    app->HandleCommandLineParam("-demofile", "z");
    EXPECT_EQ(app->demoFileName, userData + "z");

    app->HandleCommandLineParam("-screensaver", "");
    EXPECT_TRUE(app->screenSaverMode);
    app->HandleCommandLineParam("-changedir", "/srv/game");
    EXPECT_EQ(app->programFolder, "/srv/game");
}

TEST_F(FrameworkOptionsTest, NumberedDemosRotateInTheUserDataFolder)
{
    StartApp();
    app->HandleCommandLineParam("-recnum", "0");
    EXPECT_EQ(app->demoFileName, DemoFolder() + "tolmapp1.dmo") << "the first numbered demo";
    EXPECT_TRUE(app->recordingDemo);

    for (int number = 2; number <= 6; ++number) {
        TouchDemo(number);
    }
    app->HandleCommandLineParam("-recnum", "0");
    EXPECT_EQ(app->demoFileName, DemoFolder() + "tolmapp7.dmo");
    EXPECT_FALSE(DemoExists(2)) << "five kept: the oldest of five present goes";
    EXPECT_TRUE(DemoExists(3));

    TouchDemo(7);
    app->HandleCommandLineParam("-playnum", "2");
    EXPECT_EQ(app->demoFileName, DemoFolder() + "tolmapp6.dmo");
    EXPECT_TRUE(app->playingDemo);
    EXPECT_FALSE(app->recordingDemo);
    app->HandleCommandLineParam("-playnum", "junk");
    EXPECT_EQ(app->demoFileName, DemoFolder() + "tolmapp7.dmo") << "no number plays the newest";
    app->playingDemo = false;
}

TEST_F(FrameworkOptionsTest, RotationKeepsWhatItIsToldAndIgnoresOtherNames)
{
    StartApp();
    std::string prefix = DemoFolder() + "tolmapp";
    EXPECT_EQ(Tolm::RotateDemoFiles(prefix, 5, true), 0) << "none present";
    for (int number = 2; number <= 5; ++number) {
        TouchDemo(number);
    }
    Platform::MakeFolders(DemoFolder());
    for (const char* other : {"tolmapp.dmo", "tolmappx3.dmo", "tolmapp99999999999.dmo", "tolmapp-3.dmo"}) {
        std::ofstream(DemoFolder() + other) << "x";
    }
    EXPECT_EQ(Tolm::RotateDemoFiles(prefix, 5, true), 5);
    EXPECT_TRUE(DemoExists(2)) << "four files with five kept: nothing deleted";
    EXPECT_EQ(Tolm::RotateDemoFiles(prefix, 4, false), 5);
    EXPECT_TRUE(DemoExists(2)) << "playback never deletes";
    EXPECT_EQ(Tolm::RotateDemoFiles(prefix, 4, true), 5);
    EXPECT_FALSE(DemoExists(2));
}

TEST_F(FrameworkOptionsTest, TheFrameworkReadsItsCommandLineDuringInitialisation)
{
    Platform::SetCommandLine("\"/opt/quendara\" -screensaver -changedir=/nowhere");
    StartApp();
    EXPECT_TRUE(app->screenSaverMode);
    EXPECT_FALSE(app->singleInstance) << "a screen saver may run beside the program";
    EXPECT_EQ(app->programFolder, "/nowhere");
}

TEST_F(FrameworkOptionsTest, AnUnknownOptionIsRefusedAndEndsTheProgram)
{
    StartApp();
    struct EchoSink : Platform::MessageBoxSink
    {
        int Show(Platform::WindowHandle, const std::string& text, const std::string& caption, uint32_t) override
        {
            std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
            return Platform::IDOK;
        }
    } sink;
    Platform::SetMessageBoxSink(&sink);
    EXPECT_EXIT(app->HandleCommandLineParam("-foo", "1"), testing::ExitedWithCode(0),
                "FATAL ERROR: Invalid command line parameter: -foo");
    Platform::SetMessageBoxSink(nullptr);
}

class GameCommandLineTest : public GameFixture
{
protected:
    struct Lines : Platform::DebugOutputSink
    {
        void Write(const std::string& text) override { written += text; }
        std::string written;
    };
    GameCommandLineTest() { Platform::SetDebugOutputSink(&lines); }
    ~GameCommandLineTest() override { Platform::SetDebugOutputSink(nullptr); }

    Lines lines;
};

TEST_F(GameCommandLineTest, OnlyTheStartLevelIsTakenAndEveryParameterIsLogged)
{
    struct Case
    {
        const char* value;
        int startLevel;
        int totalLevels;
    };
    const Case cases[] = {
        {"level012", 12, 12},     {"Xlevel7", 7, 7},   {"level", 0, 5},  {"levelabc", 0, 5},
        {"level99999", 999, 999}, {"level-05", -5, 5}, {"level3", 3, 5}, {"level012x", 12, 12},
    };
    HereGameApp game;
    for (const Case& c : cases) {
        game.intProperties.clear();
        game.SetIntProperty("set_total_levels", 5);
        game.HandleCommandLineParam("set_start_level", c.value);
        EXPECT_EQ(game.GetIntPropertyOr("set_start_level", 1), c.startLevel) << c.value;
        EXPECT_EQ(game.GetIntProperty("set_total_levels"), c.totalLevels) << c.value;
    }
    game.intProperties.clear();
    game.HandleCommandLineParam("set_start_level", "12");
    EXPECT_FALSE(game.intProperties.count("set_start_level")) << "without \"level\" nothing changes";

    lines.written.clear();
    game.HandleCommandLineParam("-foo", "");
    game.HandleCommandLineParam("-record", "");
    EXPECT_FALSE(game.recordingDemo) << "the framework's options do not reach the framework";
    EXPECT_EQ(lines.written, "theParamName = \"-foo\", theParamValue = \"\"\r\n"
                             "theParamName = \"-record\", theParamValue = \"\"\r\n");
}

TEST_F(GameCommandLineTest, TheGameReadsItsCommandLineAfterItsProperties)
{
    WriteStartableData();
    WriteProperties("game_sets.xml", "<Integer id=\"set_total_levels\">40</Integer>");
    Platform::SetCommandLine("\"/opt/quendara\" -screensaver set_start_level=level050");
    app = std::make_unique<HereGameApp>();
    app->Init();
    Platform::SetCommandLine("");
    EXPECT_FALSE(app->screenSaverMode);
    EXPECT_EQ(app->GetIntProperty("set_start_level"), 50);
    EXPECT_EQ(app->GetIntProperty("set_total_levels"), 50) << "raised over the properties' 40";
    EXPECT_TRUE(popups.shown.empty());
}

} // namespace
