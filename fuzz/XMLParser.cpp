// The XML reader on arbitrary input: from memory (first byte even) or from a file through the pak
// layer (first byte odd), so that the single-byte, UTF-8 and UTF-16 readers all see it.
#include "resources/XMLParser.h"

#include "ScratchFolder.h"

#include <cstdint>
#include <string>

namespace {

void ReadAll(Tolm::XMLParser& parser)
{
    Tolm::XMLElement element;
    while (parser.NextElement(element)) {
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0) {
        return 0;
    }
    std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
    Tolm::XMLParser parser;
    parser.AllowComments(data[0] & 2);
    if (data[0] & 1) {
        static const std::string path = ScratchFolder::FilePath("input.xml");
        if (ScratchFolder::WriteFile(path, text) && parser.OpenFile(path)) {
            ReadAll(parser);
        }
    } else {
        parser.ParseFromString(text);
        ReadAll(parser);
    }
    return 0;
}
