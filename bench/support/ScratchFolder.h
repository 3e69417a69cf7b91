// A user-data folder of the benchmark's own under the system's temporary folder, gone at exit: the player
// profile the screens open makes its folder there, not in the working folder.
#pragma once

#include "core/PathUtils.h"

#include <cstdlib>
#include <filesystem>
#include <string>

class ScratchFolder
{
public:
    ScratchFolder()
    {
        std::string name = (std::filesystem::temp_directory_path() / "quendara-bench-XXXXXX").string();
        if (mkdtemp(name.data())) {
            path = name;
            Tolm::SetUserDataFolder(path + "/");
        }
    }
    ~ScratchFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    std::string path;
};
