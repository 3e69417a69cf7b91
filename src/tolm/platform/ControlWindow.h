// A plain window of text boxes and push buttons, drawn by the program itself in the desktop's classic
// look, in place of the system's dialog controls: for windows that must work without the rest of the
// program's drawing, such as the crash windows. Text boxes show wrapped lines in an installed font
// (fontconfig), scroll with the wheel or their scroll bar, and an editable one takes what the user
// types. A button reports its press when the mouse is let go over it.
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace Platform {

struct ControlSpec
{
    bool button = false;
    // Windows-1252.
    std::string text;
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    std::string fontFamily;
    int fontPoints = 8;
    bool bold = false;
    bool multiLine = false;
    bool editable = false;
    // A border and a vertical scroll bar.
    bool framed = false;
    bool enabled = true;
};

struct ControlEvent
{
    enum class Kind
    {
        kNone,
        kClose,
        kPress,
    };

    Kind kind = Kind::kNone;
    int control = -1;
};

class ControlWindow
{
public:
    // Shown at once with its client area at (x, y); keystrokes go to the focus control. Null when the
    // desktop cannot show a window, or nobody could use it (a headless video driver).
    static std::unique_ptr<ControlWindow> Create(const std::string& title, int x, int y, int width, int height,
                                                 const std::vector<ControlSpec>& controls, int focus);
    ~ControlWindow();
    ControlWindow(const ControlWindow&) = delete;
    ControlWindow& operator=(const ControlWindow&) = delete;

    // Waits up to the time for the user, handles what came and says what the program must act on.
    ControlEvent WaitEvent(int milliseconds);
    void SetText(int control, const std::string& text);
    const std::string& Text(int control) const;

private:
    struct State;

    explicit ControlWindow(std::unique_ptr<State> state);
    void Draw();

    std::unique_ptr<State> state;
};

} // namespace Platform
