#include "platform/ThreadStack.h"

#include <cstdint>
#include <pthread.h>

namespace Platform {

namespace {

StackBounds QueryStack()
{
    StackBounds bounds;
    pthread_attr_t attributes;
    if (pthread_getattr_np(pthread_self(), &attributes) != 0) {
        return bounds;
    }
    void* base = nullptr;
    size_t size = 0;
    if (pthread_attr_getstack(&attributes, &base, &size) == 0) {
        bounds.low = reinterpret_cast<uintptr_t>(base);
        bounds.high = bounds.low + size;
    }
    pthread_attr_destroy(&attributes);
    return bounds;
}

} // namespace

// Word by word through a volatile pointer, so that no library copy, which a sanitizer would check,
// takes its place.
__attribute__((no_sanitize("address"))) bool ReadStackWords(uintptr_t address, uintptr_t* words, size_t count)
{
    if (count > SIZE_MAX / sizeof(uintptr_t) || !CurrentThreadStack().Contains(address, count * sizeof(uintptr_t))) {
        return false;
    }
    const volatile uintptr_t* stack = reinterpret_cast<const volatile uintptr_t*>(address);
    for (size_t i = 0; i < count; ++i) {
        words[i] = stack[i];
    }
    return true;
}

StackBounds CurrentThreadStack()
{
    thread_local StackBounds bounds = QueryStack();
    return bounds;
}

void RememberThreadStack()
{
    CurrentThreadStack();
}

} // namespace Platform
