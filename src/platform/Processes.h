#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vesk {

struct ProcessEntry {
    std::int64_t id = 0;
    // The whole executable file name (or a full path); never a shortened form when a better
    // one can be read.
    std::string exeName;
};

// Show modes of the shell launch. They mean nothing on X11; accepted and ignored there.
enum class ShowMode { Normal, Hidden };

struct LaunchResult {
    bool started = false;
    std::string error;  // why not, in the system's language, when started is false
};

// The process table and the program launcher of this operating system.
class ProcessPort {
  public:
    virtual ~ProcessPort() = default;

    // Every running process (zombies excluded), in the order the system lists them. A failure
    // to list yields no entries.
    virtual std::vector<ProcessEntry> snapshot() = 0;

    // Ends the process at once, without asking it to shut down; true when the request was
    // accepted. Does not wait for the process to be gone.
    virtual bool terminate(std::int64_t id) = 0;

    // Starts an executable detached, with no arguments, in workFolder (empty: the current
    // folder). Never leaves a zombie behind.
    virtual LaunchResult launch(const std::string& path, const std::string& workFolder,
                                ShowMode mode) = 0;

    // The desktop's "open": a folder or document in its usual application, an executable file
    // as launch() in the current folder.
    virtual LaunchResult shellOpen(const std::string& path) = 0;
};

// The implementation for this operating system.
ProcessPort& systemProcesses();

}  // namespace vesk
