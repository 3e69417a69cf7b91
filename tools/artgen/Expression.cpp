#include "Expression.h"

#include <cctype>
#include <cstdlib>

namespace ArtGen {

namespace {

// Recursive descent: a sum of products of factors.
class Parser
{
public:
    explicit Parser(const std::string& text) : text(text) {}

    bool Whole(double& value)
    {
        if (!Sum(value)) {
            return false;
        }
        SkipSpace();
        return at == text.size() || Fail("unexpected \"" + text.substr(at) + "\"");
    }

    std::string error;

private:
    bool Sum(double& value)
    {
        if (!Product(value)) {
            return false;
        }
        for (char op = Peek(); op == '+' || op == '-'; op = Peek()) {
            ++at;
            double right = 0;
            if (!Product(right)) {
                return false;
            }
            value = op == '+' ? value + right : value - right;
        }
        return true;
    }

    bool Product(double& value)
    {
        if (!Factor(value)) {
            return false;
        }
        for (char op = Peek(); op == '*' || op == '/'; op = Peek()) {
            ++at;
            double right = 0;
            if (!Factor(right)) {
                return false;
            }
            if (op == '/' && right == 0) {
                return Fail("division by zero");
            }
            value = op == '*' ? value * right : value / right;
        }
        return true;
    }

    bool Factor(double& value)
    {
        char next = Peek();
        if (next == '-') {
            ++at;
            if (!Factor(value)) {
                return false;
            }
            value = -value;
            return true;
        }
        if (next == '(') {
            ++at;
            if (!Sum(value)) {
                return false;
            }
            if (Peek() != ')') {
                return Fail("a \"(\" is not closed");
            }
            ++at;
            return true;
        }
        const char* start = text.c_str() + at;
        char* end = nullptr;
        value = std::strtod(start, &end);
        if (end == start) {
            return Fail(next ? "a number is missing before \"" + text.substr(at) + "\"" : "a number is missing");
        }
        at += std::size_t(end - start);
        return true;
    }

    char Peek()
    {
        SkipSpace();
        return at < text.size() ? text[at] : '\0';
    }

    void SkipSpace()
    {
        while (at < text.size() && std::isspace(static_cast<unsigned char>(text[at]))) {
            ++at;
        }
    }

    bool Fail(const std::string& message)
    {
        error = message;
        return false;
    }

    const std::string& text;
    std::size_t at = 0;
};

} // namespace

bool Evaluate(const std::string& text, double& value, std::string& error)
{
    Parser parser(text);
    if (parser.Whole(value)) {
        return true;
    }
    error = "\"" + text + "\": " + parser.error;
    return false;
}

} // namespace ArtGen
