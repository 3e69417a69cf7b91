#include "app/NumberedFiles.h"

#include "core/StringUtils.h"
#include "platform/FileSystem.h"

#include <climits>
#include <cstdint>

namespace Tolm {

namespace {

bool ParseNumber(const std::string& digits, int& number)
{
    if (digits.empty()) {
        return false;
    }
    int64_t value = 0;
    for (char digit : digits) {
        if (digit < '0' || digit > '9') {
            return false;
        }
        value = value * 10 + (digit - '0');
        if (value > INT_MAX) {
            return false;
        }
    }
    number = int(value);
    return true;
}

} // namespace

std::set<int> FindNumberedFiles(const std::string& folder, const std::string& stem, const std::string& extension)
{
    std::set<int> numbers;
    Platform::FindData data;
    auto search = Platform::DirectorySearch::First(folder + stem + "*" + extension, data);
    for (bool found = search != nullptr; found; found = search->Next(data)) {
        const std::string& name = data.fileName;
        size_t fixed = stem.size() + extension.size();
        if (name.size() <= fixed || StringToLower(name.substr(0, stem.size())) != StringToLower(stem) ||
            StringToLower(name.substr(name.size() - extension.size())) != StringToLower(extension)) {
            continue;
        }
        int number = 0;
        if (ParseNumber(name.substr(stem.size(), name.size() - fixed), number)) {
            numbers.insert(number);
        }
    }
    return numbers;
}

} // namespace Tolm
