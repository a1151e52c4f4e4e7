#include <gtest/gtest.h>

#include "platform/Text.h"

namespace vesk {
namespace {

TEST(TrimText, RemovesCodesUpToBlankFromBothEndsOnly) {
    EXPECT_EQ(trimText(" \t\r\n\x01 a b \x1f "), "a b");
    EXPECT_EQ(trimText("   "), "");
    EXPECT_EQ(trimText(""), "");
    EXPECT_EQ(trimText("\x7f"
                       "x"),
              "\x7f"
              "x");  // DEL is above 32
}

TEST(IsValidUtf8, AcceptsWellFormedAndRejectsBrokenSequences) {
    struct Case {
        const char* bytes;
        bool valid;
    };
    const Case cases[] = {
        {"plain ascii", true},
        {"\xe7\xa8\xb3\xe5\xae\x9a", true},  // 稳定
        {"\xf0\x9f\x9a\x9a", true},          // a four-byte sequence
        {"\xe7\xa8", false},                 // truncated at the end
        {"\xe7"
         "a"
         "\xb3",
         false},                      // continuation byte missing
        {"\x80", false},              // lone continuation byte
        {"\xc0\xaf", false},          // overlong slash
        {"\xed\xa0\x80", false},      // surrogate
        {"\xf4\x90\x80\x80", false},  // above U+10FFFF
        {"\xff", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(isValidUtf8(c.bytes), c.valid) << c.bytes;
    }
}

TEST(Utf8ToNarrow, InvalidInputBecomesEmpty) {
    EXPECT_EQ(utf8ToNarrow("\xe5\x9c\xb0\xe7\xa3\x85"), "\xe5\x9c\xb0\xe7\xa3\x85");
    EXPECT_EQ(utf8ToNarrow("ok\xe7\xa8"), "");
}

TEST(AsciiCase, OnlyLettersAToZFold) {
    EXPECT_TRUE(equalsIgnoreAsciiCase("VESKCOMM.EXE", "veskComm.exe"));
    EXPECT_FALSE(equalsIgnoreAsciiCase("veskComm.exe ", "veskComm.exe"));
    EXPECT_FALSE(equalsIgnoreAsciiCase("\xc3\x84", "\xc3\xa4"));  // Ä and ä differ
    EXPECT_EQ(toUpperAscii("vpb_prefixPath\xc3\xa4"), "VPB_PREFIXPATH\xc3\xa4");
}

}  // namespace
}  // namespace vesk
