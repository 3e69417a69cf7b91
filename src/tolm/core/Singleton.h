// The base of the game's one-of-a-kind objects. Constructing the object registers it as the class's
// instance and destroying it clears the registration, so after a delete the getter builds a fresh one.
// Not thread-safe: an instance is created and deleted on one thread at a time.
#pragma once

// What any singleton can be asked without knowing its class.
class SingletonRegistration
{
public:
    // The object stops being its class's instance (when it is that): the next getter call builds a
    // fresh one, while this object lives on until its owner deletes it.
    virtual void Unregister() = 0;

protected:
    virtual ~SingletonRegistration() = default;
};

template <typename T>
class Singleton : public SingletonRegistration
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

    void Unregister() override
    {
        if (instance == this) {
            instance = nullptr;
        }
    }

protected:
    Singleton() { instance = this; }

    // Only the registered object clears the registration, so deleting a stray second object cannot
    // orphan the live one.
    ~Singleton() override
    {
        if (instance == this) {
            instance = nullptr;
        }
    }

private:
    // Kept as the base type: the object is only a T once its constructor has finished.
    inline static Singleton* instance = nullptr;
};
