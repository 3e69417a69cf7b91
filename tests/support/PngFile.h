// Writes and reads 8-bit RGBA PNG files of 0xAARRGGBB pixels, for tests that leave a picture to look at.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace PngFile {

// Pixels row by row, top row first. False when the file cannot be written.
bool Write(const std::string& path, int width, int height, const uint32_t* pixels);

// False when the file is missing or not a PNG this writer could have made.
bool Read(const std::string& path, int& width, int& height, std::vector<uint32_t>& pixels);

} // namespace PngFile
