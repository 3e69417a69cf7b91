// The message records the window procedure handles, with the Windows numbers of the messages, their
// parameter bits and the window-related constants. Demo files store values derived from these
// records and widget code compares them, so every number is the one Windows uses.
#pragma once

#include <cstdint>

namespace Platform {

// A window of the program: a small number that stays unique for the process's life; 0 is no window.
using WindowHandle = uint32_t;
// The two message parameters as the game's 32-bit build carries them.
using WParam = uint32_t;
using LParam = int32_t;

struct Message
{
    WindowHandle window = 0;
    uint32_t message = 0;
    WParam wParam = 0;
    LParam lParam = 0;

    bool operator==(const Message&) const = default;
};

// Two 16-bit halves packed into one parameter, low half first, each keeping its sign bits only in 16 bits.
constexpr LParam MakeLParam(int low, int high)
{
    return LParam(uint32_t(uint16_t(low)) | (uint32_t(uint16_t(high)) << 16));
}
constexpr WParam MakeWParam(int low, int high)
{
    return WParam(uint32_t(uint16_t(low)) | (uint32_t(uint16_t(high)) << 16));
}
// The halves read back as signed 16-bit values, as client coordinates and wheel deltas are read.
constexpr int LowWordSigned(uint32_t value)
{
    return int16_t(uint16_t(value & 0xFFFF));
}
constexpr int HighWordSigned(uint32_t value)
{
    return int16_t(uint16_t(value >> 16));
}

constexpr uint32_t WM_CREATE = 0x0001;
constexpr uint32_t WM_DESTROY = 0x0002;
constexpr uint32_t WM_MOVE = 0x0003;
constexpr uint32_t WM_SIZE = 0x0005;
constexpr uint32_t WM_ACTIVATE = 0x0006;
constexpr uint32_t WM_ENABLE = 0x000A;
constexpr uint32_t WM_PAINT = 0x000F;
constexpr uint32_t WM_CLOSE = 0x0010;
constexpr uint32_t WM_QUERYOPEN = 0x0013;
constexpr uint32_t WM_ERASEBKGND = 0x0014;
constexpr uint32_t WM_SYSCOLORCHANGE = 0x0015;
constexpr uint32_t WM_ENDSESSION = 0x0016;
constexpr uint32_t WM_ACTIVATEAPP = 0x001C;
constexpr uint32_t WM_SETCURSOR = 0x0020;
constexpr uint32_t WM_DISPLAYCHANGE = 0x007E;
constexpr uint32_t WM_NCACTIVATE = 0x0086;
constexpr uint32_t WM_NCLBUTTONDOWN = 0x00A1;
constexpr uint32_t WM_KEYDOWN = 0x0100;
constexpr uint32_t WM_KEYUP = 0x0101;
constexpr uint32_t WM_CHAR = 0x0102;
constexpr uint32_t WM_SYSKEYDOWN = 0x0104;
constexpr uint32_t WM_SYSKEYUP = 0x0105;
constexpr uint32_t WM_SYSCHAR = 0x0106;
constexpr uint32_t WM_SYSCOMMAND = 0x0112;
constexpr uint32_t WM_TIMER = 0x0113;
constexpr uint32_t WM_MOUSEMOVE = 0x0200;
constexpr uint32_t WM_LBUTTONDOWN = 0x0201;
constexpr uint32_t WM_LBUTTONUP = 0x0202;
constexpr uint32_t WM_LBUTTONDBLCLK = 0x0203;
constexpr uint32_t WM_RBUTTONDOWN = 0x0204;
constexpr uint32_t WM_RBUTTONUP = 0x0205;
constexpr uint32_t WM_RBUTTONDBLCLK = 0x0206;
constexpr uint32_t WM_MBUTTONDOWN = 0x0207;
constexpr uint32_t WM_MBUTTONUP = 0x0208;
constexpr uint32_t WM_MBUTTONDBLCLK = 0x0209;
constexpr uint32_t WM_MOUSEWHEEL = 0x020A;
// Registered messages are numbered from here on, as the system numbers them.
constexpr uint32_t kFirstRegisteredMessage = 0xC000;

// WM_SYSCOMMAND commands.
constexpr WParam SC_CLOSE = 0xF060;
constexpr WParam SC_KEYMENU = 0xF100;
constexpr WParam SC_SCREENSAVE = 0xF140;
constexpr WParam SC_HOTKEY = 0xF150;
constexpr WParam SC_MONITORPOWER = 0xF170;

// WM_SIZE kinds.
constexpr WParam SIZE_RESTORED = 0;
constexpr WParam SIZE_MINIMIZED = 1;
constexpr WParam SIZE_MAXIMIZED = 2;

// Button and modifier bits in the wParam of mouse messages.
constexpr WParam MK_LBUTTON = 0x01;
constexpr WParam MK_RBUTTON = 0x02;
constexpr WParam MK_SHIFT = 0x04;
constexpr WParam MK_CONTROL = 0x08;
constexpr WParam MK_MBUTTON = 0x10;

// One wheel notch.
constexpr int WHEEL_DELTA = 120;

// Show states of a window's placement.
constexpr int SW_HIDE = 0;
constexpr int SW_SHOWNORMAL = 1;
constexpr int SW_SHOWMINIMIZED = 2;
constexpr int SW_SHOW = 5;

// Message box buttons, icons and answers.
constexpr uint32_t MB_OK = 0x00;
constexpr uint32_t MB_OKCANCEL = 0x01;
constexpr uint32_t MB_ABORTRETRYIGNORE = 0x02;
constexpr uint32_t MB_YESNOCANCEL = 0x03;
constexpr uint32_t MB_YESNO = 0x04;
constexpr uint32_t MB_RETRYCANCEL = 0x05;
constexpr uint32_t MB_ICONERROR = 0x10;
constexpr uint32_t MB_ICONQUESTION = 0x20;
constexpr uint32_t MB_ICONWARNING = 0x30;
constexpr uint32_t MB_ICONINFORMATION = 0x40;
constexpr uint32_t MB_DEFBUTTON2 = 0x100;
constexpr uint32_t MB_DEFBUTTON3 = 0x200;
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDABORT = 3;
constexpr int IDRETRY = 4;
constexpr int IDIGNORE = 5;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

} // namespace Platform
