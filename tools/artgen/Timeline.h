// The time of an animation cel and what numbers make of it. A number may be a range "a~b": a at the
// start of its window, b at its end. A window is a part of the cel time (0 at the first cel of a sheet,
// 1 at the last); an ease bends the way a range runs through it.
#pragma once

#include <string>

namespace ArtGen {

class Timeline
{
public:
    // False for a name that is not "linear", "in", "out", "inout" or "wave" (0 to 1 and back to 0).
    bool SetEase(const std::string& name);
    // "t0 t1": false when unreadable or backwards.
    bool SetWindow(const std::string& text);
    bool InWindow() const { return time >= start - 1e-9 && time <= end + 1e-9; }
    // A number or a range at the current time; false when the text is neither.
    bool Value(const std::string& text, double& value) const;

    double time = 0;

private:
    enum class Ease
    {
        Linear,
        In,
        Out,
        InOut,
        Wave,
    };

    double Progress() const;

    double start = 0;
    double end = 1;
    Ease ease = Ease::Linear;
};

} // namespace ArtGen
