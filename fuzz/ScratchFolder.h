// What every fuzz target that writes files shares: a folder of its own per fuzzing process, removed at
// exit, so that runs side by side never write each other's inputs and nothing is left behind. A target
// that reads several files cuts one input into the files of one case; the parts of an input are
// separated by kPartSeparator, and the seed inputs in the corpus show the layout each target expects.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace ScratchFolder {

inline constexpr std::string_view kPartSeparator = "\n--next-file--\n";
// The folder's sub-folder that stands for the home folder.
inline constexpr const char* kHome = "home";

// The folder's path is never destroyed, so that it is still there when the exit handler runs.
inline const std::filesystem::path* folder = nullptr;

inline void RemoveFolder()
{
    std::error_code ignored;
    std::filesystem::remove_all(*folder, ignored);
}

inline const std::filesystem::path& Path()
{
    if (!folder) {
        std::string name = "quendara-fuzz-" + std::to_string(std::random_device()());
        folder = new std::filesystem::path(std::filesystem::temp_directory_path() / name);
        std::filesystem::create_directories(*folder);
        std::atexit(RemoveFolder);
    }
    return *folder;
}

// The settings and user data a target's application writes go into the folder too, never the home of
// whoever runs the fuzzer.
inline void KeepSettingsInside()
{
    const std::string home = (Path() / kHome).string();
    std::filesystem::create_directories(home);
    setenv("HOME", home.c_str(), 1);
    setenv("XDG_DATA_HOME", (home + "/data").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (home + "/config").c_str(), 1);
}

// The whole path of a file of the folder.
inline std::string FilePath(const std::string& name)
{
    return (Path() / name).string();
}

inline bool WriteFile(const std::string& path, std::string_view bytes)
{
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) {
        return false;
    }
    bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}

// The input's parts, at most as many as asked for: the last one takes the rest.
inline std::vector<std::string_view> Split(const uint8_t* data, size_t size, size_t maxParts)
{
    std::string_view rest(reinterpret_cast<const char*>(data), size);
    std::vector<std::string_view> parts;
    while (parts.size() + 1 < maxParts) {
        size_t end = rest.find(kPartSeparator);
        if (end == std::string_view::npos) {
            break;
        }
        parts.push_back(rest.substr(0, end));
        rest.remove_prefix(end + kPartSeparator.size());
    }
    parts.push_back(rest);
    return parts;
}

// Empties the folder but for the settings' home, then writes the input's parts under the names given,
// in their order, making the folders a name holds; a name without a part makes no file.
inline void WriteCase(const uint8_t* data, size_t size, const std::vector<std::string>& names)
{
    for (const auto& entry : std::filesystem::directory_iterator(Path())) {
        if (entry.path().filename() == kHome) {
            continue;
        }
        std::error_code ignored;
        std::filesystem::remove_all(entry.path(), ignored);
    }
    std::vector<std::string_view> parts = Split(data, size, names.size());
    for (size_t i = 0; i < parts.size(); ++i) {
        std::error_code ignored;
        std::filesystem::create_directories((Path() / names[i]).parent_path(), ignored);
        WriteFile(FilePath(names[i]), parts[i]);
    }
}

// The folder as the working folder for one input, for files named relative to it. libFuzzer reads its
// inputs by paths relative to the folder it was started in, so that one comes back before the next input.
class AsWorkingFolder
{
public:
    AsWorkingFolder() : previous(std::filesystem::current_path()) { std::filesystem::current_path(Path()); }
    ~AsWorkingFolder() { std::filesystem::current_path(previous); }
    AsWorkingFolder(const AsWorkingFolder&) = delete;
    AsWorkingFolder& operator=(const AsWorkingFolder&) = delete;

private:
    std::filesystem::path previous;
};

} // namespace ScratchFolder
