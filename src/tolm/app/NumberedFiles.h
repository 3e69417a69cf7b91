// Files numbered in their names, as the demo rotation and the screenshots keep them: stem, number,
// extension ("tolmapp3.dmo", "image12.png").
#pragma once

#include <set>
#include <string>

namespace Tolm {

// The numbers of the files in the folder whose names are the stem, a run of decimal digits and the
// extension, without regard to case. A number too large for an int is no number.
std::set<int> FindNumberedFiles(const std::string& folder, const std::string& stem, const std::string& extension);

} // namespace Tolm
