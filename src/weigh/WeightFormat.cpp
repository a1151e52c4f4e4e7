#include "weigh/WeightFormat.h"

#include <charconv>
#include <cmath>
#include <optional>
#include <system_error>

#include "platform/Text.h"

namespace vesk {
namespace {

constexpr int kDecimals = 4;
// No finite double has more integer digits than this.
constexpr long kMaxIntegerDigits = 309;
// Keeps exponent arithmetic far from overflow; anything this large is out of range anyway.
constexpr long kExponentClamp = 100000;

// value = (negative ? -1 : 1) * digits * 10^scale, digits without leading zeros (empty: zero).
struct Decimal {
    bool negative = false;
    std::string digits;
    long scale = 0;
};

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

std::size_t readDigits(std::string_view text, std::size_t pos, std::string& into) {
    while (pos < text.size() && isDigit(text[pos]))
        into += text[pos++];
    return pos;
}

std::optional<long> readExponent(std::string_view text, std::size_t& pos) {
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-'))
        negative = text[pos++] == '-';
    if (pos >= text.size() || !isDigit(text[pos]))
        return std::nullopt;
    long exponent = 0;
    for (; pos < text.size() && isDigit(text[pos]); ++pos) {
        if (exponent < kExponentClamp)
            exponent = exponent * 10 + (text[pos] - '0');
    }
    return negative ? -exponent : exponent;
}

std::optional<Decimal> parseDecimal(std::string_view raw) {
    const std::string text = trimText(raw);
    Decimal value;
    std::size_t pos = 0;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-'))
        value.negative = text[pos++] == '-';
    std::string digits;
    pos = readDigits(text, pos, digits);
    const std::size_t integerDigits = digits.size();
    if (pos < text.size() && text[pos] == '.')
        pos = readDigits(text, pos + 1, digits);
    if (digits.empty())
        return std::nullopt;
    long exponent = 0;
    if (pos < text.size() && (text[pos] == 'e' || text[pos] == 'E')) {
        ++pos;
        const auto read = readExponent(text, pos);
        if (!read)
            return std::nullopt;
        exponent = *read;
    }
    if (pos != text.size())
        return std::nullopt;
    value.scale = exponent - static_cast<long>(digits.size() - integerDigits);
    const auto firstNonZero = digits.find_first_not_of('0');
    value.digits = firstNonZero == std::string::npos ? std::string() : digits.substr(firstNonZero);
    if (static_cast<long>(value.digits.size()) + value.scale > kMaxIntegerDigits)
        return std::nullopt;
    return value;
}

// Adds one unit in the last place of a digit string; may grow it by a leading '1'.
void incrementDigits(std::string& digits) {
    for (auto it = digits.rbegin(); it != digits.rend(); ++it) {
        if (*it != '9') {
            ++*it;
            return;
        }
        *it = '0';
    }
    digits.insert(digits.begin(), '1');
}

std::string formatDecimal(const Decimal& value) {
    if (value.digits.empty())
        return "0";
    if (value.scale >= 0) {
        return (value.negative ? "-" : "") + value.digits +
               std::string(static_cast<std::size_t>(value.scale), '0');
    }
    const auto fractionDigits = static_cast<std::size_t>(-value.scale);
    std::string digits = value.digits;
    if (digits.size() <= fractionDigits)
        digits.insert(0, fractionDigits + 1 - digits.size(), '0');
    std::string integerPart = digits.substr(0, digits.size() - fractionDigits);
    std::string fraction = digits.substr(digits.size() - fractionDigits);
    if (fraction.size() > kDecimals) {
        const bool roundUp = fraction[kDecimals] >= '5';
        fraction.resize(kDecimals);
        if (roundUp) {
            std::string joined = integerPart + fraction;
            incrementDigits(joined);
            integerPart = joined.substr(0, joined.size() - kDecimals);
            fraction = joined.substr(joined.size() - kDecimals);
        }
    }
    while (!fraction.empty() && fraction.back() == '0')
        fraction.pop_back();
    const auto firstNonZero = integerPart.find_first_not_of('0');
    integerPart = firstNonZero == std::string::npos ? "0" : integerPart.substr(firstNonZero);
    if (integerPart == "0" && fraction.empty())
        return "0";
    return (value.negative ? "-" : "") + integerPart + (fraction.empty() ? "" : "." + fraction);
}

}  // namespace

double weightTextToNumber(std::string_view text) {
    const auto value = parseDecimal(text);
    if (!value || value->digits.empty())
        return 0.0;
    const std::string normal = value->digits + "e" + std::to_string(value->scale);
    double number = 0.0;
    const auto [end, error] = std::from_chars(normal.data(), normal.data() + normal.size(), number);
    if (error != std::errc() || end != normal.data() + normal.size() || !std::isfinite(number))
        return 0.0;
    return value->negative ? -number : number;
}

std::string formatWeight(std::string_view text) {
    const auto value = parseDecimal(text);
    if (!value)
        return "0";
    // Out of the range of a double: no number, like any other unreadable weight.
    if (!value->digits.empty() && weightTextToNumber(text) == 0.0)
        return "0";
    return formatDecimal(*value);
}

}  // namespace vesk
