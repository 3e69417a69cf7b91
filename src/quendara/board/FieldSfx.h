// The board's sounds: played at once, or queued to play after a delay so that a sound lands with the
// animation it belongs to (the board's appear waits out its hold).
#pragma once

#include <list>
#include <string>

class FieldSfx
{
public:
    virtual ~FieldSfx() = default;

    // Plays the sound of the resource id at once.
    static void PlaySound(const std::string& id);
    // Plays at once when the delay (seconds) is not above 0; else the sound waits its turn.
    void QueueSound(const std::string& id, float delay);
    // Once per fixed update: every waiting sound comes 10 ms closer, and those due play, in queue order.
    void Step();
    bool HasQueuedSounds() const { return !queue.empty(); }

private:
    struct QueuedSound
    {
        std::string id;
        float delay;
    };

    // Nothing clears the queue but playing: the sounds outlast hiding and showing the board.
    std::list<QueuedSound> queue;
};
