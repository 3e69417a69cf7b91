// The crash path run in the test process on a made-up fault in a function of this program, which
// does not serve the crash window: what the clipboard gets (the report before the map's names), what
// "crash.txt" gets (after them, every line break stored once), what the window would get, the demo
// closed and the attachment chosen.
#include "app/TolmAppBase.h"
#include "diagnostics/CrashCatcher.h"
#include "platform/Clipboard.h"
#include "platform/FileSystem.h"
#include "support/WorkingFolder.h"

#include <gmock/gmock.h>
#include <ucontext.h>

using testing::HasSubstr;
using testing::MatchesRegex;
using testing::Not;

namespace {

// Sixteen bytes of body, so that eight bytes in lies inside it in every build: unoptimised, its frame
// code alone ends before that.
__attribute__((noinline)) void FaultingFunction()
{
    asm volatile(".fill 16, 1, 0x90");
}

class AttachingApp : public Tolm::TolmAppBase
{
public:
    std::string GetExtraCrashInfo() override { return extraInfo; }

    std::string extraInfo;
};

class CrashReport : public testing::Test
{
protected:
    CrashReport()
    {
        std::vector<uint8_t> map;
        EXPECT_TRUE(Platform::ReadWholeFile(Platform::ProgramFile() + ".map", map)) << "the build writes it";
        folder.Write("test_diagnostics.map", std::string(map.begin(), map.end()));
        app.productName = "Quendara";
        app.productVersion = "1.3";
    }
    ~CrashReport() override
    {
        CrashCatcher::crashTitle.clear();
        CrashCatcher::crashText.clear();
        CrashCatcher::clipboardText.clear();
        CrashCatcher::attachmentPath.clear();
        CrashCatcher::attachFile = false;
        Platform::SetClipboardText("");
    }

    // An access violation eight bytes into FaultingFunction.
    // The crash window is not shown: this program does not serve it.
    void Crash()
    {
        ucontext_t here{};
        getcontext(&here);
        Platform::ProcessorContext context(&here);
        Platform::ExceptionRecord record{Platform::EXCEPTION_ACCESS_VIOLATION,
                                         reinterpret_cast<uintptr_t>(&FaultingFunction) + 8, SIGSEGV};
        Platform::ExceptionPointers pointers{&record, &context};
        CrashCatcher::HandleCrash(&pointers);
    }

    WorkingFolder folder;
    AttachingApp app;
};

} // namespace

TEST_F(CrashReport, TheClipboardGetsTheReportBeforeTheMapNamesItAndTheFileAfter)
{
    Crash();
    std::string clipboard = Platform::GetClipboardText();
    std::string file = folder.Read("crash.txt");
    std::string head = clipboard.substr(0, clipboard.find("\r\n\r\n") + 4);
    EXPECT_THAT(head, MatchesRegex("Exception: Access Violation \\(code 0xc0000005\\) at address [0-9A-F]{8,} in "
                                   "thread [0-9A-F]+\r\nModule: test_diagnostics\r\nLogical Address: "
                                   "[0-9A-F]{4}:[0-9A-F]{8}\r\n\r\n"));
    EXPECT_THAT(file, HasSubstr("\r\nLogical Address: (anonymous namespace)::FaultingFunction()+0x8\r\n"));
    EXPECT_THAT(file, HasSubstr("\r\nKernel Ver: "));
    EXPECT_THAT(file, HasSubstr("\r\n\r\nProduct: Quendara\r\nVersion: 1.3\r\n"));
    EXPECT_EQ(file.find('\r' + std::string("\r")), std::string::npos);
    // The report as the window has it, and one more line break in the file.
    EXPECT_EQ(file, CrashCatcher::crashText + "\r\n");
    EXPECT_EQ(CrashCatcher::crashTitle,
              "Exception at " + clipboard.substr(clipboard.find("Logical Address: ") + 17, 13));
}

TEST_F(CrashReport, EachCrashReplacesTheFile)
{
    folder.Write("crash.txt", std::string(100000, 'x'));
    Crash();
    EXPECT_EQ(folder.Read("crash.txt").rfind("Exception: Access Violation", 0), 0u);
    EXPECT_THAT(folder.Read("crash.txt"), Not(HasSubstr("xxxx")));
}

TEST_F(CrashReport, TheRecordedDemoIsClosedAndAttached)
{
    app.recordingDemo = true;
    app.demoFileName = folder.Path() + "crash.dmo";
    Crash();
    EXPECT_TRUE(CrashCatcher::attachFile);
    EXPECT_EQ(CrashCatcher::attachmentPath, folder.Path() + "crash.dmo");
    EXPECT_FALSE(app.recordingDemo);
    EXPECT_FALSE(app.playingDemo);
    // The filler event at update 0: delta 0, a 0 bit, command 31, low bit first.
    std::string demo = folder.Read("crash.dmo");
    ASSERT_GE(demo.size(), 2u);
    EXPECT_EQ(demo.substr(demo.size() - 2), "\xE0\x03");
}

TEST_F(CrashReport, TheApplicationsExtraFileTakesThePlaceOfTheDemo)
{
    struct Case
    {
        bool recording;
        const char* extra;
        bool attach;
        const char* attachment;
    };
    const Case cases[] = {
        {false, "", false, ""},
        {false, "/tmp/extra.log", true, "/tmp/extra.log"},
        {true, "/tmp/extra.log", true, "/tmp/extra.log"},
    };
    for (const Case& c : cases) {
        app.recordingDemo = c.recording;
        app.playingDemo = true;
        app.demoFileName = folder.Path() + "crash.dmo";
        app.extraInfo = c.extra;
        CrashCatcher::attachmentPath.clear();
        Crash();
        EXPECT_EQ(CrashCatcher::attachFile, c.attach);
        EXPECT_EQ(CrashCatcher::attachmentPath, c.attachment);
        EXPECT_FALSE(app.playingDemo);
    }
}

// A crash beside a main loop that did not stop takes the demo only when the loop's step has not begun
// a record, which might be half written.
TEST(CrashBesideARunningLoop, TakesTheDemoOnlyWhenNoRecordIsUnderWay)
{
    const struct
    {
        const char* name;
        bool recordInStep;
        bool taken;
    } cases[] = {{"nothing recorded in the step", false, true}, {"a record begun in the step", true, false}};
    // A demo that is still recording is written when its application goes.
    WorkingFolder folder;
    for (const auto& [name, recordInStep, taken] : cases) {
        SCOPED_TRACE(name);
        Tolm::TolmAppBase app;
        app.recordingDemo = true;
        if (recordInStep) {
            app.RecordDemoEventHeader();
        }
        EXPECT_EQ(app.TakeDemoForCrash(), taken);
    }
}
