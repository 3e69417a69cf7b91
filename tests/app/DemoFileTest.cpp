// The demo file around the event stream, its reader's refusals, and the controls of a demo being
// played: speed, pause, steps, jumps to the end, to a marker and to a time.
#include "AppFixture.h"
#include "platform/FileSystem.h"
#include "platform/SettingsStore.h"
#include "platform/SystemDialogs.h"
#include "platform/WindowMessages.h"

#include <fstream>

using namespace Platform;
using Bytes = std::vector<uint8_t>;

namespace {

Bytes Le32(uint32_t value)
{
    return {uint8_t(value), uint8_t(value >> 8), uint8_t(value >> 16), uint8_t(value >> 24)};
}
Bytes Text(const std::string& text)
{
    return Bytes(text.begin(), text.end());
}
Bytes operator+(Bytes a, const Bytes& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}
// The first count bytes.
Bytes Cut(const Bytes& bytes, size_t count)
{
    return Bytes(bytes.begin(), bytes.begin() + std::ptrdiff_t(count));
}
// Without the first count bytes.
Bytes Drop(const Bytes& bytes, size_t count)
{
    return Bytes(bytes.begin() + std::ptrdiff_t(count), bytes.end());
}

// A quit event at update 2: delta 0010, kind 0, command 00110, least significant bits first.
const Bytes kQuitAtTwo = {0xC2, 0x00};
// Magic, version, seed 0x01020304 and the version text "1.3".
Bytes Header(uint32_t version, const std::string& text = "1.3")
{
    return Le32(0x42BEEF78) + Le32(version) + Le32(0x01020304) +
           Bytes{uint8_t(text.size()), uint8_t(text.size() >> 8)} + Text(text);
}
const Bytes kNoMarkers = Le32(4) + Le32(0);

struct DialogAnswers : SystemDialogSink
{
    int ChooseFromList(const std::string& caption, const std::vector<std::string>& items) override
    {
        captions.push_back(caption);
        listShown = items;
        return choice;
    }
    bool EditText(const std::string& caption, std::string& text) override
    {
        captions.push_back(caption);
        textShown = text;
        text = typed;
        return confirm;
    }
    std::vector<std::string> captions;
    std::vector<std::string> listShown;
    std::string textShown;
    int choice = -1;
    std::string typed;
    bool confirm = true;
};

class DemoFileTest : public AppFixture<RecordingApp>
{
protected:
    DemoFileTest() { SetSystemDialogSink(&answers); }
    ~DemoFileTest() override { SetSystemDialogSink(nullptr); }

    std::string PathOf(const std::string& name) { return temp.Path() + name; }
    void WriteBytes(const std::string& name, const Bytes& bytes)
    {
        std::ofstream(PathOf(name), std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    }
    // A fresh reader of the named file; its error text, empty when it read the file.
    std::string Read(const std::string& name)
    {
        reader = std::make_unique<Tolm::TolmAppBase>();
        reader->productVersion = "1.3";
        reader->demoFileName = PathOf(name);
        std::string error;
        bool read = reader->ReadDemoFile(error);
        EXPECT_EQ(read, error.empty()) << name;
        return error;
    }
    void Char(char key) { Tolm::TolmAppBase::WindowProc(Main(), WM_CHAR, WParam(uint8_t(key)), 0); }

    DialogAnswers answers;
    std::unique_ptr<Tolm::TolmAppBase> reader;
};

TEST_F(DemoFileTest, ARecordedDemoIsWrittenFieldByField)
{
    Tolm::TolmAppBase recorder;
    recorder.recordingDemo = true;
    recorder.productVersion = "1.3";
    recorder.randomSeed = 0x01020304;
    recorder.demoFileName = PathOf("out.dmo");
    recorder.demoMarkers.push_back({"m", 7});
    recorder.updateCount = 2;
    recorder.RecordDemoEventHeader();
    recorder.demoBuffer.WriteBits(0, 1);
    recorder.demoBuffer.WriteBits(6, 5);
    recorder.WriteDemoFile();
    Bytes written;
    ASSERT_TRUE(ReadWholeFile(PathOf("out.dmo"), written));
    EXPECT_EQ(written, (Header(2) + Le32(11) + Le32(1) + Bytes{1, 0, 'm'} + Le32(7) + Le32(2) + kQuitAtTwo));

    EXPECT_EQ(Read("out.dmo"), "");
    EXPECT_EQ(reader->randomSeed, 0x01020304u);
    EXPECT_EQ(reader->demoEndUpdate, 2);
    ASSERT_EQ(reader->demoMarkers.size(), 1u);
    EXPECT_EQ(reader->demoMarkers[0].name, "m");
    EXPECT_EQ(reader->demoMarkers[0].updateCount, 7);
    EXPECT_EQ(Bytes(reader->demoBuffer.GetDataPtr(), reader->demoBuffer.GetDataPtr() + 2), kQuitAtTwo);
}

TEST_F(DemoFileTest, OnlyARecordingWritesAFile)
{
    Tolm::TolmAppBase idle;
    idle.demoFileName = PathOf("never.dmo");
    idle.WriteDemoFile();
    EXPECT_FALSE(Exists(PathOf("never.dmo")));
}

TEST_F(DemoFileTest, TheReaderRefusesWhatItCannotPlay)
{
    struct Case
    {
        const char* name;
        Bytes bytes;
        std::string error;
    };
    const std::string invalid = "Invalid demo file.";
    std::string longText = std::string("1.3") + '\0' + std::string(296, 'x');
    const Case cases[] = {
        {"version 2", Header(2) + kNoMarkers + Le32(9) + kQuitAtTwo, ""},
        {"version 1 has no marker block", Header(1) + Le32(9) + kQuitAtTwo, ""},
        {"version text cut at its zero, the rest skipped", Header(2, longText) + kNoMarkers + Le32(9) + kQuitAtTwo, ""},
        {"wrong magic", Le32(0x42BEEF77) + Drop(Header(2), 4) + kNoMarkers + Le32(9) + kQuitAtTwo, invalid},
        {"another version", Header(2, "1.4") + kNoMarkers + Le32(9) + kQuitAtTwo,
         "This demo file appears to be for '1.4'"},
        {"no event bytes", Header(2) + kNoMarkers + Le32(9), invalid},
        {"negative marker block", Header(2) + Le32(uint32_t(-8)) + Le32(9) + kQuitAtTwo, invalid},
        {"marker block past the end", Header(2) + Le32(7) + Le32(0) + kQuitAtTwo, invalid},
        {"fewer markers than counted",
         Header(2) + Le32(11) + Le32(2) + Bytes{1, 0, 'a'} + Le32(5) + Le32(9) + kQuitAtTwo, invalid},
        {"empty file", Bytes{}, invalid},
        {"cut in the seed", Cut(Header(2), 10), invalid},
        {"cut in the version text", Cut(Header(2), Header(2).size() - 1), invalid},
        {"cut before the marker length", Header(2) + Bytes{4, 0}, invalid},
    };
    for (const Case& c : cases) {
        WriteBytes("case.dmo", c.bytes);
        EXPECT_EQ(Read("case.dmo"), c.error) << c.name;
    }
    EXPECT_EQ(Read("absent.dmo"), "Demo file not found: " + PathOf("absent.dmo"));
}

TEST_F(DemoFileTest, PlaybackKeysChangeSpeedPauseAndJumps)
{
    StartApp();
    app->playingDemo = true;
    app->demoEndUpdate = 100000;
    app->updateCount = 500;
    struct Case
    {
        char key;
        double multiplier;
        int target;
    };
    const Case cases[] = {
        {'+', 1.5, 0},      {'+', 2.25, 0},    {'-', 1.5, 0},     {'=', 1.0, 0},
        {'0', 1.0, 100000}, {'4', 1.0, 88000}, {'5', 1.0, 91000}, {'6', 1.0, 94000},
        {'7', 1.0, 97000},  {'8', 1.0, 99000}, {'9', 1.0, 99500}, {'n', 1.0, 501},
    };
    for (const Case& c : cases) {
        app->demoTargetUpdate = 0;
        Char(c.key);
        EXPECT_DOUBLE_EQ(app->updateMultiplier, c.multiplier) << c.key;
        EXPECT_EQ(app->demoTargetUpdate, c.target) << c.key;
    }
    EXPECT_TRUE(app->forceRedraw) << "a single step is drawn";
    Char('P');
    EXPECT_TRUE(app->pausedInactive);
    Char('p');
    EXPECT_FALSE(app->pausedInactive);
    Char('M');
    EXPECT_TRUE(app->demoFastForward);

    app->SetMusicVolume(0.5);
    app->SetSfxVolume(0.25);
    Char('s');
    EXPECT_EQ(app->GetMusicVolume(), 0.0);
    EXPECT_EQ(app->GetSfxVolume(), 0.0);
    Char('S');
    EXPECT_EQ(app->GetMusicVolume(), 0.5);
    EXPECT_EQ(app->GetSfxVolume(), 0.25);
    app->playingDemo = false;
}

TEST_F(DemoFileTest, TheMarkerListOffersTheMarkersAheadWithTheirTimeBeforeTheEnd)
{
    StartApp();
    app->playingDemo = true;
    app->demoEndUpdate = 400000;
    app->updateCount = 100;
    app->demoMarkers = {{"a", 50}, {"b", 150}, {"now", 100}, {"c", 360100}};
    answers.choice = 1;
    Char('L');
    EXPECT_EQ(answers.captions, (std::vector<std::string>{"Marker List"}));
    EXPECT_EQ(answers.listShown, (std::vector<std::string>{"b (01:06:38)", "c (00:06:39)"}));
    EXPECT_EQ(app->demoTargetUpdate, 360100);
    answers.choice = -1;
    app->demoTargetUpdate = 0;
    Char('l');
    EXPECT_EQ(app->demoTargetUpdate, 0) << "closed without a choice";
    app->playingDemo = false;
}

TEST_F(DemoFileTest, TheJumpTextCountsBackFromTheEndAndIsKept)
{
    StartApp();
    app->playingDemo = true;
    app->demoEndUpdate = 100000;
    struct Case
    {
        std::string typed;
        int target;
    };
    const Case cases[] = {
        {"0:30", 100000 - 3100}, {"1:30", 100000 - 9100}, {"1:0:5", 100000 - 360600},
        {"", 100000 - 100},      {"abc", 100000 - 100},   {"99999999999", INT_MIN},
    };
    for (const Case& c : cases) {
        answers.typed = c.typed;
        Char('j');
        EXPECT_EQ(app->demoTargetUpdate, c.target) << c.typed;
    }
    answers.typed = "0:30";
    Char('J');
    Char('J');
    EXPECT_EQ(answers.textShown, "0:30") << "the last jump is offered again";
    app->demoTargetUpdate = 7;
    answers.confirm = false;
    answers.typed = "0:10";
    EXPECT_EQ(app->ShowDemoJumpDialog(), IDCANCEL);
    EXPECT_EQ(app->demoTargetUpdate, 7);
    app->playingDemo = false;

    SettingsStore store(temp.Path() + "config/Test Company/TestProduct.registry");
    SettingsValue stored;
    ASSERT_TRUE(store.QueryValue("", "DemoJumpTime", stored));
    EXPECT_EQ(stored.type, kRegSz);
    EXPECT_EQ(stored.data, (Bytes{'0', ':', '3', '0', 0})) << "with its terminating zero";
}

} // namespace
