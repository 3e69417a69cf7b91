// The demo event stream: what enters the program from outside, written into demoBuffer while a demo
// is recorded and taken from it while one plays back. Every event carries the update count it
// happened at, as a 4-bit delta from the event before (fillers bridge longer gaps), then a kind bit
// and a command: short events (1-bit command) are the frequent mouse moves and buttons, long events
// (5-bit command) everything else. All fields are packed least significant bit first.
//
// Playback never lets the logic pass a recorded event: input events are carried out by PlayDemoEvents
// at their update, and the demo-aware operations take their own events where they run, in the order
// they were recorded.
#include "app/DemoEvents.h"
#include "app/TolmAppBase.h"
#include "core/PakInterface.h"
#include "platform/ExceptionFilter.h"
#include "platform/Window.h"
#include "platform/WindowMessages.h"
#include "widgets/WidgetManager.h"

#include <algorithm>

namespace Tolm {

using namespace Platform;

namespace {

constexpr int kMaxDelta = 15;
// Relative moves carry 6 signed bits.
constexpr int kMaxRelativeMove = 31;
// Absolute positions carry 12 bits, read back sign-extended.
constexpr int kMinAbsolute = -2048;
constexpr int kMaxAbsolute = 2047;
// A header is 4 delta bits, the kind bit and 1 or 5 command bits.
constexpr int kShortHeaderBits = 6;
constexpr int kLongHeaderBits = 10;

bool IsRecordedMouseMessage(uint32_t message)
{
    return message >= WM_MOUSEMOVE && message <= WM_MBUTTONUP;
}

} // namespace

void TolmAppBase::RecordDemoEventHeader()
{
    // Said before the demo is looked at, and a crash's claim looked at after: one of the two sides
    // always sees the other.
    demoRecordedInStep = true;
    if (demoTakenForCrash && !Platform::IsFaultingThread()) {
        Platform::ParkThread();
    }
    int delta = updateCount - demoNextEventUpdate;
    while (delta > kMaxDelta) {
        demoBuffer.WriteBits(kMaxDelta, 4);
        demoBuffer.WriteBits(0, 1);
        demoBuffer.WriteBits(DemoEvent::kFiller, 5);
        delta -= kMaxDelta;
    }
    demoBuffer.WriteBits(delta, 4);
    demoNextEventUpdate = updateCount;
}

void TolmAppBase::RecordDemoLongEvent(int command)
{
    RecordDemoEventHeader();
    demoBuffer.WriteBits(0, 1);
    demoBuffer.WriteBits(command, 5);
}

void TolmAppBase::RecordDemoShortEvent(int command)
{
    RecordDemoEventHeader();
    demoBuffer.WriteBits(1, 1);
    demoBuffer.WriteBits(command, 1);
}

bool TolmAppBase::ReadDemoEventHeader()
{
    if (demoNeedHeader) {
        demoNextEventUpdate += demoBuffer.ReadBits(4, false);
        demoShortEvent = demoBuffer.ReadBits(1, false) != 0;
        demoCommand = demoBuffer.ReadBits(demoShortEvent ? 1 : 5, false);
        demoNeedHeader = false;
    }
    return demoNextEventUpdate == updateCount;
}

void TolmAppBase::TakeDemoEvent()
{
    ReadDemoEventHeader();
    demoNeedHeader = true;
}

void TolmAppBase::RecordDemoMessage(const Message& message)
{
    bool fromOurWindow =
        message.window == MainWindowHandle() || (invisibleWindow && message.window == invisibleWindow->Handle());
    switch (message.message) {
    case WM_SIZE:
        RecordDemoLongEvent(DemoEvent::kMinimize);
        demoBuffer.WriteBool(message.wParam == SIZE_MINIMIZED);
        break;
    case WM_CLOSE:
        if (fromOurWindow) {
            RecordDemoLongEvent(DemoEvent::kQuit);
        }
        break;
    case WM_ACTIVATEAPP:
        if (message.window == MainWindowHandle()) {
            RecordDemoLongEvent(DemoEvent::kActivate);
            demoBuffer.WriteBits(message.wParam != 0 ? 1 : 0, 1);
        }
        break;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        RecordDemoLongEvent(DemoEvent::kKeyDown);
        demoBuffer.WriteBits(int(message.wParam), 8);
        break;
    case WM_KEYUP:
    case WM_SYSKEYUP:
        RecordDemoLongEvent(DemoEvent::kKeyUp);
        demoBuffer.WriteBits(int(message.wParam), 8);
        break;
    case WM_CHAR:
        RecordDemoLongEvent(DemoEvent::kChar);
        demoBuffer.WriteBits(0, 1);
        demoBuffer.WriteBits(int(message.wParam), 8);
        break;
    case WM_MOUSEWHEEL:
        RecordDemoLongEvent(DemoEvent::kWheel);
        demoBuffer.WriteBits(HighWordSigned(uint32_t(message.wParam)) / WHEEL_DELTA, 8);
        break;
    default:
        if (IsRecordedMouseMessage(message.message)) {
            RecordDemoMousePosition(LowWordSigned(uint32_t(message.lParam)), HighWordSigned(uint32_t(message.lParam)));
            if (message.message != WM_MOUSEMOVE) {
                bool down = message.message == WM_LBUTTONDOWN || message.message == WM_LBUTTONDBLCLK ||
                            message.message == WM_RBUTTONDOWN || message.message == WM_RBUTTONDBLCLK ||
                            message.message == WM_MBUTTONDOWN;
                RecordDemoShortEvent(DemoEvent::kMouseButton);
                demoBuffer.WriteBits(down ? 1 : 0, 1);
                demoBuffer.WriteBits(MouseClickCode(message.message), 3);
            }
        }
        break;
    }
}

void TolmAppBase::RecordDemoMousePosition(int x, int y)
{
    // A drag captured outside the window can reach any coordinate; 12 bits hold what a replay can
    // sign-extend again.
    x = std::clamp(x, kMinAbsolute, kMaxAbsolute);
    y = std::clamp(y, kMinAbsolute, kMaxAbsolute);
    int dx = x - demoMouseX;
    int dy = y - demoMouseY;
    if (std::abs(dx) > kMaxRelativeMove || std::abs(dy) > kMaxRelativeMove) {
        RecordDemoLongEvent(DemoEvent::kMouseAt);
        demoBuffer.WriteBits(x, 12);
        demoBuffer.WriteBits(y, 12);
    } else if (dx != 0 || dy != 0) {
        RecordDemoShortEvent(DemoEvent::kMouseMove);
        demoBuffer.WriteBits(dx, 6);
        demoBuffer.WriteBits(dy, 6);
    }
    demoMouseX = x;
    demoMouseY = y;
}

void TolmAppBase::PlayDemoEvents()
{
    if (!playingDemo) {
        return;
    }
    while (!shutDown) {
        if (updateCount != demoNextEventUpdate || !DemoHeaderAvailable()) {
            return;
        }
        if (!ReadDemoEventHeader() || IsDemoOperationResult()) {
            return;
        }
        demoNeedHeader = true;
        PlayDemoEvent();
    }
}

// The result of a file, registry, synchronised or transfer operation stays pending for that operation,
// which takes it where it runs: the loading's completion, say, reads the registry in the update that
// replays the loading-done event.
bool TolmAppBase::IsDemoOperationResult() const
{
    if (demoShortEvent) {
        return false;
    }
    switch (demoCommand) {
    case DemoEvent::kRegistryRead:
    case DemoEvent::kRegistryWrite:
    case DemoEvent::kFileExists:
    case DemoEvent::kFileRead:
    case DemoEvent::kHttpStatus:
    case DemoEvent::kSyncBlock:
        return true;
    default:
        return false;
    }
}

// The zero bits that pad the stream to whole bytes would read as a long header with command 0; a
// header that does not fit in what is left is the end of the stream.
bool TolmAppBase::DemoHeaderAvailable()
{
    if (!demoNeedHeader) {
        return true;
    }
    int64_t left = demoBuffer.BitsLeft();
    if (left < kShortHeaderBits) {
        return false;
    }
    int64_t start = demoBuffer.GetReadPosition();
    demoBuffer.ReadBits(4, false);
    bool isShort = demoBuffer.ReadBits(1, false) != 0;
    demoBuffer.SetReadPosition(start);
    return isShort || left >= kLongHeaderBits;
}

void TolmAppBase::PlayDemoEvent()
{
    if (demoShortEvent) {
        if (demoCommand == DemoEvent::kMouseMove) {
            int dx = demoBuffer.ReadBits(6, true);
            int dy = demoBuffer.ReadBits(6, true);
            demoMouseX += dx;
            demoMouseY += dy;
            widgetManager->MouseMove(demoMouseX, demoMouseY);
        } else {
            bool down = demoBuffer.ReadBits(1, false) != 0;
            int clickCount = demoBuffer.ReadBits(3, true);
            // As the live handling of a button message does, the position goes first.
            widgetManager->MouseMove(demoMouseX, demoMouseY);
            if (down) {
                widgetManager->MouseDown(demoMouseX, demoMouseY, clickCount);
            } else {
                widgetManager->MouseUp(demoMouseX, demoMouseY, clickCount);
            }
        }
        return;
    }
    switch (demoCommand) {
    case DemoEvent::kMouseAt:
        demoMouseX = demoBuffer.ReadBits(12, true);
        demoMouseY = demoBuffer.ReadBits(12, true);
        widgetManager->MouseMove(demoMouseX, demoMouseY);
        break;
    case DemoEvent::kActivate:
        PlayDemoActivation(demoBuffer.ReadBits(1, false) != 0);
        break;
    case DemoEvent::kMinimize:
        PlayDemoMinimize(demoBuffer.ReadBool());
        break;
    case DemoEvent::kKeyDown:
        widgetManager->KeyDown(demoBuffer.ReadBits(8, false));
        break;
    case DemoEvent::kKeyUp:
        widgetManager->KeyUp(demoBuffer.ReadBits(8, false));
        break;
    case DemoEvent::kChar: {
        bool wide = demoBuffer.ReadBits(1, false) != 0;
        int character = demoBuffer.ReadBits(wide ? 16 : 8, false);
        widgetManager->KeyChar(char(character & 0xFF));
        break;
    }
    case DemoEvent::kQuit:
        Shutdown();
        break;
    case DemoEvent::kMouseEnter:
        mouseInWindow = true;
        ApplyCursor();
        break;
    case DemoEvent::kMouseLeave:
        widgetManager->MouseExit(demoMouseX, demoMouseY);
        mouseInWindow = false;
        ApplyCursor();
        break;
    case DemoEvent::kLoadingDone:
        demoLoadingDoneSeen = true;
        break;
    case DemoEvent::kWheel:
        widgetManager->MouseWheel(int8_t(demoBuffer.ReadBits(8, true)));
        break;
    case DemoEvent::kDisplayMode:
        windowed = demoBuffer.ReadBool();
        refreshRate = demoBuffer.ReadByte();
        break;
    default:
        break;
    }
}

void TolmAppBase::PlayDemoActivation(bool nowFocused)
{
    hasFocus = nowFocused;
    SetActiveState();
    if (hasFocus && !isWindowedNow) {
        widgetManager->InvalidateAll();
    }
    if (browserLaunched && !hasFocus) {
        OnBrowserLaunched();
    }
}

// Unlike the live message, a replayed minimise mutes whatever the auto-mute setting says.
void TolmAppBase::PlayDemoMinimize(bool nowMinimized)
{
    if (!shutDown && nowMinimized != minimized) {
        minimized = nowMinimized;
        if (minimized) {
            Mute(true);
        } else {
            Unmute(true);
            widgetManager->InvalidateAll();
        }
    }
    SetActiveState();
}

bool TolmAppBase::ReadDemoBlock(std::vector<uint8_t>& bytes)
{
    int length = demoBuffer.ReadLong();
    if (length < 0 || int64_t(length) * 8 > demoBuffer.BitsLeft()) {
        demoBuffer.SetReadPosition(demoBuffer.GetReadPosition() + demoBuffer.BitsLeft());
        return false;
    }
    bytes.resize(size_t(length));
    demoBuffer.ReadBytes(bytes.data(), length);
    return true;
}

bool TolmAppBase::ReadFileToBuffer(const std::string& path, Buffer& buffer, bool bypassDemo)
{
    if (playingDemo && !bypassDemo) {
        if (windowClosed) {
            return false;
        }
        TakeDemoEvent();
        std::vector<uint8_t> bytes;
        if (demoBuffer.ReadBits(1, false) == 0 || !ReadDemoBlock(bytes)) {
            return false;
        }
        buffer.Clear();
        buffer.SetData(bytes.data(), int(bytes.size()));
        return true;
    }
    bool found = ReadFileLive(path, buffer);
    if (recordingDemo && !bypassDemo) {
        RecordDemoFileRead(found, buffer);
    }
    return found;
}

void TolmAppBase::RecordDemoFileRead(bool found, const Buffer& buffer)
{
    RecordDemoLongEvent(DemoEvent::kFileRead);
    demoBuffer.WriteBits(found ? 1 : 0, 1);
    if (found) {
        demoBuffer.WriteLong(buffer.GetDataLen());
        if (buffer.GetDataLen() > 0) {
            demoBuffer.WriteBytes(buffer.GetDataPtr(), buffer.GetDataLen());
        }
    }
}

bool TolmAppBase::FileExists(const std::string& path)
{
    if (playingDemo) {
        if (windowClosed) {
            return true;
        }
        TakeDemoEvent();
        return demoBuffer.ReadBits(1, false) != 0;
    }
    PakFileHandle* file = PakFOpen(path.c_str(), "rb");
    bool exists = file != nullptr;
    if (file) {
        PakFClose(file);
    }
    if (recordingDemo) {
        RecordDemoLongEvent(DemoEvent::kFileExists);
        demoBuffer.WriteBits(exists ? 1 : 0, 1);
    }
    return exists;
}

bool TolmAppBase::WriteRegistryValue(const std::string& name, uint32_t type, const uint8_t* data, uint32_t count)
{
    if (registryKey.empty()) {
        return false;
    }
    if (playingDemo) {
        if (windowClosed) {
            return true;
        }
        TakeDemoEvent();
        return demoBuffer.ReadBits(1, false) != 0;
    }
    bool written = WriteRegistryLive(name, type, data, count);
    if (recordingDemo) {
        RecordDemoLongEvent(DemoEvent::kRegistryWrite);
        demoBuffer.WriteBits(written ? 1 : 0, 1);
    }
    return written;
}

bool TolmAppBase::ReadRegistryValue(const std::string& name, uint32_t& type, uint8_t* data, uint32_t& count)
{
    if (registryKey.empty()) {
        return false;
    }
    if (playingDemo) {
        if (windowClosed) {
            return false;
        }
        TakeDemoEvent();
        if (demoBuffer.ReadBits(1, false) == 0) {
            return false;
        }
        uint32_t recordedType = uint32_t(demoBuffer.ReadLong());
        std::vector<uint8_t> bytes;
        // The value was read into a buffer of the same size when it was recorded: a longer one means
        // the stream is out of step, and it must not run past the caller's buffer.
        if (!ReadDemoBlock(bytes) || bytes.size() > count) {
            return false;
        }
        type = recordedType;
        count = uint32_t(bytes.size());
        std::copy(bytes.begin(), bytes.end(), data);
        return true;
    }
    bool found = ReadRegistryLive(name, type, data, count);
    if (recordingDemo) {
        RecordDemoLongEvent(DemoEvent::kRegistryRead);
        demoBuffer.WriteBits(found ? 1 : 0, 1);
        if (found) {
            demoBuffer.WriteLong(int(type));
            demoBuffer.WriteLong(int(count));
            demoBuffer.WriteBytes(data, int(count));
        }
    }
    return found;
}

void TolmAppBase::SyncDemoBuffer(Buffer& buffer)
{
    if (playingDemo) {
        if (windowClosed) {
            return;
        }
        TakeDemoEvent();
        std::vector<uint8_t> bytes;
        ReadDemoBlock(bytes);
        buffer.Clear();
        buffer.SetData(bytes.data(), int(bytes.size()));
        return;
    }
    if (recordingDemo) {
        RecordDemoLongEvent(DemoEvent::kSyncBlock);
        demoBuffer.WriteLong(buffer.GetDataLen());
        if (buffer.GetDataLen() > 0) {
            demoBuffer.WriteBytes(buffer.GetDataPtr(), buffer.GetDataLen());
        }
    }
}

void TolmAppBase::SyncDemoByte(uint8_t& value)
{
    Buffer buffer;
    buffer.WriteBool(value != 0);
    SyncDemoBuffer(buffer);
    buffer.SeekFront();
    if (playingDemo && !windowClosed) {
        value = buffer.ReadBool() ? 1 : 0;
    }
}

void TolmAppBase::SyncDemoString(std::string& text)
{
    Buffer buffer;
    buffer.WriteString(text);
    SyncDemoBuffer(buffer);
    buffer.SeekFront();
    if (playingDemo && !windowClosed) {
        text = buffer.ReadString();
    }
}

} // namespace Tolm
