// Catches what goes to the debug output channel, one entry per write, for as long as it lives.
#pragma once

#include "platform/DebugOutput.h"

#include <string>
#include <vector>

class RecordedDebugOutput : public Platform::DebugOutputSink
{
public:
    RecordedDebugOutput() { Platform::SetDebugOutputSink(this); }
    ~RecordedDebugOutput() override { Platform::SetDebugOutputSink(nullptr); }
    RecordedDebugOutput(const RecordedDebugOutput&) = delete;
    RecordedDebugOutput& operator=(const RecordedDebugOutput&) = delete;

    void Write(const std::string& text) override { writes.push_back(text); }

    std::vector<std::string> writes;
};
