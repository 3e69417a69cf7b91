// The system pointer: the desktop's own shapes, pointers made from monochrome masks, or none at all.
#pragma once

#include <cstdint>
#include <memory>

struct SDL_Cursor;

namespace Platform {

enum class SystemCursor
{
    Arrow,
    IBeam,
    No,
    SizeAll,
    SizeNESW,
    SizeNS,
    SizeNWSE,
    SizeWE,
    Wait,
};

class Cursor
{
public:
    // A pointer from Windows-style masks, one bit per pixel, rows of width / 8 bytes, most significant
    // bit leftmost: AND 0 / XOR 0 black, 0 / 1 white, 1 / 0 transparent, 1 / 1 inverted. Null when the
    // desktop makes no pointers (SDL's dummy driver).
    static std::unique_ptr<Cursor> FromMasks(const uint8_t* andMask, const uint8_t* xorMask, int width, int height,
                                             int hotX, int hotY);
    ~Cursor();
    Cursor(const Cursor&) = delete;
    Cursor& operator=(const Cursor&) = delete;

    SDL_Cursor* SdlCursor() const { return cursor; }

private:
    explicit Cursor(SDL_Cursor* cursor) : cursor(cursor) {}

    SDL_Cursor* cursor;
};

void ShowSystemCursor(SystemCursor kind);
void ShowCursor(const Cursor& cursor);
// No pointer over the program's windows.
void HideCursor();
// The desktop's shapes made so far; called before video stops.
void FreeSystemCursors();

} // namespace Platform
