// Code addresses named by module and section, the image-help library's presence, the map file's
// choice, and the application pointer the crash report reaches the application through.
#include "diagnostics/CrashCatcher.h"

#include "app/TolmAppBase.h"
#include "core/PathUtils.h"
#include "platform/FileSystem.h"
#include "platform/ImageHelp.h"
#include "platform/Library.h"
#include "support/WorkingFolder.h"

#include <cstring>
#include <gmock/gmock.h>
#include <link.h>
#include <memory>
#include <ucontext.h>
#include <unistd.h>

using testing::EndsWith;

namespace {

struct Located
{
    bool found;
    std::string module;
    uint32_t section;
    uintptr_t offset;
};

Located Locate(uintptr_t address, size_t length = 4096)
{
    Located result{false, std::string(length, '\xFF'), 0, 0};
    result.found = CrashCatcher::GetLogicalAddress(reinterpret_cast<const void*>(address), result.module.data(), length,
                                                   result.section, result.offset);
    result.module.resize(std::strlen(result.module.c_str()));
    return result;
}

// The program's load base and its interpreter-path segment, which holds exactly its first section.
struct ProgramLayout
{
    uintptr_t loadBase = 0;
    uintptr_t interpreter = 0;
    uintptr_t interpreterSize = 0;
};

ProgramLayout ReadProgramLayout()
{
    ProgramLayout layout;
    dl_iterate_phdr(
        [](dl_phdr_info* info, size_t, void* data) {
            auto* found = static_cast<ProgramLayout*>(data);
            for (int i = 0; i < info->dlpi_phnum; ++i) {
                if (info->dlpi_phdr[i].p_type == PT_INTERP) {
                    *found = {info->dlpi_addr, info->dlpi_phdr[i].p_vaddr, info->dlpi_phdr[i].p_memsz};
                    return 1;
                }
            }
            return 0;
        },
        &layout);
    return layout;
}

} // namespace

TEST(FindSectionOffset, FirstSectionWhoseRangeHoldsTheAddressEndIncluded)
{
    const Platform::ModuleSection sections[] = {
        {1, 0x318, 0x1C}, {2, 0x338, 0x20}, {3, 0x358, 0x100}, {4, 0x458, 0x10}, {7, 0x1000, 0x500}};
    struct Case
    {
        const char* name;
        uintptr_t address;
        bool found;
        uint32_t section;
        uintptr_t offset;
    } cases[] = {
        {"the first section's start", 0x318, true, 1, 0},
        {"the first section's last byte", 0x333, true, 1, 0x1B},
        {"one past it, still the first section", 0x334, true, 1, 0x1C},
        {"between two sections", 0x335, false, 0, 0},
        {"the headers before every section", 0x100, false, 0, 0},
        {"where one section ends and the next starts", 0x458, true, 3, 0x100},
        {"inside the next", 0x459, true, 4, 1},
        {"a later section", 0x1234, true, 7, 0x234},
        {"past the last section's end", 0x1501, false, 0, 0},
    };
    for (const Case& c : cases) {
        uint32_t section = 0;
        uintptr_t offset = 0;
        EXPECT_EQ(FindSectionOffset(sections, std::size(sections), c.address, section, offset), c.found) << c.name;
        if (c.found) {
            EXPECT_EQ(section, c.section) << c.name;
            EXPECT_EQ(offset, c.offset) << c.name;
        }
    }
}

TEST(GetLogicalAddress, NamesTheProgramAndCountsSectionsFromOne)
{
    ProgramLayout layout = ReadProgramLayout();
    ASSERT_NE(layout.interpreter, 0u);
    Located first = Locate(layout.loadBase + layout.interpreter);
    EXPECT_TRUE(first.found);
    EXPECT_EQ(first.module, Platform::ProgramFile());
    EXPECT_EQ(first.section, 1u);
    EXPECT_EQ(first.offset, 0u);
    Located end = Locate(layout.loadBase + layout.interpreter + layout.interpreterSize);
    EXPECT_TRUE(end.found);
    EXPECT_EQ(end.section, 1u);
    EXPECT_EQ(end.offset, layout.interpreterSize);
}

TEST(GetLogicalAddress, TheElfHeaderAndMemoryOutsideEveryModuleLieInNoSection)
{
    ProgramLayout layout = ReadProgramLayout();
    Located header = Locate(layout.loadBase);
    EXPECT_FALSE(header.found);
    EXPECT_EQ(header.module, Platform::ProgramFile());
    auto heap = std::make_unique<char[]>(64);
    EXPECT_FALSE(Locate(reinterpret_cast<uintptr_t>(heap.get())).found);
    EXPECT_FALSE(Locate(16).found);
}

TEST(GetLogicalAddress, CodeOfASharedLibraryIsNamedByItsFile)
{
    // A function of the C library that no sanitizer takes the place of.
    Located located = Locate(reinterpret_cast<uintptr_t>(&getpid));
    EXPECT_TRUE(located.found);
    EXPECT_THAT(Tolm::StripDirectory(located.module), testing::StartsWith("libc.so"));
    EXPECT_NE(located.section, 0u);
}

TEST(GetLogicalAddress, ModuleNameIsCutToTheBuffer)
{
    Located located = Locate(reinterpret_cast<uintptr_t>(&FindSectionOffset), 5);
    EXPECT_TRUE(located.found);
    EXPECT_EQ(located.module, Platform::ProgramFile().substr(0, 4));
}

namespace {

class ImageHelpTest : public testing::Test
{
protected:
    ~ImageHelpTest() override
    {
        CrashCatcher::FreeImageHelp();
        Platform::InstallDefaultLibraries();
    }
};

} // namespace

TEST_F(ImageHelpTest, MissingLibraryOrEntryPointLeavesItUnloaded)
{
    EXPECT_TRUE(CrashCatcher::LoadImageHelp());
    Platform::RemoveLibrary(Platform::kImageHelpLibraryName);
    EXPECT_FALSE(CrashCatcher::LoadImageHelp());
    std::vector<Platform::LibraryExport> exports = Platform::ImageHelpExports();
    std::erase_if(exports, [](const auto& entry) { return std::strcmp(entry.name, "UnDecorateSymbolName") == 0; });
    Platform::InstallLibrary(Platform::kImageHelpLibraryName, exports);
    EXPECT_FALSE(CrashCatcher::LoadImageHelp());
}

TEST_F(ImageHelpTest, WithoutTheLibraryTheSymbolizedWalkIsEmpty)
{
    Platform::RemoveLibrary(Platform::kImageHelpLibraryName);
    CrashCatcher::LoadImageHelp();
    ucontext_t context{};
    EXPECT_EQ(CrashCatcher::StackWalkDump(Platform::ProcessorContext(&context), 0), "");
}

namespace {

class MapMergeTest : public ImageHelpTest
{
protected:
    WorkingFolder folder;
};

std::string Public(const std::string& address, const std::string& name)
{
    return " " + address + "       " + name + " 0000000000401000 f\n";
}

const std::string kEnd = Public("0002:00000000", "_end");

} // namespace

TEST_F(MapMergeTest, WithoutAMapFileTheReportStaysAsItIs)
{
    folder.Write("maps.txt", Public("0001:00000010", "Unread") + kEnd);
    Platform::MakeDirectory(folder.Path() + "folder.map");
    std::string report = "Logical Address: 0001:00000010\r\n";
    CrashCatcher::MergeMapFileSymbols(report);
    EXPECT_EQ(report, "Logical Address: 0001:00000010\r\n");
}

TEST_F(MapMergeTest, TheFirstMapInNameOrderNamesTheAddresses)
{
    folder.Write("b.map", Public("0001:00000000", "FromB") + kEnd);
    folder.Write("a.map", Public("0001:00000000", "FromA") + kEnd);
    std::string report = "0001:00000010";
    CrashCatcher::MergeMapFileSymbols(report);
    EXPECT_EQ(report, "FromA+0x10");
}

TEST_F(MapMergeTest, NamesAreMadeReadableOnceTheImageHelpLibraryIsLoaded)
{
    folder.Write("game.map", Public("0001:00000000", "_ZN4Tolm5Image4DrawEv") + Public("0001:00000100", "main") + kEnd);
    std::string report = "0001:00000004 0001:00000100";
    ASSERT_TRUE(CrashCatcher::LoadImageHelp());
    CrashCatcher::MergeMapFileSymbols(report);
    EXPECT_EQ(report, "Tolm::Image::Draw()+0x4 main");
}

namespace {

// The application as the crash report sees it: what it adds to a report, and whether it was hidden.
class ReportingApp : public Tolm::TolmAppBase
{
public:
    void Hide() override { ++hidden; }
    std::string GetExtraCrashInfo() override { return "replay.dmo"; }
    void AddCrashReportFields(std::map<std::string, std::string>& fields) override { fields["level"] = "12"; }

    int hidden = 0;
};

} // namespace

TEST(CrashCatcherApplication, HeldFromTheEndOfConstructionToTheStartOfDestruction)
{
    EXPECT_EQ(CrashCatcher::application, nullptr);
    auto app = std::make_unique<ReportingApp>();
    ASSERT_EQ(CrashCatcher::application, app.get());
    Tolm::TolmAppBase* seen = CrashCatcher::application;
    seen->Hide();
    std::map<std::string, std::string> fields;
    seen->AddCrashReportFields(fields);
    EXPECT_EQ(app->hidden, 1);
    EXPECT_EQ(fields, (std::map<std::string, std::string>{{"level", "12"}}));
    EXPECT_EQ(seen->GetExtraCrashInfo(), "replay.dmo");
    app.reset();
    EXPECT_EQ(CrashCatcher::application, nullptr);
}

TEST(CrashCatcherApplication, TheFrameworkAddsNoReportFields)
{
    Tolm::TolmAppBase app;
    std::map<std::string, std::string> fields;
    app.AddCrashReportFields(fields);
    EXPECT_TRUE(fields.empty());
    EXPECT_EQ(app.GetExtraCrashInfo(), "");
}
