// The command numbers of the demo event stream. Short events (a 1-bit command) are the frequent mouse
// moves and buttons; long events (a 5-bit command) are everything else.
#pragma once

namespace Tolm::DemoEvent {

// Short commands.
constexpr int kMouseMove = 0;
constexpr int kMouseButton = 1;

// Long commands; the numbers missing here are never written.
constexpr int kMouseAt = 0;
constexpr int kActivate = 1;
constexpr int kMinimize = 2;
constexpr int kKeyDown = 3;
constexpr int kKeyUp = 4;
constexpr int kChar = 5;
constexpr int kQuit = 6;
constexpr int kMouseEnter = 7;
constexpr int kMouseLeave = 8;
constexpr int kLoadingDone = 9;
constexpr int kRegistryRead = 11;
constexpr int kRegistryWrite = 12;
constexpr int kFileExists = 14;
constexpr int kFileRead = 15;
constexpr int kHttpStatus = 17;
constexpr int kSyncBlock = 18;
constexpr int kWheel = 21;
constexpr int kDisplayMode = 23;
constexpr int kFiller = 31;

} // namespace Tolm::DemoEvent
