#include "platform/FileSystem.h"

#include <filesystem>
#include <system_error>

namespace vesk {
namespace {

bool isSeparator(char c) {
    return c == '/' || c == pathSeparator();
}

}  // namespace

std::filesystem::path toFsPath(const std::string& path) {
    return std::filesystem::path(std::u8string(path.begin(), path.end()));
}

bool fileExists(const std::string& path) {
    if (path.empty())
        return false;
    std::error_code ec;
    return std::filesystem::is_regular_file(toFsPath(path), ec);
}

bool folderExists(const std::string& path) {
    if (path.empty())
        return false;
    std::error_code ec;
    return std::filesystem::is_directory(toFsPath(path), ec);
}

bool forceFolders(const std::string& path) {
    if (path.empty())
        return false;
    if (folderExists(path))
        return true;
    std::error_code ec;
    std::filesystem::create_directories(toFsPath(path), ec);
    return folderExists(path);
}

std::string joinPath(const std::string& folder, const std::string& name) {
    if (folder.empty())
        return name;
    if (isSeparator(folder.back()))
        return folder + name;
    return folder + pathSeparator() + name;
}

std::string folderOf(const std::string& path) {
    const auto pos = path.find_last_of(std::string("/") + pathSeparator());
    if (pos == std::string::npos)
        return {};
    if (pos == 0)
        return path.substr(0, 1);
    if (pos == 2 && path[1] == ':')
        return path.substr(0, 3);  // a drive's root keeps its separator
    return path.substr(0, pos);
}

std::string fileNameOf(const std::string& path) {
    const auto pos = path.find_last_of(std::string("/") + pathSeparator());
    return pos == std::string::npos ? path : path.substr(pos + 1);
}

}  // namespace vesk
