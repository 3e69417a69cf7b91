// SDL2 cursors. SDL takes data/mask bits where Windows takes AND/XOR bits: mask = not AND, and data is
// set where AND and XOR agree (black and inverted pixels).
#include "platform/Cursor.h"

#include "platform/VideoSystem.h"

#include <SDL.h>
#include <array>
#include <vector>

namespace Platform {

namespace {

constexpr size_t kSystemCursorCount = size_t(SystemCursor::Wait) + 1;

std::array<SDL_Cursor*, kSystemCursorCount>& SystemCursors()
{
    static std::array<SDL_Cursor*, kSystemCursorCount> cursors{};
    return cursors;
}

SDL_SystemCursor SdlShape(SystemCursor kind)
{
    switch (kind) {
    case SystemCursor::IBeam:
        return SDL_SYSTEM_CURSOR_IBEAM;
    case SystemCursor::No:
        return SDL_SYSTEM_CURSOR_NO;
    case SystemCursor::SizeAll:
        return SDL_SYSTEM_CURSOR_SIZEALL;
    case SystemCursor::SizeNESW:
        return SDL_SYSTEM_CURSOR_SIZENESW;
    case SystemCursor::SizeNS:
        return SDL_SYSTEM_CURSOR_SIZENS;
    case SystemCursor::SizeNWSE:
        return SDL_SYSTEM_CURSOR_SIZENWSE;
    case SystemCursor::SizeWE:
        return SDL_SYSTEM_CURSOR_SIZEWE;
    case SystemCursor::Wait:
        return SDL_SYSTEM_CURSOR_WAIT;
    default:
        return SDL_SYSTEM_CURSOR_ARROW;
    }
}

} // namespace

std::unique_ptr<Cursor> Cursor::FromMasks(const uint8_t* andMask, const uint8_t* xorMask, int width, int height,
                                          int hotX, int hotY)
{
    if (!IsVideoStarted()) {
        return nullptr;
    }
    size_t size = size_t(width / 8) * size_t(height);
    std::vector<Uint8> data(size);
    std::vector<Uint8> mask(size);
    for (size_t i = 0; i < size; ++i) {
        data[i] = Uint8(~(andMask[i] ^ xorMask[i]));
        mask[i] = Uint8(~andMask[i]);
    }
    SDL_Cursor* cursor = SDL_CreateCursor(data.data(), mask.data(), width, height, hotX, hotY);
    return cursor ? std::unique_ptr<Cursor>(new Cursor(cursor)) : nullptr;
}

Cursor::~Cursor()
{
    SDL_FreeCursor(cursor);
}

void ShowSystemCursor(SystemCursor kind)
{
    if (!IsVideoStarted()) {
        return;
    }
    SDL_Cursor*& cursor = SystemCursors()[size_t(kind)];
    if (!cursor) {
        cursor = SDL_CreateSystemCursor(SdlShape(kind));
    }
    if (cursor) {
        SDL_SetCursor(cursor);
    }
    SDL_ShowCursor(SDL_ENABLE);
}

void ShowCursor(const Cursor& cursor)
{
    SDL_SetCursor(cursor.SdlCursor());
    SDL_ShowCursor(SDL_ENABLE);
}

void HideCursor()
{
    if (IsVideoStarted()) {
        SDL_ShowCursor(SDL_DISABLE);
    }
}

void FreeSystemCursors()
{
    for (SDL_Cursor*& cursor : SystemCursors()) {
        if (cursor) {
            SDL_FreeCursor(cursor);
            cursor = nullptr;
        }
    }
}

} // namespace Platform
