// The calling thread's scheduling priority: raised for a short measurement, or lowered for background
// work. The system may refuse to raise it (that needs a privilege an ordinary user lacks); the caller
// then simply runs at its own priority. Lowering is always allowed, but cannot be undone without it.
#pragma once

namespace Platform {

// The calling thread at a higher priority for the life of the object; its own priority afterwards.
class RaisedThreadPriority
{
public:
    RaisedThreadPriority();
    ~RaisedThreadPriority();
    RaisedThreadPriority(const RaisedThreadPriority&) = delete;
    RaisedThreadPriority& operator=(const RaisedThreadPriority&) = delete;

private:
    int previousNice;
    bool known;
};

// The calling thread one step below its priority for the rest of its life, so that the threads that
// keep the program answering (drawing, input) get the processor first when both want it.
void LowerCallingThreadPriority();

} // namespace Platform
