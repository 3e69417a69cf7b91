// Golden leak reports. The header carries the local time, so it is matched by its shape; the rest of
// the file is compared whole.
#include "diagnostics/AllocTracker.h"

#include "diagnostics/RecordedDebugOutput.h"
#include "support/WorkingFolder.h"

#include <gmock/gmock.h>
#include <optional>

using testing::ElementsAre;
using testing::MatchesRegex;

namespace {

const std::string kRule = std::string(59, '-') + "\n";

class AllocTrackerTest : public testing::Test
{
protected:
    ~AllocTrackerTest() override { reportLeaksOnExit = false; }

    // The report after its header line and the blank line the time's own line end makes.
    std::string ReportBody()
    {
        std::string report = folder.Read("mem_leaks.txt");
        size_t end = report.find("\n\n");
        EXPECT_THAT(report.substr(0, end + 2),
                    MatchesRegex("Memory Leak Report for [A-Z][a-z][a-z] [A-Z][a-z][a-z] [ 1-3][0-9] "
                                 "[0-2][0-9]:[0-5][0-9]:[0-6][0-9] [0-9]+\n\n"));
        return end == std::string::npos ? report : report.substr(end + 2);
    }

    WorkingFolder folder;
    std::optional<AllocTracker> tracker{std::in_place};
};

} // namespace

TEST_F(AllocTrackerTest, NoRecordsGiveTheFrameOfAnEmptyReport)
{
    tracker->WriteLeakReport();
    EXPECT_EQ(ReportBody(), kRule + "Total Unfreed: 0 bytes (0KB)\n\n");
}

TEST_F(AllocTrackerTest, SizesZeroAndOneAreSingularAndRecordsComeInAddressOrder)
{
    char block[2] = {};
    tracker->AddRecord(&block[1], 1, "Board.cpp", 20);
    tracker->AddRecord(&block[0], 0, "Town.cpp", 7);
    tracker->WriteLeakReport();
    EXPECT_EQ(ReportBody(),
              "Town.cpp(7) : Leak 0 byte\nBoard.cpp(20) : Leak 1 byte\n" + kRule + "Total Unfreed: 1 bytes (0KB)\n\n");
}

TEST_F(AllocTrackerTest, KilobytesAreTruncatedAndRemovedRecordsAreGone)
{
    char block[3] = {};
    tracker->AddRecord(&block[0], 1024, "Image.cpp", 31);
    tracker->AddRecord(&block[1], 100, "Gone.cpp", 1);
    tracker->AddRecord(&block[2], 512, "Font.cpp", 8);
    tracker->RemoveRecord(&block[1]);
    tracker->WriteLeakReport();
    EXPECT_EQ(ReportBody(), "Image.cpp(31) : Leak 1024 bytes\nFont.cpp(8) : Leak 512 bytes\n" + kRule +
                                "Total Unfreed: 1536 bytes (1KB)\n\n");
}

TEST_F(AllocTrackerTest, DebugOutputGetsTheSameLinesAfterABlankLine)
{
    RecordedDebugOutput output;
    char block = 0;
    tracker->AddRecord(&block, 3, "Sound.cpp", 99);
    tracker->WriteLeakReport();
    ASSERT_EQ(output.writes.size(), 5u);
    EXPECT_EQ(output.writes[0], "\n");
    EXPECT_EQ(output.writes[1] + output.writes[2] + output.writes[3] + output.writes[4], folder.Read("mem_leaks.txt"));
}

TEST_F(AllocTrackerTest, ExitWritesTheReportOnlyWhenAskedTo)
{
    tracker.reset();
    EXPECT_FALSE(Platform::Exists(folder.Path() + "mem_leaks.txt"));
    tracker.emplace();
    reportLeaksOnExit = true;
    tracker.reset();
    EXPECT_EQ(ReportBody(), kRule + "Total Unfreed: 0 bytes (0KB)\n\n");
}

TEST_F(AllocTrackerTest, AReportThatCannotBeCreatedWritesNothingAnywhere)
{
    Platform::MakeDirectory(folder.Path() + "mem_leaks.txt");
    RecordedDebugOutput output;
    tracker->WriteLeakReport();
    EXPECT_TRUE(output.writes.empty());
}
