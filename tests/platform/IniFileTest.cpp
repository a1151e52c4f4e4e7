#include "platform/IniFile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/TempDir.h"

namespace vesk {
namespace {

using test::readFile;
using test::TempDir;
using test::writeFile;

std::string replaced(std::string text, const std::string& from, const std::string& to) {
    const auto at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos)
        text.replace(at, from.size(), to);
    return text;
}

std::size_t entriesIn(const std::string& folder) {
    std::size_t count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder))
        ++count;
    return count;
}

// A hand-edited station file: BOM, CR LF, comments, a line without '=', odd spacing, quotes,
// empty values, a section spelled in capitals and a duplicate of the first section.
class StationIni : public ::testing::Test {
  protected:
    void SetUp() override {
        original = readFile(std::string(VESK_TEST_DATA_DIR) + "/ini/station.ini");
        ASSERT_FALSE(original.empty());
        writeFile(path, original);
    }

    TempDir dir;
    std::string path = dir.file("station.ini");
    std::string original;
    IniFile ini{path};
};

TEST_F(StationIni, ReadsByTheProfileRules) {
    struct Case {
        const char* section;
        const char* key;
        const char* expected;
    };
    const Case cases[] = {
        {"veskComm", "CommEnable", "1"},        // blanks around the value dropped
        {"VESKCOMM", "COMMTIMER", "0"},         // names match without regard to case
        {"veskComm", "CommHost", "127.0.0.1"},  // outer double quotes removed
        {"veskAutoWeight", "AutoWeightPath",    // outer single quotes removed
         "C:\\Program Files\\vesk\\veskAutoWeight.exe"},
        {"veskAutoWeight", "Empty", ""},  // empty value is not the default
        {"veskAutoWeight", "Blank", ""},
        {"veskAutoDoor", "AutoDoorEnable", "1"},
        {"veskComm", "CommExtra", "<default>"},  // only the first duplicate section counts
        {"veskComm", "Note line without equals", "<default>"},
        {"nosuch", "CommEnable", "<default>"},
        {"veskComm", "nosuch", "<default>"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ini.readString(c.section, c.key, "<default>"), c.expected)
            << c.section << "/" << c.key;
    }
    EXPECT_TRUE(ini.sectionExists("VeskAutoDoor"));
    EXPECT_FALSE(ini.sectionExists("carCamera"));
    EXPECT_TRUE(ini.valueExists("veskautoweight", "empty"));
    EXPECT_FALSE(ini.valueExists("veskComm", "CommExtra"));
}

TEST_F(StationIni, ReplacingAValueChangesOnlyThatLine) {
    ini.writeString("VESKCOMM", "commenable", "0");
    // The key keeps its spelling and spacing; the first duplicate is the one written.
    EXPECT_EQ(readFile(path), replaced(original, "CommEnable = 1 \r\n", "CommEnable = 0\r\n"));

    ini.writeString("veskautoweight", "empty", "filled");
    EXPECT_EQ(ini.readString("veskAutoWeight", "Empty", ""), "filled");
    EXPECT_EQ(ini.readString("veskComm", "CommEnable", ""), "0");
}

TEST_F(StationIni, NewKeyGoesAfterTheLastKeyOfItsSection) {
    ini.writeString("veskAutoWeight", "AutoWeightEnable", "1");
    EXPECT_EQ(readFile(path), replaced(original, "Unknown=keep me\r\n",
                                       "Unknown=keep me\r\nAutoWeightEnable=1\r\n"));
}

TEST_F(StationIni, NewSectionGoesAtTheEndWithTheFilesLineEnds) {
    ini.writeString("carCamera", "CarCameraEnable", "1");
    EXPECT_EQ(readFile(path), original + "[carCamera]\r\nCarCameraEnable=1\r\n");
}

TEST_F(StationIni, EraseAndDeleteTouchOnlyTheFirstMatch) {
    ini.deleteKey("VESKCOMM", "CommTimer");
    EXPECT_EQ(readFile(path), replaced(original, "  commtimer=0\r\n", ""));

    ini.eraseSection("veskautoweight");
    const std::string block =
        "[veskAutoWeight]\r\nAutoWeightPath = 'C:\\Program Files\\vesk\\veskAutoWeight.exe'\r\n"
        "Empty=\r\nBlank=   \r\nUnknown=keep me\r\n\r\n; the gate follows\r\n";
    EXPECT_EQ(readFile(path), replaced(replaced(original, "  commtimer=0\r\n", ""), block, ""));

    // The duplicate section comes into view once the first one is gone.
    ini.eraseSection("veskComm");
    EXPECT_EQ(ini.readString("veskComm", "CommExtra", ""), "from the duplicate");
}

TEST_F(StationIni, RemovingWhatIsAbsentLeavesTheFileAlone) {
    ini.deleteKey("veskComm", "nosuch");
    ini.deleteKey("nosuch", "CommEnable");
    ini.eraseSection("nosuch");
    EXPECT_EQ(readFile(path), original);
}

TEST(IniFile, LfFilesStayLfAndALastLineGetsItsEnd) {
    TempDir dir;
    const std::string path = dir.file("lf.ini");
    writeFile(path, "[a]\nx=1");
    IniFile ini(path);
    ini.writeString("a", "y", "2");
    EXPECT_EQ(readFile(path), "[a]\nx=1\ny=2\n");
    ini.writeString("b", "z", "3");
    EXPECT_EQ(readFile(path), "[a]\nx=1\ny=2\n[b]\nz=3\n");
}

TEST(IniFile, EmptySectionAtTheEndWithoutLineEnd) {
    TempDir dir;
    const std::string path = dir.file("a.ini");
    writeFile(path, "[a]\r\nx=1\r\n[b]");
    IniFile(path).writeString("B", "k", "v");
    EXPECT_EQ(readFile(path), "[a]\r\nx=1\r\n[b]\r\nk=v\r\n");
}

TEST(IniFile, MissingFileReadsEmptyAndAWriteCreatesIt) {
    TempDir dir;
    const std::string path = dir.file("new.ini");
    IniFile ini(path);
    EXPECT_EQ(ini.readString("s", "k", "dflt"), "dflt");
    EXPECT_FALSE(ini.sectionExists("s"));
    ini.eraseSection("s");
    ini.deleteKey("s", "k");
    EXPECT_FALSE(std::filesystem::exists(path));

    ini.writeString("s", "k", "计量服务");
    ini.writeString("s", "k2", "");
    EXPECT_EQ(readFile(path), "[s]\r\nk=计量服务\r\nk2=\r\n");
    EXPECT_EQ(ini.readString("s", "k", ""), "计量服务");
    EXPECT_EQ(ini.readString("s", "k2", "dflt"), "");
}

TEST(IniFile, EveryCallSeesTheFileAsItIsNow) {
    TempDir dir;
    const std::string path = dir.file("a.ini");
    IniFile reader(path);
    writeFile(path, "[s]\nk=1\n");
    EXPECT_EQ(reader.readString("s", "k", ""), "1");
    writeFile(path, "[s]\nk=2\n");
    EXPECT_EQ(reader.readString("s", "k", ""), "2");
    IniFile(path).writeString("s", "k", "3");
    EXPECT_EQ(reader.readString("s", "k", ""), "3");
}

TEST(IniFile, ValuesReadQuotesOffAndCutAt2047) {
    TempDir dir;
    const std::string path = dir.file("v.ini");
    IniFile ini(path);
    const std::string x2100(2100, 'x');
    struct Case {
        std::string stored;
        std::string expected;
    };
    const Case cases[] = {
        {"\"quoted\"", "quoted"},
        {"'single'", "single"},
        {"  \" inner blanks kept \"  ", " inner blanks kept "},
        {"\"\"", ""},
        {"\"mismatched'", "\"mismatched'"},
        {"\"", "\""},
        {"\"a\"b\"", "a\"b"},  // one pair only
        {std::string(2047, 'a'), std::string(2047, 'a')},
        {std::string(2048, 'a'), std::string(2047, 'a')},
        {"\"" + x2100 + "\"", std::string(2047, 'x')},
        // A cut inside a character drops the whole character.
        {std::string(2045, 'a') + "中", std::string(2045, 'a')},
        {std::string(2044, 'a') + "中", std::string(2044, 'a') + "中"},
    };
    for (const auto& c : cases) {
        writeFile(path, "[s]\r\nk=" + c.stored + "\r\n");
        EXPECT_EQ(ini.readString("s", "k", "<default>"), c.expected) << c.stored.substr(0, 40);
    }
}

TEST(IniFile, OddLinesDoNotDisturbReading) {
    TempDir dir;
    const std::string path = dir.file("odd.ini");
    const std::string content =
        "orphan=before any section\n"
        "[broken\n"
        "garbage without equals\n"
        "=no key\n"
        "\t[ spaced ]  \n"
        ";k=commented\n"
        "k=real\n";
    writeFile(path, content);
    IniFile ini(path);
    EXPECT_EQ(ini.readString("spaced", "k", ""), "real");
    EXPECT_EQ(ini.readString("broken", "k", "<default>"), "<default>");
    EXPECT_EQ(ini.readString("spaced", ";k", "<default>"), "<default>");
    ini.writeString("spaced", "k", "new");
    EXPECT_EQ(readFile(path), replaced(content, "k=real\n", "k=new\n"));
}

TEST(IniFile, WriteRefusesWhatWouldBreakTheLines) {
    TempDir dir;
    const std::string path = dir.file("a.ini");
    writeFile(path, "[s]\r\nk=1\r\n");
    IniFile ini(path);
    struct Case {
        const char* section;
        const char* key;
        const char* value;
    };
    const Case cases[] = {
        {"s", "k", "1\r\n[veskComm]\r\nCommEnable=1"},
        {"s", "k", "a\nb"},
        {"s\nx", "k", "v"},
        {"s]x", "k", "v"},
        {"s", "a=b", "v"},
        {"s", "", "v"},
        {"", "k", "v"},
    };
    for (const auto& c : cases) {
        EXPECT_THROW(ini.writeString(c.section, c.key, c.value), IniWriteError) << c.value;
    }
    EXPECT_EQ(readFile(path), "[s]\r\nk=1\r\n");
}

TEST(IniFile, FailedWritesNameTheFileAndKeepItWhole) {
    TempDir dir;
    std::filesystem::create_directories(dir.file("folder.ini"));
    const std::string paths[] = {
        dir.file("missing/a.ini"),  // folder not created for the file
        dir.file("folder.ini"),     // a folder stands where the file must go
        "/proc/vesk-ini-test.ini",  // a place nobody may create files, root included
    };
    for (const auto& path : paths) {
        try {
            IniFile(path).writeString("s", "k", "v");
            ADD_FAILURE() << "no error for " << path;
        } catch (const IniWriteError& e) {
            EXPECT_EQ(e.path(), path);
            EXPECT_NE(std::string(e.what()).find(path), std::string::npos) << e.what();
        }
    }
    EXPECT_FALSE(std::filesystem::exists(dir.file("missing")));
    EXPECT_EQ(entriesIn(dir.path()), 1u);  // no temporary file left behind
    EXPECT_EQ(entriesIn(dir.file("folder.ini")), 0u);
    EXPECT_THROW(IniFile(dir.file("folder.ini")).eraseSection("s"), IniWriteError);
    EXPECT_EQ(IniFile(dir.file("folder.ini")).readString("s", "k", "d"), "d");
}

TEST(IniFile, RewriteLeavesNoTemporaryAndKeepsPermissions) {
    TempDir dir;
    const std::string path = dir.file("a.ini");
    writeFile(path, "[s]\r\nk=1\r\n");
    namespace fs = std::filesystem;
    fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write);
    IniFile(path).writeString("s", "k", "2");
    EXPECT_EQ(entriesIn(dir.path()), 1u);
    EXPECT_EQ(fs::status(path).permissions(), fs::perms::owner_read | fs::perms::owner_write);
}

}  // namespace
}  // namespace vesk
