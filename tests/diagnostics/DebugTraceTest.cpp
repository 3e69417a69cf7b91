#include "diagnostics/DebugTrace.h"

#include "diagnostics/RecordedDebugOutput.h"

#include <gmock/gmock.h>

using testing::ElementsAre;

TEST(DebugTrace, FormatsEachCallIntoOneWrite)
{
    RecordedDebugOutput output;
    DebugTrace("Screen %dx%d at %s\n", 800, 600, "(0,0)");
    DebugTrace("%s", "no line end");
    EXPECT_THAT(output.writes, ElementsAre("Screen 800x600 at (0,0)\n", "no line end"));
}

TEST(DebugTrace, LongTextStaysOneWrite)
{
    RecordedDebugOutput output;
    std::string word(5000, 'w');
    DebugTrace("[%s]\n", word.c_str());
    EXPECT_THAT(output.writes, ElementsAre("[" + word + "]\n"));
}
