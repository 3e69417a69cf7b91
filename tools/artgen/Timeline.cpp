#include "Timeline.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <numbers>
#include <sstream>

namespace ArtGen {

namespace {

// The whole text as one number.
bool ReadNumber(const std::string& text, double& value)
{
    const char* begin = text.c_str();
    char* end = nullptr;
    value = std::strtod(begin, &end);
    return end != begin && *end == '\0' && std::isfinite(value);
}

} // namespace

bool Timeline::SetEase(const std::string& name)
{
    static const std::pair<const char*, Ease> kEases[] = {
        {"linear", Ease::Linear}, {"in", Ease::In}, {"out", Ease::Out}, {"inout", Ease::InOut}, {"wave", Ease::Wave},
    };
    for (const auto& [easeName, value] : kEases) {
        if (name == easeName) {
            ease = value;
            return true;
        }
    }
    return false;
}

bool Timeline::SetWindow(const std::string& text)
{
    std::stringstream stream(text);
    double first = 0;
    double last = 0;
    std::string rest;
    if (!(stream >> first >> last) || stream >> rest || last < first) {
        return false;
    }
    start = first;
    end = last;
    return true;
}

double Timeline::Progress() const
{
    const double t = end > start ? std::clamp((time - start) / (end - start), 0.0, 1.0) : 0.0;
    switch (ease) {
    case Ease::In:
        return t * t;
    case Ease::Out:
        return 1 - (1 - t) * (1 - t);
    case Ease::InOut:
        return t < 0.5 ? 2 * t * t : 1 - 2 * (1 - t) * (1 - t);
    case Ease::Wave:
        return 0.5 - 0.5 * std::cos(2 * std::numbers::pi * t);
    case Ease::Linear:
        break;
    }
    return t;
}

bool Timeline::Value(const std::string& text, double& value) const
{
    const std::size_t tilde = text.find('~');
    if (tilde == std::string::npos) {
        return ReadNumber(text, value);
    }
    double from = 0;
    double to = 0;
    if (!ReadNumber(text.substr(0, tilde), from) || !ReadNumber(text.substr(tilde + 1), to)) {
        return false;
    }
    value = from + (to - from) * Progress();
    return true;
}

} // namespace ArtGen
