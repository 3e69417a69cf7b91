// A widget that writes every call it gets into a shared trace, one line per event ("A enter",
// "A down 10,20 b0 c1"), so that tests can compare what the widgets saw with a trace worked out by hand.
#pragma once

#include "graphics/Graphics.h"
#include "widgets/Widget.h"
#include "widgets/WidgetManager.h"

#include <functional>
#include <string>
#include <utility>
#include <vector>

using Trace = std::vector<std::string>;

class Probe : public Tolm::Widget
{
public:
    Probe(Trace& trace, std::string name, int left = 0, int top = 0, int w = 0, int h = 0)
        : trace(trace), name(std::move(name))
    {
        Resize(left, top, w, h);
    }

    void Update() override
    {
        Widget::Update();
        Log("update");
        if (onUpdate) {
            onUpdate();
        }
    }
    void Draw(Tolm::Graphics* g) override
    {
        Log("draw");
        if (onDraw) {
            onDraw(g);
        }
    }
    using Widget::DrawOverlay;
    void DrawOverlay(Tolm::Graphics* g, int overlayPriority) override
    {
        Log("overlay " + std::to_string(overlayPriority) + " at " + std::to_string(int(g->transX)) + "," +
            std::to_string(int(g->transY)));
    }
    void MouseEnter() override { Log("enter"); }
    void MouseLeave() override { Log("leave"); }
    void MouseMove(int x, int y) override { Log("move " + Point(x, y)); }
    void MouseDrag(int x, int y) override { Log("drag " + Point(x, y)); }
    using Widget::MouseDown;
    using Widget::MouseUp;
    void MouseDown(int x, int y, int button, int clickCount) override
    {
        Log("down " + Point(x, y) + " b" + std::to_string(button) + " c" + std::to_string(clickCount));
    }
    void MouseUp(int x, int y, int button, int clickCount) override
    {
        Log("up " + Point(x, y) + " b" + std::to_string(button) + " c" + std::to_string(clickCount));
    }
    void MouseWheel(int delta) override { Log("wheel " + std::to_string(delta)); }
    void KeyChar(char ch) override { Log("char " + std::to_string(int(ch))); }
    void KeyDown(int keyCode) override
    {
        Log("keydown " + std::to_string(keyCode));
        Widget::KeyDown(keyCode);
    }
    void KeyUp(int keyCode) override { Log("keyup " + std::to_string(keyCode)); }
    void GotFocus() override
    {
        Widget::GotFocus();
        Log("gotfocus");
    }
    void LostFocus() override
    {
        Widget::LostFocus();
        Log("lostfocus");
    }

    Trace& trace;
    std::string name;
    std::function<void()> onUpdate;
    std::function<void(Tolm::Graphics*)> onDraw;

private:
    static std::string Point(int x, int y) { return std::to_string(x) + "," + std::to_string(y); }
    void Log(const std::string& event) { trace.push_back(name + " " + event); }
};

// The trace so far, emptied.
inline Trace Take(Trace& trace)
{
    return std::exchange(trace, Trace());
}
