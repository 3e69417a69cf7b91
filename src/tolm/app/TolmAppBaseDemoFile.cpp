// The demo file around the event stream, the numbered demo files, and the controls of a demo being
// played back: speed, pause, single steps, jumps ahead to the end, to a marker or to a time.
//
// The file, little-endian: magic, version (2 when written), the random seed, the product version as a
// 16-bit length and its bytes, from version 2 on a marker block (its byte length, then a buffer image
// of the marker count and each marker's name and update count), the final update count, and the
// event stream's bytes to the end of the file.
#include "app/NumberedFiles.h"
#include "app/TolmAppBase.h"
#include "core/PathUtils.h"
#include "core/Random.h"
#include "core/StringUtils.h"
#include "platform/FileSystem.h"
#include "platform/SystemDialogs.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdio>

namespace Tolm {

namespace {

constexpr int kDemoMagic = 0x42BEEF78;
constexpr int kDemoVersion = 2;
// The version text is compared up to this length; the rest of a longer one is skipped.
constexpr int kMaxVersionText = 255;
constexpr int kMaxJumpText = 500;
constexpr uint32_t kMaxJumpTextStored = 1000;
const char* const kInvalidDemo = "Invalid demo file.";

int64_t BytesLeft(const Buffer& buffer)
{
    return buffer.BitsLeft() / 8;
}

std::string TimeText(int64_t milliseconds)
{
    int64_t seconds = std::max<int64_t>(milliseconds, 0) / 1000;
    return FormatString("%02d:%02d:%02d", int(seconds / 3600), int(seconds / 60 % 60), int(seconds % 60));
}

int ClampToInt(int64_t value)
{
    return int(std::clamp<int64_t>(value, INT_MIN, INT_MAX));
}

} // namespace

void TolmAppBase::WriteDemoFile()
{
    if (!recordingDemo) {
        return;
    }
    Buffer markers;
    markers.WriteLong(int(demoMarkers.size()));
    for (const DemoMarker& marker : demoMarkers) {
        markers.WriteString(marker.name);
        markers.WriteLong(marker.updateCount);
    }
    Buffer file;
    file.WriteLong(kDemoMagic);
    file.WriteLong(kDemoVersion);
    file.WriteLong(int(randomSeed));
    file.WriteString(productVersion);
    file.WriteLong(markers.GetDataLen());
    if (markers.GetDataLen() > 0) {
        file.WriteBytes(markers.GetDataPtr(), markers.GetDataLen());
    }
    file.WriteLong(updateCount);
    if (demoBuffer.GetDataLen() > 0) {
        file.WriteBytes(demoBuffer.GetDataPtr(), demoBuffer.GetDataLen());
    }
    Platform::WriteFileAtomically(demoFileName, file.GetDataPtr(), size_t(file.GetDataLen()));
}

bool TolmAppBase::ReadDemoFile(std::string& errorText)
{
    std::vector<uint8_t> contents;
    if (!Platform::ReadWholeFile(demoFileName, contents)) {
        errorText = "Demo file not found: " + demoFileName;
        return false;
    }
    errorText = kInvalidDemo;
    if (contents.size() > size_t(INT_MAX)) {
        return false;
    }
    Buffer file;
    file.SetData(contents.data(), int(contents.size()));
    if (BytesLeft(file) < 14 || file.ReadLong() != kDemoMagic) {
        return false;
    }
    int version = file.ReadLong();
    randomSeed = uint32_t(file.ReadLong());
    SeedRandomMT(randomSeed);
    int textLength = file.ReadByte() | file.ReadByte() << 8;
    if (BytesLeft(file) < textLength) {
        return false;
    }
    std::string text(size_t(std::min(textLength, kMaxVersionText)), '\0');
    file.ReadBytes(reinterpret_cast<uint8_t*>(text.data()), int(text.size()));
    file.SetReadPosition(file.GetReadPosition() + int64_t(textLength - int(text.size())) * 8);
    text = text.substr(0, text.find('\0'));
    if (text != productVersion) {
        errorText = "This demo file appears to be for '" + text + "'";
        return false;
    }
    int64_t rest = BytesLeft(file);
    if (version > 1) {
        if (rest < 4) {
            return false;
        }
        int blockLength = file.ReadLong();
        rest -= 4;
        // A negative length would pass the size test and leave nothing sensible to read.
        if (blockLength < 0 || blockLength >= rest) {
            return false;
        }
        std::vector<uint8_t> block(static_cast<size_t>(blockLength));
        file.ReadBytes(block.data(), blockLength);
        Buffer markers;
        markers.SetData(block.data(), blockLength);
        int count = markers.ReadLong();
        int read = 0;
        for (; read < count && !markers.AtEnd(); ++read) {
            DemoMarker marker;
            marker.name = markers.ReadString();
            marker.updateCount = markers.ReadLong();
            demoMarkers.push_back(marker);
        }
        if (read < count) {
            return false;
        }
        rest -= blockLength;
    }
    if (rest - 4 < 1) {
        return false;
    }
    demoEndUpdate = file.ReadLong();
    std::vector<uint8_t> events(size_t(rest - 4));
    file.ReadBytes(events.data(), int(events.size()));
    demoBuffer.Clear();
    demoBuffer.SetData(events.data(), int(events.size()));
    demoBuffer.SeekFront();
    errorText.clear();
    return true;
}

int RotateDemoFiles(const std::string& prefix, int keep, bool deleteOldest)
{
    std::string folder = GetFileDirectory(prefix, true);
    std::string stem = StripDirectory(prefix);
    std::set<int> numbers = FindNumberedFiles(folder, stem, ".dmo");
    if (numbers.empty()) {
        return 0;
    }
    int highest = *numbers.rbegin();
    if (deleteOldest && int64_t(keep) - 1 < int64_t(numbers.size())) {
        std::remove(Platform::DiskPath(folder + stem + std::to_string(*numbers.begin()) + ".dmo").c_str());
    }
    return highest;
}

void TolmAppBase::HandleDemoControl(char key)
{
    switch (std::toupper(static_cast<unsigned char>(key))) {
    case '+':
        updateMultiplier *= 1.5;
        break;
    case '-':
        updateMultiplier *= 2.0 / 3.0;
        break;
    case '=':
        updateMultiplier = 1.0;
        break;
    case 'P':
        pausedInactive = !pausedInactive;
        ResetFrameTiming();
        break;
    case 'N':
        demoTargetUpdate = updateCount + 1;
        forceRedraw = true;
        break;
    case 'M':
        demoFastForward = true;
        break;
    case 'L':
        ShowDemoMarkerList();
        break;
    case 'J':
        ShowDemoJumpDialog();
        break;
    case 'S':
        ToggleDemoSound();
        break;
    case '0':
        demoTargetUpdate = demoEndUpdate;
        break;
    default:
        if (key >= '4' && key <= '9') {
            static const int kBeforeEndMs[] = {120000, 90000, 60000, 30000, 10000, 5000};
            demoTargetUpdate = demoEndUpdate - kBeforeEndMs[key - '4'] / frameTime;
        }
        break;
    }
}

void TolmAppBase::ShowDemoMarkerList()
{
    std::vector<std::string> items;
    std::vector<int> targets;
    for (const DemoMarker& marker : demoMarkers) {
        if (marker.updateCount > updateCount) {
            items.push_back(marker.name + " (" + TimeText(int64_t(demoEndUpdate - marker.updateCount) * frameTime) +
                            ")");
            targets.push_back(marker.updateCount);
        }
    }
    PrepareForPopup();
    int chosen = Platform::ShowListDialog(MainWindowHandle(), "Marker List", items);
    RecoverFromPopup();
    if (chosen >= 0 && size_t(chosen) < targets.size() && targets[size_t(chosen)] > updateCount) {
        demoTargetUpdate = targets[size_t(chosen)];
    }
}

int TolmAppBase::ShowDemoJumpDialog()
{
    // The last jump is kept in the registry, outside the demo stream: it belongs to this machine.
    std::string text;
    uint32_t type = 0;
    std::vector<uint8_t> stored(kMaxJumpTextStored);
    uint32_t count = kMaxJumpTextStored;
    if (!registryKey.empty() && ReadRegistryLive("DemoJumpTime", type, stored.data(), count)) {
        text.assign(stored.begin(), stored.begin() + count);
        text = text.substr(0, text.find('\0'));
    }
    PrepareForPopup();
    bool confirmed = Platform::ShowTextDialog(MainWindowHandle(), "Jump To Time", text);
    RecoverFromPopup();
    if (!confirmed) {
        return Platform::IDCANCEL;
    }
    text = text.substr(0, kMaxJumpText);
    if (!registryKey.empty()) {
        WriteRegistryLive("DemoJumpTime", Platform::kRegSz, reinterpret_cast<const uint8_t*>(text.c_str()),
                          uint32_t(text.size() + 1));
    }
    demoTargetUpdate = DemoJumpTarget(text);
    return Platform::IDOK;
}

int TolmAppBase::DemoJumpTarget(const std::string& text) const
{
    // "1:30" is 90 seconds and "1:0:5" 3605: each piece multiplies what came before by 60.
    int64_t seconds = 0;
    size_t start = 0;
    for (;;) {
        size_t colon = text.find(':', start);
        seconds = std::clamp<int64_t>(seconds * 60 + LeadingInt(text.substr(start, colon - start)), INT_MIN, INT_MAX);
        if (colon == std::string::npos) {
            break;
        }
        start = colon + 1;
    }
    return ClampToInt(int64_t(demoEndUpdate) - (seconds + 1) * 1000 / frameTime);
}

void TolmAppBase::ToggleDemoSound()
{
    if (GetMusicVolume() != 0) {
        savedMusicVolume = GetMusicVolume();
        SetMusicVolume(0);
    } else {
        SetMusicVolume(savedMusicVolume);
    }
    if (GetSfxVolume() != 0) {
        savedSfxVolume = GetSfxVolume();
        SetSfxVolume(0);
    } else {
        SetSfxVolume(savedSfxVolume);
    }
}

} // namespace Tolm
