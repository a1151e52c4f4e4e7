#pragma once

#include <string>

namespace vesk::test {

// A fresh folder below the system's temporary folder, removed with everything in it when the
// object goes away.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    std::string file(const std::string& relative) const { return path_ + "/" + relative; }

  private:
    std::string path_;
};

// Whole-file helpers for assertions and fixtures.
std::string readFile(const std::string& path);
void writeFile(const std::string& path, const std::string& content);

}  // namespace vesk::test
