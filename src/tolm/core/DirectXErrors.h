// Names of the DirectDraw, Direct3D and DirectSound result codes, for error messages and traces.
#pragma once

#include <cstdint>
#include <string>

namespace Tolm {

// The name of the constant with that value, or the value in lower-case hexadecimal without a prefix.
// Where several constants share one general COM code, the name is the one the messages have always shown.
std::string DirectXErrorName(int32_t result);

} // namespace Tolm
