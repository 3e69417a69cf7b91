#include "diagnostics/HTTPResponseParser.h"

#include "core/StringUtils.h"

#include <algorithm>

namespace Tolm {

namespace {

constexpr char kStatusLineStart[] = "HTTP/1.";
// The status is the three characters after "HTTP/1.x ".
constexpr size_t kStatusPosition = 9;
constexpr char kTransferEncoding[] = "Transfer-Encoding: ";
constexpr char kContentLength[] = "Content-Length: ";
// More significant hexadecimal digits than this do not fit the 32 bits a chunk size is read into.
constexpr size_t kMaxChunkSizeDigits = 8;

bool StartsWith(const std::string& text, const char* start, size_t length)
{
    return text.compare(0, length, start) == 0;
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Whether a chunk size read from these digits fits no response this client takes.
bool ChunkTooLarge(const std::string& digits, int size)
{
    size_t first = digits.find_first_not_of('0');
    size_t significant = first == std::string::npos ? 0 : digits.size() - first;
    return significant > kMaxChunkSizeDigits || uint32_t(size) > HTTPResponseParser::kMaxContentBytes;
}

} // namespace

HTTPResponseParser::State HTTPResponseParser::Receive(const char* bytes, size_t count)
{
    if (state != State::kReading) {
        return state;
    }
    if (received.size() + count > kMaxReceivedBytes) {
        Fail(6);
        return state;
    }
    received.append(bytes, count);
    return state;
}

HTTPResponseParser::State HTTPResponseParser::Parse()
{
    while (state == State::kReading && Step()) {
    }
    return state;
}

bool HTTPResponseParser::Step()
{
    if (!headersDone) {
        std::string line;
        if (!NextLine(line)) {
            return false;
        }
        ReadHeaderLine(line);
        return true;
    }
    return chunked ? ReadChunk() : ReadBody();
}

void HTTPResponseParser::ReadHeaderLine(const std::string& line)
{
    if (StartsWith(line, kStatusLineStart, sizeof kStatusLineStart - 1)) {
        sawStatusLine = true;
        std::string status = line.size() > kStatusPosition ? line.substr(kStatusPosition, 3) : std::string();
        if (status == "404") {
            Fail(3);
        } else if (status != "200") {
            Fail(4);
        }
    } else if (StartsWith(line, kTransferEncoding, sizeof kTransferEncoding - 1)) {
        if (line.substr(sizeof kTransferEncoding - 1) != "identity") {
            chunked = true;
        }
    } else if (StartsWith(line, kContentLength, sizeof kContentLength - 1)) {
        std::string value = line.substr(sizeof kContentLength - 1);
        bodyRemaining = LeadingInt(value);
        contentLength = bodyRemaining;
        std::string trimmed = TrimString(value);
        lengthGiven = !trimmed.empty() && IsDigit(trimmed[0]);
    } else if (line.empty()) {
        headersDone = true;
    }
}

bool HTTPResponseParser::ReadChunk()
{
    bool consumed = false;
    if (chunkRemaining == 0) {
        std::string line;
        if (!NextLine(line)) {
            return false;
        }
        consumed = true;
        // A size line with an extension ("1a;name=value") reads as no size and ends the body. The size
        // is checked before its 0 is taken as the last chunk, as a size of 2^32 reads as 0.
        std::string digits = TrimString(line);
        int size = 0;
        if (!StringToInt("0x" + digits, size)) {
            state = State::kComplete;
            return true;
        }
        if (ChunkTooLarge(digits, size)) {
            Fail(6);
            return true;
        }
        if (size == 0) {
            state = State::kComplete;
            return true;
        }
        chunkRemaining = size;
    }
    size_t count = std::min(Available(), size_t(chunkRemaining));
    if (count == 0) {
        return consumed;
    }
    TakeContent(count);
    chunkRemaining -= int(count);
    if (chunkRemaining == 0) {
        // The line end after the chunk's data, which may not have arrived yet.
        parsePosition += 2;
    }
    return true;
}

bool HTTPResponseParser::ReadBody()
{
    size_t available = Available();
    if (!lengthGiven) {
        if (available == 0) {
            return false;
        }
        TakeContent(available);
        return true;
    }
    size_t count = std::min(available, size_t(bodyRemaining));
    TakeContent(count);
    bodyRemaining -= int(count);
    if (bodyRemaining == 0 && state == State::kReading) {
        state = State::kComplete;
    }
    return count > 0 || state != State::kReading;
}

bool HTTPResponseParser::NextLine(std::string& line)
{
    size_t end = parsePosition < received.size() ? received.find("\r\n", parsePosition) : std::string::npos;
    if (end == std::string::npos) {
        return false;
    }
    line.assign(received, parsePosition, end - parsePosition);
    parsePosition = end + 2;
    return true;
}

size_t HTTPResponseParser::Available() const
{
    return parsePosition < received.size() ? received.size() - parsePosition : 0;
}

void HTTPResponseParser::TakeContent(size_t count)
{
    if (content.size() + count > kMaxContentBytes) {
        Fail(6);
        return;
    }
    content.append(received, parsePosition, count);
    parsePosition += count;
}

void HTTPResponseParser::Fail(int result)
{
    state = State::kFailed;
    failureResult = result;
}

} // namespace Tolm
