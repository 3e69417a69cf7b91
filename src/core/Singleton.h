// The base of the game's one-of-a-kind objects. Constructing the object registers it as the class's
// instance and destroying it clears the registration, so after a delete the getter builds a fresh one.
// Not thread-safe: an instance is created and deleted on one thread at a time.
#pragma once

template <typename T>
class Singleton
{
public:
    // The registered instance, created on first use.
    static T* Instance()
    {
        if (!instance) {
            new T();
        }
        return RegisteredInstance();
    }

    // The registered instance, or null; never creates one.
    static T* RegisteredInstance() { return static_cast<T*>(instance); }

    Singleton(const Singleton&) = delete;
    Singleton& operator=(const Singleton&) = delete;

protected:
    Singleton() { instance = this; }

    // Only the registered object clears the registration, so deleting a stray second object cannot
    // orphan the live one.
    virtual ~Singleton()
    {
        if (instance == this) {
            instance = nullptr;
        }
    }

private:
    // Kept as the base type: the object is only a T once its constructor has finished.
    inline static Singleton* instance = nullptr;
};
