#pragma once

#include <stdexcept>
#include <string>

namespace vesk {

// Raised when an ini file cannot be written; the message names the file.
class IniWriteError : public std::runtime_error {
  public:
    IniWriteError(const std::string& path, const std::string& reason);
    const std::string& path() const { return path_; }

  private:
    std::string path_;
};

// A profile (ini) file with the rules of the Windows private-profile functions, written by hand
// because no library keeps them: names match without regard to case, a value is read trimmed,
// without one pair of outer quotes and cut at 2047 characters; a write replaces the value in
// place and leaves every other line byte for byte. Nothing is cached: every call reads or
// rewrites the file, and a rewrite goes through a temporary file renamed over the old one.
class IniFile {
  public:
    static constexpr std::size_t kMaxValueLength = 2047;

    explicit IniFile(std::string path);

    const std::string& path() const { return path_; }

    // The value, or defaultValue when the section or key is absent. An empty value reads as
    // empty. Of duplicated sections or keys the first one counts.
    std::string readString(const std::string& section, const std::string& key,
                           const std::string& defaultValue) const;
    bool sectionExists(const std::string& section) const;
    bool valueExists(const std::string& section, const std::string& key) const;

    // Writes create the file (not its folder). Each raises IniWriteError on failure.
    void writeString(const std::string& section, const std::string& key, const std::string& value);
    void eraseSection(const std::string& section);
    void deleteKey(const std::string& section, const std::string& key);

  private:
    std::string path_;
};

}  // namespace vesk
