#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/IniFile.h"
#include "settings/UMyUtils.h"
#include "support/TempDir.h"

namespace vesk {
namespace {

namespace fs = std::filesystem;
using test::readFile;
using test::TempDir;
using test::writeFile;

const std::string kOther = "[FrmOther]\r\nvpb_prefixPath=E:\\other\\\r\n";

class SiteSettings : public ::testing::Test {
  protected:
    void SetUp() override { InitSiteSettings(dir.path()); }

    bool read(std::string& value) {
        return ReadSiteValue("FrmVeskCommStartup", "vpb_prefixPath", value, 0);
    }

    TempDir dir;
    std::string path = dir.file("bin/FormLayout.ini");
};

TEST_F(SiteSettings, PathLiesInBinBesideTheExecutable) {
    EXPECT_EQ(siteSettingsPath(), path);
}

TEST_F(SiteSettings, MissingFileReadsNothingAndCreatesOnlyTheFolder) {
    std::string value;
    EXPECT_FALSE(read(value));
    EXPECT_EQ(value, "");
    EXPECT_TRUE(fs::is_directory(dir.file("bin")));
    EXPECT_FALSE(fs::exists(path));
}

TEST_F(SiteSettings, ModeZeroReads) {
    struct Case {
        std::string section;
        bool found;
        std::string value;
    };
    const Case cases[] = {
        {"[FrmVeskCommStartup]\r\nvpb_prefixPath=D:\\vesk\\\r\n", true, "D:\\vesk\\"},
        {"[FRMVESKCOMMSTARTUP]\r\nVPB_PREFIXPATH=  D:\\x\\ \t\r\n", true, "D:\\x\\"},
        {"[frmveskcommstartup]\r\nvpb_prefixpath=   \r\n", true, ""},
        {"[FrmVeskCommStartup]\r\n!@#DelFlag=0\r\nvpb_prefixPath=D:\\a\\\r\n", true, "D:\\a\\"},
        {"[FrmVeskCommStartup]\r\n!@#DelFlag=\r\nvpb_prefixPath=D:\\b\\\r\n", true, "D:\\b\\"},
        {"[FrmVeskCommStartup]\r\n!@#DelFlag=!@#1234\r\nvpb_prefixPath=D:\\c\\\r\n", true,
         "D:\\c\\"},
        {"[FrmVeskCommStartup]\r\nvpb_prefixPath=" + std::string(3000, 'p') + "\r\n", true,
         std::string(2047, 'p')},
        {"[FrmVeskCommStartup]\r\nother=1\r\n", false, "unchanged"},
    };
    for (const auto& c : cases) {
        writeFile(path, c.section + kOther);
        std::string value = "unchanged";
        EXPECT_EQ(read(value), c.found) << c.section.substr(0, 60);
        EXPECT_EQ(value, c.value) << c.section.substr(0, 60);
        EXPECT_EQ(readFile(path), c.section + kOther);  // a plain read never writes
    }
}

TEST_F(SiteSettings, MarkedSectionIsErasedByTheRead) {
    const std::string marked =
        "[FrmVeskCommStartup]\r\nvpb_prefixPath=D:\\vesk\\\r\n!@#DELFLAG= !@#123 \r\n";
    writeFile(path, "; layout\r\n" + marked + kOther);
    std::string value = "kept";
    EXPECT_FALSE(read(value));
    EXPECT_EQ(value, "kept");
    EXPECT_EQ(readFile(path), "; layout\r\n" + kOther);
    EXPECT_FALSE(read(value));  // and every later start finds nothing
}

TEST_F(SiteSettings, ModeOneWritesUntrimmedUnderUpperCasedNames) {
    std::string value = " D:\\vesk\\ ";
    EXPECT_TRUE(ReadSiteValue("FrmVeskCommStartup", "vpb_prefixPath", value, 1));
    EXPECT_EQ(readFile(path), "[FRMVESKCOMMSTARTUP]\r\nVPB_PREFIXPATH= D:\\vesk\\ \r\n");
    std::string back;
    EXPECT_TRUE(read(back));
    EXPECT_EQ(back, "D:\\vesk\\");
}

TEST_F(SiteSettings, ModeTwoDeletesAndMarksTheSection) {
    writeFile(path, "[FrmVeskCommStartup]\r\nvpb_prefixPath=D:\\vesk\\\r\nkeep=1\r\n" + kOther);
    std::string value;
    EXPECT_FALSE(ReadSiteValue("FrmVeskCommStartup", "absent", value, 2));
    EXPECT_TRUE(ReadSiteValue("FrmVeskCommStartup", "vpb_prefixPath", value, 2));
    EXPECT_EQ(readFile(path), "[FrmVeskCommStartup]\r\nkeep=1\r\n!@#DelFlag=!@#123\r\n" + kOther);
    EXPECT_FALSE(read(value));
    EXPECT_EQ(readFile(path), kOther);
}

TEST_F(SiteSettings, OtherModesChangeNothing) {
    writeFile(path, kOther);
    for (int mode : {-1, 3, 99}) {
        std::string value = "v";
        EXPECT_FALSE(ReadSiteValue("FrmOther", "vpb_prefixPath", value, mode)) << mode;
        EXPECT_EQ(value, "v");
    }
    EXPECT_EQ(readFile(path), kOther);
}

TEST_F(SiteSettings, FailedWriteRaisesNamingTheFile) {
    writeFile(dir.file("bin"), "a file where the folder belongs");
    std::string value = "x";
    EXPECT_FALSE(read(value));
    try {
        ReadSiteValue("FrmVeskCommStartup", "vpb_prefixPath", value, 1);
        ADD_FAILURE() << "no error";
    } catch (const IniWriteError& e) {
        EXPECT_EQ(e.path(), path);
        EXPECT_NE(std::string(e.what()).find(path), std::string::npos);
    }
}

}  // namespace
}  // namespace vesk
