// The two files of a level: "levels\levelNNN.xml" names the level's brick kinds, "levels\levelNNN.level"
// lays out its cells, twelve lines of sixteen characters, one per row and column.
#include "board/BoardFactory.h"
#include "board/FieldBase.h"
#include "board/Level.h"
#include "bricks/BrickHelper.h"
#include "core/PakInterface.h"
#include "core/PakXmlDocument.h"
#include "core/StringUtils.h"
#include "platform/DebugOutput.h"
#include "profile/UserProfile.h"

#include <cstdint>
#include <cstring>
#include <tinyxml.h>

namespace {

// A line is read with a buffer of this size: what follows its sixteenth character is never looked at,
// and the rest of a line longer than the buffer is read as the next row.
constexpr int kLineBuffer = 128;

// The lock layers of a level character; past the last level every plain '1' and every single lock gets
// one layer more.
uint32_t LockFlags(char code, bool pastLast)
{
    switch (code) {
    case '1':
        return pastLast ? kCellLock1 : 0;
    case '2':
        return pastLast ? kCellLock1 | kCellLock2 : kCellLock1;
    case '3':
        return kCellLock1 | kCellLock2;
    default:
        return 0;
    }
}

} // namespace

bool Level::LoadLevel(FieldBase& board, int index)
{
    return LoadFiles(board, Tolm::FormatString("level%03d", index));
}

bool Level::LoadFiles(FieldBase& board, const std::string& name)
{
    ReadKinds(name);
    return ReadLayout(board, name);
}

void Level::ReadKinds(const std::string& name)
{
    TiXmlDocument document;
    if (!LoadXmlDocument(document, ("levels\\" + name + ".xml").c_str())) {
        return;
    }
    allowed.reset();
    const TiXmlNode* blocks = document.FirstChild("blocks");
    if (!blocks) {
        return;
    }
    for (const TiXmlElement* brick = blocks->FirstChildElement("brick"); brick; brick = brick->NextSiblingElement()) {
        const char* code = brick->Attribute("type");
        const int type = code ? ParseBrickCode(code) : 0;
        if (IsBrickType(type)) {
            Allow(type);
        } else if (type > 0) {
            Platform::DebugOutput(
                Tolm::FormatString("Level: %s.xml names no brick type with \"%s\"\r\n", name.c_str(), code));
        }
    }
}

bool Level::ReadLayout(FieldBase& board, const std::string& name)
{
    const bool pastLast = int64_t(UserProfile::GetLevel()) + skipped > GetTotalLevels();
    Tolm::PakFileHandle* file = PakFOpen(("levels\\" + name + ".level").c_str(), "r");
    if (!file) {
        return false;
    }
    bool anyPlayable = false;
    bool complete = !PakFEof(file);
    char line[kLineBuffer];
    for (int y = 0; y < kFieldHeight && complete; ++y) {
        complete = PakFGetS(line, kLineBuffer, file) && std::strlen(line) >= std::size_t(kFieldWidth);
        for (int x = 0; x < kFieldWidth && complete; ++x) {
            if (line[x] == '0') {
                board.PutCell(x, y, CreateCell(kCellHole));
                board.PutBrick(x, y, CreateBrick(kBrickEmpty));
                continue;
            }
            board.PutCell(x, y, CreateCell(kCellPlayable));
            board.GetCell(x, y)->SetFlag(LockFlags(line[x], pastLast));
            anyPlayable = true;
        }
    }
    PakFClose(file);
    return complete && anyPlayable;
}
