// The response reader fed as the network may deliver: whole, or a few bytes at a time, so that every
// line, chunk size and chunk end can be split across two receives.
#include "diagnostics/HTTPResponseParser.h"

#include <gtest/gtest.h>

using Tolm::HTTPResponseParser;
using State = HTTPResponseParser::State;

namespace {

struct Parsed
{
    State state;
    std::string content;
};

Parsed Feed(const std::string& response, size_t piece)
{
    HTTPResponseParser parser;
    State state = State::kReading;
    for (size_t at = 0; at < response.size() && state == State::kReading; at += piece) {
        parser.Receive(response.data() + at, std::min(piece, response.size() - at));
        state = parser.Parse();
    }
    return {state, parser.Content()};
}

} // namespace

TEST(HTTPResponseParser, ResponsesSplitAnywhereReadAsWhenTheyArriveWhole)
{
    struct Case
    {
        const char* name;
        std::string response;
        State state;
        std::string content;
    };
    const Case cases[] = {
        {"length", "HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nhello and more", State::kComplete, "hello"},
        {"chunks",
         "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n3\r\nabc\r\n10\r\n0123456789abcdef\r\n0\r\n\r\n",
         State::kComplete, "abc0123456789abcdef"},
        {"chunk size with blanks around it", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n 2 \r\nab\r\n0\r\n",
         State::kComplete, "ab"},
        {"a zero size with leading zeros ends the body",
         "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n1\r\na\r\n000000000000\r\nb\r\n", State::kComplete, "a"},
        {"to the close", "HTTP/1.1 200 OK\r\n\r\nevery byte", State::kReading, "every byte"},
        {"headers never end", "HTTP/1.1 200 OK\r\nContent-Length: 5\r\n", State::kReading, ""},
        {"404 before the body", "HTTP/1.1 404 Not Found\r\nContent-Length: 3\r\n\r\nabc", State::kFailed, ""},
    };
    for (const Case& c : cases) {
        for (size_t piece : {c.response.size(), size_t(1), size_t(7)}) {
            Parsed parsed = Feed(c.response, piece);
            EXPECT_EQ(parsed.state, c.state) << c.name << " in pieces of " << piece;
            EXPECT_EQ(parsed.content, c.content) << c.name << " in pieces of " << piece;
        }
    }
}

TEST(HTTPResponseParser, MoreBytesThanAResponseMayTakeFailWithTheSocketErrorResult)
{
    HTTPResponseParser parser;
    std::string headers = "HTTP/1.1 200 OK\r\nX: ";
    parser.Receive(headers.data(), headers.size());
    std::string filler(HTTPResponseParser::kMaxReceivedBytes - headers.size(), 'x');
    EXPECT_EQ(parser.Receive(filler.data(), filler.size()), State::kReading);
    EXPECT_EQ(parser.Receive("y", 1), State::kFailed);
    EXPECT_EQ(parser.FailureResult(), 6);
}
