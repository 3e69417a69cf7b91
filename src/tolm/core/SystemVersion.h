// The two operating-system tests the framework branches on. On Linux the program behaves as on a
// modern Windows: per-user data folders exist, and none of the old single-user system's limits apply.
#pragma once

namespace Tolm {

inline bool IsWindows9x()
{
    return false;
}

inline bool IsWindowsVistaOrLater()
{
    return true;
}

} // namespace Tolm
