// The debugger output channel: diagnostic lines ("Resource Loading Time: ...", the statistics at exit)
// go to stderr. QUENDARA_DEBUG_OUTPUT=0 silences them; tests install a sink to read them.
#pragma once

#include <string>

namespace Platform {

class DebugOutputSink
{
public:
    virtual ~DebugOutputSink() = default;
    virtual void Write(const std::string& text) = 0;
};

// Not owned; null puts stderr back. Any thread may write; the sink is swapped only while none does.
void SetDebugOutputSink(DebugOutputSink* sink);
// The text as given, line ends included.
void DebugOutput(const std::string& text);

} // namespace Platform
