#pragma once

#include <string>
#include <string_view>

namespace vesk {

// Removes the characters with codes up to and including 32 (blanks and control characters)
// from both ends.
std::string trimText(std::string_view text);

// True when the bytes are well-formed UTF-8 (no truncated or overlong sequence, no surrogate,
// nothing above U+10FFFF).
bool isValidUtf8(std::string_view bytes);

// Converts UTF-8 to the system's narrow code page; a text that is not valid UTF-8 converts to
// the empty text. The narrow code page is UTF-8 on Linux and the ANSI code page on Windows.
std::string utf8ToNarrow(std::string_view utf8);

// Converts narrow text back to UTF-8 (for the wire and for Qt).
std::string narrowToUtf8(std::string_view narrow);

// As utf8ToNarrow, but text the code page cannot hold is kept as it came: a log line or a
// stored value must not turn into nothing.
std::string toNarrowKeepingBytes(std::string_view utf8);

// Letter case rules of the station: only a to z fold, every other byte compares exactly.
char toLowerAscii(char c);
std::string toUpperAscii(std::string_view text);
bool equalsIgnoreAsciiCase(std::string_view a, std::string_view b);

}  // namespace vesk
