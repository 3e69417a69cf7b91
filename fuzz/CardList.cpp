// The 3D test's card lists ("vhw.dat", "vhwb.dat") on arbitrary contents: any bytes, line lengths and
// line ends are read without reading past a line, and an entry matches only inside the description.
#include "display/D3DTester.h"

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

// One file a process, so that runs side by side do not write each other's inputs.
const std::string& ScratchFile()
{
    static const std::string file =
        (std::filesystem::temp_directory_path() / ("quendara-fuzz-cards-" + std::to_string(getpid()) + ".dat"))
            .string();
    return file;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FILE* file = std::fopen(ScratchFile().c_str(), "wb");
    if (!file) {
        return 0;
    }
    std::fwrite(data, 1, size, file);
    std::fclose(file);
    Tolm::D3DTester::FileListsCard(ScratchFile().c_str(), "llvmpipe (LLVM 15.0.6, 256 bits) (Mesa/X.org)");
    Tolm::D3DTester::FileListsCard(ScratchFile().c_str(), "");
    return 0;
}
