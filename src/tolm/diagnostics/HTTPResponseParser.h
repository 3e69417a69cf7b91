// Reads an HTTP response as its bytes arrive: the status line and the few headers the transfer client
// acts on, then the body, by its "Content-Length", in chunks, or up to the close of the connection.
// Header names are compared exactly, case and the one blank after the colon included. Everything
// received stays in the receive buffer until the response is done.
#pragma once

#include <cstddef>
#include <string>

namespace Tolm {

class HTTPResponseParser
{
public:
    // Most body bytes a response may carry, and most bytes (headers and chunk lines included) it may
    // take to send them: a server that sends more is not answering this client.
    static constexpr size_t kMaxContentBytes = size_t(1) << 20;
    static constexpr size_t kMaxReceivedBytes = size_t(2) << 20;

    enum class State
    {
        // The bytes so far are parsed; more are needed.
        kReading,
        // The body is complete, or the response said it ends here.
        kComplete,
        // The response ends the transfer with FailureResult.
        kFailed
    };

    // Adds received bytes; kFailed once they pass kMaxReceivedBytes.
    State Receive(const char* bytes, size_t count);
    // Parses as far as the bytes received allow.
    State Parse();

    // The transfer's result code for a failed response: 3 (not found), 4 (an HTTP error) or 6 (a
    // response too large to hold).
    int FailureResult() const { return failureResult; }
    bool SawStatusLine() const { return sawStatusLine; }
    // The "Content-Length" value; 0 without one.
    int ContentLength() const { return contentLength; }
    std::string& Content() { return content; }

private:
    // One step: a header line, a chunk's size line and data, or the body bytes at hand. True when the
    // step consumed anything.
    bool Step();
    void ReadHeaderLine(const std::string& line);
    bool ReadChunk();
    bool ReadBody();
    bool NextLine(std::string& line);
    size_t Available() const;
    void TakeContent(size_t count);
    void Fail(int result);

    std::string received;
    // Can pass the end of the received bytes by the line end that follows a chunk's data.
    size_t parsePosition = 0;
    State state = State::kReading;
    int failureResult = 0;
    bool sawStatusLine = false;
    bool headersDone = false;
    bool chunked = false;
    int chunkRemaining = 0;
    // A length was given (and is not negative): the body ends when it has arrived, not at the close.
    bool lengthGiven = false;
    int bodyRemaining = 0;
    int contentLength = 0;
    std::string content;
};

} // namespace Tolm
