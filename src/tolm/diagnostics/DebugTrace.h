// printf-style lines for a developer watching the debug output channel (stderr, or the sink a test
// installs); the display traces its set-up with it.
#pragma once

// Formats the text and sends it to the debug output in one write, so that lines of several threads
// never interleave.
void DebugTrace(const char* format, ...) __attribute__((format(printf, 1, 2)));
