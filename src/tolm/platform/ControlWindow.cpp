#include "platform/ControlWindow.h"

#include "platform/FontFace.h"
#include "platform/TextEncoding.h"
#include "platform/VideoSystem.h"

#include <SDL.h>
#include <algorithm>
#include <map>

namespace Platform {

namespace {

// The classic desktop colours.
constexpr uint32_t kFace = 0xD4D0C8;
constexpr uint32_t kHighlight = 0xFFFFFF;
constexpr uint32_t kShadow = 0x808080;
constexpr uint32_t kDarkShadow = 0x404040;
constexpr uint32_t kWindowBack = 0xFFFFFF;
constexpr uint32_t kTrack = 0xE8E6E2;
constexpr uint32_t kBlack = 0x000000;

constexpr int kScrollBarWidth = 16;
constexpr int kTextMargin = 3;
constexpr int kWheelLines = 3;

// Points to the pixel height of the characters on a 96-dpi desktop.
int PixelHeight(int points)
{
    return (points * 96 + 36) / 72;
}

struct Rectangle
{
    int x;
    int y;
    int width;
    int height;

    bool Contains(int px, int py) const { return px >= x && py >= y && px < x + width && py < y + height; }
};

class Canvas
{
public:
    Canvas(int width, int height) : width(width), height(height), pixels(size_t(width) * size_t(height), kFace) {}

    void Fill(const Rectangle& r, uint32_t colour)
    {
        for (int y = std::max(r.y, 0); y < std::min(r.y + r.height, height); ++y) {
            for (int x = std::max(r.x, 0); x < std::min(r.x + r.width, width); ++x) {
                pixels[size_t(y) * size_t(width) + size_t(x)] = colour;
            }
        }
    }

    // A frame one pixel wide: light on the top and left edges, dark on the others.
    void Frame(const Rectangle& r, uint32_t light, uint32_t dark)
    {
        Fill({r.x, r.y, r.width, 1}, light);
        Fill({r.x, r.y, 1, r.height}, light);
        Fill({r.x, r.y + r.height - 1, r.width, 1}, dark);
        Fill({r.x + r.width - 1, r.y, 1, r.height}, dark);
    }

    // The glyph's coverage laid over the pixels inside the clip.
    void Blend(const GlyphBitmap& glyph, int left, int top, uint32_t colour, const Rectangle& clip)
    {
        for (int gy = 0; gy < glyph.height; ++gy) {
            for (int gx = 0; gx < glyph.width; ++gx) {
                int x = left + gx;
                int y = top + gy;
                uint32_t cover = glyph.coverage[size_t(gy) * size_t(glyph.width) + size_t(gx)];
                if (cover == 0 || !clip.Contains(x, y) || x < 0 || y < 0 || x >= width || y >= height) {
                    continue;
                }
                uint32_t& pixel = pixels[size_t(y) * size_t(width) + size_t(x)];
                pixel = Mix(pixel, colour, cover);
            }
        }
    }

    const uint32_t* Pixels() const { return pixels.data(); }

private:
    static uint32_t Mix(uint32_t back, uint32_t fore, uint32_t cover)
    {
        uint32_t result = 0;
        for (int shift = 0; shift < 24; shift += 8) {
            uint32_t b = (back >> shift) & 0xFF;
            uint32_t f = (fore >> shift) & 0xFF;
            result |= ((b * (255 - cover) + f * cover) / 255) << shift;
        }
        return result;
    }

    int width;
    int height;
    std::vector<uint32_t> pixels;
};

// A font with its glyphs kept once rendered.
class Lettering
{
public:
    explicit Lettering(std::unique_ptr<FontFace> face) : face(std::move(face)) {}

    const GlyphBitmap& Glyph(unsigned char byte)
    {
        auto found = glyphs.find(byte);
        if (found == glyphs.end()) {
            found = glyphs.emplace(byte, face->RenderGlyph(Cp1252ToCharacter(byte))).first;
        }
        return found->second;
    }

    int Width(const std::string& text)
    {
        int total = 0;
        for (unsigned char c : text) {
            total += Glyph(c).advance;
        }
        return total;
    }

    int Ascent() const { return face->GetAscent(); }
    int LineHeight() const { return face->GetAscent() + face->GetDescent(); }

    // One line from its top-left corner.
    void Draw(Canvas& canvas, const std::string& text, int x, int y, uint32_t colour, const Rectangle& clip)
    {
        for (unsigned char c : text) {
            const GlyphBitmap& glyph = Glyph(c);
            canvas.Blend(glyph, x + glyph.left, y + Ascent() - glyph.top, colour, clip);
            x += glyph.advance;
        }
    }

private:
    std::unique_ptr<FontFace> face;
    std::map<unsigned char, GlyphBitmap> glyphs;
};

// The text broken into lines that fit the width: at line breaks, then between words, and inside a
// word longer than a line.
std::vector<std::string> WrapLines(Lettering& font, const std::string& text, int width, bool multiLine)
{
    std::vector<std::string> lines(1);
    std::string word;
    auto place = [&](const std::string& piece) {
        if (!lines.back().empty() && font.Width(lines.back() + piece) > width && multiLine) {
            lines.emplace_back();
        }
        lines.back() += piece;
    };
    for (char c : text) {
        if (c == '\r') {
            continue;
        }
        if (c == '\n' && multiLine) {
            place(word);
            word.clear();
            lines.emplace_back();
        } else if (c == ' ') {
            place(word + ' ');
            word.clear();
        } else {
            word += c;
            if (multiLine && font.Width(word) > width) {
                place(word.substr(0, word.size() - 1));
                lines.emplace_back();
                word = word.substr(word.size() - 1);
            }
        }
    }
    place(word);
    return lines;
}

struct Control
{
    ControlSpec spec;
    Lettering* font;
    // The first line shown of a scrolling box.
    int topLine = 0;
};

} // namespace

struct ControlWindow::State
{
    SDL_Window* window = nullptr;
    int width = 0;
    int height = 0;
    std::vector<Control> controls;
    std::vector<std::unique_ptr<Lettering>> fonts;
    int focus = -1;
    // The button the mouse went down on, while it is held.
    int pressed = -1;
    bool dirty = true;

    ~State()
    {
        if (window) {
            SDL_StopTextInput();
            SDL_DestroyWindow(window);
        }
    }

    Lettering* FontFor(const ControlSpec& spec)
    {
        FontRequest request{spec.fontFamily, PixelHeight(spec.fontPoints), spec.bold};
        auto face = FontFace::Open(request);
        if (!face) {
            return nullptr;
        }
        fonts.push_back(std::make_unique<Lettering>(std::move(face)));
        return fonts.back().get();
    }

    Rectangle TextArea(const Control& control) const
    {
        const ControlSpec& s = control.spec;
        int border = s.framed ? 1 : 0;
        int bar = s.framed ? kScrollBarWidth : 0;
        return {s.x + border + kTextMargin, s.y + border + 1, s.width - 2 * border - bar - 2 * kTextMargin,
                s.height - 2 * border - 2};
    }

    std::vector<std::string> Lines(const Control& control) const
    {
        return WrapLines(*control.font, control.spec.text, TextArea(control).width, control.spec.multiLine);
    }

    int VisibleLines(const Control& control) const
    {
        return std::max(1, TextArea(control).height / control.font->LineHeight());
    }

    void Scroll(Control& control, int lines)
    {
        int last = std::max(0, int(Lines(control).size()) - VisibleLines(control));
        control.topLine = std::clamp(control.topLine + lines, 0, last);
        dirty = true;
    }

    int ControlAt(int x, int y) const
    {
        for (size_t i = 0; i < controls.size(); ++i) {
            const ControlSpec& s = controls[i].spec;
            if (Rectangle{s.x, s.y, s.width, s.height}.Contains(x, y)) {
                return int(i);
            }
        }
        return -1;
    }

    void Type(const std::string& text)
    {
        if (focus < 0) {
            return;
        }
        Control& control = controls[size_t(focus)];
        control.spec.text += text;
        // The end, where the typing goes, stays in sight.
        Scroll(control, int(Lines(control).size()));
    }

    void Erase()
    {
        if (focus < 0 || controls[size_t(focus)].spec.text.empty()) {
            return;
        }
        std::string& text = controls[size_t(focus)].spec.text;
        bool lineBreak = text.size() >= 2 && text.compare(text.size() - 2, 2, "\r\n") == 0;
        text.resize(text.size() - (lineBreak ? 2 : 1));
        Scroll(controls[size_t(focus)], 0);
    }

    void ClickScrollBar(Control& control, int y)
    {
        const ControlSpec& s = control.spec;
        if (y < s.y + 1 + kScrollBarWidth) {
            Scroll(control, -1);
        } else if (y >= s.y + s.height - 1 - kScrollBarWidth) {
            Scroll(control, 1);
        } else {
            Scroll(control, y < s.y + s.height / 2 ? -VisibleLines(control) : VisibleLines(control));
        }
    }

    ControlEvent MouseDown(int x, int y)
    {
        int index = ControlAt(x, y);
        if (index < 0) {
            return {};
        }
        Control& control = controls[size_t(index)];
        const ControlSpec& s = control.spec;
        if (s.button && s.enabled) {
            pressed = index;
            dirty = true;
        } else if (s.framed && x >= s.x + s.width - 1 - kScrollBarWidth) {
            ClickScrollBar(control, y);
        }
        return {};
    }

    ControlEvent MouseUp(int x, int y)
    {
        int was = pressed;
        pressed = -1;
        dirty = true;
        if (was >= 0 && ControlAt(x, y) == was) {
            return {ControlEvent::Kind::kPress, was};
        }
        return {};
    }

    ControlEvent Handle(const SDL_Event& event)
    {
        switch (event.type) {
        case SDL_QUIT:
            return {ControlEvent::Kind::kClose, -1};
        case SDL_WINDOWEVENT:
            if (event.window.event == SDL_WINDOWEVENT_CLOSE) {
                return {ControlEvent::Kind::kClose, -1};
            }
            dirty = true;
            return {};
        case SDL_MOUSEBUTTONDOWN:
            return event.button.button == SDL_BUTTON_LEFT ? MouseDown(event.button.x, event.button.y) : ControlEvent{};
        case SDL_MOUSEBUTTONUP:
            return event.button.button == SDL_BUTTON_LEFT ? MouseUp(event.button.x, event.button.y) : ControlEvent{};
        case SDL_MOUSEWHEEL: {
            int x = 0;
            int y = 0;
            SDL_GetMouseState(&x, &y);
            int index = ControlAt(x, y);
            if (index >= 0 && controls[size_t(index)].spec.framed) {
                Scroll(controls[size_t(index)], -event.wheel.y * kWheelLines);
            }
            return {};
        }
        case SDL_TEXTINPUT:
            Type(Utf8ToCp1252(event.text.text));
            return {};
        case SDL_KEYDOWN:
            if (event.key.keysym.sym == SDLK_BACKSPACE) {
                Erase();
            } else if (event.key.keysym.sym == SDLK_RETURN && focus >= 0 && controls[size_t(focus)].spec.multiLine) {
                Type("\r\n");
            }
            return {};
        default:
            return {};
        }
    }
};

ControlWindow::ControlWindow(std::unique_ptr<State> state) : state(std::move(state)) {}

ControlWindow::~ControlWindow() = default;

std::unique_ptr<ControlWindow> ControlWindow::Create(const std::string& title, int x, int y, int width, int height,
                                                     const std::vector<ControlSpec>& controls, int focus)
{
    if (!InitVideo() || IsHeadless()) {
        return nullptr;
    }
    auto state = std::make_unique<State>();
    for (const ControlSpec& spec : controls) {
        Lettering* font = state->FontFor(spec);
        if (!font) {
            return nullptr;
        }
        state->controls.push_back({spec, font});
    }
    state->width = width;
    state->height = height;
    state->focus = focus;
    state->window = SDL_CreateWindow(Cp1252ToUtf8(title).c_str(), x, y, width, height, SDL_WINDOW_SHOWN);
    if (!state->window) {
        return nullptr;
    }
    if (focus >= 0) {
        SDL_StartTextInput();
    }
    std::unique_ptr<ControlWindow> window(new ControlWindow(std::move(state)));
    window->Draw();
    return window;
}

ControlEvent ControlWindow::WaitEvent(int milliseconds)
{
    SDL_Event event;
    ControlEvent result;
    if (SDL_WaitEventTimeout(&event, std::max(milliseconds, 1))) {
        result = state->Handle(event);
        while (result.kind == ControlEvent::Kind::kNone && SDL_PollEvent(&event)) {
            result = state->Handle(event);
        }
    }
    if (state->dirty) {
        Draw();
    }
    return result;
}

void ControlWindow::SetText(int control, const std::string& text)
{
    state->controls[size_t(control)].spec.text = text;
    state->dirty = true;
}

const std::string& ControlWindow::Text(int control) const
{
    return state->controls[size_t(control)].spec.text;
}

namespace {

void DrawButton(Canvas& canvas, const Control& control, bool pressed)
{
    const ControlSpec& s = control.spec;
    Rectangle outer{s.x, s.y, s.width, s.height};
    // The default button's black outline, then the raised (or pushed-in) face.
    canvas.Frame(outer, kBlack, kBlack);
    Rectangle face{s.x + 1, s.y + 1, s.width - 2, s.height - 2};
    if (pressed) {
        canvas.Frame(face, kShadow, kShadow);
    } else {
        canvas.Frame(face, kHighlight, kDarkShadow);
        canvas.Frame({face.x + 1, face.y + 1, face.width - 2, face.height - 2}, kFace, kShadow);
    }
    Lettering& font = *control.font;
    int shift = pressed ? 1 : 0;
    int textX = s.x + (s.width - font.Width(s.text)) / 2 + shift;
    int textY = s.y + (s.height - font.LineHeight()) / 2 + shift;
    if (s.enabled) {
        font.Draw(canvas, s.text, textX, textY, kBlack, outer);
    } else {
        font.Draw(canvas, s.text, textX + 1, textY + 1, kHighlight, outer);
        font.Draw(canvas, s.text, textX, textY, kShadow, outer);
    }
}

void DrawArrow(Canvas& canvas, const Rectangle& box, bool up)
{
    canvas.Frame(box, kHighlight, kDarkShadow);
    canvas.Frame({box.x + 1, box.y + 1, box.width - 2, box.height - 2}, kFace, kShadow);
    int centerX = box.x + box.width / 2;
    int tipY = box.y + box.height / 2 + (up ? -2 : 2);
    for (int row = 0; row < 4; ++row) {
        int y = up ? tipY + row : tipY - row;
        canvas.Fill({centerX - row, y, 2 * row + 1, 1}, kBlack);
    }
}

void DrawScrollBar(Canvas& canvas, const Rectangle& bar, int topLine, int lineCount, int visible)
{
    canvas.Fill(bar, kTrack);
    DrawArrow(canvas, {bar.x, bar.y, bar.width, kScrollBarWidth}, true);
    DrawArrow(canvas, {bar.x, bar.y + bar.height - kScrollBarWidth, bar.width, kScrollBarWidth}, false);
    int track = bar.height - 2 * kScrollBarWidth;
    if (lineCount <= visible || track <= 8) {
        return;
    }
    int thumb = std::max(8, track * visible / lineCount);
    int top = bar.y + kScrollBarWidth + (track - thumb) * topLine / std::max(1, lineCount - visible);
    Rectangle knob{bar.x, top, bar.width, thumb};
    canvas.Fill(knob, kFace);
    canvas.Frame(knob, kHighlight, kDarkShadow);
    canvas.Frame({knob.x + 1, knob.y + 1, knob.width - 2, knob.height - 2}, kFace, kShadow);
}

} // namespace

void ControlWindow::Draw()
{
    State& s = *state;
    Canvas canvas(s.width, s.height);
    for (size_t i = 0; i < s.controls.size(); ++i) {
        const Control& control = s.controls[i];
        const ControlSpec& spec = control.spec;
        if (spec.button) {
            DrawButton(canvas, control, s.pressed == int(i));
            continue;
        }
        Rectangle box{spec.x, spec.y, spec.width, spec.height};
        // Read-only boxes stand on the window's face, as the system draws them.
        canvas.Fill(box, spec.editable ? kWindowBack : kFace);
        if (spec.framed) {
            canvas.Frame(box, kBlack, kBlack);
            std::vector<std::string> lines = s.Lines(control);
            DrawScrollBar(canvas,
                          {spec.x + spec.width - 1 - kScrollBarWidth, spec.y + 1, kScrollBarWidth, spec.height - 2},
                          control.topLine, int(lines.size()), s.VisibleLines(control));
        }
        Rectangle area = s.TextArea(control);
        std::vector<std::string> lines = s.Lines(control);
        int y = area.y;
        for (size_t line = size_t(control.topLine); line < lines.size() && y < area.y + area.height; ++line) {
            control.font->Draw(canvas, lines[line], area.x, y, kBlack, area);
            y += control.font->LineHeight();
        }
        int caretLine = int(lines.size()) - 1 - control.topLine;
        if (int(i) == s.focus && caretLine >= 0 && caretLine < s.VisibleLines(control)) {
            int caretX = area.x + control.font->Width(lines.back());
            canvas.Fill({caretX, area.y + caretLine * control.font->LineHeight(), 1, control.font->LineHeight()},
                        kBlack);
        }
    }
    SDL_Surface* window = SDL_GetWindowSurface(s.window);
    SDL_Surface* picture = SDL_CreateRGBSurfaceWithFormatFrom(const_cast<uint32_t*>(canvas.Pixels()), s.width, s.height,
                                                              32, s.width * 4, SDL_PIXELFORMAT_RGB888);
    if (window && picture) {
        SDL_BlitSurface(picture, nullptr, window, nullptr);
        SDL_UpdateWindowSurface(s.window);
    }
    SDL_FreeSurface(picture);
    s.dirty = false;
}

} // namespace Platform
