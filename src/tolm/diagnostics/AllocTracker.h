// The table of live allocations, each with its size and the source line that made it, and the leak
// report "mem_leaks.txt" that lists what is still in it when the program ends. Nothing in the program
// records allocations or asks for the report: a developer hunting a leak records them with AddRecord
// and RemoveRecord around the allocations in question and sets reportLeaksOnExit.
#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <string>

struct AllocRecord
{
    int size;
    std::string file;
    int line;
};

// Write the leak report when the process's tracker goes at exit.
extern bool reportLeaksOnExit;

class AllocTracker
{
public:
    AllocTracker();
    // Writes the leak report first when reportLeaksOnExit is set.
    ~AllocTracker();
    AllocTracker(const AllocTracker&) = delete;
    AllocTracker& operator=(const AllocTracker&) = delete;

    void AddRecord(const void* address, int size, const char* file, int line);
    void RemoveRecord(const void* address);
    // "mem_leaks.txt" in the current folder, and the same lines on the debug output.
    void WriteLeakReport();

private:
    void Shutdown();

    std::map<uintptr_t, AllocRecord> records;
    // Held for the whole report; whatever adds or removes records takes it too.
    std::mutex lock;
    bool alive = false;
};

// The process's tracker, created on first use and shut down at exit.
AllocTracker& GetAllocTracker();
