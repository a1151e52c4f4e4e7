#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vesk {

// A weight exactly as the indicator displays it: an integer count of its last digit and the
// number of decimals. Kept as integers so that the reply carries the indicator's digits and
// never binary-float noise such as 12.340000000000002.
struct DecimalValue {
    std::int64_t units = 0;
    int decimals = 0;

    static constexpr int kMaxDecimals = 6;

    // The value in millionths, for comparing readings with different decimals.
    std::int64_t micros() const;
    // JSON number text with exactly `decimals` decimals: "12340", "12.34", "-0.50", "0".
    std::string toJsonNumber() const;

    // Reads "[+-]digits[.digits]" (at most kMaxDecimals decimals); nothing else is accepted.
    static std::optional<DecimalValue> parse(std::string_view text);

    friend bool operator==(const DecimalValue&, const DecimalValue&) = default;
};

}  // namespace vesk
