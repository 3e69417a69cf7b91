#include "ResourceScan.h"

#include "resources/ResourceManager.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>

namespace {

using Tolm::ResourceManager;

// The code with its comments blanked out (line feeds kept, so that line numbers stay), strings intact.
std::string WithoutComments(const std::string& code)
{
    std::string result = code;
    enum class State
    {
        Code,
        String,
        Char,
        LineComment,
        BlockComment,
    } state = State::Code;
    for (std::size_t i = 0; i < result.size(); ++i) {
        const char c = code[i];
        const char next = i + 1 < code.size() ? code[i + 1] : '\0';
        switch (state) {
        case State::Code:
            if (c == '"') {
                state = State::String;
            } else if (c == '\'') {
                state = State::Char;
            } else if (c == '/' && next == '/') {
                state = State::LineComment;
                result[i] = ' ';
            } else if (c == '/' && next == '*') {
                state = State::BlockComment;
                result[i] = ' ';
            }
            break;
        case State::String:
        case State::Char:
            if (c == '\\') {
                ++i;
            } else if ((c == '"' && state == State::String) || (c == '\'' && state == State::Char) || c == '\n') {
                state = State::Code;
            }
            break;
        case State::LineComment:
            if (c == '\n') {
                state = State::Code;
            } else {
                result[i] = ' ';
            }
            break;
        case State::BlockComment:
            if (c == '*' && next == '/') {
                result[i] = ' ';
                result[i + 1] = ' ';
                ++i;
                state = State::Code;
            } else if (c != '\n') {
                result[i] = ' ';
            }
            break;
        }
    }
    return result;
}

int LineOf(const std::string& text, std::size_t position)
{
    return 1 + int(std::count(text.begin(), text.begin() + std::ptrdiff_t(position), '\n'));
}

void ScanFile(const std::filesystem::path& file, const std::string& name, std::vector<CodeReference>& references,
              std::set<std::pair<std::string, int>>& seen)
{
    std::ifstream stream(file, std::ios::binary);
    std::stringstream contents;
    contents << stream.rdbuf();
    const std::string code = WithoutComments(contents.str());

    static const std::regex kLiteral(R"re("([A-Za-z0-9_]+)")re");
    static const std::regex kImageId("(IMAGE|UI|FIELD|PANEL|BRICK|BONUS|GFX|TOWN|UPGRADE|CURSOR|HINT)_[A-Z0-9_]+");
    static const std::regex kFontId("FONT_[A-Z0-9_]+");
    static const std::regex kSoundId("SOUND_[A-Z0-9_]+");
    // The windows keep the text ids of their labels, buttons and hints in tables.
    static const std::regex kTableTextId("(lab|but|cap|hint)_[a-z0-9_]+");
    static const std::regex kTextLookup(
        R"re((GetLocalizedText\(\s*"([a-z0-9_]+)"|GetStringProperty\(\s*"([A-Z][A-Z0-9_]*)"\s*,))re");

    auto add = [&](const std::string& id, int kind, std::size_t position) {
        if (seen.insert({id, kind}).second) {
            references.push_back({id, kind, name + ":" + std::to_string(LineOf(code, position))});
        }
    };
    for (auto match = std::sregex_iterator(code.begin(), code.end(), kLiteral); match != std::sregex_iterator();
         ++match) {
        const std::string literal = (*match)[1].str();
        const std::size_t position = std::size_t(match->position(0));
        if (std::regex_match(literal, kImageId)) {
            add(literal, ResourceManager::KindImage, position);
        } else if (std::regex_match(literal, kFontId)) {
            add(literal, ResourceManager::KindFont, position);
        } else if (std::regex_match(literal, kSoundId)) {
            add(literal, ResourceManager::KindSound, position);
        } else if (std::regex_match(literal, kTableTextId)) {
            add(literal, kTextId, position);
        }
    }
    for (auto match = std::sregex_iterator(code.begin(), code.end(), kTextLookup); match != std::sregex_iterator();
         ++match) {
        add((*match)[2].matched ? (*match)[2].str() : (*match)[3].str(), kTextId, std::size_t(match->position(0)));
    }
}

} // namespace

bool ScanSources(const std::string& folder, std::vector<CodeReference>& references)
{
    std::error_code error;
    std::filesystem::recursive_directory_iterator entries(folder, error);
    if (error) {
        return false;
    }
    std::vector<std::filesystem::path> files;
    for (const auto& entry : entries) {
        const std::string extension = entry.path().extension().string();
        if (entry.is_regular_file() && (extension == ".cpp" || extension == ".h")) {
            files.push_back(entry.path());
        }
    }
    // In name order, so that the first use reported does not depend on the folder's order.
    std::sort(files.begin(), files.end());
    std::set<std::pair<std::string, int>> seen;
    for (const auto& file : files) {
        ScanFile(file, std::filesystem::relative(file, std::filesystem::path(folder).parent_path()).string(),
                 references, seen);
    }
    return true;
}
