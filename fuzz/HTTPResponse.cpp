// The HTTP response reader on arbitrary bytes, received in pieces of the size the first byte gives
// (1-256, as the transfer reads 256 at a time), parsed after each. Whatever arrives, the content stays
// within its cap and the reader ends in a state it can report.
#include "diagnostics/HTTPResponseParser.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0) {
        return 0;
    }
    size_t piece = size_t(data[0]) + 1;
    const char* bytes = reinterpret_cast<const char*>(data + 1);
    size_t count = size - 1;
    Tolm::HTTPResponseParser parser;
    Tolm::HTTPResponseParser::State state = Tolm::HTTPResponseParser::State::kReading;
    for (size_t at = 0; at < count && state == Tolm::HTTPResponseParser::State::kReading; at += piece) {
        parser.Receive(bytes + at, std::min(piece, count - at));
        state = parser.Parse();
    }
    if (parser.Content().size() > Tolm::HTTPResponseParser::kMaxContentBytes) {
        std::abort();
    }
    if (state == Tolm::HTTPResponseParser::State::kFailed) {
        int result = parser.FailureResult();
        if (result != 3 && result != 4 && result != 6) {
            std::abort();
        }
    }
    return 0;
}
