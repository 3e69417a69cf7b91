// The crash windows' hand-over: what the crashed process writes, the windows' process reads back, and
// bytes cut short or made up read as far as they go.
#include "diagnostics/CrashHandOver.h"

#include <gtest/gtest.h>

namespace {

CrashHandOver WithApplication()
{
    CrashHandOver handOver;
    handOver.hasApplication = true;
    handOver.allowSubmit = true;
    handOver.submitHost = "127.0.0.1:8080";
    handOver.crashTitle = "Exception at 0010:00001234";
    handOver.crashText = std::string("Exception: Access Violation\r\n\0after a zero", 42);
    handOver.attachFile = true;
    handOver.attachmentPath = "/tmp/crash.dmo";
    handOver.clipboardText = "Exception: Access Violation\r\nLogical Address: 0010:00001234\r\n";
    handOver.productName = "Quendara";
    handOver.productVersion = "1.3";
    handOver.extraFields = {{"level", "12"}, {"town", "3"}};
    return handOver;
}

void ExpectSame(const CrashHandOver& read, const CrashHandOver& written)
{
    EXPECT_EQ(read.hasApplication, written.hasApplication);
    EXPECT_EQ(read.allowSubmit, written.allowSubmit);
    EXPECT_EQ(read.submitHost, written.submitHost);
    EXPECT_EQ(read.crashTitle, written.crashTitle);
    EXPECT_EQ(read.crashText, written.crashText);
    EXPECT_EQ(read.attachFile, written.attachFile);
    EXPECT_EQ(read.attachmentPath, written.attachmentPath);
    EXPECT_EQ(read.clipboardText, written.clipboardText);
    EXPECT_EQ(read.productName, written.productName);
    EXPECT_EQ(read.productVersion, written.productVersion);
    EXPECT_EQ(read.extraFields, written.extraFields);
}

} // namespace

TEST(CrashHandOver, WhatIsWrittenReadsBackWhole)
{
    CrashHandOver withoutApplication = WithApplication();
    withoutApplication.hasApplication = false;
    withoutApplication.productName.clear();
    withoutApplication.productVersion.clear();
    withoutApplication.extraFields.clear();
    CrashHandOver nothing;
    const struct
    {
        const char* name;
        CrashHandOver handOver;
    } cases[] = {
        {"with an application", WithApplication()}, {"without one", withoutApplication}, {"all empty", nothing}};
    for (const auto& [name, handOver] : cases) {
        SCOPED_TRACE(name);
        ExpectSame(ReadCrashHandOver(WriteCrashHandOver(handOver)), handOver);
    }
}

TEST(CrashHandOver, AFieldWithoutANameDoesNotCutOffTheOthers)
{
    CrashHandOver handOver = WithApplication();
    handOver.extraFields[""] = "sorted first";
    CrashHandOver read = ReadCrashHandOver(WriteCrashHandOver(handOver));
    EXPECT_EQ(read.extraFields, WithApplication().extraFields);
}

TEST(CrashHandOver, BytesCutShortReadAsFarAsTheyGo)
{
    std::string bytes = WriteCrashHandOver(WithApplication());
    // Flags, host and title whole; the report's length says more than is left.
    size_t cut = bytes.find("Exception: Access") + 9;
    CrashHandOver read = ReadCrashHandOver(std::string_view(bytes).substr(0, cut));
    EXPECT_TRUE(read.hasApplication);
    EXPECT_EQ(read.crashTitle, "Exception at 0010:00001234");
    EXPECT_EQ(read.crashText, "Exception");
    EXPECT_FALSE(read.attachFile);
    EXPECT_EQ(read.clipboardText, "");
    EXPECT_EQ(read.productName, "");
    EXPECT_TRUE(read.extraFields.empty());
}
