// The parts of a crash report that can be written from inside a signal handler, before anything else
// of the crash path has run: no heap, no locks, no library formatting, only a fixed buffer and plain
// system calls. The full report is built from the same lines, so both read alike.
#pragma once

#include "platform/ExceptionFilter.h"

#include <cstddef>
#include <cstdint>

// Text in a buffer of fixed size that the text never leaves: nothing here allocates, so it may be
// written while the heap's lock is held. What does not fit is left out.
class SignalSafeText
{
public:
    SignalSafeText(const SignalSafeText&) = delete;
    SignalSafeText& operator=(const SignalSafeText&) = delete;

    void Append(const char* text);
    void Append(const char* text, size_t count);
    // At least minDigits digits, upper- or lower-case, without a prefix.
    void AppendHex(uint64_t value, int minDigits, bool upperCase = true);
    void AppendDecimal(int64_t value);
    // Puts the text in place of count characters from position; false, with nothing changed, when the
    // result would not fit.
    bool Replace(size_t position, size_t count, const char* text, size_t textLength);
    void Clear() { length = 0; }

    const char* Data() const { return buffer; }
    size_t Length() const { return length; }

protected:
    SignalSafeText(char* storage, size_t capacity) : buffer(storage), capacity(capacity) {}

private:
    char* buffer;
    size_t capacity;
    size_t length = 0;
};

// A SignalSafeText that holds its own buffer: in static storage for what outlives a stack, or on the
// signal stack for a line.
template <size_t Capacity>
class FixedText : public SignalSafeText
{
public:
    FixedText() : SignalSafeText(storage, Capacity) {}

private:
    char storage[Capacity];
};

// The name the exception table gives the code; null when it has none.
const char* ExceptionName(uint32_t code);
// "Exception: <name> (code 0x<code>) at address <address> in thread <id>", or "Unknown exception: ..."
// for a code without a name, and a line break.
void AppendExceptionLine(SignalSafeText& text, const Platform::ExceptionRecord& record, uint32_t threadId);
// The registers, one block of lines ending in an empty line.
void AppendRegisters(SignalSafeText& text, const Platform::ProcessorContext& context);
// The return addresses along the saved frame pointers, "<pc>  <frame>" a line, unnamed.
void AppendRawStack(SignalSafeText& text, const Platform::ProcessorContext& context);

// The caller's frames along the saved frame pointers, reading only the calling thread's stack.
class FrameChain
{
public:
    explicit FrameChain(const Platform::ProcessorContext& context);
    // The first call gives the context's own frame; false once the chain leaves the stack or runs too
    // deep to be one.
    bool Next(uintptr_t& programCounter, uintptr_t& framePointer);

private:
    uintptr_t pc;
    uintptr_t frame;
    int depth = 0;
};

// Creates or truncates the file and writes the bytes; false when it cannot.
bool WriteWholeFile(const char* path, const char* data, size_t length);
// To stderr, as much as it takes.
void WriteToStandardError(const char* data, size_t length);
