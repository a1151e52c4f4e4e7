#include "DecimalValue.h"

#include <cstdlib>

namespace vesk {
namespace {

std::int64_t powerOfTen(int exponent) {
    std::int64_t result = 1;
    for (int i = 0; i < exponent; ++i) {
        result *= 10;
    }
    return result;
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

}  // namespace

std::int64_t DecimalValue::micros() const {
    return units * powerOfTen(kMaxDecimals - decimals);
}

std::string DecimalValue::toJsonNumber() const {
    std::string digits = std::to_string(units < 0 ? -units : units);
    if (decimals > 0) {
        const auto width = static_cast<std::size_t>(decimals) + 1;
        if (digits.size() < width) {
            digits.insert(0, width - digits.size(), '0');
        }
        digits.insert(digits.size() - static_cast<std::size_t>(decimals), 1, '.');
    }
    // A negative zero is still zero; JSON readers differ on "-0".
    return units < 0 ? "-" + digits : digits;
}

std::optional<DecimalValue> DecimalValue::parse(std::string_view text) {
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    DecimalValue value;
    bool seenPoint = false;
    int integerDigits = 0;
    for (const char c : text) {
        if (c == '.' && !seenPoint) {
            seenPoint = true;
        } else if (isDigit(c)) {
            // Fifteen digits keep every value far inside 64 bits, even in millionths.
            if (integerDigits + value.decimals >= 15) {
                return std::nullopt;
            }
            value.units = value.units * 10 + (c - '0');
            (seenPoint ? value.decimals : integerDigits) += 1;
        } else {
            return std::nullopt;
        }
    }
    if (integerDigits == 0 || (seenPoint && value.decimals == 0) || value.decimals > kMaxDecimals) {
        return std::nullopt;
    }
    if (negative) {
        value.units = -value.units;
    }
    return value;
}

}  // namespace vesk
