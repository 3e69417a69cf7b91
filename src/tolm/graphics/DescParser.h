// The small command language of image-font descriptor files: a file is cut into commands at ';', each
// command into tokens and nested lists, and the command's elements go to the subclass that interprets
// them. The parser keeps the names made by "Define" and the typed getters that read a parameter either
// literally or through such a name.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace Tolm {

struct PakFileHandle;

class DataElement
{
public:
    bool isList = false;

    virtual ~DataElement() = default;
    // A deep copy.
    virtual std::unique_ptr<DataElement> Clone() const = 0;

protected:
    explicit DataElement(bool isList) : isList(isList) {}
    DataElement(const DataElement&) = default;
    DataElement& operator=(const DataElement&) = default;
};

class SingleDataElement : public DataElement
{
public:
    // The token's text as written, quote characters included.
    std::string value;

    explicit SingleDataElement(std::string value = {}) : DataElement(false), value(std::move(value)) {}
    std::unique_ptr<DataElement> Clone() const override;
};

class ListDataElement : public DataElement
{
public:
    std::vector<std::unique_ptr<DataElement>> elements;

    ListDataElement() : DataElement(true) {}
    ListDataElement(const ListDataElement& other);
    ListDataElement& operator=(const ListDataElement&) = delete;
    std::unique_ptr<DataElement> Clone() const override;

    // Drops the current elements and takes copies of the other list's.
    void Assign(const ListDataElement& other);
};

class DescParser
{
public:
    // The last error text (the base parser's Error keeps it).
    std::string error;
    // The line (from 1) of the command being run; 0 outside a run.
    int commandLine = 0;
    // The text of the command being run; empty outside a run.
    std::string currentCommand;
    // Keyed by the upper-cased name.
    std::map<std::string, std::unique_ptr<DataElement>> defines;

    DescParser() = default;
    DescParser(const DescParser&) = delete;
    DescParser& operator=(const DescParser&) = delete;

    virtual bool Error(const std::string& text);
    // Names are looked up upper-cased, so they ignore case. Null when undefined.
    virtual DataElement* FindDefine(const std::string& name);
    // The command's elements, its name first.
    virtual bool RunCommand(const ListDataElement& command) = 0;
    virtual ~DescParser();

    // False when the file cannot be opened (no error text) or a command failed; the first failing
    // command ends the file, and the commands before it keep their effects.
    bool LoadDescFile(const std::string& fileName);
    bool ParseCommand(const std::string& text);
    bool Tokenize(const std::string& text, ListDataElement& destination, bool insideList, std::size_t& position);

    bool GetStringParam(const DataElement& element, std::string& out);
    bool GetListParam(const DataElement& element, ListDataElement& out);
    bool GetStringListParam(const DataElement& element, std::vector<std::string>& out);
    bool GetIntListParam(const DataElement& element, std::vector<int>& out);
    bool GetDoubleListParam(const DataElement& element, std::vector<double>& out);
    // Quoted tokens lose their quotes, literals stay, names become copies of their values.
    bool Dereference(const ListDataElement& source, ListDataElement& destination);

    // The "Define" command: a name that is a single non-literal token gets the value, a list stored
    // dereferenced, a single that names a define a copy of that define's value, any other single as
    // written.
    bool DefineName(const DataElement& name, const DataElement& value);

    // Digits, signs and quoted text are literals; every other token is a name.
    static bool IsLiteral(const std::string& text);
    // A quoted token without its quotes; a doubled quote stands for one ('it''s' gives it's).
    static std::string StripQuotes(const std::string& text);
    static std::string ElementToText(const DataElement& element);

private:
    // Lists nested deeper than this are refused, so that no input can exhaust the stack.
    static constexpr int kMaxListDepth = 64;
    // Far more than a font of 256 characters needs.
    static constexpr std::size_t kMaxListElements = 1 << 14;

    // Collects the next command into currentCommand; false at the end of the file.
    bool ReadCommand(PakFileHandle* file, int& lineCounter);
    bool DereferenceWithin(const ListDataElement& source, ListDataElement& destination, int depth,
                           std::size_t& elementCount);
    bool TokenizeList(const std::string& text, ListDataElement& destination, bool insideList, std::size_t& position,
                      int depth);
};

} // namespace Tolm
