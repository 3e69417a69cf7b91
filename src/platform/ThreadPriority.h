// Raising the calling thread's scheduling priority for a short measurement. The system may refuse
// (raising needs a privilege an ordinary user lacks); the caller then simply runs at its own priority.
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

} // namespace Platform
