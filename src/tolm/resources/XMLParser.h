// The framework's own pull reader for XML-like tagged text, used by the properties files and the
// resource manifests. Lenient by design: attribute values need no quotes, "<a/>", "<a />" and a quoted
// value ending in '/' all close themselves, and runs of white space in text fold to one space. Errors
// are a text plus the line they were found on. Files come through the pak layer as single bytes, UTF-8
// or UTF-16, chosen by their encoding signature.
#pragma once

#include "core/StringUtils.h"

#include <map>
#include <string>
#include <vector>

namespace Tolm {

struct PakFileHandle;

class XMLElement
{
public:
    enum Type
    {
        None = 0,
        Start = 1,
        End = 2,
        Text = 3,
        Instruction = 4,
        Comment = 5,
    };

    XMLElement() = default;
    ~XMLElement() = default;

    int type = None;
    // The open start tags when the element was read, joined by '/'.
    std::string section;
    // The tag name, the text, the instruction's target, or "!--" for a comment.
    std::string value;
    // The instruction's text after its target, or the comment's text.
    std::string instruction;
    std::map<std::string, std::string> attributes;
};

class XMLParser
{
public:
    XMLParser();
    virtual ~XMLParser();
    XMLParser(const XMLParser&) = delete;
    XMLParser& operator=(const XMLParser&) = delete;

    bool OpenFile(const std::string& fileName);
    // Each byte of the text is one character.
    void ParseFromString(const std::string& text);
    void SetStringSource(const WideString& text);

    // True with a complete element; false at the end of the input or on an error, which HasFailed
    // tells apart.
    bool NextElement(XMLElement& element);

    std::string GetErrorText() const { return errorText; }
    std::string GetFileName() const { return fileName; }
    int GetCurrentLineNum() const { return line; }
    bool HasFailed() const { return hasFailed; }
    // Comments are skipped unless asked for.
    void AllowComments(bool allow) { commentsAllowed = allow; }

private:
    enum class CharReader
    {
        Byte,
        UTF8,
        UTF16,
    };
    enum class Read
    {
        Char,
        End,
        Illegal,
    };
    enum class Step
    {
        Continue,
        Complete,
        Failed,
    };
    struct ElementState;

    void Reset();
    void CloseFile();
    bool Fail(const std::string& text);

    Read TakeChar(char16_t& c);
    Read ReadByteChar(char16_t& c);
    Read ReadUTF8Char(char16_t& c);
    Read ReadUTF16Char(char16_t& c);
    Read ReadUnit(char16_t& unit);

    bool ReadElement(XMLElement& element);
    Step TakeInComment(XMLElement& element, char16_t c);
    Step TakeInInstruction(XMLElement& element, char16_t c);
    Step TakeInMarkup(XMLElement& element, ElementState& state, char16_t c);
    void Append(XMLElement& element, ElementState& state, char16_t c);
    void AppendToStartTag(XMLElement& element, ElementState& state, char16_t c);
    Step CompleteStartTag(XMLElement& element, ElementState& state);
    Step CompleteEndTag(XMLElement& element);
    void StoreAttribute(XMLElement& element, ElementState& state);
    void AddAttribute(XMLElement& element, const std::string& name, const std::string& value);

    std::string fileName;
    std::string errorText;
    int line = 0;
    PakFileHandle* file = nullptr;
    bool hasFailed = false;
    bool commentsAllowed = false;
    // Read from the back: the last character pushed is the next one read.
    std::vector<char16_t> putBack;
    std::string section;
    CharReader reader = CharReader::Byte;
    bool firstChar = true;
    bool swapBytes = false;
};

// Entity replacement: &lt; &amp; &gt; &quot; &apos; &nbsp; (a space) and &cr; (a line feed). Any other
// name leaves just the '&'; an '&' without a later ';' stays as it is.
std::string XMLDecode(const std::string& text);
WideString XMLDecodeWide(const WideString& text);

} // namespace Tolm
