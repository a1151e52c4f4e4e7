#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

namespace vesk {

// Member order is kept as received so that a reply written out again reads like the original.
using JsonValue = nlohmann::ordered_json;

// The JSON value the text begins with; whatever follows it is ignored. Nothing for a text that
// does not begin with JSON, the empty text included, and for a value nested deeper than any
// reply is. The error text says why.
std::optional<JsonValue> parseJsonText(std::string_view text, std::string* error = nullptr);

// The member as an integer; 0 when it is absent, null, or not a number.
std::int64_t jsonIntMember(const JsonValue& value, std::string_view name);

// A string member's text; any other member's JSON text (true gives "true", 12.5 gives "12.5");
// the empty text when it is absent or null.
std::string jsonTextMember(const JsonValue& value, std::string_view name);

// The member when it is present and an object.
const JsonValue* jsonObjectMember(const JsonValue& value, std::string_view name);

// Compact JSON with the escaping of the station's other programs: the slash as \/, and every
// control character escaped so that a reply stays valid JSON and a log line stays one line.
std::string writeJsonCompact(const JsonValue& value);

// What a reply hands on: a string value as its own text, anything else as compact JSON.
std::string writeJsonOut(const JsonValue& value);

}  // namespace vesk
