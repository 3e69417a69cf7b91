#include "diagnostics/HTTPTransfer.h"

#include "app/DemoEvents.h"
#include "app/TolmAppBase.h"
#include "core/StringUtils.h"
#include "diagnostics/HTTPResponseParser.h"
#include "platform/Clock.h"
#include "platform/ExceptionFilter.h"

#include <system_error>

Tolm::HTTPTransfer SubmitTransfer;

namespace Tolm {

using namespace Platform;

std::atomic<int> HTTPTransfer::nextTransferId{1};

namespace {

constexpr int kPollMilliseconds = 100;
constexpr uint32_t kWaitMilliseconds = 20;
// A server that has let a minute pass without a byte either way is not going to answer; one that is
// still sending, however slowly, is.
constexpr uint32_t kIdleLimitMilliseconds = 60000;
constexpr size_t kReceiveBlockBytes = 256;
constexpr int kMaxPort = 65535;
// A demo keeps a content behind a 16-bit length whose high bit a reader takes for an empty text: a
// longer content would put the rest of the stream out of step.
constexpr size_t kMaxRecordedContentBytes = 32767;

bool IsFinal(int result)
{
    return result != HTTPTransfer::kIdle && result != HTTPTransfer::kInProgress;
}

bool Replaying(const TolmAppBase* app)
{
    return app && app->playingDemo;
}

} // namespace

HTTPTransfer::HTTPTransfer()
{
    TakeTransferId();
}

HTTPTransfer::~HTTPTransfer()
{
    stop = true;
    aborted = true;
    JoinWorker();
}

void HTTPTransfer::TakeTransferId()
{
    transferId = nextTransferId++;
}

void HTTPTransfer::Reset()
{
    if (threadRunning) {
        stop = true;
        aborted = true;
        WaitFor();
    }
    JoinWorker();
    TakeTransferId();
    result = kIdle;
    lastRecordedResult = kIdle;
    // A transfer replayed without its final result is over too.
    pending = false;
    content.clear();
    stop = false;
    aborted = false;
    url.clear();
    requestText.clear();
    path.clear();
}

void HTTPTransfer::JoinWorker()
{
    if (worker.joinable()) {
        worker.join();
    }
}

void HTTPTransfer::PrepareTransfer(const std::string& transferUrl)
{
    Reset();
    TakeTransferId();
    url = transferUrl;
    stop = false;
    aborted = false;
    result = kInProgress;
    content.clear();
    contentLength = 0;
    port = 80;
    protocol.clear();

    size_t hostStart = url.find("//");
    if (hostStart == std::string::npos) {
        hostStart = 0;
    } else {
        protocol = url.substr(0, hostStart > 0 ? hostStart - 1 : 0);
        hostStart += 2;
    }
    size_t pathStart = url.find('/', hostStart);
    if (pathStart == std::string::npos) {
        host = url.substr(hostStart);
        path.assign(1, '/');
    } else {
        host = url.substr(hostStart, pathStart - hostStart);
        path = url.substr(pathStart);
    }
    size_t colon = host.find(':');
    if (colon != std::string::npos) {
        port = LeadingInt(host.substr(colon + 1));
        host.resize(colon);
    }
}

void HTTPTransfer::SendRequest(const std::string& transferUrl, const std::string& request)
{
    PrepareTransfer(transferUrl);
    requestText = request;
    pending = true;
    if (Replaying(gTolmApp)) {
        return;
    }
    threadRunning = true;
    try {
        worker = Platform::StartThread([this] { ThreadEntry(this); });
    } catch (const std::system_error&) {
        // Without a worker nothing would ever end the transfer.
        threadRunning = false;
        result = kSocketError;
        pending = false;
    }
}

void HTTPTransfer::ThreadEntry(HTTPTransfer* transfer)
{
    transfer->RunTransfer();
}

void HTTPTransfer::RunTransfer()
{
    HTTPResponseParser response;
    failure = 0;
    lastProgressTime = GetClock().Milliseconds();
    socket = OpenStreamSocket();
    if (socket == kNoSocket) {
        Fail(kSocketError);
    }
    if (!stop) {
        Connect();
    }
    if (!stop) {
        SendRequestText();
    }
    if (!stop) {
        ReceiveResponse(response);
    }
    CloseSocket(socket);
    socket = kNoSocket;
    FinishTransfer(response);
}

bool HTTPTransfer::HostUsable() const
{
    // A line break anywhere in the URL would reach the request's headers wherever the host text is
    // copied into them, as the crash report's "Host: " is.
    return !host.empty() && url.find_first_of("\r\n") == std::string::npos && port >= 1 && port <= kMaxPort;
}

void HTTPTransfer::Connect()
{
    uint32_t address = 0;
    if (!HostUsable() || !LookUpHostAddress(host, address)) {
        Fail(kHostNotFound);
        return;
    }
    switch (StartConnect(socket, address, port)) {
    case ConnectStart::kConnected:
        return;
    case ConnectStart::kFailed:
        Fail(kConnectFailed);
        return;
    case ConnectStart::kInProgress:
        if (!WaitForSocket(false, true)) {
            Fail(kConnectFailed);
        } else if (!stop && !ConnectionMade(socket)) {
            Fail(kConnectFailed);
        }
        return;
    }
}

void HTTPTransfer::SendRequestText()
{
    while (!requestText.empty() && !stop) {
        if (!WaitForSocket(false, true) || stop) {
            return;
        }
        long sent = SendBytes(socket, requestText.data(), requestText.size());
        if (sent == kSocketWouldBlock) {
            continue;
        }
        if (sent < 1) {
            Fail(kSendFailed);
            return;
        }
        requestText.erase(0, size_t(sent));
        lastProgressTime = GetClock().Milliseconds();
    }
}

void HTTPTransfer::ReceiveResponse(HTTPResponseParser& response)
{
    char block[kReceiveBlockBytes];
    while (!stop) {
        HTTPResponseParser::State state = response.Parse();
        if (state == HTTPResponseParser::State::kComplete) {
            return;
        }
        if (state == HTTPResponseParser::State::kFailed) {
            Fail(response.FailureResult());
            return;
        }
        if (!WaitForSocket(true, false) || stop) {
            return;
        }
        long received = ReceiveBytes(socket, block, sizeof block);
        if (received == kSocketWouldBlock) {
            continue;
        }
        if (received == kSocketFailed) {
            Fail(kSocketError);
            return;
        }
        if (received == 0) {
            return;
        }
        response.Receive(block, size_t(received));
        lastProgressTime = GetClock().Milliseconds();
    }
}

void HTTPTransfer::FinishTransfer(HTTPResponseParser& response)
{
    int finalResult = failure;
    if (aborted) {
        finalResult = kAborted;
    } else if (finalResult == 0) {
        // A connection closed before any status line said nothing about the request.
        finalResult = response.SawStatusLine() ? kDone : kHttpError;
    }
    content = std::move(response.Content());
    contentLength = response.ContentLength();
    result.store(finalResult, std::memory_order_release);
    threadRunning = false;
    pending = false;
}

bool HTTPTransfer::WaitForSocket(bool readable, bool writable)
{
    while (!stop) {
        switch (WaitForSocketReady(socket, readable, writable, kPollMilliseconds)) {
        case SocketWait::kReady:
            return true;
        case SocketWait::kFailed:
            Fail(kSocketError);
            return false;
        case SocketWait::kTimedOut:
            // Only a wait in which nothing came counts towards the limit: bytes that are there are
            // taken first, however late the worker comes to them.
            if (GetClock().Milliseconds() - lastProgressTime >= kIdleLimitMilliseconds) {
                Fail(kSocketError);
                return false;
            }
            break;
        }
    }
    return true;
}

void HTTPTransfer::Fail(int code)
{
    failure = code;
    stop = true;
}

void HTTPTransfer::UpdateStatus()
{
    TolmAppBase* app = gTolmApp;
    if (!app) {
        return;
    }
    if (app->playingDemo) {
        TakeReplayedStatus(*app);
    } else if (app->recordingDemo) {
        RecordStatus(*app);
    }
}

void HTTPTransfer::RecordStatus(TolmAppBase& app)
{
    int current = result.load(std::memory_order_acquire);
    if (current == lastRecordedResult) {
        return;
    }
    app.RecordDemoEventHeader();
    app.demoBuffer.WriteBits(0, 1);
    app.demoBuffer.WriteBits(DemoEvent::kHttpStatus, 5);
    app.demoBuffer.WriteLong(transferId);
    app.demoBuffer.WriteByte(uint8_t(current));
    app.demoBuffer.WriteString(current == kInProgress ? std::string() : content.substr(0, kMaxRecordedContentBytes));
    lastRecordedResult = current;
}

bool HTTPTransfer::TakeReplayedStatus(TolmAppBase& app)
{
    if (app.windowClosed || !app.DemoHeaderAvailable() || !app.ReadDemoEventHeader() || app.demoShortEvent ||
        app.demoCommand != DemoEvent::kHttpStatus) {
        return false;
    }
    int64_t eventStart = app.demoBuffer.GetReadPosition();
    if (app.demoBuffer.ReadLong() != transferId) {
        app.demoBuffer.SetReadPosition(eventStart);
        return false;
    }
    int replayed = app.demoBuffer.ReadByte();
    content = app.demoBuffer.ReadString();
    lastRecordedResult = replayed;
    result.store(replayed, std::memory_order_release);
    app.demoNeedHeader = true;
    // No worker runs during playback to end the transfer: its recorded final result does.
    if (IsFinal(replayed)) {
        pending = false;
    }
    return true;
}

void HTTPTransfer::WaitFor()
{
    if (Replaying(gTolmApp)) {
        // The demo stands still while its caller waits: what it does not hold now never comes.
        while (pending && TakeReplayedStatus(*gTolmApp)) {
        }
        return;
    }
    while (pending) {
        UpdateStatus();
        GetClock().Sleep(kWaitMilliseconds);
    }
    UpdateStatus();
}

} // namespace Tolm
