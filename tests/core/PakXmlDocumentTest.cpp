#include "core/PakXmlDocument.h"

#include "ReferencePak.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>
#include <tinyxml.h>

namespace {

// The process-wide interface, with an archive of this test's own names added to it.
class SharedPakTest : public testing::Test
{
protected:
    void AddArchive(const std::vector<ReferencePak::Entry>& entries)
    {
        temp.Write("shared.pak", ReferencePak::Archive(entries));
        ASSERT_TRUE(GetSharedPakInterface()->AddPakFile(temp.Path() + "shared.pak"));
    }

    TempFolder temp;
};

TEST_F(SharedPakTest, FreeFunctionsReadThroughTheProcessWideInterface)
{
    AddArchive({{"free\\text.txt", "one\r\ntwo"}, {"free\\sub\\more.txt", "x"}});
    temp.Write("disk.txt", "disk");

    Tolm::PakFileHandle* file = PakFOpen("FREE/TEXT.TXT", "r");
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(PakFSeek(file, 0, SEEK_END), 0);
    EXPECT_EQ(PakFTell(file), 8);
    PakFSeek(file, 0, SEEK_SET);
    char line[16];
    ASSERT_EQ(PakFGetS(line, sizeof line, file), line);
    EXPECT_STREQ(line, "one\n");
    EXPECT_EQ(PakFGetC(file), 't');
    EXPECT_EQ(PakUnGetC('t', file), 't');
    char rest[3];
    EXPECT_EQ(PakFRead(rest, 3, 1, file), 1);
    EXPECT_EQ(std::string(rest, 3), "two");
    EXPECT_EQ(PakFEof(file), 1);
    EXPECT_EQ(PakFClose(file), 0);

    file = PakFOpen((temp.Path() + "DISK.TXT").c_str(), "rb");
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(PakFGetC(file), 'd');
    PakFClose(file);

    Platform::FindData data;
    Tolm::PakFindHandle* search = PakFindFirstFile("free\\*", &data);
    ASSERT_NE(search, nullptr);
    EXPECT_EQ(data.fileName, "more.txt");
    ASSERT_TRUE(PakFindNextFile(search, &data));
    EXPECT_EQ(data.fileName, "text.txt");
    EXPECT_TRUE(PakFindClose(search));
}

TEST_F(SharedPakTest, XmlDocumentsLoadFromArchivesWithLineEndsMadeLineFeeds)
{
    AddArchive(
        {{"xml\\doc.xml", "<?xml version=\"1.0\"?>\r\n<root a=\"one\r\ntwo\rthree\n\">\r\n<item/>\r\n</root>\r\n"}});
    TiXmlDocument document;
    ASSERT_TRUE(LoadXmlDocument(document, "XML/Doc.xml"));
    EXPECT_STREQ(document.Value(), "XML/Doc.xml");
    const TiXmlElement* root = document.RootElement();
    ASSERT_NE(root, nullptr);
    EXPECT_STREQ(root->Value(), "root");
    EXPECT_STREQ(root->Attribute("a"), "one\ntwo\nthree\n");
    EXPECT_NE(root->FirstChildElement("item"), nullptr);
}

TEST_F(SharedPakTest, XmlDocumentsLoadFromDiskAndFromAnOpenHandleAtAnyPosition)
{
    temp.Write("disk.xml", "<disk>text</disk>");
    TiXmlDocument fromDisk;
    ASSERT_TRUE(LoadXmlDocument(fromDisk, (temp.Path() + "disk.xml").c_str()));
    EXPECT_STREQ(fromDisk.RootElement()->GetText(), "text");

    AddArchive({{"xml\\handle.xml", "<handle/>"}});
    Tolm::PakFileHandle* file = PakFOpen("xml\\handle.xml", "rb");
    ASSERT_NE(file, nullptr);
    PakFSeek(file, 4, SEEK_SET);
    TiXmlDocument fromHandle;
    EXPECT_TRUE(LoadXmlDocument(fromHandle, file));
    EXPECT_STREQ(fromHandle.RootElement()->Value(), "handle");
    PakFClose(file);
}

TEST_F(SharedPakTest, XmlDocumentsReportWhyTheyDidNotLoad)
{
    // The last one ends inside a two-byte UTF-8 character, which the parser steps over whole.
    AddArchive({{"xmlerr\\empty.xml", ""},
                {"xmlerr\\bad.xml", "<root><open></root>"},
                {"xmlerr\\cut.xml", "<?xml version=\"1.0\"?><root>\xD0"}});
    struct Case
    {
        const char* name;
        int errorId;
        const char* errorDesc;
    } cases[] = {
        {"xmlerr\\missing.xml", 2, "Failed to open file"},
        // TinyXML 2.6 numbers this error 12; its text is what the program shows.
        {"xmlerr\\empty.xml", TiXmlBase::TIXML_ERROR_DOCUMENT_EMPTY, "Error document empty."},
        {"xmlerr\\bad.xml", TiXmlBase::TIXML_ERROR_READING_END_TAG, "Error reading end tag."},
        {"xmlerr\\cut.xml", TiXmlBase::TIXML_ERROR_READING_ELEMENT_VALUE, "Error reading Element value."},
    };
    // One document for every case: an earlier error must not hide a later one.
    TiXmlDocument document;
    for (const Case& c : cases) {
        EXPECT_FALSE(LoadXmlDocument(document, c.name)) << c.name;
        EXPECT_TRUE(document.Error()) << c.name;
        EXPECT_EQ(document.ErrorId(), c.errorId) << c.name;
        EXPECT_STREQ(document.ErrorDesc(), c.errorDesc) << c.name;
    }
    EXPECT_FALSE(LoadXmlDocument(document, "xmlerr\\missing.xml"));
    EXPECT_EQ(document.ErrorId(), 2);
}

} // namespace
