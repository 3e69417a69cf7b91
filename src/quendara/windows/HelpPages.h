// The three pages of the help window: the rules with three pictures, the resources and the bonus tools,
// and the studio with the credits. Each is a fixed layout of pictures and texts, drawn from the page
// origin the help window sets (80, 130 from its corner); they hold no state.
#pragma once

namespace Tolm {
class Graphics;
}

// Where the help window puts the page origin, from its corner.
constexpr int kHelpPageX = 80;
constexpr int kHelpPageY = 130;

class BaseHelpPage
{
public:
    virtual ~BaseHelpPage() = default;

    virtual void Update() {}
    virtual void Draw(Tolm::Graphics* g) = 0;
};

// Laid out against the window's corner, not the page origin.
class HelpPage1 : public BaseHelpPage
{
public:
    void Draw(Tolm::Graphics* g) override;
};

class HelpPage2 : public BaseHelpPage
{
public:
    void Draw(Tolm::Graphics* g) override;
};

// With the property "hide_links" the studio's annotation and site line are left out and the credits
// move up into their place.
class HelpPage3 : public BaseHelpPage
{
public:
    void Draw(Tolm::Graphics* g) override;
};
