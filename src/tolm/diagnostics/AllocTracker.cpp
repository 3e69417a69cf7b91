#include "diagnostics/AllocTracker.h"

#include "core/StringUtils.h"
#include "platform/DebugOutput.h"

#include <cstdio>
#include <ctime>

bool reportLeaksOnExit = false;

namespace {

// The local time as asctime writes it, its own line end included.
std::string ReportTime()
{
    std::time_t now = std::time(nullptr);
    std::tm local{};
    char text[32] = {};
    localtime_r(&now, &local);
    asctime_r(&local, text);
    return text;
}

void WriteText(std::FILE* file, const std::string& text)
{
    std::fwrite(text.data(), 1, text.size(), file);
}

} // namespace

AllocTracker::AllocTracker() : alive(true) {}

AllocTracker::~AllocTracker()
{
    Shutdown();
}

void AllocTracker::Shutdown()
{
    if (reportLeaksOnExit) {
        WriteLeakReport();
    }
    alive = false;
}

void AllocTracker::AddRecord(const void* address, int size, const char* file, int line)
{
    std::lock_guard<std::mutex> guard(lock);
    records[reinterpret_cast<uintptr_t>(address)] = {size, file, line};
}

void AllocTracker::RemoveRecord(const void* address)
{
    std::lock_guard<std::mutex> guard(lock);
    records.erase(reinterpret_cast<uintptr_t>(address));
}

void AllocTracker::WriteLeakReport()
{
    if (!alive) {
        return;
    }
    std::lock_guard<std::mutex> guard(lock);
    std::FILE* file = std::fopen("mem_leaks.txt", "wt");
    if (!file) {
        return;
    }
    std::string header = Tolm::FormatString("Memory Leak Report for %s\n", ReportTime().c_str());
    WriteText(file, header);
    Platform::DebugOutput("\n");
    Platform::DebugOutput(header);
    int total = 0;
    for (const auto& [address, record] : records) {
        std::string line = Tolm::FormatString("%s(%d) : Leak %d byte%s\n", record.file.c_str(), record.line,
                                              record.size, record.size > 1 ? "s" : "");
        Platform::DebugOutput(line);
        WriteText(file, line);
        total += record.size;
    }
    std::string rule = std::string(59, '-') + "\n";
    WriteText(file, rule);
    Platform::DebugOutput(rule);
    std::string totals = Tolm::FormatString("Total Unfreed: %d bytes (%dKB)\n\n", total, total / 1024);
    Platform::DebugOutput(totals);
    WriteText(file, totals);
    // Closed here rather than left to the end of the process, which an abrupt exit never reaches.
    std::fclose(file);
}

AllocTracker& GetAllocTracker()
{
    static AllocTracker tracker;
    return tracker;
}
