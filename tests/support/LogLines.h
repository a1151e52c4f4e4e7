#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "support/TempDir.h"

namespace vesk::test {

// The texts of every line that a category's daily files below stationFolder/Log hold, oldest
// first, without the "YYYY-MM-DD HH:NN:SS.ZZZ " stamps. Empty when the category has no file.
inline std::vector<std::string> logTexts(const std::string& stationFolder,
                                         const std::string& category) {
    constexpr std::size_t kStampLength = 24;
    std::vector<std::string> texts;
    const std::filesystem::path root = std::filesystem::path(stationFolder) / "Log";
    std::error_code ec;
    if (!std::filesystem::exists(root, ec))
        return texts;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root, ec)) {
        const std::string name = entry.path().filename().string();
        if (!entry.is_regular_file() || name.rfind(category + "_", 0) != 0)
            continue;
        const std::string content = readFile(entry.path().string());
        std::size_t start = 0;
        while (start < content.size()) {
            std::size_t end = content.find("\r\n", start);
            if (end == std::string::npos)
                end = content.size();
            const std::string line = content.substr(start, end - start);
            texts.push_back(line.size() >= kStampLength ? line.substr(kStampLength) : line);
            start = end + 2;
        }
    }
    return texts;
}

}  // namespace vesk::test
