// A lock that the thread holding it may take again, as the display and the font renderer expect when
// a locked operation calls another one.
#pragma once

#include <mutex>

namespace Tolm {

class CriticalSection
{
public:
    CriticalSection() = default;
    CriticalSection(const CriticalSection&) = delete;
    CriticalSection& operator=(const CriticalSection&) = delete;

    void Lock() { mutex.lock(); }
    void Unlock() { mutex.unlock(); }

private:
    std::recursive_mutex mutex;
};

// Holds a critical section for the life of a scope.
class CriticalSectionGuard
{
public:
    explicit CriticalSectionGuard(CriticalSection& section) : section(section) { section.Lock(); }
    ~CriticalSectionGuard() { section.Unlock(); }
    CriticalSectionGuard(const CriticalSectionGuard&) = delete;
    CriticalSectionGuard& operator=(const CriticalSectionGuard&) = delete;

private:
    CriticalSection& section;
};

} // namespace Tolm
