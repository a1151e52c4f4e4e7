#pragma once

#include <string>

#include "platform/Processes.h"

namespace vesk {

// True when exeName matches a reported process name: equal, or equal to its last path
// component, comparing only a to z without regard to case.
bool processNameMatches(const std::string& reportedName, const std::string& exeName);

bool IsProcessRunning(const std::string& exeName, ProcessPort& processes = systemProcesses());

// Terminates the first matching process in snapshot order; true when that was accepted.
bool KillProcessByName(const std::string& exeName, ProcessPort& processes = systemProcesses());

// Opens a file or folder the desktop's usual way; an empty or blank path opens the executable's
// folder. Always true.
bool ShellOpen(const std::string& path, ProcessPort& processes = systemProcesses());

}  // namespace vesk
