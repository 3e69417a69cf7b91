#include "diagnostics/DebugTrace.h"

#include "core/StringUtils.h"
#include "platform/DebugOutput.h"

#include <cstdarg>

void DebugTrace(const char* format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    std::string text = Tolm::FormatStringV(format, arguments);
    va_end(arguments);
    Platform::DebugOutput(text);
}
