// Animated objects compose their behaviour from modules (tweens, delays, callbacks) in an ordered list
// that the object owns and steps once per frame. Modules in the list run side by side; a module whose
// step answers kHoldRest holds back every module after it, which turns the list into a sequence.
#pragma once

#include <list>

class baseObject;

class baseModule
{
public:
    baseModule() = default;
    baseModule(const baseModule&) = delete;
    baseModule& operator=(const baseModule&) = delete;
    virtual ~baseModule() = default;

    // The object whose list holds this module; null until the module is added to one.
    baseObject* owner = nullptr;
};

class mutBase : public baseModule
{
public:
    // Step results. Any other value counts as kContinue.
    static constexpr int kContinue = 0;
    // Finished: the module is deleted and the pass goes on.
    static constexpr int kFinished = -1;
    // Kept, and the modules after it wait for the next pass.
    static constexpr int kHoldRest = -2;

    // False removes and deletes the module before its first step.
    virtual bool Start() { return true; }
    virtual int Step() { return kFinished; }
    virtual mutBase* Clone() = 0;

    // Set once Start has succeeded.
    bool started = false;
};

class baseObject : public baseModule
{
public:
    baseObject() = default;
    // Deletes every module still in the list.
    ~baseObject() override;

    // One pass over the list, front to back. Owners call it from their per-frame step.
    virtual void UpdateModules();

    // Takes ownership. A module added at the end during a pass is reached in that same pass.
    void AddModule(mutBase* module, bool atFront);
    // The first module of the list; null when it is empty.
    mutBase* FirstModule() const;
    // Deletes every module. Allowed from inside a module's own start or step: that module is deleted
    // once it returns.
    void ClearModules();

private:
    // Emptied entries (null) are removed by the next pass.
    std::list<mutBase*> modules;
    bool inPass = false;
    // The module whose start or step is running, and whether the list dropped it meanwhile.
    mutBase* running = nullptr;
    bool runningDropped = false;
};
