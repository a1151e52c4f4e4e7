#include <gtest/gtest.h>

#include "DecimalValue.h"

namespace vesk {
namespace {

TEST(DecimalValue, WritesExactlyTheIndicatorsDecimals) {
    const struct {
        DecimalValue value;
        const char* json;
    } cases[] = {
        {{12340, 0}, "12340"}, {{1234, 2}, "12.34"}, {{-5, 1}, "-0.5"}, {{-50, 2}, "-0.50"},
        {{5, 4}, "0.0005"},    {{0, 2}, "0.00"},     {{0, 0}, "0"},     {{1234000, 3}, "1234.000"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.value.toJsonNumber(), c.json);
    }
}

TEST(DecimalValue, ParsesOnlyPlainDecimals) {
    EXPECT_EQ(DecimalValue::parse("+0012.34"), (DecimalValue{1234, 2}));
    EXPECT_EQ(DecimalValue::parse("-0.5"), (DecimalValue{-5, 1}));
    EXPECT_EQ(DecimalValue::parse("20"), (DecimalValue{20, 0}));
    for (const char* bad :
         {"", "-", ".5", "5.", "1.2.3", "1e3", "12 3", "0.1234567", "1234567890123456"}) {
        EXPECT_FALSE(DecimalValue::parse(bad)) << bad;
    }
}

TEST(DecimalValue, ComparesAcrossDecimals) {
    EXPECT_EQ((DecimalValue{1234, 2}).micros(), (DecimalValue{12340, 3}).micros());
    EXPECT_LT((DecimalValue{-1, 0}).micros(), (DecimalValue{1, 4}).micros());
}

}  // namespace
}  // namespace vesk
