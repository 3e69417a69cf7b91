// The descriptor language: cutting files into commands with their line numbers, tokens and nested
// lists, the error texts, defines and the typed parameter getters.
#include "graphics/DescParser.h"

#include "support/TempFolder.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace Tolm;

namespace {

// Records every command as text with its line, and every error; "Define" defines, "Fail" fails.
class RecordingParser : public DescParser
{
public:
    std::vector<std::string> commands;
    std::vector<std::string> errors;

    bool Error(const std::string& text) override
    {
        errors.push_back(text);
        return DescParser::Error(text);
    }

    bool RunCommand(const ListDataElement& command) override
    {
        commands.push_back(std::to_string(commandLine) + ": " + ElementToText(command));
        const std::string& name = static_cast<const SingleDataElement&>(*command.elements[0]).value;
        if (name == "Define" && command.elements.size() == 3) {
            return DefineName(*command.elements[1], *command.elements[2]);
        }
        if (name == "Fail") {
            return Error("Failed");
        }
        return true;
    }

    // Runs one command text outside a file.
    bool Run(const std::string& text)
    {
        commands.clear();
        errors.clear();
        return ParseCommand(text);
    }

    std::string DefineText(const std::string& name)
    {
        DataElement* value = FindDefine(name);
        return value ? ElementToText(*value) : "<undefined>";
    }
};

std::unique_ptr<SingleDataElement> Token(const std::string& text)
{
    return std::make_unique<SingleDataElement>(text);
}

// Tokenizes a parameter as written in a command.
std::unique_ptr<DataElement> Parameter(RecordingParser& parser, const std::string& text)
{
    ListDataElement list;
    std::size_t position = 0;
    EXPECT_TRUE(parser.Tokenize(text, list, false, position)) << text;
    EXPECT_EQ(list.elements.size(), 1u) << text;
    return list.elements.empty() ? Token("") : std::move(list.elements.front());
}

struct TokenCase
{
    const char* name;
    std::string command;
    std::string elements;
    std::string error;
};

TEST(DescParserTest, CommandsAreCutIntoTokensAndLists)
{
    const std::vector<TokenCase> cases = {
        {"NestedList", "A (b c) d", "(A, (b, c), d)", ""},
        {"SeparatorsAreCommasBlanksAndNewlines", "A b,c\td\ne,,f", "(A, b, c, d, e, f)", ""},
        {"QuotesStayInTheToken", "Cmd 'x y', z", "(Cmd, 'x y', z)", ""},
        {"SemicolonInsideQuotes", "A 'a;b'", "(A, 'a;b')", ""},
        {"OtherQuoteAndParenthesesInsideQuotes", "A \"it's (x)\"", "(A, \"it's (x)\")", ""},
        {"BackslashMakesTheNextCharacterLiteral", "A b\\ c \\(", "(A, b c, ()", ""},
        {"TrailingBackslashIsDropped", "A b\\", "(A, b)", ""},
        {"ListRightAfterAList", "A (b)(c)", "(A, (b), (c))", ""},
        {"EmptyList", "A ()", "(A, ())", ""},
        {"ListStartAfterText", "A b(c)", "", "Unexpected List Start"},
        {"ListEndAtTheTop", "A b)", "", "Unexpected List End"},
        {"ListNotClosed", "A (b c", "", "Unterminated List"},
        {"SingleQuoteNotClosed", "A 'b c", "", "Unterminated Single Quotes"},
        {"DoubleQuoteNotClosed", "A \"b c", "", "Unterminated Double Quotes"},
        {"ListFirst", "(a) b", "", "Missing Command"},
    };
    for (const TokenCase& c : cases) {
        SCOPED_TRACE(c.name);
        RecordingParser parser;
        bool succeeded = parser.Run(c.command);
        EXPECT_EQ(succeeded, c.error.empty());
        if (c.error.empty()) {
            EXPECT_EQ(parser.commands, std::vector<std::string>{"0: " + c.elements});
            EXPECT_TRUE(parser.errors.empty());
        } else {
            EXPECT_TRUE(parser.commands.empty());
            EXPECT_EQ(parser.errors, std::vector<std::string>{c.error});
            EXPECT_EQ(parser.error, c.error);
        }
    }
}

TEST(DescParserTest, BlankCommandRunsNothing)
{
    RecordingParser parser;
    EXPECT_TRUE(parser.Run(" ,\n\t"));
    EXPECT_TRUE(parser.commands.empty());
}

TEST(DescParserTest, ListsNestedWithoutEndAreRefused)
{
    RecordingParser parser;
    EXPECT_TRUE(parser.Run("A " + std::string(64, '(') + std::string(64, ')')));
    EXPECT_FALSE(parser.Run("A " + std::string(65, '(') + std::string(65, ')')));
    EXPECT_EQ(parser.errors, std::vector<std::string>{"List Nested Too Deeply"});
    EXPECT_FALSE(parser.Run("A " + std::string(100000, '(')));
}

struct FileCase
{
    const char* name;
    std::string contents;
    std::vector<std::string> commands;
};

TEST(DescParserTest, FilesAreCutIntoCommandsWithTheLineOfTheirFirstCharacter)
{
    const std::vector<FileCase> cases = {
        {"OnlyCommentsAndBlankLines", "# one\n\n   # two\n\t\n", {}},
        {"Empty", "", {}},
        {"OneCommandPerSemicolon", "A 1;\nB 2;\n\nC 3", {"1: (A, 1)", "2: (B, 2)", "4: (C, 3)"}},
        {"CommandSpansLinesUntilTheSemicolon", "Define X 5\nDefine Y 6;", {"1: (Define, X, 5, Define, Y, 6)"}},
        {"LeadingBlanksAndCommentsBeforeACommand", "  # note\n   A\n  b;", {"2: (A, b)"}},
        {"CommentAfterSemicolonOnTheSameLine", "A;# rest of line\nB;", {"1: (A)", "2: (B)"}},
        {"HashInsideALineIsText", "A b#c;", {"1: (A, b#c)"}},
        {"CarriageReturnsAreDropped", "A\r\n1;\r\nB;\r\n", {"1: (A, 1)", "3: (B)"}},
        {"SemicolonInQuotesStaysInTheCommand", "A 'x;y';B \"1;2\";", {"1: (A, 'x;y')", "1: (B, \"1;2\")"}},
        {"EscapedQuoteInQuotes", "A 'a\\'b' c;", {"1: (A, 'a'b', c)"}},
        {"BackslashOutsideQuotesIsOrdinary", "A b\\;C;", {"1: (A, b)", "1: (C)"}},
        {"CommentAfterTextIsText", "A # not a comment\n;", {"1: (A, #, not, a, comment)"}},
    };
    for (const FileCase& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder folder;
        folder.Write("font.txt", c.contents);
        RecordingParser parser;
        EXPECT_TRUE(parser.LoadDescFile(folder.Path() + "font.txt"));
        EXPECT_EQ(parser.commands, c.commands);
        EXPECT_EQ(parser.commandLine, 0);
        EXPECT_TRUE(parser.currentCommand.empty());
    }
}

TEST(DescParserTest, FirstFailingCommandEndsTheFile)
{
    TempFolder folder;
    folder.Write("font.txt", "Define A 1;\n\n  Fail now;\nDefine B 2;\n");
    RecordingParser parser;
    EXPECT_FALSE(parser.LoadDescFile(folder.Path() + "font.txt"));
    EXPECT_EQ(parser.commands, (std::vector<std::string>{"1: (Define, A, 1)", "3: (Fail, now)"}));
    EXPECT_EQ(parser.error, "Failed");
    EXPECT_EQ(parser.DefineText("A"), "1");
    EXPECT_EQ(parser.DefineText("B"), "<undefined>");
}

TEST(DescParserTest, MissingFileFailsWithoutAnErrorText)
{
    RecordingParser parser;
    parser.error = "old";
    EXPECT_FALSE(parser.LoadDescFile("no such folder/font.txt"));
    EXPECT_TRUE(parser.errors.empty());
    EXPECT_EQ(parser.error, "");
}

TEST(DescParserTest, DefinesIgnoreCaseAndKeepTheLastValue)
{
    RecordingParser parser;
    ASSERT_TRUE(parser.Run("Define big 5"));
    ASSERT_TRUE(parser.Run("Define BIG 6"));
    EXPECT_EQ(parser.DefineText("Big"), "6");
    EXPECT_EQ(parser.defines.size(), 1u);
}

TEST(DescParserTest, DefineValuesAreResolvedWhenDefined)
{
    RecordingParser parser;
    ASSERT_TRUE(parser.Run("Define X 5"));
    ASSERT_TRUE(parser.Run("Define Quoted 'a b'"));
    ASSERT_TRUE(parser.Run("Define Copy X"));
    ASSERT_TRUE(parser.Run("Define List ('a', X, (1, \"q\"), -2)"));
    ASSERT_TRUE(parser.Run("Define Word undefinedname"));
    ASSERT_TRUE(parser.Run("Define X X"));
    EXPECT_EQ(parser.DefineText("Quoted"), "'a b'");
    EXPECT_EQ(parser.DefineText("Copy"), "5");
    EXPECT_EQ(parser.DefineText("List"), "(a, 5, (1, q), -2)");
    EXPECT_EQ(parser.DefineText("Word"), "undefinedname");
    EXPECT_EQ(parser.DefineText("X"), "5");
    ASSERT_TRUE(parser.Run("Define X 7"));
    EXPECT_EQ(parser.DefineText("Copy"), "5");
}

TEST(DescParserTest, DefineErrors)
{
    struct Case
    {
        const char* name;
        std::string command;
        std::string error;
    } cases[] = {
        {"LiteralName", "Define 5 x", "Invalid Paramater Type"},
        {"QuotedName", "Define 'n' x", "Invalid Paramater Type"},
        {"SignedName", "Define +n x", "Invalid Paramater Type"},
        {"ListName", "Define (n) x", "Invalid Paramater Type"},
        {"UndefinedNameInAList", "Define L (1, nothing)", "Unable to Dereference \"nothing\""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RecordingParser parser;
        EXPECT_FALSE(parser.Run(c.command));
        EXPECT_EQ(parser.errors, std::vector<std::string>{c.error});
        EXPECT_TRUE(parser.defines.empty());
    }
}

// Runs the command until it fails, at most limit times; the number of successful runs.
int RunUntilRefused(RecordingParser& parser, const std::string& command, int limit)
{
    for (int i = 0; i < limit; ++i) {
        if (!parser.Run(command)) {
            return i;
        }
    }
    return limit;
}

TEST(DescParserTest, ValuesThatDefinesWouldGrowWithoutEndAreRefused)
{
    RecordingParser parser;
    ASSERT_TRUE(parser.Run("Define A (1, 2, 3, 4, 5, 6, 7, 8)"));
    // 72, 584 and 4680 elements pass; 37448 would not.
    EXPECT_EQ(RunUntilRefused(parser, "Define A (A, A, A, A, A, A, A, A)", 10), 3);
    EXPECT_EQ(parser.error, "List Too Long");
    ASSERT_TRUE(parser.Run("Define B 1"));
    EXPECT_EQ(RunUntilRefused(parser, "Define B (B)", 100), 65);
    EXPECT_EQ(parser.error, "List Nested Too Deeply");
}

TEST(DescParserTest, LiteralsAreNumbersSignsAndQuotedText)
{
    for (const char* literal : {"0", "9x", "-", "-abc", "+1", "'a'", "\"a\""}) {
        EXPECT_TRUE(DescParser::IsLiteral(literal)) << literal;
    }
    for (const char* name : {"", "a", "_1", "X5", ".5", "#"}) {
        EXPECT_FALSE(DescParser::IsLiteral(name)) << name;
    }
}

TEST(DescParserTest, StripQuotesDropsTheOpeningQuoteKind)
{
    struct Case
    {
        std::string text;
        std::string stripped;
    } cases[] = {
        {"'abc'", "abc"},
        {"\"abc\"", "abc"},
        {"'it''s'", "it's"},
        {"'say \"hi\"'", "say \"hi\""},
        {"\"it's\"", "it's"},
        {"abc", "abc"},
        {"a'b'", "a'b'"},
        {"'''", "'"},
        {"'unterminated", "unterminated"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(DescParser::StripQuotes(c.text), c.stripped) << c.text;
    }
}

TEST(DescParserTest, ElementToTextJoinsNestedLists)
{
    ListDataElement inner;
    inner.elements.push_back(Token("2"));
    inner.elements.push_back(Token("3"));
    ListDataElement outer;
    outer.elements.push_back(Token("1"));
    outer.elements.push_back(inner.Clone());
    EXPECT_EQ(DescParser::ElementToText(outer), "(1, (2, 3))");
    EXPECT_EQ(DescParser::ElementToText(ListDataElement()), "()");
    EXPECT_EQ(DescParser::ElementToText(*Token("'x'")), "'x'");
}

TEST(DescParserTest, ListCopiesAreDeep)
{
    ListDataElement original;
    original.elements.push_back(Token("a"));
    ListDataElement copy(original);
    static_cast<SingleDataElement&>(*copy.elements[0]).value = "b";
    EXPECT_EQ(DescParser::ElementToText(original), "(a)");
    ListDataElement assigned;
    assigned.elements.push_back(Token("old"));
    assigned.Assign(copy);
    EXPECT_EQ(DescParser::ElementToText(assigned), "(b)");
}

TEST(DescParserTest, StringParameters)
{
    RecordingParser parser;
    ASSERT_TRUE(parser.Run("Define Name 'file name.png'"));
    ASSERT_TRUE(parser.Run("Define L (1)"));
    std::string out;
    EXPECT_TRUE(parser.GetStringParam(*Parameter(parser, "'a b'"), out));
    EXPECT_EQ(out, "a b");
    EXPECT_TRUE(parser.GetStringParam(*Parameter(parser, "plain"), out));
    EXPECT_EQ(out, "plain");
    EXPECT_TRUE(parser.GetStringParam(*Parameter(parser, "name"), out));
    EXPECT_EQ(out, "file name.png");
    EXPECT_FALSE(parser.GetStringParam(*Parameter(parser, "L"), out));
    EXPECT_FALSE(parser.GetStringParam(*Parameter(parser, "(a)"), out));
    EXPECT_TRUE(parser.errors.empty());
}

TEST(DescParserTest, ListParameters)
{
    RecordingParser parser;
    ASSERT_TRUE(parser.Run("Define X 5"));
    ASSERT_TRUE(parser.Run("Define L ('a', (1, 2))"));
    ListDataElement out;
    EXPECT_TRUE(parser.GetListParam(*Parameter(parser, "(X, 'q', (X))"), out));
    EXPECT_EQ(DescParser::ElementToText(out), "(5, q, (5))");
    EXPECT_TRUE(parser.GetListParam(*Parameter(parser, "l"), out));
    EXPECT_EQ(DescParser::ElementToText(out), "(a, (1, 2))");
    EXPECT_FALSE(parser.GetListParam(*Parameter(parser, "X"), out));
    EXPECT_FALSE(parser.GetListParam(*Parameter(parser, "nothing"), out));
    EXPECT_TRUE(parser.errors.empty());
    EXPECT_FALSE(parser.GetListParam(*Parameter(parser, "(nothing)"), out));
    EXPECT_EQ(parser.errors, std::vector<std::string>{"Unable to Dereference \"nothing\""});
}

TEST(DescParserTest, StringListParameters)
{
    RecordingParser parser;
    ASSERT_TRUE(parser.Run("Define Chars ('a', 'b', ',')"));
    ASSERT_TRUE(parser.Run("Define One 'a'"));
    std::vector<std::string> out;
    EXPECT_TRUE(parser.GetStringListParam(*Parameter(parser, "chars"), out));
    EXPECT_EQ(out, (std::vector<std::string>{"a", "b", ","}));
    EXPECT_TRUE(parser.GetStringListParam(*Parameter(parser, "('x', \"y\", 5)"), out));
    EXPECT_EQ(out, (std::vector<std::string>{"x", "y", "5"}));
    EXPECT_FALSE(parser.GetStringListParam(*Parameter(parser, "('x', (1))"), out));
    EXPECT_TRUE(out.empty());
    EXPECT_FALSE(parser.GetStringListParam(*Parameter(parser, "one"), out));
    EXPECT_TRUE(parser.errors.empty());
    EXPECT_FALSE(parser.GetStringListParam(*Parameter(parser, "missing"), out));
    EXPECT_EQ(parser.errors, std::vector<std::string>{"Unable to Dereference \"missing\""});
}

TEST(DescParserTest, NumberListParameters)
{
    RecordingParser parser;
    ASSERT_TRUE(parser.Run("Define W (3, 4)"));
    std::vector<int> ints;
    EXPECT_TRUE(parser.GetIntListParam(*Parameter(parser, "(1, 0x10, -3)"), ints));
    EXPECT_EQ(ints, (std::vector<int>{1, 16, -3}));
    EXPECT_TRUE(parser.GetIntListParam(*Parameter(parser, "w"), ints));
    EXPECT_EQ(ints, (std::vector<int>{3, 4}));
    EXPECT_FALSE(parser.GetIntListParam(*Parameter(parser, "(1, 'a')"), ints));
    EXPECT_FALSE(parser.GetIntListParam(*Parameter(parser, "(+1)"), ints));
    EXPECT_FALSE(parser.GetIntListParam(*Parameter(parser, "(1.5)"), ints));
    std::vector<double> doubles;
    EXPECT_TRUE(parser.GetDoubleListParam(*Parameter(parser, "(1, 0.5, -2)"), doubles));
    EXPECT_EQ(doubles, (std::vector<double>{1, 0.5, -2}));
    EXPECT_FALSE(parser.GetDoubleListParam(*Parameter(parser, "(1e3)"), doubles));
    EXPECT_TRUE(parser.errors.empty());
}

} // namespace
