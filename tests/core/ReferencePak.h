// Pak archives built byte by byte in the tests, apart from the code under test: u32 magic, u32
// version, records {flags, name length, name, u32 size, u64 time}, an end flag, then the data, all
// little-endian, every byte XORed with ((3 p) mod 256) ^ 0xB3 at its offset p.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace ReferencePak {

struct Entry
{
    std::string name;
    std::string data;
    uint64_t fileTime = 0;
};

inline void PutLittleEndian(std::string& out, uint64_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i) {
        out += char((value >> (8 * i)) & 0xFF);
    }
}

inline std::string Header(uint32_t magic = 0xBAC04AC0, uint32_t version = 0)
{
    std::string out;
    PutLittleEndian(out, magic, 4);
    PutLittleEndian(out, version, 4);
    return out;
}

inline std::string Record(const std::string& name, uint64_t size, uint64_t fileTime, uint8_t flags = 0)
{
    std::string out;
    out += char(flags);
    out += char(name.size());
    out += name;
    PutLittleEndian(out, size, 4);
    PutLittleEndian(out, fileTime, 8);
    return out;
}

// The archive's content before scrambling.
inline std::string Plain(const std::vector<Entry>& entries)
{
    std::string out = Header();
    for (const Entry& entry : entries) {
        out += Record(entry.name, entry.data.size(), entry.fileTime);
    }
    out += char(0x80);
    for (const Entry& entry : entries) {
        out += entry.data;
    }
    return out;
}

inline std::string Scrambled(std::string bytes)
{
    for (size_t p = 0; p < bytes.size(); ++p) {
        bytes[p] = char(uint8_t(bytes[p]) ^ uint8_t((3 * p) % 256) ^ 0xB3);
    }
    return bytes;
}

inline std::string Archive(const std::vector<Entry>& entries)
{
    return Scrambled(Plain(entries));
}

} // namespace ReferencePak
