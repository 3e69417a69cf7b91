// The pull reader: one character at a time from the put-back stack or the file, each fed to the
// element in progress until that element is complete.
#include "resources/XMLParser.h"

#include "core/PakInterface.h"

#include <cstdio>

namespace Tolm {

namespace {

bool IsSpace(char16_t c)
{
    unsigned low = c & 0xFF;
    return low == ' ' || (low >= '\t' && low <= '\r');
}

bool IsInstructionSpace(char16_t c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

char Narrow(char16_t c)
{
    return char(c & 0xFF);
}

template <typename String>
bool EndsWith(const String& text, const char* tail)
{
    size_t length = std::char_traits<char>::length(tail);
    if (text.size() < length) {
        return false;
    }
    for (size_t i = 0; i < length; ++i) {
        if (text[text.size() - length + i] != typename String::value_type(tail[i])) {
            return false;
        }
    }
    return true;
}

// The one character an entity name stands for, or 0 for a name that is not known.
template <typename String>
char EntityChar(const String& text, size_t begin, size_t end)
{
    static const struct
    {
        const char* name;
        char replacement;
    } kEntities[] = {{"lt", '<'},    {"amp", '&'},  {"gt", '>'}, {"quot", '"'},
                     {"apos", '\''}, {"nbsp", ' '}, {"cr", '\n'}};
    for (const auto& entity : kEntities) {
        size_t length = std::char_traits<char>::length(entity.name);
        if (end - begin != length) {
            continue;
        }
        bool same = true;
        for (size_t i = 0; i < length && same; ++i) {
            same = text[begin + i] == typename String::value_type(entity.name[i]);
        }
        if (same) {
            return entity.replacement;
        }
    }
    return 0;
}

template <typename String>
String Decode(const String& text)
{
    using Char = typename String::value_type;
    String decoded;
    decoded.reserve(text.size());
    // Past the last ';' no '&' can start an entity; knowing that keeps a run of bare '&' linear.
    size_t lastSemicolon = text.rfind(Char(';'));
    for (size_t i = 0; i < text.size(); ++i) {
        bool entity = text[i] == Char('&') && lastSemicolon != String::npos && i < lastSemicolon;
        size_t semicolon = entity ? text.find(Char(';'), i + 1) : String::npos;
        if (semicolon == String::npos) {
            decoded += text[i];
            continue;
        }
        char replacement = EntityChar(text, i + 1, semicolon);
        decoded += replacement ? Char(static_cast<unsigned char>(replacement)) : Char('&');
        i = semicolon;
    }
    return decoded;
}

} // namespace

std::string XMLDecode(const std::string& text)
{
    return Decode(text);
}

WideString XMLDecodeWide(const WideString& text)
{
    return Decode(text);
}

// What one element accumulates while its characters come in.
struct XMLParser::ElementState
{
    bool pendingSpace = false;
    bool inQuote = false;
    bool quoteClosed = false;
    bool inAttributes = false;
    bool inValue = false;
    WideString attributeName;
    WideString attributeValue;
};

XMLParser::XMLParser() = default;

XMLParser::~XMLParser()
{
    CloseFile();
}

void XMLParser::CloseFile()
{
    if (file) {
        PakFClose(file);
        file = nullptr;
    }
}

bool XMLParser::OpenFile(const std::string& name)
{
    CloseFile();
    putBack.clear();
    file = PakFOpen(name.c_str(), "r");
    if (!file) {
        line = 0;
        return Fail("Unable to open file " + name);
    }
    PakFSeek(file, 0, SEEK_END);
    long size = PakFTell(file);
    PakFSeek(file, 0, SEEK_SET);
    uint8_t signature[3] = {};
    int got = size >= 2 ? PakFRead(signature, 1, size >= 3 ? 3 : 2, file) : 0;
    reader = CharReader::Byte;
    if (got >= 2 &&
        ((signature[0] == 0xFF && signature[1] == 0xFE) || (signature[0] == 0xFE && signature[1] == 0xFF))) {
        reader = CharReader::UTF16;
    } else if (got == 3 && signature[0] == 0xEF && signature[1] == 0xBB && signature[2] == 0xBF) {
        reader = CharReader::UTF8;
    }
    // Reading starts at the first byte again: the UTF-8 and UTF-16 readers skip the signature themselves.
    PakFSeek(file, 0, SEEK_SET);
    fileName = name;
    Reset();
    return true;
}

XMLParser::Read XMLParser::ReadByteChar(char16_t& c)
{
    int byte = PakFGetC(file);
    if (byte < 0) {
        return Read::End;
    }
    c = char16_t(byte);
    return Read::Char;
}

XMLParser::Read XMLParser::ReadUTF8Char(char16_t& c)
{
    for (;;) {
        int lead = PakFGetC(file);
        if (lead < 0) {
            return Read::End;
        }
        if (lead < 0x80) {
            c = char16_t(lead);
            return Read::Char;
        }
        // A continuation byte where a lead belongs, a six-byte or invalid lead, or an overlong
        // two-byte form.
        if (lead < 0xC0 || lead >= 0xFC || lead == 0xC0 || lead == 0xC1) {
            return Read::Illegal;
        }
        int continuations = lead < 0xE0 ? 1 : lead < 0xF0 ? 2 : lead < 0xF8 ? 3 : 4;
        uint32_t value = uint32_t(lead) & (0x3Fu >> continuations);
        for (int i = 0; i < continuations; ++i) {
            int next = PakFGetC(file);
            if (next < 0 || (next & 0xC0) != 0x80) {
                return Read::Illegal;
            }
            // The shortest lead of each length with a first continuation byte that adds nothing is
            // an overlong form.
            bool overlong = i == 0 && ((lead == 0xE0 && !(next & 0x20)) || (lead == 0xF0 && !(next & 0x30)) ||
                                       (lead == 0xF8 && !(next & 0x38)));
            if (overlong) {
                return Read::Illegal;
            }
            value = value << 6 | (uint32_t(next) & 0x3F);
        }
        if ((value >= 0xD800 && value <= 0xDFFF) || value == 0xFFFE || value == 0xFFFF) {
            return Read::Illegal;
        }
        if (value == 0xFEFF && firstChar) {
            firstChar = false;
            continue;
        }
        c = char16_t(value);
        return Read::Char;
    }
}

// One little-endian 16-bit unit, swapped when the file is big-endian. A lone byte at the end is a
// unit cut short.
XMLParser::Read XMLParser::ReadUnit(char16_t& unit)
{
    uint8_t bytes[2];
    int got = PakFRead(bytes, 1, 2, file);
    if (got <= 0) {
        return Read::End;
    }
    if (got != 2) {
        return Read::Illegal;
    }
    unit = swapBytes ? char16_t(bytes[0] << 8 | bytes[1]) : char16_t(bytes[1] << 8 | bytes[0]);
    return Read::Char;
}

XMLParser::Read XMLParser::ReadUTF16Char(char16_t& c)
{
    char16_t unit = 0;
    Read read = ReadUnit(unit);
    if (read == Read::Char && firstChar) {
        firstChar = false;
        if (unit == 0xFEFF || unit == 0xFFFE) {
            swapBytes = unit == 0xFFFE;
            read = ReadUnit(unit);
        }
    }
    if (read != Read::Char) {
        return read;
    }
    // A surrogate pair stands for one code point, of which the low 16 bits are kept; a surrogate
    // without its partner is an illegal character.
    if (unit >= 0xDC00 && unit <= 0xDFFF) {
        return Read::Illegal;
    }
    if (unit >= 0xD800 && unit <= 0xDBFF) {
        char16_t trail = 0;
        if (ReadUnit(trail) != Read::Char || trail < 0xDC00 || trail > 0xDFFF) {
            return Read::Illegal;
        }
        uint32_t codePoint = 0x10000 + ((uint32_t(unit) - 0xD800) << 10) + (uint32_t(trail) - 0xDC00);
        unit = char16_t(codePoint);
    }
    c = unit;
    return Read::Char;
}

void XMLParser::Reset()
{
    section.clear();
    line = 1;
    hasFailed = false;
    errorText.clear();
    firstChar = true;
    swapBytes = false;
}

void XMLParser::ParseFromString(const std::string& text)
{
    SetStringSource(StringToWide(text));
}

void XMLParser::SetStringSource(const WideString& text)
{
    CloseFile();
    Reset();
    putBack.assign(text.rbegin(), text.rend());
}

bool XMLParser::Fail(const std::string& text)
{
    errorText = text;
    hasFailed = true;
    return false;
}

XMLParser::Read XMLParser::TakeChar(char16_t& c)
{
    Read result = Read::Char;
    if (!putBack.empty()) {
        c = putBack.back();
        putBack.pop_back();
    } else if (!file) {
        return Read::End;
    } else if (reader == CharReader::UTF8) {
        result = ReadUTF8Char(c);
    } else if (reader == CharReader::UTF16) {
        result = ReadUTF16Char(c);
    } else {
        result = ReadByteChar(c);
    }
    if (result == Read::Char && c == '\n') {
        ++line;
    }
    return result;
}

bool XMLParser::NextElement(XMLElement& element)
{
    while (ReadElement(element)) {
        if (element.type != XMLElement::Comment || commentsAllowed) {
            return true;
        }
    }
    return false;
}

bool XMLParser::ReadElement(XMLElement& element)
{
    element.type = XMLElement::None;
    element.section = section;
    element.value.clear();
    element.attributes.clear();
    element.instruction.clear();
    ElementState state;
    for (;;) {
        char16_t c = 0;
        Read read = TakeChar(c);
        if (read == Read::Illegal) {
            return Fail("Illegal Character");
        }
        if (read == Read::End) {
            return element.type == XMLElement::None ? false : Fail("Unexpected End of File");
        }
        Step step = element.type == XMLElement::Comment       ? TakeInComment(element, c)
                    : element.type == XMLElement::Instruction ? TakeInInstruction(element, c)
                                                              : TakeInMarkup(element, state, c);
        if (step == Step::Failed) {
            return false;
        }
        if (step == Step::Complete) {
            break;
        }
    }
    if (!state.attributeName.empty()) {
        StoreAttribute(element, state);
    }
    element.value = XMLDecode(element.value);
    return true;
}

XMLParser::Step XMLParser::TakeInComment(XMLElement& element, char16_t c)
{
    element.instruction += Narrow(c);
    if (c == '>' && EndsWith(element.instruction, "-->")) {
        element.instruction.resize(element.instruction.size() - 3);
        return Step::Complete;
    }
    return Step::Continue;
}

XMLParser::Step XMLParser::TakeInInstruction(XMLElement& element, char16_t c)
{
    // The target name runs up to the first white space; everything after it is the instruction.
    std::string& target = element.instruction.empty() && !IsInstructionSpace(c) ? element.value : element.instruction;
    target += Narrow(c);
    if (c == '>' && EndsWith(target, "?>")) {
        target.resize(target.size() - 2);
        return Step::Complete;
    }
    return Step::Continue;
}

XMLParser::Step XMLParser::TakeInMarkup(XMLElement& element, ElementState& state, char16_t c)
{
    bool inTag = element.type == XMLElement::Start || element.type == XMLElement::End;
    if (c == '"') {
        state.inQuote = !state.inQuote;
        state.quoteClosed = state.quoteClosed || !state.inQuote;
        if (!inTag) {
            Append(element, state, c);
        }
        return Step::Continue;
    }
    if (state.inQuote) {
        Append(element, state, c);
        return Step::Continue;
    }
    bool emptyStartTag = element.type == XMLElement::Start && element.value.empty();
    if (c == '<') {
        if (element.type == XMLElement::Text) {
            putBack.push_back(c);
            return Step::Complete;
        }
        if (inTag) {
            Fail("Unexpected '<'");
            return Step::Failed;
        }
        element.type = XMLElement::Start;
    } else if (c == '>') {
        if (element.type == XMLElement::Start) {
            return CompleteStartTag(element, state);
        }
        if (element.type == XMLElement::End) {
            return CompleteEndTag(element);
        }
        Fail("Unexpected '>'");
        return Step::Failed;
    } else if (c == '/' && emptyStartTag) {
        element.type = XMLElement::End;
    } else if (c == '?' && emptyStartTag) {
        element.type = XMLElement::Instruction;
    } else if (IsSpace(c)) {
        if (!element.value.empty()) {
            state.pendingSpace = true;
        }
        if (element.type == XMLElement::Start && element.value == "!--") {
            element.type = XMLElement::Comment;
        }
    } else if (c <= ' ') {
        Fail("Illegal Character");
        return Step::Failed;
    } else {
        Append(element, state, c);
    }
    return Step::Continue;
}

void XMLParser::Append(XMLElement& element, ElementState& state, char16_t c)
{
    if (element.type == XMLElement::None) {
        element.type = XMLElement::Text;
    }
    if (element.type == XMLElement::Start) {
        AppendToStartTag(element, state, c);
        return;
    }
    // Text and end tags: a run of white space inside becomes one space.
    if (state.pendingSpace) {
        element.value += ' ';
        state.pendingSpace = false;
    }
    element.value += Narrow(c);
}

void XMLParser::AppendToStartTag(XMLElement& element, ElementState& state, char16_t c)
{
    if (state.pendingSpace) {
        state.pendingSpace = false;
        if (!state.inAttributes) {
            state.inAttributes = true;
            state.inValue = false;
        } else if ((state.inValue && (!state.attributeValue.empty() || state.quoteClosed)) ||
                   (!state.inValue && c != '=')) {
            StoreAttribute(element, state);
            state.inValue = false;
        }
    }
    if (!state.inAttributes) {
        element.value += Narrow(c);
    } else if (c == '=') {
        state.inValue = true;
        state.quoteClosed = false;
    } else if (state.inValue) {
        state.attributeValue += c;
    } else {
        state.attributeName += c;
    }
}

XMLParser::Step XMLParser::CompleteStartTag(XMLElement& element, ElementState& state)
{
    // "<a />" leaves a lone '/' as the attribute name; "<a b=1/>" and "<a b="1/">" a value ending in '/';
    // "<a/>" a tag name ending in '/'.
    bool selfClosing = false;
    if (state.attributeName == u"/") {
        selfClosing = true;
    } else {
        bool lastAttributePending = !state.attributeName.empty();
        std::string lastAttribute = WideToString(XMLDecodeWide(state.attributeName));
        if (lastAttributePending) {
            StoreAttribute(element, state);
            std::string& stored = element.attributes[lastAttribute];
            if (!stored.empty() && stored.back() == '/') {
                stored.pop_back();
                selfClosing = true;
            }
        } else if (!element.value.empty() && element.value.back() == '/') {
            element.value.pop_back();
            selfClosing = true;
        }
    }
    if (selfClosing) {
        std::string closing = "</" + element.value + ">";
        for (auto c = closing.rbegin(); c != closing.rend(); ++c) {
            putBack.push_back(char16_t(static_cast<unsigned char>(*c)));
        }
    }
    section += section.empty() ? "" : "/";
    section += element.value;
    return Step::Complete;
}

XMLParser::Step XMLParser::CompleteEndTag(XMLElement& element)
{
    if (section.empty()) {
        Fail("Unexpected End");
        return Step::Failed;
    }
    size_t slash = section.rfind('/');
    size_t lastStart = slash == std::string::npos ? 0 : slash + 1;
    std::string last = section.substr(lastStart);
    if (last != element.value) {
        Fail("End '" + element.value + "' Doesn't Match Start '" + last + "'");
        return Step::Failed;
    }
    section.resize(slash == std::string::npos ? 0 : slash);
    return Step::Complete;
}

void XMLParser::StoreAttribute(XMLElement& element, ElementState& state)
{
    AddAttribute(element, WideToString(XMLDecodeWide(state.attributeName)),
                 WideToString(XMLDecodeWide(state.attributeValue)));
    state.attributeName.clear();
    state.attributeValue.clear();
}

void XMLParser::AddAttribute(XMLElement& element, const std::string& name, const std::string& value)
{
    element.attributes[name] = value;
}

} // namespace Tolm
