// Cutting descriptor files into commands and commands into elements, the defines and the typed getters.
#include "graphics/DescParser.h"

#include "core/PakInterface.h"
#include "core/StringUtils.h"

#include <algorithm>
#include <cstdio>

namespace Tolm {

namespace {

bool IsQuote(char c)
{
    return c == '\'' || c == '"';
}

bool IsBlank(int c)
{
    return c == ' ' || c == '\t' || c == '\n';
}

const std::string& SingleText(const DataElement& element)
{
    return static_cast<const SingleDataElement&>(element).value;
}

// The elements below a value (its nested ones included) and the depth of its deepest list.
std::size_t CountElements(const DataElement& element, int& depth)
{
    depth = 0;
    if (!element.isList) {
        return 0;
    }
    std::size_t count = 0;
    for (const auto& item : static_cast<const ListDataElement&>(element).elements) {
        int itemDepth = 0;
        count += 1 + CountElements(*item, itemDepth);
        depth = std::max(depth, itemDepth);
    }
    depth += 1;
    return count;
}

std::string UnableToDereference(const std::string& name)
{
    return "Unable to Dereference \"" + name + "\"";
}

} // namespace

std::unique_ptr<DataElement> SingleDataElement::Clone() const
{
    return std::make_unique<SingleDataElement>(value);
}

ListDataElement::ListDataElement(const ListDataElement& other) : DataElement(true)
{
    Assign(other);
}

std::unique_ptr<DataElement> ListDataElement::Clone() const
{
    return std::make_unique<ListDataElement>(*this);
}

void ListDataElement::Assign(const ListDataElement& other)
{
    if (&other == this) {
        return;
    }
    elements.clear();
    elements.reserve(other.elements.size());
    for (const auto& element : other.elements) {
        elements.push_back(element->Clone());
    }
}

DescParser::~DescParser() = default;

bool DescParser::Error(const std::string& text)
{
    error = text;
    return false;
}

DataElement* DescParser::FindDefine(const std::string& name)
{
    auto found = defines.find(StringToUpper(name));
    return found == defines.end() ? nullptr : found->second.get();
}

bool DescParser::LoadDescFile(const std::string& fileName)
{
    error.clear();
    commandLine = 0;
    PakFileHandle* file = PakFOpen(fileName.c_str(), "r");
    if (!file) {
        return false;
    }
    int lineCounter = 0;
    bool succeeded = true;
    bool more = true;
    while (more) {
        more = ReadCommand(file, lineCounter);
        if (!currentCommand.empty() && !ParseCommand(currentCommand)) {
            succeeded = false;
            break;
        }
        currentCommand.clear();
    }
    currentCommand.clear();
    commandLine = 0;
    PakFClose(file);
    return succeeded;
}

// A command ends at a ';' outside quotes or at the end of the file; line feeds stay in it as separators.
// Blanks at the start of a line are dropped, and a line whose first other character is '#' is a comment.
bool DescParser::ReadCommand(PakFileHandle* file, int& lineCounter)
{
    bool inSingleQuotes = false;
    bool inDoubleQuotes = false;
    bool escapePending = false;
    bool lineStart = true;
    auto append = [&](char c) {
        if (currentCommand.empty()) {
            commandLine = lineCounter + 1;
        }
        currentCommand += c;
    };
    for (;;) {
        int c = PakFGetC(file);
        if (c == EOF) {
            return false;
        }
        if (c == '\r') {
            continue;
        }
        if (c == '\n') {
            ++lineCounter;
        }
        if (lineStart) {
            if (IsBlank(c)) {
                continue;
            }
            lineStart = false;
            if (c == '#') {
                while ((c = PakFGetC(file)) != EOF && c != '\n') {
                }
                if (c == EOF) {
                    return false;
                }
                ++lineCounter;
                lineStart = true;
                continue;
            }
        }
        if (c == '\n') {
            lineStart = true;
        }
        if (escapePending) {
            append('\\');
            append(char(c));
            escapePending = false;
            continue;
        }
        bool inQuotes = inSingleQuotes || inDoubleQuotes;
        if (inQuotes && c == '\\') {
            escapePending = true;
            continue;
        }
        if (c == '\'' && !inDoubleQuotes) {
            inSingleQuotes = !inSingleQuotes;
        } else if (c == '"' && !inSingleQuotes) {
            inDoubleQuotes = !inDoubleQuotes;
        } else if (c == ';' && !inQuotes) {
            return true;
        }
        append(char(c));
    }
}

bool DescParser::ParseCommand(const std::string& text)
{
    ListDataElement command;
    std::size_t position = 0;
    if (!Tokenize(text, command, false, position)) {
        return false;
    }
    if (command.elements.empty()) {
        return true;
    }
    if (command.elements.front()->isList) {
        return Error("Missing Command");
    }
    return RunCommand(command);
}

bool DescParser::Tokenize(const std::string& text, ListDataElement& destination, bool insideList, std::size_t& position)
{
    return TokenizeList(text, destination, insideList, position, 0);
}

bool DescParser::TokenizeList(const std::string& text, ListDataElement& destination, bool insideList,
                              std::size_t& position, int depth)
{
    SingleDataElement* current = nullptr;
    bool inSingleQuotes = false;
    bool inDoubleQuotes = false;
    auto append = [&](char c) {
        if (!current) {
            destination.elements.push_back(std::make_unique<SingleDataElement>());
            current = static_cast<SingleDataElement*>(destination.elements.back().get());
        }
        current->value += c;
    };
    while (position < text.size()) {
        char c = text[position++];
        if (c == '\\') {
            if (position < text.size()) {
                append(text[position++]);
            }
            continue;
        }
        if (c == '\'' && !inDoubleQuotes) {
            inSingleQuotes = !inSingleQuotes;
            append(c);
            continue;
        }
        if (c == '"' && !inSingleQuotes) {
            inDoubleQuotes = !inDoubleQuotes;
            append(c);
            continue;
        }
        if (inSingleQuotes || inDoubleQuotes) {
            append(c);
            continue;
        }
        if (c == ',' || IsBlank(c)) {
            current = nullptr;
        } else if (c == '(') {
            if (current) {
                return Error("Unexpected List Start");
            }
            if (depth >= kMaxListDepth) {
                return Error("List Nested Too Deeply");
            }
            destination.elements.push_back(std::make_unique<ListDataElement>());
            auto& list = static_cast<ListDataElement&>(*destination.elements.back());
            if (!TokenizeList(text, list, true, position, depth + 1)) {
                return false;
            }
        } else if (c == ')') {
            if (!insideList) {
                return Error("Unexpected List End");
            }
            return true;
        } else {
            append(c);
        }
    }
    if (inSingleQuotes) {
        return Error("Unterminated Single Quotes");
    }
    if (inDoubleQuotes) {
        return Error("Unterminated Double Quotes");
    }
    if (insideList) {
        return Error("Unterminated List");
    }
    return true;
}

bool DescParser::IsLiteral(const std::string& text)
{
    if (text.empty()) {
        return false;
    }
    char first = text.front();
    return (first >= '0' && first <= '9') || first == '-' || first == '+' || IsQuote(first);
}

std::string DescParser::StripQuotes(const std::string& text)
{
    if (text.empty() || !IsQuote(text.front())) {
        return text;
    }
    char quote = text.front();
    std::string result;
    bool afterDroppedQuote = false;
    for (char c : text) {
        if (c == quote && !afterDroppedQuote) {
            afterDroppedQuote = true;
            continue;
        }
        afterDroppedQuote = false;
        result += c;
    }
    return result;
}

std::string DescParser::ElementToText(const DataElement& element)
{
    if (!element.isList) {
        return SingleText(element);
    }
    std::string text = "(";
    const auto& list = static_cast<const ListDataElement&>(element);
    for (std::size_t i = 0; i < list.elements.size(); ++i) {
        if (i > 0) {
            text += ", ";
        }
        text += ElementToText(*list.elements[i]);
    }
    return text + ")";
}

bool DescParser::Dereference(const ListDataElement& source, ListDataElement& destination)
{
    std::size_t elementCount = 0;
    return DereferenceWithin(source, destination, 0, elementCount);
}

// Names copy their values in, so repeated definitions could grow a value without end: the nesting and
// the number of elements a dereferenced list may reach are bounded.
bool DescParser::DereferenceWithin(const ListDataElement& source, ListDataElement& destination, int depth,
                                   std::size_t& elementCount)
{
    if (depth >= kMaxListDepth) {
        return Error("List Nested Too Deeply");
    }
    for (const auto& element : source.elements) {
        if (++elementCount > kMaxListElements) {
            return Error("List Too Long");
        }
        if (element->isList) {
            auto list = std::make_unique<ListDataElement>();
            ListDataElement& filled = *list;
            destination.elements.push_back(std::move(list));
            if (!DereferenceWithin(static_cast<const ListDataElement&>(*element), filled, depth + 1, elementCount)) {
                return false;
            }
            continue;
        }
        const std::string& text = SingleText(*element);
        if (!text.empty() && IsQuote(text.front())) {
            destination.elements.push_back(std::make_unique<SingleDataElement>(StripQuotes(text)));
        } else if (IsLiteral(text)) {
            destination.elements.push_back(std::make_unique<SingleDataElement>(text));
        } else if (DataElement* value = FindDefine(text)) {
            int valueDepth = 0;
            elementCount += CountElements(*value, valueDepth);
            if (depth + valueDepth > kMaxListDepth) {
                return Error("List Nested Too Deeply");
            }
            if (elementCount > kMaxListElements) {
                return Error("List Too Long");
            }
            destination.elements.push_back(value->Clone());
        } else {
            return Error(UnableToDereference(text));
        }
    }
    return true;
}

// The new value is made before the old one goes, so that a name defined as itself keeps a sound copy.
bool DescParser::DefineName(const DataElement& name, const DataElement& value)
{
    if (name.isList || IsLiteral(SingleText(name))) {
        return Error("Invalid Paramater Type");
    }
    std::unique_ptr<DataElement> stored;
    if (value.isList) {
        auto list = std::make_unique<ListDataElement>();
        if (!Dereference(static_cast<const ListDataElement&>(value), *list)) {
            return false;
        }
        stored = std::move(list);
    } else if (DataElement* defined = FindDefine(SingleText(value))) {
        stored = defined->Clone();
    } else {
        stored = value.Clone();
    }
    defines[StringToUpper(SingleText(name))] = std::move(stored);
    return true;
}

bool DescParser::GetStringParam(const DataElement& element, std::string& out)
{
    if (element.isList) {
        return false;
    }
    const std::string& text = SingleText(element);
    if (DataElement* value = FindDefine(text)) {
        if (value->isList) {
            return false;
        }
        out = StripQuotes(SingleText(*value));
        return true;
    }
    out = StripQuotes(text);
    return true;
}

bool DescParser::GetListParam(const DataElement& element, ListDataElement& out)
{
    out.elements.clear();
    if (element.isList) {
        return Dereference(static_cast<const ListDataElement&>(element), out);
    }
    DataElement* value = FindDefine(SingleText(element));
    if (!value || !value->isList) {
        return false;
    }
    out.Assign(static_cast<const ListDataElement&>(*value));
    return true;
}

bool DescParser::GetStringListParam(const DataElement& element, std::vector<std::string>& out)
{
    ListDataElement list;
    if (element.isList) {
        if (!Dereference(static_cast<const ListDataElement&>(element), list)) {
            return false;
        }
    } else {
        const std::string& name = SingleText(element);
        DataElement* value = FindDefine(name);
        if (!value) {
            return Error(UnableToDereference(name));
        }
        if (!value->isList) {
            return false;
        }
        list.Assign(static_cast<const ListDataElement&>(*value));
    }
    out.clear();
    for (const auto& item : list.elements) {
        if (item->isList) {
            out.clear();
            return false;
        }
        out.push_back(SingleText(*item));
    }
    return true;
}

bool DescParser::GetIntListParam(const DataElement& element, std::vector<int>& out)
{
    std::vector<std::string> texts;
    if (!GetStringListParam(element, texts)) {
        return false;
    }
    out.assign(texts.size(), 0);
    for (std::size_t i = 0; i < texts.size(); ++i) {
        if (!StringToInt(texts[i], out[i])) {
            return false;
        }
    }
    return true;
}

bool DescParser::GetDoubleListParam(const DataElement& element, std::vector<double>& out)
{
    std::vector<std::string> texts;
    if (!GetStringListParam(element, texts)) {
        return false;
    }
    out.assign(texts.size(), 0.0);
    for (std::size_t i = 0; i < texts.size(); ++i) {
        if (!StringToDouble(texts[i], out[i])) {
            return false;
        }
    }
    return true;
}

} // namespace Tolm
