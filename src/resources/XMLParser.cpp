// The pull reader: one character at a time from the put-back stack or the file, each fed to the
// element in progress until that element is complete.
#include "resources/XMLParser.h"

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
    for (size_t i = 0; i < text.size(); ++i) {
        size_t semicolon = text[i] == Char('&') ? text.find(Char(';'), i + 1) : String::npos;
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

std::string NarrowAttribute(const std::u16string& text)
{
    std::string narrow;
    narrow.reserve(text.size());
    for (char16_t c : text) {
        if (c > 0xFF) {
            return {};
        }
        narrow += char(c);
    }
    return narrow;
}

} // namespace

std::string XMLDecode(const std::string& text)
{
    return Decode(text);
}

std::u16string XMLDecodeWide(const std::u16string& text)
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
    std::u16string attributeName;
    std::u16string attributeValue;
};

XMLParser::XMLParser() = default;

XMLParser::~XMLParser()
{
    CloseFile();
}

void XMLParser::CloseFile()
{
    file = nullptr;
}

XMLParser::Read XMLParser::ReadByteChar(char16_t&)
{
    return Read::End;
}

XMLParser::Read XMLParser::ReadUTF8Char(char16_t&)
{
    return Read::End;
}

XMLParser::Read XMLParser::ReadUTF16Char(char16_t&)
{
    return Read::End;
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
    std::u16string wide;
    wide.reserve(text.size());
    for (char c : text) {
        wide += char16_t(static_cast<unsigned char>(c));
    }
    SetStringSource(wide);
}

void XMLParser::SetStringSource(const std::u16string& text)
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
        std::string lastAttribute = NarrowAttribute(XMLDecodeWide(state.attributeName));
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
    AddAttribute(element, NarrowAttribute(XMLDecodeWide(state.attributeName)),
                 NarrowAttribute(XMLDecodeWide(state.attributeValue)));
    state.attributeName.clear();
    state.attributeValue.clear();
}

void XMLParser::AddAttribute(XMLElement& element, const std::string& name, const std::string& value)
{
    element.attributes[name] = value;
}

} // namespace Tolm
