// The HTTP transfer client against a server on the loopback interface that answers with the bytes
// each case gives, well-formed or not: the URL split, the results of responses and failed
// connections, the time limits, an abort while a poller watches, and the results a demo records and
// plays back without a server.
#include "diagnostics/HTTPTransfer.h"

#include "app/TolmAppBase.h"
#include "diagnostics/LoopbackServer.h"
#include "platform/Clock.h"
#include "support/TempFolder.h"

#include <chrono>
#include <condition_variable>
#include <gtest/gtest.h>
#include <mutex>

using Tolm::HTTPTransfer;

namespace {

const std::string kRequest = "GET / HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n";
const std::string kAlphabet = "abcdefghijklmnopqrstuvwxyz";
const std::string kTwoMebibytes(size_t(2) << 20, 'x');

struct Outcome
{
    int result;
    std::string content;
};

Outcome Transfer(HTTPTransfer& transfer, const std::string& host)
{
    transfer.SendRequest(host, kRequest);
    transfer.WaitFor();
    return {transfer.result, transfer.content};
}

struct ClockInstalled
{
    explicit ClockInstalled(Platform::Clock& clock) { Platform::SetClock(&clock); }
    ~ClockInstalled() { Platform::SetClock(nullptr); }
};

// A manual clock that counts the worker's looks at it, so that a test can wait until the worker has
// gone round its loop after bytes were sent: it reads the clock after taking bytes in and after each
// wait in which none came.
class WatchedClock : public Platform::ManualClock
{
public:
    uint32_t Milliseconds() override
    {
        {
            std::lock_guard lock(mutex);
            ++reads;
        }
        read.notify_all();
        return ManualClock::Milliseconds();
    }

    void AwaitReads(int count)
    {
        std::unique_lock lock(mutex);
        int target = reads + count;
        read.wait_for(lock, std::chrono::seconds(30), [&] { return reads >= target; });
    }

private:
    std::mutex mutex;
    std::condition_variable read;
    int reads = 0;
};

Outcome Transfer(const std::string& host)
{
    HTTPTransfer transfer;
    return Transfer(transfer, host);
}

} // namespace

TEST(HTTPTransferUrl, TheUrlIsSplitIntoSchemeHostPortAndPath)
{
    struct Case
    {
        const char* url;
        const char* protocol;
        const char* host;
        int port;
        const char* path;
    };
    const Case cases[] = {
        {"reports.example.com", "", "reports.example.com", 80, "/"},
        {"reports.example.com:8080", "", "reports.example.com", 8080, "/"},
        {"http://reports.example.com:81/a/b?c=d", "http", "reports.example.com", 81, "/a/b?c=d"},
        {"https://h", "https", "h", 80, "/"},
        {"h/x/", "", "h", 80, "/x/"},
        {"h:12ab", "", "h", 12, "/"},
    };
    HTTPTransfer transfer;
    for (const Case& c : cases) {
        transfer.PrepareTransfer(c.url);
        EXPECT_EQ(transfer.url, c.url);
        EXPECT_EQ(transfer.protocol, c.protocol) << c.url;
        EXPECT_EQ(transfer.host, c.host) << c.url;
        EXPECT_EQ(transfer.port, c.port) << c.url;
        EXPECT_EQ(transfer.path, c.path) << c.url;
        EXPECT_EQ(transfer.result, HTTPTransfer::kInProgress);
    }
    transfer.Reset();
    EXPECT_EQ(transfer.result, HTTPTransfer::kIdle);
    EXPECT_EQ(transfer.url, "");
    EXPECT_EQ(transfer.path, "");
}

TEST(HTTPTransferUrl, ConstructionResetAndPreparationEachTakeAnId)
{
    int before = HTTPTransfer::nextTransferId;
    HTTPTransfer transfer;
    EXPECT_EQ(HTTPTransfer::nextTransferId, before + 1);
    transfer.Reset();
    EXPECT_EQ(HTTPTransfer::nextTransferId, before + 2);
    transfer.PrepareTransfer("h");
    EXPECT_EQ(HTTPTransfer::nextTransferId, before + 4) << "the preparation resets first";
}

TEST(HTTPTransferResponse, EachResponseEndsWithItsResultAndContent)
{
    using End = LoopbackServer::End;
    struct Case
    {
        const char* name;
        std::string reply;
        End end;
        int result;
        std::string content;
        int contentLength;
    };
    const Case cases[] = {
        {"length, connection held open", "HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nhello", End::kHoldOpen, 0,
         "hello", 5},
        {"chunks of 1a and 0",
         "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n1a\r\n" + kAlphabet + "\r\n0\r\n\r\n", End::kHoldOpen, 0,
         kAlphabet, 0},
        {"chunks then trailers", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n5\r\nhello\r\n0\r\nX: y\r\n\r\n",
         End::kHoldOpen, 0, "hello", 0},
        {"any encoding but identity is chunked",
         "HTTP/1.1 200 OK\r\nTransfer-Encoding: gzip\r\n\r\n3\r\nabc\r\n2\r\nde\r\n0\r\n\r\n", End::kClose, 0, "abcde",
         0},
        {"identity keeps the length", "HTTP/1.1 200 OK\r\nTransfer-Encoding: identity\r\nContent-Length: 2\r\n\r\nabc",
         End::kHoldOpen, 0, "ab", 2},
        {"chunks win over a length",
         "HTTP/1.1 200 OK\r\nContent-Length: 3\r\nTransfer-Encoding: chunked\r\n\r\n5\r\nhello\r\n0\r\n\r\n",
         End::kHoldOpen, 0, "hello", 3},
        {"a chunk extension ends the body",
         "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n1a;x=1\r\n" + kAlphabet + "\r\n0\r\n\r\n",
         End::kHoldOpen, 0, "", 0},
        {"the last chunk's line end never comes", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n3\r\nabc",
         End::kClose, 0, "abc", 0},
        {"no length reads to the close", "HTTP/1.0 200 OK\r\n\r\nto the end", End::kClose, 0, "to the end", 0},
        {"lower-case headers read to the close", "HTTP/1.1 200 OK\r\ncontent-length: 5\r\n\r\nhello world", End::kClose,
         0, "hello world", 0},
        {"lower-case chunked reads to the close",
         "HTTP/1.1 200 OK\r\ntransfer-encoding: chunked\r\n\r\n5\r\nhello\r\n0\r\n\r\n", End::kClose, 0,
         "5\r\nhello\r\n0\r\n\r\n", 0},
        {"a negative length reads to the close", "HTTP/1.1 200 OK\r\nContent-Length: -4\r\n\r\nabc", End::kClose, 0,
         "abc", -4},
        {"a length of 0 is an empty body", "HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n", End::kHoldOpen, 0, "", 0},
        {"a body cut short keeps what came", "HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\nhello", End::kClose, 0,
         "hello", 10},
        {"404", "HTTP/1.1 404 Not Found\r\nContent-Length: 3\r\n\r\nno!", End::kHoldOpen, 3, "", 0},
        {"500", "HTTP/1.1 500 Internal Server Error\r\n\r\n", End::kHoldOpen, 4, "", 0},
        {"a status line without a status", "HTTP/1.1 2\r\nContent-Length: 2\r\n\r\nok", End::kClose, 4, "", 0},
        {"a status line shorter than the status", "HTTP/1.\r\n\r\n", End::kClose, 4, "", 0},
        {"a close before any reply", "", End::kClose, 4, "", 0},
        {"a reply without a status line", "Content-Length: 2\r\n\r\nok", End::kClose, 4, "ok", 2},
        {"2 MiB announced", "HTTP/1.1 200 OK\r\nContent-Length: 2097152\r\n\r\n" + kTwoMebibytes, End::kClose, 6, "",
         0},
        {"2 MiB to the close", "HTTP/1.1 200 OK\r\n\r\n" + kTwoMebibytes, End::kClose, 6, "", 0},
        {"chunk size FFFFFFFF", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\nFFFFFFFF\r\nabc", End::kHoldOpen,
         6, "", 0},
        {"chunk size 80000000", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n80000000\r\nabc", End::kHoldOpen,
         6, "", 0},
        {"chunk size 100000000", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n100000000\r\nabc",
         End::kHoldOpen, 6, "", 0},
    };
    for (const Case& c : cases) {
        LoopbackServer server(c.reply, c.end);
        HTTPTransfer transfer;
        Outcome outcome = Transfer(transfer, server.Host());
        EXPECT_EQ(outcome.result, c.result) << c.name;
        if (c.result != 6) {
            EXPECT_EQ(outcome.content, c.content) << c.name;
            EXPECT_EQ(transfer.contentLength, c.contentLength) << c.name;
        }
        EXPECT_EQ(server.Request(), kRequest) << c.name << ": sent as it stands";
    }
}

TEST(HTTPTransferResponse, HostsThatCannotBeReachedFailBeforeAnythingIsSent)
{
    const char* unusable[] = {
        "",
        "h:",
        "127.0.0.1:99999",
        "127.0.0.1:0",
        "127.0.0.1:abc",
        "127.0.0.1\r\nX-Injected: 1",
        "127.0.0.1:80\r\nX-Injected: 1",
        "127.0.0.1\n",
        "no-such-host.invalid",
        "[::1]:80",
        "255.255.255.255",
    };
    for (const char* host : unusable) {
        EXPECT_EQ(Transfer(host).result, HTTPTransfer::kHostNotFound) << host;
    }
    EXPECT_EQ(Transfer("127.0.0.1:" + std::to_string(LoopbackServer::UnusedPort())).result,
              HTTPTransfer::kConnectFailed);
}

TEST(HTTPTransferTime, AnAbortEndsATransferToASilentServerAtOnceWhileAPollerWatches)
{
    LoopbackServer server("", LoopbackServer::End::kHoldOpen);
    HTTPTransfer transfer;
    transfer.SendRequest(server.Host(), kRequest);
    int seen = -1;
    std::string seenContent = "unset";
    std::thread poller([&] {
        int result;
        while ((result = transfer.result.load(std::memory_order_acquire)) == HTTPTransfer::kInProgress) {
            std::this_thread::yield();
        }
        seenContent = transfer.content;
        seen = result;
    });
    ASSERT_EQ(server.Request(), kRequest);
    auto abortTime = std::chrono::steady_clock::now();
    transfer.stop = true;
    transfer.aborted = true;
    transfer.WaitFor();
    auto waited = std::chrono::steady_clock::now() - abortTime;
    poller.join();
    EXPECT_EQ(transfer.result, HTTPTransfer::kAborted);
    EXPECT_EQ(seen, HTTPTransfer::kAborted);
    EXPECT_EQ(seenContent, "");
    // The worker looks at the flags every tenth of a second; the rest is the machine's load.
    EXPECT_LT(waited, std::chrono::seconds(2));
}

TEST(HTTPTransferTime, ATransferEndsAfterAMinuteInWhichNoByteCame)
{
    Platform::ManualClock clock;
    ClockInstalled installed(clock);
    LoopbackServer server("HTTP/1.1 200 OK\r\n\r\nslow", LoopbackServer::End::kHoldOpen);
    HTTPTransfer transfer;
    transfer.SendRequest(server.Host(), kRequest);
    ASSERT_EQ(server.Request(), kRequest);
    clock.Advance(59999);
    EXPECT_EQ(transfer.result, HTTPTransfer::kInProgress);
    clock.Advance(1);
    transfer.WaitFor();
    EXPECT_EQ(transfer.result, HTTPTransfer::kSocketError);
}

TEST(HTTPTransferTime, ATransferWhoseBytesKeepComingGoesOnPastAMinute)
{
    WatchedClock clock;
    ClockInstalled installed(clock);
    LoopbackServer server("HTTP/1.1 200 OK\r\nContent-Length: 6\r\n\r\nab", LoopbackServer::End::kHoldOpen);
    HTTPTransfer transfer;
    transfer.SendRequest(server.Host(), kRequest);
    ASSERT_EQ(server.Request(), kRequest);
    for (const char* piece : {"cd", "e"}) {
        clock.Advance(40000);
        server.SendMore(piece);
        clock.AwaitReads(2);
    }
    clock.Advance(59999);
    EXPECT_EQ(transfer.result, HTTPTransfer::kInProgress) << "80 s after the start, 59.999 s after the last byte";
    server.SendMore("f");
    // The manual clock's sleeps in WaitFor would run the minute out before the last byte is read.
    while (transfer.result.load(std::memory_order_acquire) == HTTPTransfer::kInProgress) {
        std::this_thread::yield();
    }
    transfer.WaitFor();
    EXPECT_EQ(transfer.result, HTTPTransfer::kDone);
    EXPECT_EQ(transfer.content, "abcdef");
}

TEST(HTTPTransferTime, TheDestructorAbortsAndWaitsForTheWorker)
{
    LoopbackServer server("", LoopbackServer::End::kHoldOpen);
    auto transfer = std::make_unique<HTTPTransfer>();
    transfer->SendRequest(server.Host(), kRequest);
    ASSERT_EQ(server.Request(), kRequest);
    transfer.reset();
    SUCCEED() << "the worker no longer uses the object";
}

namespace {

struct RecordedEvent
{
    int id;
    int result;
    std::string content;
};

// Event 17 after event 17, each checked for its header: no update passed, a long event, command 17.
std::vector<RecordedEvent> ReadHttpEvents(const Tolm::Buffer& stream)
{
    Tolm::Buffer copy;
    copy.SetData(stream.GetDataPtr(), stream.GetDataLen());
    std::vector<RecordedEvent> events;
    while (copy.BitsLeft() >= 10) {
        EXPECT_EQ(copy.ReadBits(4, false), 0);
        EXPECT_EQ(copy.ReadBits(1, false), 0);
        EXPECT_EQ(copy.ReadBits(5, false), 17);
        RecordedEvent event;
        event.id = copy.ReadLong();
        event.result = copy.ReadByte();
        event.content = copy.ReadString();
        events.push_back(event);
    }
    return events;
}

class HTTPTransferDemo : public testing::Test
{
protected:
    HTTPTransferDemo() { recorder->demoFileName = temp.Path() + "transfers.dmo"; }
    ~HTTPTransferDemo() override
    {
        HTTPTransfer::nextTransferId = std::max(int(HTTPTransfer::nextTransferId), idsAfterRecording);
    }

    // The application that replays what the recorder recorded; the recorder goes first, as there is one
    // application at a time.
    std::unique_ptr<Tolm::TolmAppBase> Player()
    {
        recorder->recordingDemo = false;
        Tolm::Buffer stream;
        stream.SetData(recorder->demoBuffer.GetDataPtr(), recorder->demoBuffer.GetDataLen());
        recorder.reset();
        auto player = std::make_unique<Tolm::TolmAppBase>();
        player->playingDemo = true;
        player->demoBuffer.SetData(stream.GetDataPtr(), stream.GetDataLen());
        return player;
    }

    TempFolder temp;
    std::unique_ptr<Tolm::TolmAppBase> recorder = Recorder();
    int idsAfterRecording = 0;

private:
    static std::unique_ptr<Tolm::TolmAppBase> Recorder()
    {
        auto app = std::make_unique<Tolm::TolmAppBase>();
        app->recordingDemo = true;
        return app;
    }
};

} // namespace

TEST_F(HTTPTransferDemo, EachChangeOfResultIsRecordedWithTheTransfersIdAndContent)
{
    LoopbackServer server("HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nhello");
    int firstId = HTTPTransfer::nextTransferId;
    HTTPTransfer transfer;
    transfer.PrepareTransfer("unused");
    transfer.UpdateStatus();
    transfer.UpdateStatus();
    Transfer(transfer, server.Host());
    idsAfterRecording = HTTPTransfer::nextTransferId;

    std::vector<RecordedEvent> events = ReadHttpEvents(recorder->demoBuffer);
    ASSERT_GE(events.size(), 2u);
    EXPECT_EQ(events.front().id, firstId + 2) << "construction, then the reset and the preparation";
    EXPECT_EQ(events.front().result, 2);
    EXPECT_EQ(events.front().content, "");
    // Whether the sent transfer's in-progress result was seen before its final one depends on the worker.
    EXPECT_EQ(events.back().id, firstId + 4);
    EXPECT_EQ(events.back().result, 0);
    EXPECT_EQ(events.back().content, "hello");
    EXPECT_LE(events.size(), 3u);
}

TEST_F(HTTPTransferDemo, APlayedBackDemoGivesEachTransferItsRecordedResultsWithoutAServer)
{
    const std::string replies[] = {
        "HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nhello",
        "HTTP/1.1 404 Not Found\r\n\r\n",
        "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n1a\r\n" + kAlphabet + "\r\n0\r\n\r\n",
        "HTTP/1.1 200 OK\r\n\r\n" + std::string(40000, 'z'),
        "HTTP/1.1 200 OK\r\nContent-Length: 4\r\n\r\nlast",
    };
    int firstId = HTTPTransfer::nextTransferId;
    std::vector<Outcome> recorded;
    {
        HTTPTransfer transfer;
        for (const std::string& reply : replies) {
            LoopbackServer server(reply);
            recorded.push_back(Transfer(transfer, server.Host()));
        }
        recorded.push_back(Transfer(transfer, "127.0.0.1:" + std::to_string(LoopbackServer::UnusedPort())));
    }
    idsAfterRecording = HTTPTransfer::nextTransferId;
    ASSERT_EQ(recorded[3].content.size(), 40000u);
    // A demo holds at most 32767 bytes of a content.
    recorded[3].content.resize(32767);

    auto player = Player();
    // A transfer the recorded run did not have finds nothing of its own and leaves the events alone.
    HTTPTransfer stranger;
    stranger.SendRequest("127.0.0.1:1", kRequest);
    HTTPTransfer::nextTransferId = firstId;
    HTTPTransfer transfer;
    const std::string nowhere = "127.0.0.1:" + std::to_string(LoopbackServer::UnusedPort());
    for (const Outcome& expected : recorded) {
        stranger.UpdateStatus();
        stranger.WaitFor();
        EXPECT_EQ(stranger.result, HTTPTransfer::kInProgress);
        Outcome replayed = Transfer(transfer, nowhere);
        EXPECT_EQ(replayed.result, expected.result);
        EXPECT_EQ(replayed.content, expected.content);
    }
    EXPECT_FALSE(player->DemoHeaderAvailable()) << "every event taken";
}
