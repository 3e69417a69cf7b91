// The music back end on the BASS library. For now it plays nothing: it is the silent interface made
// for a window, until its library stand-in is built.
#pragma once

#include "platform/WindowMessages.h"
#include "sound/MusicInterface.h"

namespace Tolm {

class BassMusicInterface : public MusicInterface
{
public:
    explicit BassMusicInterface(Platform::WindowHandle /*window*/) {}
};

} // namespace Tolm
