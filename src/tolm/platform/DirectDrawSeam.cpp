#include "platform/DirectDrawSeam.h"

#include "platform/DirectDraw.h"

#include <atomic>
#include <map>
#include <mutex>
#include <set>

namespace Platform::DirectDrawSeam {

namespace {

struct Failure
{
    int passing;
    HRESULT result;
};

struct SeamState
{
    std::mutex lock;
    std::map<std::string, Failure> failures;
    std::optional<DesktopOverride> desktop;
    bool videoMemoryGiven = false;
    uint32_t videoMemoryTotal = 0;
    uint32_t videoMemoryFree = 0;
    // Read on every call without the lock: most runs inject nothing.
    std::atomic<bool> anyFailure{false};
    std::set<IDirectDrawSurface7*> liveSurfaces;
    std::atomic<int> canaryViolations{0};
};

SeamState& State()
{
    static SeamState state;
    return state;
}

} // namespace

void FailCall(const std::string& name, HRESULT result, int passing)
{
    SeamState& state = State();
    std::lock_guard<std::mutex> guard(state.lock);
    state.failures[name] = {passing, result};
    state.anyFailure = true;
}

HRESULT Injected(const char* name)
{
    SeamState& state = State();
    if (!state.anyFailure.load(std::memory_order_relaxed)) {
        return DD_OK;
    }
    std::lock_guard<std::mutex> guard(state.lock);
    auto found = state.failures.find(name);
    if (found == state.failures.end()) {
        return DD_OK;
    }
    if (found->second.passing > 0) {
        --found->second.passing;
        return DD_OK;
    }
    HRESULT result = found->second.result;
    state.failures.erase(found);
    state.anyFailure = !state.failures.empty();
    return result;
}

void LoseAllSurfaces()
{
    SeamState& state = State();
    std::lock_guard<std::mutex> guard(state.lock);
    for (IDirectDrawSurface7* surface : state.liveSurfaces) {
        surface->MarkLost();
    }
}

int LiveSurfaceCount()
{
    SeamState& state = State();
    std::lock_guard<std::mutex> guard(state.lock);
    return int(state.liveSurfaces.size());
}

int CanaryViolations()
{
    return State().canaryViolations.load();
}

void SetDesktop(const DesktopOverride& desktop)
{
    SeamState& state = State();
    std::lock_guard<std::mutex> guard(state.lock);
    state.desktop = desktop;
}

std::optional<DesktopOverride> Desktop()
{
    SeamState& state = State();
    std::lock_guard<std::mutex> guard(state.lock);
    return state.desktop;
}

void SetVideoMemory(uint32_t total, uint32_t free)
{
    SeamState& state = State();
    std::lock_guard<std::mutex> guard(state.lock);
    state.videoMemoryGiven = true;
    state.videoMemoryTotal = total;
    state.videoMemoryFree = free;
}

bool VideoMemory(uint32_t& total, uint32_t& free)
{
    SeamState& state = State();
    std::lock_guard<std::mutex> guard(state.lock);
    total = state.videoMemoryTotal;
    free = state.videoMemoryFree;
    return state.videoMemoryGiven;
}

void Reset()
{
    SeamState& state = State();
    std::lock_guard<std::mutex> guard(state.lock);
    state.failures.clear();
    state.anyFailure = false;
    state.desktop.reset();
    state.videoMemoryGiven = false;
    state.canaryViolations = 0;
}

void NoteSurfaceMade(IDirectDrawSurface7* surface)
{
    SeamState& state = State();
    std::lock_guard<std::mutex> guard(state.lock);
    state.liveSurfaces.insert(surface);
}

void NoteSurfaceGone(IDirectDrawSurface7* surface)
{
    SeamState& state = State();
    std::lock_guard<std::mutex> guard(state.lock);
    state.liveSurfaces.erase(surface);
}

void NoteCanaryViolation()
{
    ++State().canaryViolations;
}

} // namespace Platform::DirectDrawSeam
