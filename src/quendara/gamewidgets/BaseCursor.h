// The game's own mouse cursors: an image played by an animator at the mouse position, drawn by the
// cursor widget over everything else. The bonus tools' cursors are centred on the mouse; the bonus panel
// makes each on first use and deletes them with itself.
#pragma once

#include "core/Singleton.h"

#include <memory>

namespace Tolm {
class Animator;
class Graphics;
class Image;
} // namespace Tolm

class BaseCursor
{
public:
    // The image is a resource, not owned; the animator plays its frames from the first.
    explicit BaseCursor(Tolm::Image* image);
    virtual ~BaseCursor();

    virtual void Restart();
    // One update.
    virtual void Update();
    // The current frame centred on the mouse.
    virtual void Draw(Tolm::Graphics* g);

    Tolm::Image* image;
    std::unique_ptr<Tolm::Animator> animator;

protected:
    // The widget manager's last mouse position, in screen coordinates.
    static int MouseX();
    static int MouseY();
};

class BaseBonusCursor : public BaseCursor
{
public:
    explicit BaseBonusCursor(Tolm::Image* image);
    ~BaseBonusCursor() override;

    void Update() override;
    // An image without frames wobbles about the mouse instead.
    void Draw(Tolm::Graphics* g) override;

    float wobblePhase = 0.0f;
};

class CursorBomb : public BaseBonusCursor, public Singleton<CursorBomb>
{
public:
    CursorBomb();
};

class CursorHamer : public BaseBonusCursor, public Singleton<CursorHamer>
{
public:
    CursorHamer();
};

class CursorDestroy : public BaseBonusCursor, public Singleton<CursorDestroy>
{
public:
    CursorDestroy();
};
