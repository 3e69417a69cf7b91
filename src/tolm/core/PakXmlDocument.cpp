#include "core/PakXmlDocument.h"

#include <climits>
#include <string>
#include <tinyxml.h>
#include <vector>

namespace {

void SetError(TiXmlDocument& document, int error)
{
    document.SetError(error, nullptr, nullptr, TIXML_ENCODING_UNKNOWN);
}

// TinyXML steps over a UTF-8 character whole, as long as its first byte says, even where the text ends
// inside it; the terminators after the text keep every such step on a terminator.
constexpr size_t kTerminators = 4;

// Line ends become line feeds: CR LF and a lone CR alike. The text is followed by kTerminators zero
// bytes besides its own.
std::string WithLineFeeds(const std::vector<char>& bytes)
{
    std::string text;
    text.reserve(bytes.size() + kTerminators);
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] != '\r') {
            text += bytes[i];
            continue;
        }
        text += '\n';
        if (i + 1 < bytes.size() && bytes[i + 1] == '\n') {
            ++i;
        }
    }
    text.append(kTerminators, '\0');
    return text;
}

} // namespace

bool LoadXmlDocument(TiXmlDocument& document, const char* name)
{
    document.SetValue(name);
    Tolm::PakFileHandle* handle = PakFOpen(name, "rb");
    if (!handle) {
        document.ClearError();
        SetError(document, TiXmlBase::TIXML_ERROR_OPENING_FILE);
        return false;
    }
    bool loaded = LoadXmlDocument(document, handle);
    PakFClose(handle);
    return loaded;
}

bool LoadXmlDocument(TiXmlDocument& document, Tolm::PakFileHandle* handle)
{
    document.Clear();
    document.ClearError();
    PakFSeek(handle, 0, SEEK_END);
    long length = PakFTell(handle);
    PakFSeek(handle, 0, SEEK_SET);
    if (length <= 0) {
        SetError(document, TiXmlBase::TIXML_ERROR_DOCUMENT_EMPTY);
        return false;
    }
    // The layer reads at most an int's worth of bytes in one call.
    if (length > INT_MAX) {
        SetError(document, TiXmlBase::TIXML_ERROR_OPENING_FILE);
        return false;
    }
    std::vector<char> bytes(static_cast<size_t>(length));
    if (PakFRead(bytes.data(), int(length), 1, handle) != 1) {
        SetError(document, TiXmlBase::TIXML_ERROR_OPENING_FILE);
        return false;
    }
    document.Parse(WithLineFeeds(bytes).c_str(), nullptr, TIXML_DEFAULT_ENCODING);
    return !document.Error();
}
