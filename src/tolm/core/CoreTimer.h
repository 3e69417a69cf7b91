// The core clock that animated objects read their time step from, the list of objects handed over for
// deletion at the next core tick, and the millisecond stopwatch.
//
// Core time counts logic updates of 10 ms (100 units are one second) and advances by the fractional
// steps of smooth updating. The application owns the counters; tolmTimer snapshots them once per frame
// so that every reader in one frame sees the same step.
#pragma once

#include "core/Singleton.h"

#include <cstdint>

// What the core clock reads from the application. The application installs itself (or an adapter);
// with none installed both read 0.
class CoreTimeSource
{
public:
    virtual ~CoreTimeSource() = default;
    virtual int GetUpdateCount() const = 0;
    virtual double GetCoreTime() const = 0;
};

// Not owned; null uninstalls.
void SetCoreTimeSource(CoreTimeSource* source);

class tolmTimer : public Singleton<tolmTimer>
{
public:
    tolmTimer();
    ~tolmTimer() override = default;

    // Moves the current snapshot to the previous one and takes a new one.
    void Update();

    int GetFlag() const { return flag; }
    int GetPreviousUpdateCount() const { return previousUpdateCount; }
    double GetPreviousCoreTime() const { return previousCoreTime; }
    int GetCurrentUpdateCount() const { return currentUpdateCount; }
    double GetCurrentCoreTime() const { return currentCoreTime; }

private:
    int flag = 1;
    int previousUpdateCount;
    double previousCoreTime;
    int currentUpdateCount;
    double currentCoreTime;
};

// The five core time callbacks; each reads the timer through tolmTimer::Instance.
bool AlwaysTrue();
// Seconds of the last core tick: the core time step x 0.01.
float CoreTickSeconds();
// Milliseconds of the whole updates in the last core tick.
int CoreTickMs();
// Milliseconds of all updates so far.
int CoreTotalMs();
int CoreTimerFlag();

// The global callback pointers, in this order, through which code below the application reads the
// core time. Null until InstallCoreTimeCallbacks.
struct CoreTimeCallbacks
{
    bool (*alwaysTrue)() = nullptr;
    float (*tickSeconds)() = nullptr;
    int (*tickMs)() = nullptr;
    int (*totalMs)() = nullptr;
    int (*timerFlag)() = nullptr;
};

const CoreTimeCallbacks& GetCoreTimeCallbacks();

// Stores the five callbacks, prepares the object list and creates the timer. Called first in the
// application's initialisation, on the main thread, so the timer never comes to life on the loading thread.
void InstallCoreTimeCallbacks();
// Once per frame: a new timer snapshot, then the handed-over objects are deleted.
void TickCore();
// Deletes the handed-over objects and the timer.
void ShutdownCore();

// Objects handed over to be deleted at the next core tick.
class CoreObject
{
public:
    virtual ~CoreObject() = default;
};

// The list lives for the whole program; what it still holds at exit is deleted then.
class CoreObjectList
{
public:
    // Takes ownership.
    static void Add(CoreObject* object);
    static void Init();
    static void Tick();
    static void Shutdown();

private:
    static void DeleteAll();
};

// A stopwatch in whole milliseconds on the high-resolution clock. A single step never counts more than
// 100 ms unless the speed factor is above 1, in which case it is multiplied instead.
struct MillisecondTimer
{
    int lastReading = 0;
    int totalMs = 0;
    int elapsedMs = 0;
    int speedFactor = 1;
    float totalSeconds = 0;
    float elapsedSeconds = 0;

    // Advances the stopwatch; returns the milliseconds counted for this step.
    int Update();

    // The program's stopwatch, started (and updated once) on first use.
    static MillisecondTimer& Program();
};

// Starts the millisecond clock at the platform clock's current reading.
void InitMillisecondClock();
