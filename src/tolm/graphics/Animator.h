// Plays the frames of a grid-split image: the current frame advances once per game update by per-frame
// delays, forward, backward or ping-pong, over a frame range or in random order, with limits on loops
// and updates; the frame is drawn through the drawing context in several ways, optionally tinted.
#pragma once

#include "graphics/Color.h"
#include "graphics/Rect.h"

#include <vector>

namespace Tolm {

class Graphics;
class Image;

class Animator
{
public:
    // Counts every update since construction; frames change when it is a multiple of the delay.
    int tickCount = 0;
    int currentFrame = 0;
    int frameCount = 1;
    // Updates per frame.
    int defaultDelay = 1;
    // When not empty and there is more than one frame, entry i is the delay of frame i.
    std::vector<int> frameDelays;
    // 0 for no limit.
    int maxLoops = 0;
    int loopCount = 0;
    // The frames rangeStart .. rangeEnd - 1.
    int rangeStart = 0;
    int rangeEnd = 0;
    bool rangeActive = false;
    // Below 0 plays backwards.
    int direction = 1;
    // -1 for no limit.
    int maxUpdates = -1;
    int updateCount = -1;
    bool stopped = false;
    bool finished = false;
    bool pingPong = false;
    bool goingBack = true;
    bool frameChanged = true;
    bool tintOn = false;
    Color tintColor;
    bool randomOrder = false;
    // The frames not yet shown in this loop of the random order.
    std::vector<int> randomPool;
    // Added to every draw position; owners set them, for example to centre a frame.
    float drawOffsetX = 0;
    float drawOffsetY = 0;
    // Not owned.
    Image* image = nullptr;

    Animator();
    Animator(const Animator&) = delete;
    Animator& operator=(const Animator&) = delete;
    virtual ~Animator();

    // Called once per game update.
    virtual void Update();
    virtual void SetStopped(bool on);
    virtual void Reset();
    virtual void Restart();
    virtual void SetFrameRange(int first, int end);
    virtual void SetDirection(int newDirection, bool jumpToStart);
    virtual int GetDirection() const;
    virtual void SetMaxUpdates(int count);
    virtual void SetTint(int red, int green, int blue, int alpha);
    virtual void ClearTint();
    virtual void SetFrameCount(int count);
    // Takes the image's frame count and its animation description; null clears the image.
    virtual void SetImage(Image* newImage);
    virtual void DrawAtF(Graphics& g, float x, float y, bool exact);
    virtual void Draw(Graphics& g, int x, int y);
    virtual void DrawStretched(Graphics& g, float x, float y, int w, int h);
    virtual void DrawScaled(Graphics& g, float x, float y, float scale);
    virtual void DrawTransformed(Graphics& g, float x, float y, float angle, float pivotX, float pivotY, float scaleX,
                                 float scaleY);
    virtual void DrawTransformedUniform(Graphics& g, float x, float y, float angle, float pivotX, float pivotY,
                                        float scale);
    virtual void DrawRotated(Graphics& g, float x, float y, float angle, bool exact, float centerX, float centerY);
    virtual void DrawMirrored(Graphics& g, float x, float y, bool mirror);
    virtual void DrawMirroredAt(Graphics& g, int x, int y, bool mirror);
    virtual void SetRandomOrder(bool on);
    virtual void SetMaxLoops(int count);
    virtual void SetFrame(int frame);
    virtual void SetRandomFrame();
    virtual void SetFrameDelay(int delay, int index);
    virtual void SetAllFrameDelays(int delay);
    // The frame-changed flag, cleared by the call.
    virtual bool TakeFrameChanged();
    virtual void Assign(const Animator& other);

    // The frame the draws show: frame 0 while there is only one.
    int GetDrawFrame() const { return frameCount == 1 ? 0 : currentFrame; }

private:
    int CurrentDelay() const;
    void StepRandom();
    void StepPingPong(int low, int high);
    void StepForward(int high);
    void StepBackward(int low, int high);
    // One more loop; the last allowed loop stops and finishes the animation.
    bool CountLoop();
    Rect FrameRect() const;
    void BeginTint(Graphics& g) const;
    void EndTint(Graphics& g) const;
};

} // namespace Tolm
