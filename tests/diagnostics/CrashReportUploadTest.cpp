// The crash report upload as the report server receives it, byte for byte: the form's parts in their
// order, the headers, the body's length, the demo file's bytes untouched, and the boundary changed
// when a part holds it. The expected requests are written out here by hand.
#include "app/TolmAppBase.h"
#include "diagnostics/CrashCatcher.h"
#include "diagnostics/HTTPTransfer.h"
#include "diagnostics/LoopbackServer.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

namespace {

const std::string kBoundary = "---------------------------7d3e1f30eec";

class ReportingApp : public Tolm::TolmAppBase
{
public:
    void AddCrashReportFields(std::map<std::string, std::string>& fields) override { fields = extraFields; }

    std::map<std::string, std::string> extraFields;
};

std::string Part(const std::string& boundary, const std::string& name, const std::string& value)
{
    return "--" + boundary + "\r\nContent-Disposition: form-data; name=\"" + name + "\"\r\n\r\n" + value + "\r\n";
}

std::string Request(const std::string& boundary, const std::string& host, const std::string& body)
{
    return "POST /plemora_error.php HTTP/1.1\r\n"
           "Content-Type: multipart/form-data; boundary=" +
           boundary +
           "\r\n"
           "User-Agent: Mozilla/4.0 (compatible; vantor)\r\n"
           "Host: " +
           host +
           "\r\n"
           "Content-Length: " +
           std::to_string(body.size()) +
           "\r\n"
           "Connection: close\r\n"
           "\r\n" +
           body;
}

class CrashReportUpload : public testing::Test
{
protected:
    CrashReportUpload()
    {
        app.productName = "Quendara";
        app.productVersion = "1.3";
        CrashCatcher::submitHost = server.Host();
        CrashCatcher::userText = "It froze after the third level.";
        CrashCatcher::crashTitle = "Quendara has crashed";
        CrashCatcher::crashText = "Exception: Access Violation\r\nLogical Address: 0001:00001010\r\n";
        CrashCatcher::attachmentPath = temp.Path() + "crash.dmo";
        CrashCatcher::attachFile = false;
    }
    ~CrashReportUpload() override
    {
        SubmitTransfer.Reset();
        CrashCatcher::submitHost.clear();
        CrashCatcher::userText.clear();
        CrashCatcher::crashTitle.clear();
        CrashCatcher::crashText.clear();
        CrashCatcher::attachmentPath.clear();
        CrashCatcher::attachFile = false;
    }

    // What the server received of the report, once the transfer has ended as it must for a 200.
    std::string Send()
    {
        CrashCatcher::SubmitReportThread();
        SubmitTransfer.WaitFor();
        EXPECT_EQ(SubmitTransfer.result, Tolm::HTTPTransfer::kDone);
        return server.Request();
    }

    std::string FixedParts(const std::string& boundary) const
    {
        return Part(boundary, "prod", "Quendara") + Part(boundary, "version", "1.3") +
               Part(boundary, "usertext", CrashCatcher::userText) +
               Part(boundary, "errortitle", "Quendara has crashed") +
               Part(boundary, "errortext", CrashCatcher::crashText);
    }

    TempFolder temp;
    LoopbackServer server{"HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok"};
    ReportingApp app;
};

} // namespace

TEST_F(CrashReportUpload, FiveFixedPartsAndTheClosingDelimiterWithoutADemo)
{
    CrashCatcher::userText.clear();
    std::string body = FixedParts(kBoundary) + "--" + kBoundary + "--\r\n";
    EXPECT_NE(body.find("name=\"usertext\"\r\n\r\n\r\n"), std::string::npos) << "an empty value line";
    EXPECT_EQ(Send(), Request(kBoundary, server.Host(), body));
}

TEST_F(CrashReportUpload, ExtraFieldsInKeyOrderAndTheDemoFileByteForByte)
{
    app.extraFields = {{"zone", "harbour"}, {"level", "12"}, {"board", "16x12"}};
    const std::string demo("TDMO\0\x02\x00\xff\r\n\0--x"
                           "\x80",
                           15);
    temp.Write("crash.dmo", demo);
    CrashCatcher::attachFile = true;
    std::string body = Part(kBoundary, "board", "16x12") + Part(kBoundary, "level", "12") +
                       Part(kBoundary, "zone", "harbour") + FixedParts(kBoundary) + "--" + kBoundary +
                       "\r\nContent-Disposition: form-data; name=\"demofile\"; filename=\"vantor.dmo\"\r\n"
                       "Content-Type: application/octet-stream\r\n\r\n" +
                       demo + "\r\n--" + kBoundary + "--\r\n";
    EXPECT_EQ(Send(), Request(kBoundary, server.Host(), body));
}

TEST_F(CrashReportUpload, AMissingDemoFileIsSentEmpty)
{
    CrashCatcher::attachFile = true;
    std::string body = FixedParts(kBoundary) + "--" + kBoundary +
                       "\r\nContent-Disposition: form-data; name=\"demofile\"; filename=\"vantor.dmo\"\r\n"
                       "Content-Type: application/octet-stream\r\n\r\n\r\n--" +
                       kBoundary + "--\r\n";
    EXPECT_EQ(Send(), Request(kBoundary, server.Host(), body));
}

TEST_F(CrashReportUpload, ABoundaryThatAPartHoldsIsReplacedByTheNextNumber)
{
    // The next two numbers are taken too: one by the demo, one by an extra field's name.
    const std::string second = "---------------------------7d3e1f30eed";
    const std::string third = "---------------------------7d3e1f30eee";
    const std::string fourth = "---------------------------7d3e1f30eef";
    CrashCatcher::crashText = "pasted: --" + kBoundary + "--";
    app.extraFields = {{"x" + third, "1"}};
    temp.Write("crash.dmo", "..." + second + "...");
    CrashCatcher::attachFile = true;
    std::string body = Part(fourth, "x" + third, "1") + FixedParts(fourth) + "--" + fourth +
                       "\r\nContent-Disposition: form-data; name=\"demofile\"; filename=\"vantor.dmo\"\r\n"
                       "Content-Type: application/octet-stream\r\n\r\n..." +
                       second + "...\r\n--" + fourth + "--\r\n";
    EXPECT_EQ(Send(), Request(fourth, server.Host(), body));
}

TEST(CrashReportUploadTarget, TheRequestLineKeepsItsPathAndAHostWithALineBreakSendsNothing)
{
    LoopbackServer server("HTTP/1.1 200 OK\r\n\r\n");
    Tolm::TolmAppBase app;
    CrashCatcher::submitHost = server.Host() + "/elsewhere/";
    CrashCatcher::SubmitReportThread();
    SubmitTransfer.WaitFor();
    EXPECT_EQ(SubmitTransfer.result, Tolm::HTTPTransfer::kDone);
    EXPECT_EQ(server.Request().rfind("POST /plemora_error.php HTTP/1.1\r\n", 0), 0u);

    CrashCatcher::submitHost = server.Host() + "\r\nX-Injected: 1";
    CrashCatcher::SubmitReportThread();
    SubmitTransfer.WaitFor();
    EXPECT_EQ(SubmitTransfer.result, Tolm::HTTPTransfer::kHostNotFound);

    SubmitTransfer.Reset();
    CrashCatcher::submitHost.clear();
}
