#pragma once

#include <string>
#include <vector>

#include "platform/Processes.h"

namespace vesk::posix {

// The live processes found below a procfs root ("/proc" on a running system), in directory
// order. Each is named by the file name of its executable; when that link cannot be read
// (another user's process, a kernel thread) by argv[0], and only then by the kernel's short
// name. Zombies and dead entries are left out: they no longer run any program.
std::vector<ProcessEntry> listProcesses(const std::string& procRoot);

}  // namespace vesk::posix
