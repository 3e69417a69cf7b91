// Frame stepping, limits and the draws of the sprite animator.
#include "graphics/Animator.h"

#include "core/Matrix.h"
#include "core/Random.h"
#include "graphics/Graphics.h"
#include "graphics/Image.h"
#include "graphics/TruncToInt.h"

#include <cstdlib>

namespace Tolm {

namespace {

// A delay below one update would never let the tick count be a multiple of it.
int ValidDelay(int delay)
{
    return delay < 1 ? 1 : delay;
}

} // namespace

Animator::Animator() = default;

Animator::~Animator() = default;

void Animator::Update()
{
    int tick = ++tickCount;
    if (maxUpdates > 0 && !stopped && !finished && ++updateCount >= maxUpdates) {
        stopped = true;
        finished = true;
    }
    if (!stopped && !finished) {
        int low = 0;
        int high = frameCount;
        if (rangeActive && !(pingPong && loopCount < 2)) {
            low = rangeStart;
            high = rangeEnd;
        }
        bool loopsLeft = maxLoops == 0 || loopCount <= maxLoops;
        if (tick % CurrentDelay() == 0 && loopsLeft) {
            frameChanged = true;
            if (randomOrder) {
                StepRandom();
            } else if (pingPong) {
                StepPingPong(low, high);
            } else if (direction >= 0) {
                StepForward(high);
            } else {
                StepBackward(low, high);
            }
        }
    }
    if (frameCount == 1) {
        frameChanged = false;
    }
}

int Animator::CurrentDelay() const
{
    bool perFrame =
        !frameDelays.empty() && frameCount > 1 && currentFrame >= 0 && currentFrame < int(frameDelays.size());
    return ValidDelay(perFrame ? frameDelays[std::size_t(currentFrame)] : defaultDelay);
}

bool Animator::CountLoop()
{
    ++loopCount;
    if (maxLoops > 0 && loopCount >= maxLoops) {
        stopped = true;
        finished = true;
    }
    return stopped;
}

void Animator::StepRandom()
{
    if (randomPool.empty()) {
        CountLoop();
        SetRandomOrder(true);
    }
    std::size_t pick = RandomMT() % randomPool.size();
    currentFrame = randomPool[pick];
    randomPool.erase(randomPool.begin() + std::ptrdiff_t(pick));
}

// Each end frame is shown once per turn: 0 1 2 3 2 1 0 1 ...
void Animator::StepPingPong(int low, int high)
{
    if (goingBack) {
        if (--currentFrame >= low) {
            return;
        }
        currentFrame = frameCount == 1 ? 0 : low + 1;
        goingBack = false;
        if (CountLoop()) {
            currentFrame = low;
        }
        return;
    }
    if (++currentFrame < high) {
        return;
    }
    currentFrame = frameCount == 1 ? 0 : high - 2;
    goingBack = true;
    CountLoop();
}

// Stopping leaves the frame where the wrap put it: a forward animation limited to one loop ends on its
// first frame.
void Animator::StepForward(int high)
{
    if (++currentFrame < high) {
        return;
    }
    currentFrame = rangeActive ? rangeStart : 0;
    CountLoop();
}

void Animator::StepBackward(int low, int high)
{
    if (--currentFrame >= low) {
        return;
    }
    currentFrame = (rangeActive ? rangeEnd : high) - 1;
    CountLoop();
}

void Animator::SetStopped(bool on)
{
    stopped = on;
}

void Animator::Reset()
{
    stopped = false;
    finished = false;
    currentFrame = direction < 0 ? frameCount - 1 : 0;
    loopCount = 0;
    rangeStart = 0;
    rangeEnd = frameCount;
    rangeActive = false;
    updateCount = 0;
}

// Without a range the first frame of a backward animation is the last of the strip, also before any
// Reset has set the range's end.
void Animator::Restart()
{
    stopped = false;
    finished = false;
    if (direction < 0) {
        currentFrame = (rangeActive ? rangeEnd : frameCount) - 1;
    } else {
        currentFrame = rangeActive ? rangeStart : 0;
    }
    updateCount = 0;
}

void Animator::SetFrameRange(int first, int end)
{
    rangeActive = true;
    rangeStart = first;
    rangeEnd = end;
    currentFrame = first;
}

void Animator::SetDirection(int newDirection, bool jumpToStart)
{
    direction = newDirection;
    if (!jumpToStart) {
        return;
    }
    if (rangeActive) {
        currentFrame = direction < 0 ? rangeEnd - 1 : rangeStart;
    } else {
        currentFrame = direction < 0 ? frameCount - 1 : 0;
    }
}

int Animator::GetDirection() const
{
    return direction;
}

void Animator::SetMaxUpdates(int count)
{
    maxUpdates = count;
    updateCount = 0;
}

void Animator::SetTint(int red, int green, int blue, int alpha)
{
    tintOn = true;
    tintColor = Color(red, green, blue, alpha);
}

void Animator::ClearTint()
{
    tintOn = false;
}

// A strip has at least one frame, so that the random choices never divide by zero.
void Animator::SetFrameCount(int count)
{
    frameCount = count < 1 ? 1 : count;
    currentFrame = direction < 0 ? frameCount - 1 : 0;
    frameDelays.assign(std::size_t(frameCount), defaultDelay);
}

void Animator::SetImage(Image* newImage)
{
    image = nullptr;
    currentFrame = 0;
    if (newImage) {
        SetFrameCount(newImage->numFrames);
        if (const ImageAnimation* animation = newImage->animation.get()) {
            SetAllFrameDelays(animation->frameDelay);
            if (animation->type == ImageAnimation::TypeOnce) {
                SetMaxLoops(1);
            } else if (animation->type == ImageAnimation::TypePingPong) {
                pingPong = true;
            }
            if (!animation->perFrameDelays.empty()) {
                frameDelays.resize(animation->perFrameDelays.size());
                for (std::size_t i = 0; i < animation->perFrameDelays.size(); ++i) {
                    SetFrameDelay(animation->perFrameDelays[i], int(i));
                }
            }
        }
    }
    image = newImage;
}

void Animator::SetRandomOrder(bool on)
{
    randomOrder = on;
    if (!on) {
        return;
    }
    randomPool.clear();
    for (int frame = 0; frame < frameCount; ++frame) {
        randomPool.push_back(frame);
    }
}

void Animator::SetMaxLoops(int count)
{
    maxLoops = count;
    loopCount = 0;
}

void Animator::SetFrame(int frame)
{
    currentFrame = frame;
}

// An empty range leaves the frame at the range's start.
void Animator::SetRandomFrame()
{
    int first = rangeActive ? rangeStart : 0;
    int span = rangeActive ? rangeEnd - rangeStart : frameCount;
    SetFrame(span > 0 ? std::rand() % span + first : first);
}

// An index outside the delays changes nothing.
void Animator::SetFrameDelay(int delay, int index)
{
    if (index < 0 || index >= int(frameDelays.size())) {
        return;
    }
    frameDelays[std::size_t(index)] = ValidDelay(delay);
    defaultDelay = ValidDelay(delay);
}

void Animator::SetAllFrameDelays(int delay)
{
    defaultDelay = ValidDelay(delay);
    for (int& entry : frameDelays) {
        entry = defaultDelay;
    }
}

bool Animator::TakeFrameChanged()
{
    bool changed = frameChanged;
    frameChanged = false;
    return changed;
}

// The current frame, the per-frame delays and the random order are not taken over.
void Animator::Assign(const Animator& other)
{
    if (&other == this) {
        return;
    }
    image = nullptr;
    maxUpdates = other.maxUpdates;
    updateCount = other.updateCount;
    tickCount = other.tickCount;
    goingBack = other.goingBack;
    finished = other.finished;
    frameChanged = other.frameChanged;
    defaultDelay = other.defaultDelay;
    SetFrameCount(other.frameCount);
    stopped = other.stopped;
    pingPong = other.pingPong;
    if (other.image) {
        SetImage(other.image);
    }
    maxLoops = other.maxLoops;
    loopCount = other.loopCount;
    rangeStart = other.rangeStart;
    rangeEnd = other.rangeEnd;
    direction = other.direction;
    rangeActive = other.rangeActive;
    drawOffsetX = other.drawOffsetX;
    drawOffsetY = other.drawOffsetY;
    tintOn = other.tintOn;
    tintColor = other.tintColor;
}

Rect Animator::FrameRect() const
{
    return image->GetFrameRect(GetDrawFrame());
}

void Animator::BeginTint(Graphics& g) const
{
    if (!tintOn) {
        return;
    }
    g.SetDrawMode(DrawModeAdditive);
    g.SetColor(tintColor);
    g.SetTintImages(true);
}

// The colour is left as the tint set it.
void Animator::EndTint(Graphics& g) const
{
    if (!tintOn) {
        return;
    }
    g.SetDrawMode(DrawModeNormal);
    g.SetTintImages(false);
}

void Animator::Draw(Graphics& g, int x, int y)
{
    if (!image) {
        return;
    }
    BeginTint(g);
    g.DrawImageFrame(image, TruncToInt(float(x) + drawOffsetX), TruncToInt(float(y) + drawOffsetY), GetDrawFrame());
    EndTint(g);
}

void Animator::DrawAtF(Graphics& g, float x, float y, bool exact)
{
    if (!image) {
        return;
    }
    BeginTint(g);
    if (exact) {
        g.DrawImagePartF(image, x + drawOffsetX, y + drawOffsetY, FrameRect());
    } else {
        g.DrawImageFrame(image, TruncToInt(x + drawOffsetX), TruncToInt(y + drawOffsetY), GetDrawFrame());
    }
    EndTint(g);
}

void Animator::DrawStretched(Graphics& g, float x, float y, int w, int h)
{
    if (!image) {
        return;
    }
    BeginTint(g);
    g.StretchImageFrame(image, Rect(TruncToInt(x + drawOffsetX), TruncToInt(y + drawOffsetY), w, h), GetDrawFrame());
    EndTint(g);
}

void Animator::DrawScaled(Graphics& g, float x, float y, float scale)
{
    if (!image) {
        return;
    }
    BeginTint(g);
    Rect destination(TruncToInt(x + drawOffsetX), TruncToInt(y + drawOffsetY),
                     TruncToInt(float(image->GetFrameWidth()) * scale),
                     TruncToInt(float(image->GetFrameHeight()) * scale));
    g.StretchImageFrame(image, destination, GetDrawFrame());
    EndTint(g);
}

// The transform places the frame by itself: neither the draw offsets nor the tint apply.
void Animator::DrawTransformed(Graphics& g, float x, float y, float angle, float pivotX, float pivotY, float scaleX,
                               float scaleY)
{
    if (!image) {
        return;
    }
    Transform transform;
    transform.Rotate(angle);
    transform.Scale(scaleX, scaleY);
    transform.Translate(pivotX, pivotY);
    transform.Translate(x, y);
    g.DrawImagePartTransform(image, transform, FrameRect(), 0, 0);
}

void Animator::DrawTransformedUniform(Graphics& g, float x, float y, float angle, float pivotX, float pivotY,
                                      float scale)
{
    DrawTransformed(g, x, y, angle, pivotX, pivotY, scale, scale);
}

void Animator::DrawRotated(Graphics& g, float x, float y, float angle, bool exact, float centerX, float centerY)
{
    if (!image) {
        return;
    }
    Rect source = FrameRect();
    if (exact) {
        g.DrawImageRotatedF(image, x + drawOffsetX, y + drawOffsetY, angle, centerX, centerY, &source);
    } else {
        g.DrawImageRotatedAt(image, TruncToInt(x + drawOffsetX), TruncToInt(y + drawOffsetY), angle,
                             TruncToInt(centerX), TruncToInt(centerY), source);
    }
}

void Animator::DrawMirrored(Graphics& g, float x, float y, bool mirror)
{
    if (!image) {
        return;
    }
    g.DrawImagePartMirror(image, TruncToInt(x + drawOffsetX), TruncToInt(y + drawOffsetY), FrameRect(), mirror);
}

void Animator::DrawMirroredAt(Graphics& g, int x, int y, bool mirror)
{
    DrawMirrored(g, float(x), float(y), mirror);
}

} // namespace Tolm
