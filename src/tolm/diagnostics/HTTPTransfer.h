// One HTTP exchange at a time over a plain TCP connection, on a worker thread of its own: the caller
// hands over a host in URL form and the whole request, the worker connects, sends the request as it
// stands and keeps the response's body, and the caller polls the result code. While a demo is
// recorded each change of the result goes into it; while one plays back, the results come from the
// demo instead of the network, so a replay sees the outcomes the recorded run saw.
#pragma once

#include "platform/Sockets.h"

#include <atomic>
#include <cstdint>
#include <string>
#include <thread>

namespace Tolm {

class HTTPResponseParser;
class TolmAppBase;

class HTTPTransfer
{
public:
    // Result codes.
    static constexpr int kDone = 0;
    static constexpr int kIdle = 1;
    static constexpr int kInProgress = 2;
    static constexpr int kNotFound = 3;
    static constexpr int kHttpError = 4;
    static constexpr int kAborted = 5;
    // Also: a response too large to hold, a minute in which no byte moves, a receive that fails,
    // or no thread to run the transfer on.
    static constexpr int kSocketError = 6;
    // Also: a host text that cannot be one (empty, holding a line break) or a port outside 1-65535.
    static constexpr int kHostNotFound = 7;
    static constexpr int kConnectFailed = 8;
    static constexpr int kSendFailed = 9;

    HTTPTransfer();
    // Aborts a running transfer and waits for its worker.
    virtual ~HTTPTransfer();
    HTTPTransfer(const HTTPTransfer&) = delete;
    HTTPTransfer& operator=(const HTTPTransfer&) = delete;

    // Resets the object, then takes the URL apart: an optional scheme before "//", the host, an
    // optional ":port", and the path from the first "/" after the host ("/" when there is none).
    // Leaves the result in progress.
    void PrepareTransfer(const std::string& url);
    // Prepares the transfer and starts the worker on the request. During demo playback no worker
    // starts: the results come through UpdateStatus.
    void SendRequest(const std::string& url, const std::string& request);
    // Records a changed result into the demo being recorded, or takes this transfer's next result from
    // the demo being played back. The poller calls it before reading the result.
    void UpdateStatus();
    // Blocks while the transfer is pending, keeping the demo in step as UpdateStatus does; the final
    // result is recorded or taken before it returns. During playback it returns as soon as the demo
    // holds nothing more for this transfer at this update.
    void WaitFor();
    // Aborts a running transfer, waiting for it, and returns the object to idle, no longer pending.
    void Reset();

    // Each construction, Reset and PrepareTransfer takes the next id; the first is 1. A played-back
    // demo finds each transfer's results by its id, so a replay relies on ids being taken as they were
    // in the recorded run.
    static std::atomic<int> nextTransferId;

    // Read by the caller. The content and its length are complete once the result is no longer
    // kInProgress; the worker publishes the result after them.
    std::atomic<int> result{kIdle};
    std::string content;
    // The response's "Content-Length"; 0 without one.
    std::atomic<int> contentLength{0};
    // A caller aborts by setting both; the worker stops at its next check, within a tenth of a second,
    // and the transfer ends with kAborted.
    std::atomic<bool> stop{false};
    std::atomic<bool> aborted{false};

    // The URL as PrepareTransfer took it apart.
    std::string url;
    // The scheme without its colon ("http"); empty when the URL has none.
    std::string protocol;
    std::string host;
    int port = 80;
    std::string path;

private:
    static void ThreadEntry(HTTPTransfer* transfer);
    void RunTransfer();
    void Connect();
    void SendRequestText();
    void ReceiveResponse(HTTPResponseParser& response);
    // Publishes the content, then the final result, and lets the waiting callers go.
    void FinishTransfer(HTTPResponseParser& response);
    // Waits, in polls of a tenth of a second, until the socket is readable or writable as asked; true
    // as soon as stop is set. False, with kSocketError, when the socket fails or the transfer has run
    // past its deadline.
    bool WaitForSocket(bool readable, bool writable);
    bool HostUsable() const;
    // Ends the worker's work with the result code, unless an abort comes first.
    void Fail(int code);
    void JoinWorker();

    void RecordStatus(TolmAppBase& app);
    // True when the pending demo event was this transfer's result, now taken.
    bool TakeReplayedStatus(TolmAppBase& app);
    void TakeTransferId();

    std::atomic<int> transferId{0};
    // The result last written to or read from the demo.
    std::atomic<int> lastRecordedResult{kIdle};
    // Started and not yet given its final result.
    std::atomic<bool> pending{false};
    std::atomic<bool> threadRunning{false};
    std::string requestText;
    std::thread worker;

    // The worker's own.
    Platform::Socket socket = Platform::kNoSocket;
    int failure = 0;
    // When the transfer started or last sent or received a byte.
    uint32_t lastProgressTime = 0;
};

} // namespace Tolm

// The transfer the crash report upload sends through and its progress window polls.
extern Tolm::HTTPTransfer SubmitTransfer;
