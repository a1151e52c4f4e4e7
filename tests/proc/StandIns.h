#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "support/TempDir.h"

namespace vesk::test {

// Real programs for the process tests: copies of a small stand-in program, placed under the
// names and in the folders a test needs. A stand-in reports how it was started and then runs
// until it is killed.

struct StandInReport {
    std::int64_t pid = 0;
    std::string workFolder;
    int argc = 0;
    std::vector<std::string> arguments;
};

// Copies the stand-in built under builtName to path (creating its folders), runnable.
std::string placeStandIn(const std::string& path,
                         const std::string& builtName = "veskAutoWeight.exe");

// The report of the stand-in at path, once it has written one (waits a few seconds at most).
std::optional<StandInReport> waitForReport(const std::string& path);

// Live processes (zombies excluded) running the executable file at path, or any below folder.
std::vector<std::int64_t> processesRunning(const std::string& path);
std::vector<std::int64_t> processesUnder(const std::string& folder);

// Waits (a few seconds at most) until the process no longer runs: gone, or a zombie.
bool waitUntilExited(std::int64_t pid);

// The one-letter state of a process ('R', 'S', 'Z', ...); '\0' when there is no such process.
char processState(std::int64_t pid);

// Starts the program as a direct child of the test, so that only the test can reap it.
std::int64_t startChild(const std::string& path);
// Reaps a child started by startChild (after it was killed).
void reapChild(std::int64_t pid);

// Held while a test starts or looks for processes under the station's fixed program names:
// test programs run side by side (ctest -j) would otherwise see each other's stand-ins.
class FixedNamesLock {
  public:
    FixedNamesLock();
    ~FixedNamesLock();
    FixedNamesLock(const FixedNamesLock&) = delete;
    FixedNamesLock& operator=(const FixedNamesLock&) = delete;

  private:
    int fd_ = -1;
};

// A temporary folder for stand-ins; whatever was started from it is killed on the way out.
class StandInFolder {
  public:
    StandInFolder() = default;
    ~StandInFolder();
    StandInFolder(const StandInFolder&) = delete;
    StandInFolder& operator=(const StandInFolder&) = delete;

    const std::string& path() const { return dir_.path(); }
    std::string file(const std::string& relative) const { return dir_.file(relative); }
    std::string place(const std::string& relative,
                      const std::string& builtName = "veskAutoWeight.exe") const {
        return placeStandIn(file(relative), builtName);
    }
    void killAll() const;

  private:
    TempDir dir_;
};

}  // namespace vesk::test
