// An exact palette of at most 256 colours, not a colour reduction: entries in order of first appearance.
#pragma once

#include <cstddef>
#include <cstdint>

namespace Tolm {

// False when the pixels hold more than 256 colours. Table entries past the last colour in use repeat the
// first colour, so that a scan of the whole table sees only colours the image has.
bool BuildExactPalette(const uint32_t* pixels, std::size_t count, uint8_t* indices, uint32_t* table);

} // namespace Tolm
