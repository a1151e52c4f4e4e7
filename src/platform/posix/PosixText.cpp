#include "platform/Text.h"

namespace vesk {

// The narrow code page is UTF-8 here, so conversion is only the validity check.
std::string utf8ToNarrow(std::string_view utf8) {
    return isValidUtf8(utf8) ? std::string(utf8) : std::string();
}

std::string narrowToUtf8(std::string_view narrow) {
    return std::string(narrow);
}

}  // namespace vesk
