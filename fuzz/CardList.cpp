// The 3D test's card lists ("vhw.dat", "vhwb.dat") on arbitrary contents: any bytes, line lengths and
// line ends are read without reading past a line, and an entry matches only inside the description.
#include "ScratchFolder.h"
#include "display/D3DTester.h"

#include <cstdint>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const std::string list = ScratchFolder::FilePath("cards.dat");
    if (!ScratchFolder::WriteFile(list, std::string_view(reinterpret_cast<const char*>(data), size))) {
        return 0;
    }
    Tolm::D3DTester::FileListsCard(list.c_str(), "llvmpipe (LLVM 15.0.6, 256 bits) (Mesa/X.org)");
    Tolm::D3DTester::FileListsCard(list.c_str(), "");
    return 0;
}
