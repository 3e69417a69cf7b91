#include "platform/MessageBox.h"

#include <cstdlib>
#include <gtest/gtest.h>

using namespace Platform;

namespace {

struct RecordingSink : MessageBoxSink
{
    int Show(WindowHandle owner, const std::string& text, const std::string& caption, uint32_t flags) override
    {
        shownOwner = owner;
        shownText = text;
        shownCaption = caption;
        shownFlags = flags;
        return IDNO;
    }
    WindowHandle shownOwner = 0;
    std::string shownText;
    std::string shownCaption;
    uint32_t shownFlags = 0;
};

} // namespace

TEST(MessageBoxTest, DefaultAnswerIsTheDefaultButtonOfTheBox)
{
    struct Case
    {
        const char* name;
        uint32_t flags;
        int answer;
    };
    const Case cases[] = {
        {"ok", MB_OK | MB_ICONERROR, IDOK},
        {"yes/no", MB_YESNO | MB_ICONQUESTION, IDYES},
        {"yes/no, second default", MB_YESNO | MB_DEFBUTTON2, IDNO},
        {"yes/no/cancel, third default", MB_YESNOCANCEL | MB_DEFBUTTON3, IDCANCEL},
        {"ok, no second button", MB_OK | MB_DEFBUTTON2, IDOK},
        {"retry/cancel", MB_RETRYCANCEL, IDRETRY},
        {"abort/retry/ignore", MB_ABORTRETRYIGNORE | MB_DEFBUTTON2, IDRETRY},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(DefaultAnswer(c.flags), c.answer) << c.name;
    }
}

TEST(MessageBoxTest, HeadlessBoxPrintsCaptionAndTextAndTakesTheDefault)
{
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    testing::internal::CaptureStderr();
    int answer = ShowMessageBox(0, "Caf\xE9 closed", "FATAL ERROR", MB_YESNO | MB_DEFBUTTON2 | MB_ICONERROR);
    std::string printed = testing::internal::GetCapturedStderr();
    EXPECT_EQ(answer, IDNO);
    EXPECT_EQ(printed, "FATAL ERROR: Caf\xC3\xA9 closed [No]\n");
}

TEST(MessageBoxTest, InstalledSinkSeesUtf8TextsAndAnswers)
{
    RecordingSink sink;
    SetMessageBoxSink(&sink);
    EXPECT_EQ(ShowMessageBoxWide(7, u"\u20AC 5", u"Price", MB_YESNO), IDNO);
    EXPECT_EQ(sink.shownOwner, 7u);
    EXPECT_EQ(sink.shownText, "\xE2\x82\xAC 5");
    EXPECT_EQ(sink.shownCaption, "Price");
    EXPECT_EQ(sink.shownFlags, MB_YESNO);
    ShowMessageBox(0, "\x80", "x", MB_OK);
    EXPECT_EQ(sink.shownText, "\xE2\x82\xAC");
    SetMessageBoxSink(nullptr);
}
