#include "diagnostics/CrashReportLines.h"

#include "platform/ThreadStack.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

struct ExceptionNameEntry
{
    uint32_t code;
    const char* name;
};

// Searched in this order.
constexpr ExceptionNameEntry kExceptionNames[] = {
    {0x40000005, "Segment Notification"},
    {0x80000003, "Breakpoint"},
    {0x80000004, "Single step"},
    {0x00000000, "Wait 0"},
    {0x00000080, "Abandoned Wait 0"},
    {0x000000C0, "User APC"},
    {0x00000102, "Timeout"},
    {0x00000103, "Pending"},
    {0x80000001, "Guard Page Violation"},
    {0x80000002, "Data Type Misalignment"},
    {0xC0000005, "Access Violation"},
    {0xC0000006, "In Page Error"},
    {0xC0000017, "No Memory"},
    {0xC000001D, "Illegal Instruction"},
    {0xC0000025, "Noncontinuable Exception"},
    {0xC0000026, "Invalid Disposition"},
    {0xC000008C, "Array Bounds Exceeded"},
    {0xC000008D, "Float Denormal Operand"},
    {0xC000008E, "Divide by Zero"},
    {0xC000008F, "Float Inexact Result"},
    {0xC0000090, "Float Invalid Operation"},
    {0xC0000091, "Float Overflow"},
    {0xC0000092, "Float Stack Check"},
    {0xC0000093, "Float Underflow"},
    {0xC0000094, "Integer Divide by Zero"},
    {0xC0000095, "Integer Overflow"},
    {0xC0000096, "Privileged Instruction"},
    {0xC00000FD, "Stack Overflow"},
    {0xC000013A, "Ctrl+C Exit"},
};

// A chain longer than this has run into something that is not a stack.
constexpr int kMaxChainFrames = 256;
// Addresses are written with at least this many digits, as wide as a 32-bit one.
constexpr int kAddressDigits = 8;
constexpr int kRegisterDigits = 16;

using Platform::Register;

struct RegisterLine
{
    const char* names[8];
    Register registers[8];
    int count;
    int digits;
};

// As the processor's manual groups them; two blanks before the frame pointer keep it apart.
constexpr RegisterLine kRegisterLines[] = {
    {{"RAX:", " RBX:", " RCX:", " RDX:", " RSI:", " RDI:"},
     {Register::Rax, Register::Rbx, Register::Rcx, Register::Rdx, Register::Rsi, Register::Rdi},
     6,
     kRegisterDigits},
    {{"R8:", " R9:", " R10:", " R11:", " R12:", " R13:", " R14:", " R15:"},
     {Register::R8, Register::R9, Register::R10, Register::R11, Register::R12, Register::R13, Register::R14,
      Register::R15},
     8,
     kRegisterDigits},
    {{"RIP:", " RSP:", "  RBP:"}, {Register::Rip, Register::Rsp, Register::Rbp}, 3, kRegisterDigits},
    {{"CS:", " SS:", " FS:", " GS:"}, {Register::Cs, Register::Ss, Register::Fs, Register::Gs}, 4, 4},
    {{"Flags:"}, {Register::Flags}, 1, 8},
};

} // namespace

void SignalSafeText::Append(const char* text)
{
    while (*text && length < capacity) {
        buffer[length++] = *text++;
    }
}

void SignalSafeText::Append(const char* text, size_t count)
{
    count = count < capacity - length ? count : capacity - length;
    std::memcpy(buffer + length, text, count);
    length += count;
}

void SignalSafeText::AppendDecimal(int64_t value)
{
    char text[21];
    size_t start = sizeof text;
    uint64_t magnitude = value < 0 ? 0 - uint64_t(value) : uint64_t(value);
    do {
        text[--start] = char('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    if (value < 0) {
        Append("-");
    }
    Append(text + start, sizeof text - start);
}

bool SignalSafeText::Replace(size_t position, size_t count, const char* text, size_t textLength)
{
    if (position > length || count > length - position || length - count > capacity - textLength ||
        textLength > capacity) {
        return false;
    }
    std::memmove(buffer + position + textLength, buffer + position + count, length - position - count);
    std::memcpy(buffer + position, text, textLength);
    length = length - count + textLength;
    return true;
}

void SignalSafeText::AppendHex(uint64_t value, int minDigits, bool upperCase)
{
    const char* digits = upperCase ? "0123456789ABCDEF" : "0123456789abcdef";
    char text[17];
    int count = 0;
    do {
        text[15 - count++] = digits[value & 0xF];
        value >>= 4;
    } while ((value != 0 || count < minDigits) && count < 16);
    text[16] = '\0';
    Append(text + 16 - count);
}

const char* ExceptionName(uint32_t code)
{
    for (const ExceptionNameEntry& entry : kExceptionNames) {
        if (entry.code == code) {
            return entry.name;
        }
    }
    return nullptr;
}

void AppendExceptionLine(SignalSafeText& text, const Platform::ExceptionRecord& record, uint32_t threadId)
{
    if (const char* name = ExceptionName(record.code)) {
        text.Append("Exception: ");
        text.Append(name);
        text.Append(" (code 0x");
    } else {
        text.Append("Unknown exception: (code 0x");
    }
    text.AppendHex(record.code, 1, false);
    text.Append(") at address ");
    text.AppendHex(record.address, kAddressDigits);
    text.Append(" in thread ");
    text.AppendHex(threadId, 1);
    text.Append("\r\n");
}

void AppendRegisters(SignalSafeText& text, const Platform::ProcessorContext& context)
{
    for (const RegisterLine& line : kRegisterLines) {
        for (int i = 0; i < line.count; ++i) {
            text.Append(line.names[i]);
            text.AppendHex(context.Read(line.registers[i]), line.digits);
        }
        text.Append("\r\n");
    }
    text.Append("\r\n");
}

void AppendRawStack(SignalSafeText& text, const Platform::ProcessorContext& context)
{
    FrameChain chain(context);
    uintptr_t pc = 0;
    uintptr_t frame = 0;
    while (chain.Next(pc, frame)) {
        text.AppendHex(pc, kAddressDigits);
        text.Append("  ");
        text.AppendHex(frame, kAddressDigits);
        text.Append("\r\n");
    }
    text.Append("\r\n");
}

FrameChain::FrameChain(const Platform::ProcessorContext& context)
    : pc(context.ProgramCounter()), frame(context.FramePointer())
{}

bool FrameChain::Next(uintptr_t& programCounter, uintptr_t& framePointer)
{
    if (depth >= kMaxChainFrames) {
        return false;
    }
    if (depth > 0) {
        // A frame holds the caller's frame pointer, then the return address into the caller.
        uintptr_t link[2] = {};
        uintptr_t caller = 0;
        if (Platform::ReadStackWords(frame, link, 2)) {
            caller = link[0];
        }
        if (caller == 0 || caller % sizeof(uintptr_t) != 0 || caller <= frame ||
            !Platform::CurrentThreadStack().Contains(caller, sizeof link)) {
            depth = kMaxChainFrames;
            return false;
        }
        pc = link[1];
        frame = caller;
    }
    ++depth;
    programCounter = pc;
    framePointer = frame;
    return true;
}

bool WriteWholeFile(const char* path, const char* data, size_t length)
{
    int file = open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (file < 0) {
        return false;
    }
    bool written = true;
    while (length > 0) {
        ssize_t count = write(file, data, length);
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count <= 0) {
            written = false;
            break;
        }
        data += count;
        length -= size_t(count);
    }
    return close(file) == 0 && written;
}

void WriteToStandardError(const char* data, size_t length)
{
    while (length > 0) {
        ssize_t count = write(STDERR_FILENO, data, length);
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count <= 0) {
            return;
        }
        data += count;
        length -= size_t(count);
    }
}
