// The playable cell: its tile, plain or showing one or two locks, with the shine, the hint's glow and the
// highlight of an armed tool's target over it.
#pragma once

#include "board/CellGfx.h"

class CellSimple : public CellGfx
{
public:
    static constexpr const char* kPlainImageId = "FIELD_CELL_SIMPLE";
    static constexpr const char* kLockedImageId = "FIELD_CELL_LOCKED";
    static constexpr const char* kLocked2ImageId = "FIELD_CELL_LOCKED2";

    CellSimple();

    void DrawBack(Tolm::Graphics& g) override;
    std::unique_ptr<CellBase> Clone() const override { return std::make_unique<CellSimple>(*this); }

    // The resource manager's, null where missing.
    Tolm::Image* plain = nullptr;
    Tolm::Image* locked = nullptr;
    Tolm::Image* locked2 = nullptr;

private:
    Tolm::Image* TileImage() const;
    void DrawGlow(Tolm::Graphics& g, int width, int height) const;
    void DrawHighlight(Tolm::Graphics& g, int width, int height) const;
};
