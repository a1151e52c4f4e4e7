#pragma once

#include <string>
#include <string_view>

namespace vesk {

// A mode of 0 or less selects every section; a positive one only the section with that code.
inline bool modeSelects(int mode, int code) {
    return mode <= 0 || mode == code;
}

// Summaries are built from fragments that each start with a comma; a finished summary drops
// the first comma and gets its closing words, an empty one stays empty.
inline void closeSummary(std::string& summary, std::string_view closingWords) {
    if (summary.empty())
        return;
    summary.erase(0, 1);
    summary += closingWords;
}

}  // namespace vesk
