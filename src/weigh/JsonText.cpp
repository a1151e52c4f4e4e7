#include "weigh/JsonText.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <sstream>

#include "platform/Text.h"

namespace vesk {
namespace {

const JsonValue* findMember(const JsonValue& value, std::string_view name) {
    if (!value.is_object())
        return nullptr;
    const auto it = value.find(std::string(name));
    return it == value.end() ? nullptr : &*it;
}

std::int64_t integerFromFloat(double number) {
    constexpr double kLimit = 9.2e18;  // inside the range of int64 either way
    if (!std::isfinite(number) || std::fabs(number) >= kLimit)
        return 0;
    return static_cast<std::int64_t>(number);
}

std::int64_t integerFromText(const std::string& text) {
    const std::string trimmed = trimText(text);
    std::int64_t result = 0;
    const char* first = trimmed.data();
    const char* last = first + trimmed.size();
    if (first != last && *first == '+')
        ++first;
    const auto [end, error] = std::from_chars(first, last, result);
    return (error == std::errc() && end == last) ? result : 0;
}

void appendEscaped(std::string& out, std::string_view text) {
    static constexpr char kHex[] = "0123456789abcdef";
    out += '"';
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '/':
                out += "\\/";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                if (byte < 0x20) {
                    out += "\\u00";
                    out += kHex[byte >> 4];
                    out += kHex[byte & 0x0F];
                } else {
                    out += c;
                }
        }
    }
    out += '"';
}

void appendCompact(std::string& out, const JsonValue& value) {
    if (value.is_string()) {
        appendEscaped(out, value.get_ref<const std::string&>());
    } else if (value.is_object()) {
        out += '{';
        bool first = true;
        for (const auto& [key, member] : value.items()) {
            if (!first)
                out += ',';
            first = false;
            appendEscaped(out, key);
            out += ':';
            appendCompact(out, member);
        }
        out += '}';
    } else if (value.is_array()) {
        out += '[';
        bool first = true;
        for (const auto& element : value) {
            if (!first)
                out += ',';
            first = false;
            appendCompact(out, element);
        }
        out += ']';
    } else {
        out += value.dump();
    }
}

// No reply needs more; writing a deeper value out again recurses once per level, and a runaway
// service's megabyte of brackets would overflow the stack.
constexpr int kMaxNesting = 64;

// Whether the value the text begins with nests deeper than kMaxNesting. What follows that value
// is not looked at.
bool nestsTooDeep(std::string_view text) {
    const auto start = text.find_first_not_of(" \t\r\n");
    if (start == std::string_view::npos || (text[start] != '{' && text[start] != '['))
        return false;
    int depth = 0;
    bool inString = false;
    bool escaped = false;
    for (const char c : text.substr(start)) {
        if (inString) {
            if (escaped)
                escaped = false;
            else if (c == '\\')
                escaped = true;
            else if (c == '"')
                inString = false;
        } else if (c == '"') {
            inString = true;
        } else if (c == '{' || c == '[') {
            if (++depth > kMaxNesting)
                return true;
        } else if ((c == '}' || c == ']') && --depth == 0) {
            return false;
        }
    }
    return false;
}

}  // namespace

std::optional<JsonValue> parseJsonText(std::string_view text, std::string* error) {
    if (nestsTooDeep(text)) {
        if (error != nullptr)
            *error = "nested deeper than " + std::to_string(kMaxNesting) + " levels";
        return std::nullopt;
    }
    // Stream extraction stops after the first complete value instead of rejecting what follows.
    std::istringstream in{std::string(text)};
    JsonValue value;
    try {
        in >> value;
    } catch (const JsonValue::exception& e) {
        if (error != nullptr)
            *error = e.what();
        return std::nullopt;
    }
    return value;
}

std::int64_t jsonIntMember(const JsonValue& value, std::string_view name) {
    const JsonValue* member = findMember(value, name);
    if (member == nullptr)
        return 0;
    if (member->is_number_integer() && member->is_number_unsigned()) {
        const auto number = member->get<std::uint64_t>();
        return number > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())
                   ? 0
                   : static_cast<std::int64_t>(number);
    }
    if (member->is_number_integer())
        return member->get<std::int64_t>();
    if (member->is_number_float())
        return integerFromFloat(member->get<double>());
    if (member->is_boolean())
        return member->get<bool>() ? 1 : 0;
    if (member->is_string())
        return integerFromText(member->get_ref<const std::string&>());
    return 0;
}

std::string jsonTextMember(const JsonValue& value, std::string_view name) {
    const JsonValue* member = findMember(value, name);
    if (member == nullptr || member->is_null())
        return {};
    if (member->is_string())
        return member->get<std::string>();
    return writeJsonCompact(*member);
}

const JsonValue* jsonObjectMember(const JsonValue& value, std::string_view name) {
    const JsonValue* member = findMember(value, name);
    return (member != nullptr && member->is_object()) ? member : nullptr;
}

std::string writeJsonCompact(const JsonValue& value) {
    std::string out;
    appendCompact(out, value);
    return out;
}

std::string writeJsonOut(const JsonValue& value) {
    if (value.is_string())
        return value.get<std::string>();
    return writeJsonCompact(value);
}

}  // namespace vesk
