#include "core/Module.h"

baseObject::~baseObject()
{
    for (mutBase* module : modules) {
        delete module;
    }
}

void baseObject::AddModule(mutBase* module, bool atFront)
{
    module->owner = this;
    if (atFront) {
        modules.push_front(module);
    } else {
        modules.push_back(module);
    }
}

mutBase* baseObject::FirstModule() const
{
    for (mutBase* module : modules) {
        if (module) {
            return module;
        }
    }
    return nullptr;
}

void baseObject::ClearModules()
{
    if (!inPass) {
        for (mutBase* module : modules) {
            delete module;
        }
        modules.clear();
        return;
    }
    for (mutBase*& module : modules) {
        if (module == running) {
            runningDropped = true;
        } else {
            delete module;
        }
        module = nullptr;
    }
}

void baseObject::UpdateModules()
{
    inPass = true;
    for (auto entry = modules.begin(); entry != modules.end();) {
        mutBase* module = *entry;
        if (!module) {
            entry = modules.erase(entry);
            continue;
        }
        running = module;
        runningDropped = false;
        bool keep = module->started || module->Start();
        module->started = keep;
        int result = keep && !runningDropped ? module->Step() : mutBase::kFinished;
        running = nullptr;
        if (runningDropped || !keep || result == mutBase::kFinished) {
            delete module;
            entry = modules.erase(entry);
            continue;
        }
        if (result == mutBase::kHoldRest) {
            break;
        }
        ++entry;
    }
    inPass = false;
}
