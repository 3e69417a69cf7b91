// A callback that counts how often it runs and how often it is deleted, for tests of the rule that a
// callback's owner runs it at most once and deletes it exactly once. Clones share the counts.
#pragma once

#include "core/Callback.h"

#include <functional>
#include <utility>

class CountedCallback : public baseCallback
{
public:
    CountedCallback(int& invoked, int& deleted, std::function<void()> action = {})
        : invoked(invoked), deleted(deleted), action(std::move(action))
    {}
    ~CountedCallback() override { ++deleted; }

    int Invoke() override
    {
        ++invoked;
        if (action) {
            action();
        }
        return 0;
    }
    baseCallback* Clone() override { return new CountedCallback(invoked, deleted, action); }

    int& invoked;
    int& deleted;
    std::function<void()> action;
};
