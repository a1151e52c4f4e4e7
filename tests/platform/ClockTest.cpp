#include <gtest/gtest.h>

#include "platform/Clock.h"
#include "platform/FileSystem.h"

namespace vesk {
namespace {

TEST(FormatLocalTime, BothPatternFamilies) {
    const LocalTime t{2024, 9, 4, 8, 5, 3, 27};
    struct Case {
        const char* pattern;
        const char* expected;
    };
    const Case cases[] = {
        {"YYYY-MM-DD HH:NN:SS.ZZZ ", "2024-09-04 08:05:03.027 "},
        {"yy-MM-dd HH:mm:ss ", "24-09-04 08:05:03 "},
        {" yyyy-MM-dd HH:mm ", " 2024-09-04 08:05 "},
        {"YYYYMMDD", "20240904"},
        {"YYYY-MM", "2024-09"},
        {"dd", "04"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(formatLocalTime(t, c.pattern), c.expected) << c.pattern;
    }
}

TEST(SystemClock, GivesAPlausibleLocalTime) {
    const LocalTime t = systemClock().now();
    EXPECT_GE(t.year, 2024);
    EXPECT_GE(t.month, 1);
    EXPECT_LE(t.month, 12);
    EXPECT_LT(t.millisecond, 1000);
}

TEST(PathParts, FolderAndFileName) {
    EXPECT_EQ(folderOf("/opt/station/nginx.exe"), "/opt/station");
    EXPECT_EQ(folderOf("/nginx.exe"), "/");
    EXPECT_EQ(folderOf("nginx.exe"), "");
    EXPECT_EQ(fileNameOf("/opt/station/nginx.exe"), "nginx.exe");
    EXPECT_EQ(joinPath("/opt/station", "bin"), "/opt/station/bin");
    EXPECT_EQ(joinPath("/opt/station/", "bin"), "/opt/station/bin");
    EXPECT_FALSE(executableFolder().empty());
}

}  // namespace
}  // namespace vesk
