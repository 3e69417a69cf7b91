// mapgen: writes the linker map of a program in the form the crash report reads ("<program>.map"):
// its allocated sections, its symbols by section:offset and the source lines of each file, taken
// from the program's ELF symbol table and DWARF line tables. Sections are numbered by their index in
// the section header table and offsets counted from the section's start, as the crash report names
// addresses, so the names hold wherever the program is loaded.
//
// Usage: mapgen PROGRAM MAP
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <dwarf.h>
#include <elfutils/libdw.h>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <gelf.h>
#include <map>
#include <string>
#include <tuple>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

// The widest offset and line number the map's fixed columns hold.
constexpr uint64_t kMaxOffset = 0xFFFFFFFF;
constexpr int kMaxLine = 999999;
constexpr size_t kEntriesPerRow = 4;
constexpr size_t kRowLength = 80;

struct Section
{
    uint32_t index;
    std::string name;
    uint64_t address;
    uint64_t size;
    bool code;
};

struct Symbol
{
    uint32_t section;
    uint64_t offset;
    std::string name;
    uint64_t address;
    bool function;
    // Of several names at one address the reader keeps the last, so the best one is written last:
    // functions and objects before untyped labels, global names before local ones.
    int rank;
};

struct LineEntry
{
    uint64_t offset;
    int line;
};

// Source file and section index -> entries.
using LineBlocks = std::map<std::pair<std::string, uint32_t>, std::vector<LineEntry>>;

const Section* SectionAt(const std::vector<Section>& sections, uint64_t address)
{
    for (const Section& section : sections) {
        if (address >= section.address && address - section.address < section.size) {
            return &section;
        }
    }
    return nullptr;
}

std::vector<Section> ReadSections(Elf* elf)
{
    size_t names = 0;
    elf_getshdrstrndx(elf, &names);
    std::vector<Section> sections;
    for (Elf_Scn* scn = elf_nextscn(elf, nullptr); scn; scn = elf_nextscn(elf, scn)) {
        GElf_Shdr header;
        if (!gelf_getshdr(scn, &header) || !(header.sh_flags & SHF_ALLOC)) {
            continue;
        }
        const char* name = elf_strptr(elf, names, header.sh_name);
        sections.push_back({uint32_t(elf_ndxscn(scn)), name ? name : "", header.sh_addr, header.sh_size,
                            (header.sh_flags & SHF_EXECINSTR) != 0});
    }
    return sections;
}

bool Printable(const char* name)
{
    if (!*name) {
        return false;
    }
    for (const char* c = name; *c; ++c) {
        if (*c <= ' ') {
            return false;
        }
    }
    return true;
}

Elf_Scn* SymbolTable(Elf* elf)
{
    Elf_Scn* dynamic = nullptr;
    for (Elf_Scn* scn = elf_nextscn(elf, nullptr); scn; scn = elf_nextscn(elf, scn)) {
        GElf_Shdr header;
        if (gelf_getshdr(scn, &header) && header.sh_type == SHT_SYMTAB) {
            return scn;
        }
        if (gelf_getshdr(scn, &header) && header.sh_type == SHT_DYNSYM) {
            dynamic = scn;
        }
    }
    return dynamic;
}

std::vector<Symbol> ReadSymbols(Elf* elf, const std::vector<Section>& sections)
{
    std::vector<Symbol> symbols;
    Elf_Scn* table = SymbolTable(elf);
    GElf_Shdr header;
    if (!table || !gelf_getshdr(table, &header) || header.sh_entsize == 0) {
        return symbols;
    }
    Elf_Data* data = elf_getdata(table, nullptr);
    size_t count = header.sh_size / header.sh_entsize;
    for (size_t i = 0; data && i < count; ++i) {
        GElf_Sym symbol;
        if (!gelf_getsym(data, int(i), &symbol)) {
            continue;
        }
        int type = GELF_ST_TYPE(symbol.st_info);
        const char* name = elf_strptr(elf, header.sh_link, symbol.st_name);
        auto section = std::find_if(sections.begin(), sections.end(),
                                    [&](const Section& s) { return s.index == symbol.st_shndx; });
        if (!name || !Printable(name) || section == sections.end() ||
            (type != STT_FUNC && type != STT_OBJECT && type != STT_NOTYPE) || symbol.st_value < section->address ||
            symbol.st_value - section->address > kMaxOffset) {
            continue;
        }
        int rank = (type != STT_NOTYPE ? 2 : 0) + (GELF_ST_BIND(symbol.st_info) == STB_GLOBAL ? 1 : 0);
        symbols.push_back(
            {section->index, symbol.st_value - section->address, name, symbol.st_value, type == STT_FUNC, rank});
    }
    std::sort(symbols.begin(), symbols.end(), [](const Symbol& a, const Symbol& b) {
        return std::tie(a.section, a.offset, a.rank) < std::tie(b.section, b.offset, b.rank);
    });
    return symbols;
}

// Source files named relative to the folder they were compiled in, made whole.
std::string SourcePath(Dwarf_Die& unit, const char* file)
{
    Dwarf_Attribute attribute;
    const char* folder = dwarf_formstring(dwarf_attr(&unit, DW_AT_comp_dir, &attribute));
    if (file[0] == '/' || !folder) {
        return std::filesystem::path(file).lexically_normal().string();
    }
    return (std::filesystem::path(folder) / file).lexically_normal().string();
}

void ReadUnitLines(Dwarf_Die& unit, const std::vector<Section>& sections, LineBlocks& blocks)
{
    Dwarf_Lines* lines = nullptr;
    size_t count = 0;
    if (dwarf_getsrclines(&unit, &lines, &count) != 0) {
        return;
    }
    for (size_t i = 0; i < count; ++i) {
        Dwarf_Line* line = dwarf_onesrcline(lines, i);
        Dwarf_Addr address = 0;
        int number = 0;
        bool end = false;
        const char* file = line ? dwarf_linesrc(line, nullptr, nullptr) : nullptr;
        if (!file || dwarf_lineaddr(line, &address) != 0 || dwarf_lineno(line, &number) != 0 ||
            dwarf_lineendsequence(line, &end) != 0 || end || number <= 0 || number > kMaxLine) {
            continue;
        }
        const Section* section = SectionAt(sections, address);
        if (section && section->code && address - section->address <= kMaxOffset) {
            blocks[{SourcePath(unit, file), section->index}].push_back({address - section->address, number});
        }
    }
}

LineBlocks ReadLines(Dwarf* dwarf, const std::vector<Section>& sections)
{
    LineBlocks blocks;
    Dwarf_Off offset = 0;
    Dwarf_Off next = 0;
    size_t headerSize = 0;
    while (dwarf_nextcu(dwarf, offset, &next, &headerSize, nullptr, nullptr, nullptr) == 0) {
        Dwarf_Die unit;
        if (dwarf_offdie(dwarf, offset + headerSize, &unit)) {
            ReadUnitLines(unit, sections, blocks);
        }
        offset = next;
    }
    // Of the rows at one address the last is the one that holds from there on.
    for (auto& [key, entries] : blocks) {
        std::stable_sort(entries.begin(), entries.end(),
                         [](const LineEntry& a, const LineEntry& b) { return a.offset < b.offset; });
        std::vector<LineEntry> kept;
        for (const LineEntry& entry : entries) {
            if (!kept.empty() && kept.back().offset == entry.offset) {
                kept.back() = entry;
            } else {
                kept.push_back(entry);
            }
        }
        entries = std::move(kept);
    }
    return blocks;
}

std::string Format(const char* format, auto... arguments)
{
    char text[512];
    int length = std::snprintf(text, sizeof text, format, arguments...);
    return std::string(text, size_t(std::clamp(length, 0, int(sizeof text) - 1)));
}

void WriteMap(std::ostream& out, const std::string& program, const std::vector<Section>& sections,
              const std::vector<Symbol>& symbols, const LineBlocks& blocks)
{
    out << " " << program << "\n\n Preferred load address is 0000000000000000\n\n";
    out << " Start         Length     Name                   Class\n";
    for (const Section& section : sections) {
        out << Format(" %04X:00000000 %08llXH %-23s %s\n", section.index, (unsigned long long)section.size,
                      section.name.c_str(), section.code ? "CODE" : "DATA");
    }
    out << "\n  Address         Publics by Value              Rva+Base               Lib:Object\n\n";
    for (const Symbol& symbol : symbols) {
        out << Format(" %04X:%08llX       ", symbol.section, (unsigned long long)symbol.offset) << symbol.name
            << Format("%*s %016llX%s\n", int(std::max<size_t>(26, symbol.name.size()) - symbol.name.size()), "",
                      (unsigned long long)symbol.address, symbol.function ? " f" : "");
    }
    for (const auto& [key, entries] : blocks) {
        // Not a structured binding: clang before 16 cannot capture one in the lambda below.
        const auto& file = std::get<0>(key);
        const auto index = std::get<1>(key);
        auto section =
            std::find_if(sections.begin(), sections.end(), [&](const Section& s) { return s.index == index; });
        out << "\nLine numbers for " << program << "(" << file << ") segment " << section->name << "\n\n";
        for (size_t i = 0; i < entries.size(); i += kEntriesPerRow) {
            std::string row;
            for (size_t j = i; j < std::min(i + kEntriesPerRow, entries.size()); ++j) {
                row += Format("%6d %04X:%08llX", entries[j].line, index, (unsigned long long)entries[j].offset);
            }
            // The reader takes only whole rows; blank entries fill the last one, so that its entries count.
            row.resize(kRowLength, ' ');
            out << row << "\n";
        }
    }
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: mapgen PROGRAM MAP\n");
        return 2;
    }
    elf_version(EV_CURRENT);
    int fd = open(argv[1], O_RDONLY | O_CLOEXEC);
    Elf* elf = fd < 0 ? nullptr : elf_begin(fd, ELF_C_READ, nullptr);
    if (!elf || elf_kind(elf) != ELF_K_ELF) {
        std::fprintf(stderr, "mapgen: %s is not an ELF file\n", argv[1]);
        return 1;
    }
    std::vector<Section> sections = ReadSections(elf);
    std::vector<Symbol> symbols = ReadSymbols(elf, sections);
    // A program built without debugging information has symbols but no lines.
    Dwarf* dwarf = dwarf_begin_elf(elf, DWARF_C_READ, nullptr);
    LineBlocks blocks = dwarf ? ReadLines(dwarf, sections) : LineBlocks();
    std::string program = argv[1];
    program = program.substr(program.find_last_of('/') + 1);
    std::ofstream out(argv[2], std::ios::binary);
    WriteMap(out, program, sections, symbols, blocks);
    out.close();
    if (dwarf) {
        dwarf_end(dwarf);
    }
    elf_end(elf);
    close(fd);
    if (!out) {
        std::fprintf(stderr, "mapgen: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
