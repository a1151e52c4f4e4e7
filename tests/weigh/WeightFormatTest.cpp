#include <gtest/gtest.h>

#include "weigh/WeightFormat.h"

namespace vesk {
namespace {

TEST(WeightFormat, RoundsHalfAwayFromZeroOnTheDigitsAsWritten) {
    const struct {
        const char* text;
        const char* expected;
    } rows[] = {
        {"12340", "12340"},
        {"12.5", "12.5"},
        {"12.34567", "12.3457"},
        {"1.23456", "1.2346"},
        {"1.23455", "1.2346"},
        {"-1.23455", "-1.2346"},
        {"1.23454999", "1.2345"},
        {"0.00005", "0.0001"},
        {"0.00004", "0"},
        {"-0.00004", "0"},
        {"-0", "0"},
        {"9.99995", "10"},
        {"-9.99995", "-10"},
        {"12340.0000", "12340"},
        {"000123.40", "123.4"},
        {" 12.50 ", "12.5"},
        {"+7", "7"},
        {".5", "0.5"},
        {"5.", "5"},
        {"1e3", "1000"},
        {"1.5E-2", "0.015"},
        {"1.5e+20", "150000000000000000000"},
        {"-2.5e-5", "0"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(formatWeight(row.text), row.expected) << row.text;
}

TEST(WeightFormat, TextThatIsNoNumberShowsZero) {
    for (const char* text : {"", " ", "abc", "1,5", "12kg", "1e", "e5", "0x10", "--1", ".", "nan",
                             "inf", "1e400", "true", "1 2"})
        EXPECT_EQ(formatWeight(text), "0") << text;
}

TEST(WeightFormat, WeightTextsCompareAsNumbers) {
    EXPECT_EQ(weightTextToNumber("12340"), weightTextToNumber("12340.0"));
    EXPECT_EQ(weightTextToNumber(" -1.5 "), -1.5);
    EXPECT_EQ(weightTextToNumber("abc"), 0.0);
    EXPECT_EQ(weightTextToNumber("1e400"), 0.0);
    EXPECT_EQ(weightTextToNumber("0.001"), 0.001);
}

}  // namespace
}  // namespace vesk
